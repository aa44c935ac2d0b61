// The last touches to a workbook that libxlsxwriter has put together. The library writes a
// number with 16 significant digits ("%.16G"), one short of what tells every double apart:
// the numbers' own texts go back in. And it writes its parts through scratch files whose
// failed writes it does not notice: every part must be whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norms {

// The numbers of one worksheet, as they are to stand in the file, in the order of their cells
// (row by row, left to right).
struct SheetNumbers {
    std::string entry;  // the sheet's part in the package, such as "xl/worksheets/sheet2.xml"
    std::vector<std::string> texts;
};

// Whether a part that libxlsxwriter wrote is whole: XML that ends with the end tag of its
// first element, the root, as a part cut short does not.
bool is_whole_xml_part(std::string_view xml);

// The workbook's bytes with the value of every number cell of each sheet, in order, replaced
// by its text. Throws platform::Failure naming `path`, the file the workbook is for, when the
// workbook cannot be rewritten, a part of it is not whole, or a sheet's number cells do not
// match its texts.
std::string finish_workbook(const std::string& path, const std::string& workbook,
                           const std::vector<SheetNumbers>& sheets);

}  // namespace norms
