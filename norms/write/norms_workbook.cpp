#include "norms/write/norms_workbook.hpp"

#include <algorithm>
#include <ctime>

#include "norms/version.hpp"
#include "norms/write/xlsx_book.hpp"
#include "platform/utf8.hpp"
#include "platform/whole_file.hpp"
#include "stats/utf8.hpp"

namespace norms {
namespace {

constexpr std::size_t max_sheet_name = 31;  // characters
constexpr const char* about_sheet = "About";

// The rank in percent as the report rounds it: one decimal below 5 and above 95, none between.
constexpr const char* rank_format = "[<5]0.0\"%\";[<=95]0\"%\";0.0\"%\"";
// The limits are proportions, shown as percent with one decimal.
constexpr const char* limit_format = "0.0%";

std::string lower_case(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return text;
}

// The group's name with the characters Excel refuses in sheet names, control characters and
// bytes that are not UTF-8 replaced by "_", cut to `length` characters, and without an
// apostrophe at either end.
std::string sheet_name(const std::string& group, std::size_t length)
{
    const std::string_view source = group.empty() ? std::string_view("Norms") : std::string_view(group);
    std::string name;
    for (std::size_t at = 0; at < source.size();) {
        char32_t c = 0;
        const std::size_t bytes = platform::NextCodePoint(source, at, c);
        const bool unsafe = bytes == 0 || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE ||
                            c == 0xFFFF || std::u32string_view(U"[]:*?/\\").find(c) != std::u32string_view::npos;
        if (unsafe)
            name += '_';
        else
            name.append(source, at, bytes);
        at += bytes == 0 ? 1 : bytes;
    }
    name.resize(stats::utf8_prefix_bytes(name, length));
    if (name.front() == '\'')
        name.front() = '_';
    if (name.back() == '\'')
        name.back() = '_';
    return name;
}

std::string today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    return {text, std::strftime(text, sizeof text, "%Y-%m-%d", &local)};
}

class WorkbookWriter {
public:
    explicit WorkbookWriter(XlsxBook& book)
        : book_(book), rank_(book.number_format(rank_format)), limit_(book.number_format(limit_format))
    {
    }

    void write(const NormsWorkbook& content)
    {
        std::vector<std::string> groups;
        for (const NormsWorkbook::Table& table : content.tables)
            groups.push_back(table.group);
        const std::vector<std::string> names = WorksheetNames(groups);
        write_about(content, names);
        for (std::size_t i = 0; i < content.tables.size(); ++i)
            write_table(names[i], content.tables[i]);
    }

    void write(const SheetsWorkbook& content)
    {
        std::vector<std::string> wanted;
        for (const SheetsWorkbook::Sheet& sheet : content.sheets)
            wanted.push_back(sheet.name);
        const std::vector<std::string> names = WorksheetNames(wanted);
        write_facts(content.about);
        for (std::size_t i = 0; i < content.sheets.size(); ++i)
            write_sheet(names[i], content.sheets[i]);
    }

private:
    // The rank shows as the report rounds it, the limits in percent.
    lxw_format* own_format(const std::string& column) const
    {
        if (column == "pr")
            return rank_;
        return column.starts_with("lower") || column.starts_with("upper") ? limit_ : nullptr;
    }

    void write_about(const NormsWorkbook& content, const std::vector<std::string>& names)
    {
        lxw_worksheet* sheet = book_.add_sheet(about_sheet);
        worksheet_set_column(sheet, 0, 0, 14, book_.bold());
        worksheet_set_column(sheet, 1, 1, 40, nullptr);
        lxw_row_t row = 0;
        const auto line = [&](const char* key, std::string_view value) {
            book_.write_text(sheet, row, 0, key);
            book_.write_text(sheet, row++, 1, value);
        };
        line("Method", stats::interval_method_entry(content.method).caption);
        line("Data file", content.data_file);
        line("Program", VersionLine);
        line("Date", today());
        book_.write_text(sheet, row, 0, "Notes");
        for (const std::string& note : content.notes)
            book_.write_text(sheet, row++, 1, note);
        row = std::max<lxw_row_t>(row, 5) + 1;
        const bool weighted = !content.tables.empty() && content.tables.front().run.weighting;
        const std::vector<const char*> titles =
            weighted ? std::vector<const char*>{"Group", "Sheet", "Cases", "Sum of weights",
                                                "Effective n", "Design effect"}
                     : std::vector<const char*>{"Group", "Sheet", "n"};
        for (std::size_t c = 0; c < titles.size(); ++c)
            book_.write_text(sheet, row, static_cast<lxw_col_t>(c), titles[c], book_.bold());
        ++row;
        for (std::size_t i = 0; i < content.tables.size(); ++i, ++row) {
            const NormsRun& run = content.tables[i].run;
            book_.write_text(sheet, row, 0, content.tables[i].group);
            book_.write_text(sheet, row, 1, names[i]);
            if (!run.weighting) {
                book_.write_plain_number(sheet, row, 2, run.sample_size);
                continue;
            }
            const Extended figures[] = {run.weighting->cases_total, run.weighting->total_weight,
                                        run.weighting->effective_size, run.weighting->design_effect};
            for (lxw_col_t c = 0; c < 4; ++c)
                book_.write_plain_number(sheet, row, 2 + c, figures[c]);
        }
    }

