#include "norms/write/saved_worksheet.hpp"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/failure.hpp"

namespace norms {

namespace {

bool starts_exe_suffix(std::string_view path, std::size_t i)
{
    if (path.size() - i < 4 || path[i] != '.')
        return false;
    const std::string_view exe = "exe";
    for (std::size_t k = 0; k < exe.size(); ++k) {
        if (std::tolower(static_cast<unsigned char>(path[i + 1 + k])) != exe[k])
            return false;
    }
    return true;
}

// Only a file or a symlink of the saved-worksheet name is ever deleted. A folder, however
// empty, stays, and so does a FIFO or device, which the save could not write anyway.
enum class Entry { none, file, other };

Entry entry_at(const std::string& path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return Entry::none;
    return S_ISREG(status.st_mode) || S_ISLNK(status.st_mode) ? Entry::file : Entry::other;
}

void delete_if_file(const std::string& path)
{
    if (entry_at(path) == Entry::file)
        ::unlink(path.c_str());
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string GetProgramFolder(std::string_view executable_path)
{
    std::size_t last_backslash = std::string_view::npos;
    for (std::size_t i = 0; i < executable_path.size(); ++i) {
        if (starts_exe_suffix(executable_path, i))
            return last_backslash == std::string_view::npos
                       ? std::string()
                       : std::string(executable_path.substr(0, last_backslash));
        if (executable_path[i] == '\\')
            last_backslash = i;
    }
    return {};
}

std::string RunningProgramFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

void SaveCurrentData(const std::string& path, const std::vector<std::string>& box_texts)
{
    if (entry_at(path) == Entry::other)
        throw platform::file_failure(EACCES);
    delete_if_file(path);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw platform::file_failure(errno);
    for (const std::string& text : box_texts) {
        const std::string field = text + " ";
        if (std::fwrite(field.data(), 1, field.size(), file.get()) != field.size())
            throw platform::file_failure(errno);
    }
    // A write that only fails when the buffer reaches the disk shows up at closing.
    if (std::fclose(file.release()) != 0)
        throw platform::file_failure(errno);
}

void DeleteSavedWorksheet(const std::string& path)
{
    delete_if_file(path);
}

}  // namespace norms
