#include "platform/whole_file.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/failure.hpp"
#include "platform/file_identity.hpp"

namespace platform {
namespace {

constexpr int max_link_hops = 40;  // as many as the kernel follows before ELOOP

// Closes a descriptor when it leaves scope, unless closed before.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    // Some file systems report a failed write only here.
    void close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR)
            throw file_failure(errno);
    }

private:
    int fd_;
};

// Removes the temporary file on every path except a completed rename.
struct TemporaryName {
    std::string name;
    bool renamed = false;
    ~TemporaryName()
    {
        if (!renamed)
            ::unlink(name.c_str());
    }
};

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path with the symlinks of its last part followed, so that a save replaces the file a link
// points to and not the link; the path itself when nothing is there yet.
std::string final_target(const std::string& path)
{
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat status;
        if (::lstat(target.c_str(), &status) != 0) {
            if (errno == ENOENT)
                return target;
            throw file_failure(errno);
        }
        if (!S_ISLNK(status.st_mode))
            return target;
        if (hops == max_link_hops)
            throw file_failure(ELOOP);
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), buffer, sizeof buffer);
        if (length < 0)
            throw file_failure(errno);
        if (length == 0 || static_cast<std::size_t>(length) == sizeof buffer)
            throw file_failure(ENAMETOOLONG);
        const std::string link(buffer, static_cast<std::size_t>(length));
        target = link.front() == '/' ? link : folder_of(target) + "/" + link;
    }
}

