// A failure inside a command: it ends the command and is shown once, in the standard error box.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The failure for an operating-system error code (errno) met while opening, reading or
// writing a file: "File not found", "File access denied", "Disk full", … or "I/O error N".
// A code of 0 (no system error recorded) counts as a general I/O error.
Failure file_failure(int error_code);

// The text of the standard error box: the message, with a full stop added when its last
// character sorts after ".".
std::string failure_text(const std::string& message);

// The application's title: the executable's file name up to its first ".", every letter
// after the first in lower case ("Vornak" for ".../Vornak").
std::string application_title(const std::string& executable_path);

}  // namespace platform
