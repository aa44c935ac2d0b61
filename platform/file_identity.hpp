// What a file's name stands for: whether two names lead to one file, so that a program's output never takes the place of its own input, of another
// output or of its standard output.
#pragma once

#include <string>

#include "platform/file_names.hpp"

namespace platform {

// True when both names lead to the same file: the same device and inode once symbolic links
// are followed, or, for a name with nothing there yet, the same place once its folder's links
// are resolved (a dangling link counts as the place it points to).
bool same_file(const std::string& first, const std::string& second);

// True when a new file renamed into the name's place would take the place of `file`: the
// name, its folder's links resolved, is where `file` leads. A link standing at the name itself
// gives way, so what it leads to is not at stake.
bool same_place(const std::string& name, const std::string& file);

// True when the name leads to the file that this process's standard output goes to.
bool is_standard_output(const std::string& path);

// What stands at the name when it is not an ordinary file, a folder or nothing: "a device",
// "a pipe", "a socket", or "a setting of the kernel" for a file of /proc or /sys; empty
// otherwise. Links are followed, so /dev/stdout names what the
// standard output is.
std::string special_file_kind(const std::string& path);

}  // namespace platform