void write_all(int fd, std::string_view contents, SaveCalls& calls)
{
    for (std::size_t done = 0; done < contents.size();) {
        const ssize_t count = calls.write_at(fd, contents.data() + done, contents.size() - done,
                                             static_cast<off_t>(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            throw file_failure(count < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(count);
    }
}

void reserve(int fd, off_t length, SaveCalls& calls)
{
    if (length == 0)
        return;
    if (const int error = calls.reserve(fd, length))
        throw file_failure(error);
}

std::string read_all(int fd, off_t size)
{
    std::string contents(static_cast<std::size_t>(size), '\0');
    for (std::size_t done = 0; done < contents.size();) {
        const ssize_t count = ::pread(fd, contents.data() + done, contents.size() - done,
                                      static_cast<off_t>(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw file_failure(errno);
        if (count == 0) {  // the file shrank meanwhile
            contents.resize(done);
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    return contents;
}

std::string temporary_template(const std::string& folder)
{
    return folder + "/.vornak-save-XXXXXX";
}

// Fills a new, empty file with the text, on disk before it is closed.
void fill_and_close(Descriptor& file, std::string_view contents, SaveCalls& calls)
{
    reserve(file.get(), static_cast<off_t>(contents.size()), calls);
    write_all(file.get(), contents, calls);
    if (::fsync(file.get()) != 0)
        throw file_failure(errno);
    file.close();
}

// Writes the text whole to a new file beside the target, and gives the file's name. Gives
// nothing, having changed nothing, when the folder takes no new file or the old file's owner
// cannot be passed on; the old file may then still be written in place.
std::optional<std::string> write_temporary(const std::string& target, const struct stat* old,
                                           std::string_view contents, SaveCalls& calls)
{
    TemporaryName temporary{temporary_template(folder_of(target))};
    Descriptor file(calls.create_temporary(temporary.name));
    if (file.get() < 0) {
        temporary.renamed = true;  // nothing was created
        if (old != nullptr)
            return std::nullopt;
        throw file_failure(errno);
    }
    if (old != nullptr) {
        if (::fchown(file.get(), old->st_uid, old->st_gid) != 0)
            return std::nullopt;
        if (::fchmod(file.get(), old->st_mode & 07777) != 0)
            throw file_failure(errno);
    }
    fill_and_close(file, contents, calls);
    temporary.renamed = true;  // from here on the caller's to rename or remove
    return temporary.name;
}

// Overwrites the file itself, once the space for the longer of the old and the new text is
// reserved. Should a write still fail, the old bytes go back into that space.
void overwrite_in_place(const std::string& target, std::string_view contents, SaveCalls& calls)
{
    Descriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        throw file_failure(errno);
    struct stat status;
    if (::fstat(file.get(), &status) != 0)
        throw file_failure(errno);
    if (!S_ISREG(status.st_mode))
        throw file_failure(EACCES);
    const std::string old_contents = read_all(file.get(), status.st_size);
    const auto old_size = static_cast<off_t>(old_contents.size());
    const auto new_size = static_cast<off_t>(contents.size());
    try {
        reserve(file.get(), std::max(old_size, new_size), calls);
    } catch (const Failure&) {
        // A reservation that failed part-way may have made the file longer.
        [[maybe_unused]] const int ignored = ::ftruncate(file.get(), old_size);
        throw;
    }
    try {
        write_all(file.get(), contents, calls);
        if (::ftruncate(file.get(), new_size) != 0 || ::fsync(file.get()) != 0)
            throw file_failure(errno);
    } catch (const Failure&) {
        try {
            write_all(file.get(), old_contents, calls);
        } catch (const Failure&) {
        }
        [[maybe_unused]] const int ignored = ::ftruncate(file.get(), old_size);
        throw;
    }
    file.close();
}

// A save made ready: the new text whole in a temporary file beside the target, or, where no
// new file can take the target's place, nothing yet, the target then being overwritten in
// place when the save completes.
struct PreparedSave {
    std::string target;
    std::optional<std::string> temporary;
};

PreparedSave prepare_save(const std::string& path, std::string_view contents, SaveCalls& calls)
{
    if (path.empty())
        throw file_failure(ENOENT);
    PreparedSave save{final_target(path), std::nullopt};
    struct stat old;
    if (::stat(save.target.c_str(), &old) != 0) {
        if (errno != ENOENT)
            throw file_failure(errno);
        save.temporary = write_temporary(save.target, nullptr, contents, calls);
        return save;
    }
    if (S_ISDIR(old.st_mode))
        throw file_failure(EISDIR);
    // A FIFO would block the save, a device would swallow the text.
    if (!S_ISREG(old.st_mode))
        throw file_failure(EACCES);
    // A read-only file stays read-only, although its folder would let it be replaced.
    if (::faccessat(AT_FDCWD, save.target.c_str(), W_OK, AT_EACCESS) != 0)
        throw file_failure(errno);
    // A new file would leave the other names of a hard-linked file on the old text.
    if (old.st_nlink == 1)
        save.temporary = write_temporary(save.target, &old, contents, calls);
    return save;
}

// Puts the new text in the target's place; a failure leaves the old file as it was.
void complete_save(const PreparedSave& save, std::string_view contents, SaveCalls& calls)
{
    if (!save.temporary) {
        overwrite_in_place(save.target, contents, calls);
        return;
    }
    if (::rename(save.temporary->c_str(), save.target.c_str()) != 0) {
        const int error = errno;
        ::unlink(save.temporary->c_str());
        throw file_failure(error);
    }
}

}  // namespace

int SaveCalls::create_temporary(std::string& name_template)
{
    // As mkstemp(), except that the file gets the usual mode for a new file (0666 less the
    // umask) rather than 0600.
    static std::minstd_rand random(std::random_device{}());
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t first = name_template.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (std::size_t i = first; i < name_template.size(); ++i)
            name_template[i] = letters[random() % (sizeof letters - 1)];
        const int fd =
            ::open(name_template.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int SaveCalls::reserve(int fd, off_t length)
{
    return ::posix_fallocate(fd, 0, length);
}

ssize_t SaveCalls::write_at(int fd, const char* data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}

void SaveWholeFile(const std::string& path, std::string_view contents)
{
    SaveCalls calls;
    SaveWholeFile(path, contents, calls);
}

void SaveWholeFile(const std::string& path, std::string_view contents, SaveCalls& calls)
{
    complete_save(prepare_save(path, contents, calls), contents, calls);
}

std::string save_folder(const std::string& path)
{
    return folder_of(final_target(path));
}

StagedFiles::StagedFiles(SaveCalls* calls) : calls_(calls != nullptr ? calls : &own_calls_) {}

StagedFiles::~StagedFiles()
{
    for (const Pending& file : pending_)
        if (file.temporary)
            ::unlink(file.temporary->c_str());
}

void StagedFiles::add(const std::string& path, std::string_view contents)
{
    // A device would swallow the text and a pipe block on it; neither is a file to stand there.
    if (const std::string kind = special_file_kind(path); !kind.empty())
        throw output_failure(path, kind + ", not a file");
    try {
        PreparedSave save = prepare_save(path, contents, *calls_);
        // Only an overwrite in place still needs the text.
        std::string in_place_contents(save.temporary ? std::string_view() : contents);
        pending_.push_back({path, std::move(save.target), std::move(save.temporary),
                            std::move(in_place_contents)});
    } catch (const FileFailure& failure) {
        throw output_failure(path, failure.error_code());
    }
}

void StagedFiles::commit()
{
    while (!pending_.empty()) {
        // Taken off first: a failed rename has removed its temporary.
        const Pending file = std::move(pending_.front());
        pending_.erase(pending_.begin());
        try {
            complete_save({file.target, file.temporary}, file.in_place_contents, *calls_);
        } catch (const FileFailure& failure) {
            throw output_failure(file.path, failure.error_code());
        }
    }
}


FolderFiles::FolderFiles(const std::string& folder, SaveCalls* calls)
    : folder_(folder.empty() ? "." : folder), calls_(calls != nullptr ? calls : &own_calls_)
{
    try {
        create_folders();
    } catch (...) {
        remove_created_folders();
        throw;
    }
}

FolderFiles::~FolderFiles()
{
    for (const Pending& file : pending_)
        ::unlink(file.temporary.c_str());
    remove_created_folders();
}

std::string FolderFiles::path_of(const std::string& name) const
{
    return folder_.back() == '/' ? folder_ + name : folder_ + "/" + name;
}

void FolderFiles::add(const std::string& name, std::string_view contents)
{
    const std::string path = path_of(name);
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0 ? S_ISDIR(status.st_mode) : errno != ENOENT)
        throw output_failure(path, S_ISDIR(status.st_mode) ? EISDIR : errno);
    std::string temporary = temporary_template(folder_);
    Descriptor file(calls_->create_temporary(temporary));
    if (file.get() < 0)
        throw output_failure(path, errno);
    pending_.push_back({temporary, path});
    try {
        fill_and_close(file, contents, *calls_);
    } catch (const FileFailure& failure) {
        throw output_failure(path, failure.error_code());
    }
}

void FolderFiles::commit()
{
    created_folders_.clear();
    for (std::size_t done = 0; done < pending_.size(); ++done) {
        if (::rename(pending_[done].temporary.c_str(), pending_[done].path.c_str()) != 0) {
            const Failure failure = output_failure(pending_[done].path, errno);
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(done));
            throw failure;
        }
    }
    pending_.clear();
}

// Makes each missing folder of the path in turn, from the top.
void FolderFiles::create_folders()
{
    for (std::size_t end = 0; end != std::string::npos;) {
        end = folder_.find('/', end + 1);
        const std::string folder = folder_.substr(0, end);
        if (::mkdir(folder.c_str(), 0777) == 0) {
            created_folders_.push_back(folder);
            continue;
        }
        if (errno != EEXIST)
            throw output_failure(folder, errno);
        struct stat status;
        if (::stat(folder.c_str(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                throw output_failure(folder, ENOTDIR);
        } else if (errno == ENOENT) {
            throw output_failure(folder, "a symbolic link to nothing");
        } else {
            throw output_failure(folder, errno);
        }
    }
}

void FolderFiles::remove_created_folders()
{
    // Only folders left empty go; rmdir() refuses the others.
    for (auto folder = created_folders_.rbegin(); folder != created_folders_.rend(); ++folder)
        ::rmdir(folder->c_str());
    created_folders_.clear();
}

}  // namespace platform
