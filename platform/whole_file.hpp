// Writing a whole file at once, so that a failed save never costs the file it would replace.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace platform {

// The system calls of a save that can run out of room or be refused. Tests stand in for them
// to fill the disk or close the folder without needing root or a mount.
class SaveCalls {
public:
    virtual ~SaveCalls() = default;
    // Creates and opens a new file from a mkstemp() template; -1 with errno when it cannot.
    virtual int create_temporary(std::string& name_template);
    // Sets aside disk space for the first `length` bytes; 0 or an errno code.
    virtual int reserve(int fd, off_t length);
    // pwrite(): the count written, or -1 with errno.
    virtual ssize_t write_at(int fd, const char* data, std::size_t size, off_t offset);
};

// Creates or replaces the file with exactly these bytes. The new text goes to a temporary file
// beside it that takes its place only once complete, keeping the old file's mode and owner. A
// symlink keeps pointing where it did; its target gets the new text. Where the folder takes no
// new file, or the file has further hard links or an owner this process cannot give, the file
// is overwritten in place, but only after disk space for the new text is reserved. Either way a
// failure leaves an existing file byte for byte as it was, and throws platform::Failure with
// the file message ("Disk full", "File access denied", …).
void SaveWholeFile(const std::string& path, std::string_view contents);
void SaveWholeFile(const std::string& path, std::string_view contents, SaveCalls& calls);

}  // namespace platform
