// Writing a whole text file at once.
#pragma once

#include <string>

namespace ui {

// Creates or replaces the file with exactly these bytes. The new contents go to a temporary
// file beside it that takes the file's place only when fully written, so a failed write leaves
// an existing file as it was. Throws platform::Failure with the file message for the error.
void SaveTextFile(const std::string& path, const std::string& contents);

}  // namespace ui
