// The manual table as an Excel workbook: a sheet "Manual" that holds the table as its pages
// print it, set up to print across one page wide, and a sheet "Reversals" when they were
// looked for.
#pragma once

#include <string>

#include "norms/write/manual_table.hpp"

namespace norms {

// The bytes of the workbook file that is to stand at `path`. Throws platform::Failure naming
// `path` and the cause.
std::string manual_workbook_file(const std::string& path, const ManualTable& table);

}  // namespace norms
