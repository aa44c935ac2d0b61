#include "norms/write/manual_pages.hpp"

#include <algorithm>
#include <utility>

#include "stats/utf8.hpp"

namespace norms {
namespace {

constexpr int column_gap = 3;  // characters between two columns

// Cells in columns, each column as wide as its widest cell, header rows above the body's.
struct TextGrid {
    std::vector<std::vector<std::string>> header;
    std::vector<std::vector<std::string>> body;
    std::vector<bool> left_aligned;  // per column; the others are right-aligned
    bool centred_header = false;     // the header's cells after the first centred over their columns

    std::vector<int> widths() const
    {
        std::vector<int> widths(left_aligned.size(), 0);
        for (const auto* rows : {&header, &body})
            for (const std::vector<std::string>& row : *rows)
                for (std::size_t c = 0; c < row.size(); ++c)
                    widths[c] = std::max(widths[c], text_width(row[c]));
        return widths;
    }
};

std::string padded(const std::string& text, int width, bool left)
{
    const std::string pad(static_cast<std::size_t>(std::max(0, width - text_width(text))), ' ');
    return left ? text + pad : pad + text;
}

std::string centred(const std::string& text, int width)
{
    const int room = std::max(0, width - text_width(text));
    return std::string(static_cast<std::size_t>(room - room / 2), ' ') + text +
           std::string(static_cast<std::size_t>(room / 2), ' ');
}

// The row's cells of the given columns, in one line without trailing blanks.
std::string grid_line(const TextGrid& grid, const std::vector<std::string>& row,
                      const std::vector<int>& widths, const std::vector<std::size_t>& columns,
                      bool header = false)
{
    std::string line;
    for (std::size_t c : columns)
        line += (line.empty() && c == columns.front() ? "" : std::string(column_gap, ' ')) +
                (header && grid.centred_header && c > 0 ? centred(row[c], widths[c])
                                                        : padded(row[c], widths[c], grid.left_aligned[c]));
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

int line_width(const std::vector<int>& widths, const std::vector<std::size_t>& columns)
{
    int width = -column_gap;
    for (std::size_t c : columns)
        width += column_gap + widths[c];
    return width;
}

// The body's rows on as many pages as they need, the header and the foot on each.
void add_pages(std::vector<ManualPage>& pages, const ManualPage& page_form,
               const std::vector<std::string>& body, ManualPageRoom room)
{
    const int fixed = static_cast<int>(page_form.header.size()) +
                      (page_form.foot.empty() ? 0 : 1 + static_cast<int>(page_form.foot.size()));
    const std::size_t rows = static_cast<std::size_t>(std::max(1, room.lines - fixed));
    std::size_t start = 0;
    do {
        ManualPage page = page_form;
        const std::size_t end = std::min(body.size(), start + rows);
        page.body.assign(body.begin() + static_cast<std::ptrdiff_t>(start),
                         body.begin() + static_cast<std::ptrdiff_t>(end));
        pages.push_back(std::move(page));
        start = end;
    } while (start < body.size());
}

std::vector<std::string> wrapped_lines(const std::vector<std::string>& texts, int width)
{
    std::vector<std::string> lines;
    for (const std::string& text : texts)
        for (std::string& line : wrap_text(text, width))
            lines.push_back(std::move(line));
    return lines;
}

// The table as a grid: the raw score, then each column's cells, a cell's score right-aligned
// and its interval after it, so that both line up down the column.
TextGrid table_grid(const ManualTable& table)
{
    const std::size_t columns = table.column_titles.size();
    TextGrid grid;
    grid.left_aligned.assign(columns + 1, false);
    grid.centred_header = true;
    for (const ManualRow& row : table.rows) {
        grid.body.push_back({row.raw});
        grid.body.back().resize(columns + 1);
    }
    std::vector<std::vector<std::string>> titles(columns);
    std::size_t title_lines = 1;
    std::size_t size_lines = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        int point_width = 0;
        int interval_width = 0;
        for (const ManualRow& row : table.rows) {
            point_width = std::max(point_width, text_width(row.cells[c].point));
            interval_width = std::max(interval_width, text_width(row.cells[c].interval));
        }
        int width = point_width + (interval_width > 0 ? 1 + interval_width : 0);
        for (const std::string& size : table.column_sizes[c])
            width = std::max(width, text_width(size));
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const ManualCell& cell = table.rows[r].cells[c];
            grid.body[r][c + 1] = padded(cell.point, point_width, false) +
                                  (interval_width > 0 ? " " + padded(cell.interval, interval_width, true) : "");
        }
        titles[c] = wrap_text(table.column_titles[c], std::max(width, std::min(widest_column_title,
                                                                               text_width(table.column_titles[c]))));
        title_lines = std::max(title_lines, titles[c].size());
        size_lines = std::max(size_lines, table.column_sizes[c].size());
    }
    // The titles stand on the last title line, the sizes below them.
    grid.header.assign(title_lines + size_lines, std::vector<std::string>(columns + 1));
    grid.header[title_lines - 1][0] = "Raw score";
    for (std::size_t c = 0; c < columns; ++c) {
        const std::size_t first = title_lines - titles[c].size();
        for (std::size_t i = 0; i < titles[c].size(); ++i)
            grid.header[first + i][c + 1] = titles[c][i];
        for (std::size_t i = 0; i < table.column_sizes[c].size(); ++i)
            grid.header[title_lines + i][c + 1] = table.column_sizes[c][i];
    }
    return grid;
}

// The columns after the raw score's, in groups that each fit across a line of `characters`
// together with it; one group when they all fit.
std::vector<std::vector<std::size_t>> column_groups(const std::vector<int>& widths, int characters)
{
    std::vector<std::vector<std::size_t>> groups;
    int width = 0;
    for (std::size_t c = 1; c < widths.size(); ++c) {
        if (groups.empty() || width + column_gap + widths[c] > characters) {
            groups.push_back({0});
            width = widths[0];
        }
        groups.back().push_back(c);
        width += column_gap + widths[c];
    }
    return groups;
}

// The grid on pages: portrait when it fits across one, else landscape, with the columns split
// over pages, when `split` allows, only where they do not fit across that either.
void add_grid_pages(std::vector<ManualPage>& pages, const TextGrid& grid, ManualPage page_form,
                    const std::vector<std::string>& notes, ManualPageRoom portrait,
                    ManualPageRoom landscape, bool split)
{
    const std::vector<int> widths = grid.widths();
    std::vector<std::size_t> all(widths.size());
    for (std::size_t c = 0; c < all.size(); ++c)
        all[c] = c;
    page_form.landscape = line_width(widths, all) > portrait.characters;
    const ManualPageRoom room = page_form.landscape ? landscape : portrait;
    page_form.foot = wrapped_lines(notes, room.characters);
    std::vector<std::vector<std::size_t>> groups = {all};
    if (split && line_width(widths, all) > room.characters)
        groups = column_groups(widths, room.characters);
    for (const std::vector<std::size_t>& columns : groups) {
        ManualPage page = page_form;
        for (const std::vector<std::string>& row : grid.header)
            page.header.push_back(grid_line(grid, row, widths, columns, true));
        std::vector<std::string> body;
        for (const std::vector<std::string>& row : grid.body)
            body.push_back(grid_line(grid, row, widths, columns));
        add_pages(pages, page, body, room);
    }
}

// The column titles that the table cuts, in full, on pages of their own.
void add_full_title_pages(std::vector<ManualPage>& pages, const ManualTable& table,
                          ManualPageRoom portrait)
{
    ManualPage page_form;
    page_form.title = table.title;
    page_form.subtitle = "Column titles in full";
    add_pages(pages, page_form, wrapped_lines(table.full_titles, portrait.characters), portrait);
}

void add_reversal_pages(std::vector<ManualPage>& pages, const ManualTable& table,
                        ManualPageRoom portrait, ManualPageRoom landscape)
{
    ManualPage page_form;
    page_form.title = table.title;
    page_form.subtitle = "Reversals of the percentile rank between adjacent columns";
    const std::vector<std::string> notes = {reversals_explanation(*table.trend)};
    TextGrid grid;
    if (table.reversals.empty()) {
        grid.left_aligned = {true};
        grid.body = {{no_reversals_text(*table.trend)}};
    } else {
        grid.left_aligned = {false, true, false, false, true, false, false, true};
        grid.header = {{"Raw score", "From", "PR", "95% interval", "To", "PR", "95% interval",
                        "95% intervals"}};
        for (const Reversal& reversal : table.reversals)
            grid.body.push_back({reversal_score_text(table, reversal), table.column_labels[reversal.column],
                                 reversal_rank_text(reversal.earlier.pr),
                                 reversal_interval_text(reversal.earlier.pr_lower95, reversal.earlier.pr_upper95),
                                 table.column_labels[reversal.column + 1], reversal_rank_text(reversal.later.pr),
                                 reversal_interval_text(reversal.later.pr_lower95, reversal.later.pr_upper95),
                                 reversal.intervals_overlap ? "overlap" : "do not overlap"});
    }
    // A reversal's row is never split: its columns belong together.
    add_grid_pages(pages, grid, page_form, notes, portrait, landscape, false);
}

}  // namespace

