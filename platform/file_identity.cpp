#include "platform/file_identity.hpp"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {
namespace {

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
};

std::optional<Identity> existing_identity(const std::string& path)
{
    struct stat status;
    if (path.empty() || ::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return Identity{status.st_dev, status.st_ino};
}

// Where a file made under this name would stand: its folder with the links resolved, and its
// own name.
std::string resolved_place(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr), &std::free);
    return (real ? std::string(real.get()) : folder) + "/" + name;
}

// Whether the file lies on one of the kernel's own file systems, whose files only look like
// files: writing to them changes the system, not a document.
bool on_kernel_file_system(const std::string& path)
{
    struct statfs system;
    if (::statfs(path.c_str(), &system) != 0)
        return false;
    switch (static_cast<unsigned long>(system.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
    case PSTOREFS_MAGIC:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool same_file(const std::string& first, const std::string& second)
{
    const std::optional<Identity> a = existing_identity(first);
    const std::optional<Identity> b = existing_identity(second);
    if (a && b)
        return a->device == b->device && a->inode == b->inode;
    if (a || b)
        return false;
    return resolved_place(first) == resolved_place(second);
}

bool same_place(const std::string& name, const std::string& file)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(file.c_str(), nullptr), &std::free);
    return resolved_place(name) == (real ? std::string(real.get()) : resolved_place(file));
}

bool is_standard_output(const std::string& path)
{
    struct stat output;
    const std::optional<Identity> file = existing_identity(path);
    return file && ::fstat(STDOUT_FILENO, &output) == 0 && output.st_dev == file->device &&
           output.st_ino == file->inode;
}

std::string special_file_kind(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return "";
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return "a device";
    if (S_ISFIFO(status.st_mode))
        return "a pipe";
    if (S_ISSOCK(status.st_mode))
        return "a socket";
    if (S_ISREG(status.st_mode) && on_kernel_file_system(path))
        return "a setting of the kernel";
    return "";
}

}  // namespace platform
