#include "platform/failure.hpp"

#include <cctype>
#include <cerrno>

namespace platform {

Failure file_failure(int error_code)
{
    switch (error_code) {
    case 0:  // a failure the system gave no code for
        return file_failure(EIO);
    case ENOENT:
    case ENOTDIR:
        return Failure("File not found");
    case ENAMETOOLONG:
    case EINVAL:
        return Failure("Invalid filename");
    case EMFILE:
    case ENFILE:
        return Failure("Too many open files");
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return Failure("File access denied");
    case ENOSPC:
    case EDQUOT:
        return Failure("Disk full");
    default:
        return Failure("I/O error " + std::to_string(error_code));
    }
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
