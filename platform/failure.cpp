#include "platform/failure.hpp"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/printable_text.hpp"

namespace platform {

FileFailure file_failure(int error_code)
{
    switch (error_code) {
    case 0:  // a failure the system gave no code for
        return file_failure(EIO);
    case ENOENT:
    case ENOTDIR:
        return {"File not found", error_code};
    case ENAMETOOLONG:
    case EINVAL:
        return {"Invalid filename", error_code};
    case EMFILE:
    case ENFILE:
        return {"Too many open files", error_code};
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return {"File access denied", error_code};
    case ENOSPC:
    case EDQUOT:
        return {"Disk full", error_code};
    default:
        return {"I/O error " + std::to_string(error_code), error_code};
    }
}

std::string output_failure_cause(int error_code)
{
    switch (error_code) {
    case 0:
        return output_failure_cause(EIO);
    case ENOENT:  // writing, only a folder on the way can be missing
        return "no such folder";
    case ENOTDIR:
        return "not a folder";
    case EISDIR:
        return "a folder is in the way";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EROFS:
        return "read-only file system";
    case ENOSPC:
    case EDQUOT:
        return "disk full";
    case ELOOP:
        return "a loop of symbolic links";
    case ENAMETOOLONG:
        return "name too long";
    case EBADF:
        return "not open";
    case EIO:
        return "input/output error";
    default: {
        // The C library's English words, as the program never sets a locale.
        std::string cause = std::strerror(error_code);
        if (!cause.empty())
            cause[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(cause[0])));
        return cause;
    }
    }
}

Failure output_failure(const std::string& path, int error_code)
{
    return output_failure(path, output_failure_cause(error_code));
}

Failure output_failure(const std::string& path, const std::string& cause)
{
    // A path is short enough to show whole, and its end names the file.
    return Failure(PrintableText(path, 0) + ": " + cause);
}

std::string failure_text(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

std::string application_title(const std::string& executable_path)
{
    const std::size_t slash = executable_path.find_last_of('/');
    std::string name = executable_path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    for (std::size_t i = 1; i < name.size(); ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

}  // namespace platform
