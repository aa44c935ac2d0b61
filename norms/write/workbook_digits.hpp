// libxlsxwriter writes a number with 16 significant digits ("%.16G"), one short of what tells
// every double apart. This puts the numbers' own texts back into a finished workbook.
#pragma once

#include <string>
#include <vector>

namespace norms {

// The numbers of one worksheet, as they are to stand in the file, in the order of their cells
// (row by row, left to right).
struct SheetNumbers {
    std::string entry;  // the sheet's part in the package, such as "xl/worksheets/sheet2.xml"
    std::vector<std::string> texts;
};

// Replaces the value of every number cell of each sheet, in order, by its text. Throws
// platform::Failure when the workbook cannot be rewritten or a sheet's number cells do not
// match its texts.
void RestoreDigits(const std::string& workbook_path, const std::vector<SheetNumbers>& sheets);

}  // namespace norms
