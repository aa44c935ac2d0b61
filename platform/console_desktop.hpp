// The desktop of vornak-batch: messages go to a stream (standard error) as plain lines, and
// the open-file dialog answers with the file named on the command line.
#pragma once

#include <ostream>
#include <string>

#include "platform/desktop.hpp"

namespace platform {

class ConsoleDesktop : public Desktop {
public:
    // chosen_file: what the open-file dialog answers, made absolute.
    ConsoleDesktop(std::ostream& messages, std::string chosen_file, std::string decimal_separator);

    // The text, each "\r" written as a line feed, then a line feed.
    void warning(const std::string& text) override;
    void error(const std::string& text) override;
    void failure(const std::string& message) override;
    // Never asked at the console: no.
    bool confirm(const std::string& text) override;

    bool open_file(FileDialog& dialog) override;
    bool save_file(FileDialog& dialog) override;

    void beep() override {}
    std::string decimal_separator() const override { return decimal_separator_; }

private:
    void write(const std::string& text);

    std::ostream& messages_;
    std::string chosen_file_;
    std::string decimal_separator_;
};

}  // namespace platform
