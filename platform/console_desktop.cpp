#include "platform/console_desktop.hpp"

#include <algorithm>

#include "platform/failure.hpp"
#include "platform/file_names.hpp"

namespace platform {

ConsoleDesktop::ConsoleDesktop(std::ostream& messages, std::string chosen_file,
                               std::string decimal_separator)
    : messages_(messages),
      chosen_file_(std::move(chosen_file)),
      decimal_separator_(std::move(decimal_separator))
{
}

void ConsoleDesktop::write(const std::string& text)
{
    std::string lines = text;
    std::replace(lines.begin(), lines.end(), '\r', '\n');
    messages_ << lines << '\n' << std::flush;
}

void ConsoleDesktop::warning(const std::string& text)
{
    write(text);
}

void ConsoleDesktop::error(const std::string& text)
{
    write(text);
}

void ConsoleDesktop::failure(const std::string& message)
{
    write(failure_text(message));
}

bool ConsoleDesktop::confirm(const std::string&)
{
    return false;
}

bool ConsoleDesktop::open_file(FileDialog& dialog)
{
    dialog.file_name = full_file_name(chosen_file_);
    return true;
}

bool ConsoleDesktop::save_file(FileDialog&)
{
    return false;
}

}  // namespace platform
