#include "norms/read/byte_source.hpp"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/failure.hpp"

namespace norms {
namespace {

// Reads a regular file up to the size it had when opened, so that a file
// that never ends (a pseudo-file that keeps producing bytes) still does. Anything else, a
// FIFO, a device or a socket, is refused before a byte is read: opening without blocking means
// a FIFO with no writer cannot hang the run. Closes the file when destroyed.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        if (fd_ < 0)
            throw platform::file_failure(errno);
        struct stat status;
        int error = ::fstat(fd_, &status) != 0 ? errno : 0;
        if (error == 0 && !S_ISREG(status.st_mode))
            error = S_ISDIR(status.st_mode) ? EISDIR : EACCES;
        if (error != 0) {
            ::close(fd_);
            throw platform::file_failure(error);
        }
        size_ = status.st_size;
    }
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override
    {
        const auto left = static_cast<std::size_t>(std::max<off_t>(size_ - position_, 0));
        for (;;) {
            const ssize_t count = ::read(fd_, buffer, std::min(size, left));
            if (count >= 0) {
                position_ += count;
                return static_cast<std::size_t>(count);
            }
            if (errno != EINTR)
                throw platform::file_failure(errno);
        }
    }

    std::int64_t seek(std::int64_t offset, int whence) override
    {
        const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? position_ : size_;
        if (offset < -base || offset > std::numeric_limits<off_t>::max() - base ||
            ::lseek(fd_, base + offset, SEEK_SET) < 0)
            return -1;
        return position_ = base + offset;
    }

private:
    int fd_;
    off_t size_ = 0;
    off_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> OpenDataFile(const std::string& path)
{
    return std::make_unique<FileSource>(path);
}

std::string read_small_file(const std::string& path, std::size_t limit)
{
    const std::unique_ptr<ByteSource> source = OpenDataFile(path);
    std::string text(limit + 1, '\0');
    std::size_t filled = 0;
    for (std::size_t count = 1; count > 0 && filled < text.size(); filled += count)
        count = source->read(text.data() + filled, text.size() - filled);
    if (filled > limit)
        throw platform::Failure("the file is larger than " + std::to_string(limit) + " bytes");
    text.resize(filled);
    return text;
}

}  // namespace norms
