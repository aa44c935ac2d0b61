#include "ui/text_file.hpp"

#include "platform/whole_file.hpp"

namespace ui {

void SaveTextFile(const std::string& path, const std::string& contents)
{
    platform::SaveWholeFile(path, contents);
}

}  // namespace ui
