#include "platform/file_names.hpp"

#include <filesystem>
#include <system_error>

namespace platform {

std::string full_file_name(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string base_file_name(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return path.substr(slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace platform