int text_width(std::string_view text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(),
                                          [](char c) { return !stats::is_utf8_continuation(c); }));
}

std::vector<std::string> wrap_text(std::string_view text, int width)
{
    width = std::max(width, 1);
    std::vector<std::string> lines;
    std::string line;
    const auto add_word = [&](std::string_view word) {
        while (text_width(word) > width) {  // a word wider than a line is broken
            if (!line.empty())
                lines.push_back(std::exchange(line, ""));
            const std::size_t cut = stats::utf8_prefix_bytes(word, static_cast<std::size_t>(width));
            lines.emplace_back(word.substr(0, cut));
            word.remove_prefix(cut);
        }
        if (word.empty())
            return;
        if (!line.empty() && text_width(line) + 1 + text_width(word) > width)
            lines.push_back(std::exchange(line, ""));
        line += (line.empty() ? "" : " ") + std::string(word);
    };
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        add_word(text.substr(start, end - start));
        start = end + 1;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

std::vector<ManualPage> manual_pages(const ManualTable& table, ManualPageRoom portrait,
                                     ManualPageRoom landscape)
{
    std::vector<ManualPage> pages;
    ManualPage page_form;
    page_form.title = table.title;
    page_form.subtitle = table.subtitle;
    add_grid_pages(pages, table_grid(table), page_form, table.footnotes, portrait, landscape, true);
    if (!table.full_titles.empty())
        add_full_title_pages(pages, table, portrait);
    if (table.trend)
        add_reversal_pages(pages, table, portrait, landscape);
    return pages;
}

}  // namespace norms
