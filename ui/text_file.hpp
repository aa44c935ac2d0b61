// Writing a whole text file at once.
#pragma once

#include <string>

namespace ui {

// Creates or replaces the file with exactly these bytes; a failed write leaves an existing file
// as it was (see platform::SaveWholeFile). Throws platform::Failure with the file message.
void SaveTextFile(const std::string& path, const std::string& contents);

}  // namespace ui
