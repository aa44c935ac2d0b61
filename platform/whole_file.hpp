// Writing a whole file at once, so that a failed save never costs the file it would replace.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The folder where a save of `path` makes its temporary file: the folder of the file that a
// symlink standing at `path` leads to. Throws platform::FileFailure.
std::string save_folder(const std::string& path);

// Files anywhere that take their places together, each saved as SaveWholeFile saves it. add()
// writes a file's new text whole to a temporary beside it (or, where SaveWholeFile would
// overwrite in place, keeps the text for that); commit() then puts every file in its place.
// Until commit(), a failure or the end of the object removes every temporary, so every old
// file stays as it was. Failures name the file and the cause (output_failure).
class StagedFiles {
public:
    explicit StagedFiles(SaveCalls* calls = nullptr);
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    void add(const std::string& path, std::string_view contents);
    void commit();

private:
    struct Pending {
        std::string path;                      // as given, for messages
        std::string target;                    // a symlink's file
        std::optional<std::string> temporary;  // none: overwrite the target in place
        std::string in_place_contents;
    };

    SaveCalls own_calls_;
    SaveCalls* calls_;
    std::vector<Pending> pending_;
};

// New files for one folder that take their names together. Each is first written whole to a
// temporary file in the folder; commit() then renames them over their names. A name is
// replaced, never written through: a symlink or a hard link standing there gives way to a new
// regular file, and nothing outside the folder changes. Until commit(), a failure or the end of
// the object removes every temporary and the folders it made, so every old file stays as it
// was. Failures name the file and the cause (output_failure).
class FolderFiles {
public:
    // Opens the folder, making it and any missing folders above it.
    explicit FolderFiles(const std::string& folder, SaveCalls* calls = nullptr);
    ~FolderFiles();
    FolderFiles(const FolderFiles&) = delete;
    FolderFiles& operator=(const FolderFiles&) = delete;

    // The name's path in the folder, as messages show it.
    std::string path_of(const std::string& name) const;
    // Writes the temporary that is to take `name`, a file name without "/".
    void add(const std::string& name, std::string_view contents);
    // Renames every temporary over its name.
    void commit();

private:
    struct Pending {
        std::string temporary;
        std::string path;
    };

    void create_folders();
    void remove_created_folders();

    std::string folder_;
    SaveCalls own_calls_;
    SaveCalls* calls_;
    std::vector<std::string> created_folders_;
    std::vector<Pending> pending_;
};

}  // namespace platform
