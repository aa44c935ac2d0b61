// A file's names as outputs show them: its full name in reports, its own name in titles.
#pragma once

#include <string>

namespace platform {

// The name made absolute against the working folder, with "." and ".." taken out but links
// left as they are; the name as given when the working folder cannot be told.
std::string full_file_name(const std::string& path);

// The name after the last slash, as a chart's title gives a file.
std::string base_file_name(const std::string& path);

}  // namespace platform
