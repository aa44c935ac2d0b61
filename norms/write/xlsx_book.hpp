// An Excel workbook of the program's, put together by libxlsxwriter in memory: every text goes
// in as a cell can hold it, every number keeps the digits of the CSV table, and the file's bytes
// come out whole or as a failure that names the file they are for.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <xlsxwriter.h>

#include "norms/write/workbook_digits.hpp"
#include "norms/read/frequency_file.hpp"

namespace norms {

// Whether the name ends in ".xlsx", in any case: the only name a workbook is written to, so that
// a misplaced operand never turns a data file into a workbook.
bool IsWorkbookName(std::string_view path);

// How a sheet prints: on A4 across (landscape), one page wide however many pages long, its
// first `title_rows` rows repeated at the top of each page and "Page 1 of 3" at the foot.
void set_print_layout(lxw_worksheet* sheet, int title_rows);

class XlsxBook {
public:
    // For the workbook that is to stand at `path`: failures name it, and the library's scratch
    // files go beside it.
    explicit XlsxBook(const std::string& path);
    ~XlsxBook();
    XlsxBook(const XlsxBook&) = delete;
    XlsxBook& operator=(const XlsxBook&) = delete;

    lxw_workbook* workbook() { return workbook_; }
    lxw_format* bold() const { return bold_; }
    // A format that shows numbers by the pattern, such as "0.0%".
    lxw_format* number_format(const char* pattern);
    // "0", "0.0", "0.00" and so on, made once for each number of decimals.
    lxw_format* decimals_format(std::optional<int> decimals);

    // A failure of the library, which has refused what it was given or could not write.
    void check(lxw_error status) const;

    lxw_worksheet* add_sheet(const std::string& name);
    // Every text of a cell goes through here, so that none can break the file or be left out:
    // what XML cannot hold is escaped, and a text longer than a cell takes is cut with "…".
    void write_text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, std::string_view text,
                    lxw_format* format = nullptr);
    // The number with the CSV table's digits. Once a sheet takes a number this way, all of its
    // numbers must come this way. A number that a cell cannot hold (one that is not finite as a
    // double) stands as the text the CSV table gives it.
    void write_number(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value,
                      lxw_format* format = nullptr);
    // The number as a double, in a sheet that does not take the CSV table's digits; one that a
    // cell cannot hold as write_number shows it.
    void write_plain_number(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value);

    // The workbook file's bytes; the book takes nothing more.
    std::string bytes();

private:
    class Package;

    // Writes a number that is not finite as a double as text; false for any other.
    bool written_as_text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value);

    std::string path_;
    std::unique_ptr<Package> package_;
    lxw_workbook* workbook_ = nullptr;
    lxw_format* bold_ = nullptr;
    std::map<int, lxw_format*> decimals_formats_;
    std::vector<lxw_worksheet*> sheets_;
    std::vector<SheetNumbers> numbers_;
    std::vector<lxw_worksheet*> numbered_sheets_;  // the sheet of each of numbers_
};

}  // namespace norms
