#include "norms/write/manual_workbook.hpp"

#include <algorithm>
#include <cmath>

#include "norms/write/manual_pages.hpp"
#include "norms/write/xlsx_book.hpp"

namespace norms {
namespace {

class ManualSheets {
public:
    explicit ManualSheets(XlsxBook& book) : book_(book)
    {
        lxw_workbook* workbook = book.workbook();
        title_ = workbook_add_format(workbook);
        format_set_bold(title_);
        format_set_font_size(title_, 14);
        heading_ = workbook_add_format(workbook);
        format_set_bold(heading_);
        format_set_align(heading_, LXW_ALIGN_RIGHT);
        format_set_align(heading_, LXW_ALIGN_VERTICAL_BOTTOM);
        format_set_text_wrap(heading_);
        last_heading_ = workbook_add_format(workbook);
        format_set_bold(last_heading_);
        format_set_align(last_heading_, LXW_ALIGN_RIGHT);
        format_set_text_wrap(last_heading_);
        format_set_bottom(last_heading_, LXW_BORDER_THIN);
        right_ = workbook_add_format(workbook);
        format_set_align(right_, LXW_ALIGN_RIGHT);
    }

    void write_manual(const ManualTable& table)
    {
        lxw_worksheet* sheet = book_.add_sheet("Manual");
        book_.write_text(sheet, 0, 0, table.title, title_);
        book_.write_text(sheet, 1, 0, table.subtitle);
        // The column titles on one row, the sizes on the rows below, a rule under the last.
        const lxw_row_t titles = 3;
        std::size_t size_rows = 0;
        for (const std::vector<std::string>& sizes : table.column_sizes)
            size_rows = std::max(size_rows, sizes.size());
        const lxw_row_t last_heading = titles + static_cast<lxw_row_t>(size_rows);
        const auto heading_format = [&](lxw_row_t row) { return row == last_heading ? last_heading_ : heading_; };
        for (lxw_row_t row = titles; row <= last_heading; ++row)
            book_.write_text(sheet, row, 0, row == titles ? "Raw score" : "", heading_format(row));
        int raw_width = text_width("Raw score");
        for (const ManualRow& row : table.rows)
            raw_width = std::max(raw_width, text_width(row.raw));
        worksheet_set_column(sheet, 0, 0, raw_width + 2, nullptr);

        for (std::size_t c = 0; c < table.column_titles.size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c + 1);
            int width = 0;
            for (const ManualRow& row : table.rows)
                width = std::max(width, text_width(manual_cell_text(row.cells[c])));
            for (const std::string& size : table.column_sizes[c])
                width = std::max(width, text_width(size));
            width = std::max(width, std::min(widest_column_title, text_width(table.column_titles[c])));
            worksheet_set_column(sheet, column, column, width + 2, nullptr);
            book_.write_text(sheet, titles, column, table.column_titles[c], heading_format(titles));
            for (lxw_row_t row = titles + 1; row <= last_heading; ++row) {
                const std::size_t size = row - titles - 1;
                book_.write_text(sheet, row, column,
                                 size < table.column_sizes[c].size() ? table.column_sizes[c][size] : "",
                                 heading_format(row));
            }
        }

        lxw_row_t row = last_heading + 1;
        for (const ManualRow& manual_row : table.rows) {
            book_.write_text(sheet, row, 0, manual_row.raw, right_);
            for (std::size_t c = 0; c < manual_row.cells.size(); ++c)
                book_.write_text(sheet, row, static_cast<lxw_col_t>(c + 1),
                                 manual_cell_text(manual_row.cells[c]), right_);
            ++row;
        }
        ++row;
        for (const std::string& footnote : table.footnotes)
            book_.write_text(sheet, row++, 0, footnote);
        if (!table.full_titles.empty()) {
            book_.write_text(sheet, ++row, 0, "Column titles in full:");
            for (const std::string& title : table.full_titles)
                book_.write_text(sheet, ++row, 0, title);
        }
        set_print_layout(sheet, static_cast<int>(last_heading) + 1);
    }

    void write_reversals(const ManualTable& table)
    {
        lxw_worksheet* sheet = book_.add_sheet("Reversals");
        const char* const titles[] = {"Raw score", "From", "PR",        "95% lower", "95% upper",
                                      "To",        "PR",   "95% lower", "95% upper", "95% intervals"};
        for (lxw_col_t c = 0; c < std::size(titles); ++c)
            book_.write_text(sheet, 0, c, titles[c], book_.bold());
        worksheet_set_column(sheet, 0, std::size(titles) - 1, 12, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        lxw_format* rank = book_.decimals_format(2);
        lxw_format* limit = book_.decimals_format(1);
        lxw_row_t row = 1;
        for (const Reversal& reversal : table.reversals) {
            book_.write_number(sheet, row, 0,
                               static_cast<Extended>(reversal.raw_score) / std::pow(10.0L, table.score_decimals));
            lxw_col_t column = 1;
            for (std::size_t side = 0; side < 2; ++side) {
                const ManualValue& value = side == 0 ? reversal.earlier : reversal.later;
                book_.write_text(sheet, row, column++, table.column_labels[reversal.column + side]);
                book_.write_number(sheet, row, column++, value.pr, rank);
                book_.write_number(sheet, row, column++, value.pr_lower95, limit);
                book_.write_number(sheet, row, column++, value.pr_upper95, limit);
            }
            book_.write_text(sheet, row++, column, reversal.intervals_overlap ? "overlap" : "do not overlap");
        }
        if (table.reversals.empty())
            book_.write_text(sheet, row++, 0, no_reversals_text(*table.trend));
        book_.write_text(sheet, row + 1, 0, reversals_explanation(*table.trend));
        set_print_layout(sheet, 1);
    }

private:
    XlsxBook& book_;
    lxw_format* title_ = nullptr;
    lxw_format* heading_ = nullptr;
    lxw_format* last_heading_ = nullptr;
    lxw_format* right_ = nullptr;
};

}  // namespace

std::string manual_workbook_file(const std::string& path, const ManualTable& table)
{
    XlsxBook book(path);
    ManualSheets sheets(book);
    sheets.write_manual(table);
    if (table.trend)
        sheets.write_reversals(table);
    return book.bytes();
}

}  // namespace norms