    void write_table(const std::string& name, const NormsWorkbook::Table& table)
    {
        lxw_worksheet* sheet = book_.add_sheet(name);
        std::vector<std::string> header = own_column_names(table.run.weighting.has_value());
        const auto own_count = static_cast<lxw_col_t>(header.size());
        for (const TableColumn& column : table.added)
            header.push_back(column.name);
        for (std::size_t c = 0; c < header.size(); ++c)
            book_.write_text(sheet, 0, static_cast<lxw_col_t>(c), header[c], book_.bold());
        worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(header.size() - 1), 12, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        set_print_layout(sheet, 1);

        for (int j = 0; j < table.run.row_count; ++j) {
            const auto cell = static_cast<lxw_row_t>(j + 1);
            const std::vector<Extended> own = own_column_values(table.run, j);
            for (lxw_col_t c = 0; c < own_count; ++c)
                book_.write_number(sheet, cell, c, own[c],
                                   c == 0 && table.run.score_decimals > 0 ? book_.decimals_format(table.run.score_decimals)
                                                                          : own_format(header[c]));
            for (std::size_t a = 0; a < table.added.size(); ++a)
                book_.write_number(sheet, cell, static_cast<lxw_col_t>(own_count + a),
                                   table.added[a].value(table.run.table[j]),
                                   book_.decimals_format(table.added[a].decimals));
        }
    }

    // The About sheet of a SheetsWorkbook: a key and its text or number on each row.
    void write_facts(const std::vector<SheetsWorkbook::Fact>& facts)
    {
        lxw_worksheet* sheet = book_.add_sheet(about_sheet);
        worksheet_set_column(sheet, 0, 0, 18, book_.bold());
        worksheet_set_column(sheet, 1, 1, 40, nullptr);
        for (std::size_t i = 0; i < facts.size(); ++i) {
            const auto row = static_cast<lxw_row_t>(i);
            book_.write_text(sheet, row, 0, facts[i].key);
            if (facts[i].number)
                book_.write_number(sheet, row, 1, *facts[i].number);
            else
                book_.write_text(sheet, row, 1, facts[i].text);
        }
    }

    void write_sheet(const std::string& name, const SheetsWorkbook::Sheet& content)
    {
        lxw_worksheet* sheet = book_.add_sheet(name);
        for (std::size_t c = 0; c < content.header.size(); ++c)
            book_.write_text(sheet, 0, static_cast<lxw_col_t>(c), content.header[c], book_.bold());
        worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(content.header.size() - 1), 12, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        set_print_layout(sheet, 1);
        std::vector<lxw_format*> formats;
        for (const SheetsWorkbook::ColumnFormat& format : content.formats)
            formats.push_back(format.rank ? rank_ : book_.decimals_format(format.decimals));
        for (std::size_t r = 0; r < content.rows.size(); ++r)
            for (std::size_t c = 0; c < content.rows[r].size(); ++c)
                book_.write_number(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c),
                                   content.rows[r][c], c < formats.size() ? formats[c] : nullptr);
    }

    XlsxBook& book_;
    lxw_format* rank_;
    lxw_format* limit_;
};

// The bytes of the workbook of either kind that is to stand at `path`.
template <class Content>
std::string workbook_file(const std::string& path, const Content& workbook)
{
    XlsxBook book(path);
    WorkbookWriter(book).write(workbook);
    return book.bytes();
}

}  // namespace

std::vector<std::string> WorksheetNames(const std::vector<std::string>& groups)
{
    std::vector<std::string> taken = {lower_case(about_sheet)};
    std::vector<std::string> names;
    for (const std::string& group : groups) {
        std::string name = sheet_name(group, max_sheet_name);
        for (int copy = 2; std::find(taken.begin(), taken.end(), lower_case(name)) != taken.end(); ++copy) {
            const std::string suffix = " (" + std::to_string(copy) + ")";
            name = sheet_name(group, max_sheet_name - suffix.size()) + suffix;
        }
        taken.push_back(lower_case(name));
        names.push_back(name);
    }
    return names;
}

NormsWorkbook RunWorkbook(const NormsRun& run, std::vector<TableColumn> added)
{
    return {run.method, run.data_file_path, run.notes, {{"", run, std::move(added)}}};
}

std::string norms_workbook_file(const std::string& path, const NormsWorkbook& workbook)
{
    return workbook_file(path, workbook);
}

std::string sheets_workbook_file(const std::string& path, const SheetsWorkbook& workbook)
{
    return workbook_file(path, workbook);
}

void SaveNormsWorkbook(const std::string& path, const NormsWorkbook& workbook)
{
    platform::StagedFiles file;
    file.add(path, norms_workbook_file(path, workbook));
    file.commit();
}

}  // namespace norms
