// A failure inside a command: it ends the command and is shown once, in the standard error box.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure of the file system, with the operating-system error code behind it.
class FileFailure : public Failure {
public:
    FileFailure(const std::string& message, int error_code)
        : Failure(message), error_code_(error_code)
    {
    }
    int error_code() const { return error_code_; }

private:
    int error_code_;
};

// The failure for an operating-system error code (errno) met while opening, reading or
// writing a file: "File not found", "File access denied", "Disk full", … or "I/O error N".
// A code of 0 (no system error recorded) counts as a general I/O error.
FileFailure file_failure(int error_code);

// What went wrong with a file the program writes, in words ("no such folder", "not a
// folder", "disk full", …); a code of 0 counts as a general I/O error.
std::string output_failure_cause(int error_code);

// The failure of a file the program writes, naming the file (with its control characters
// escaped) and the cause: "norms/a.txt: not a folder".
Failure output_failure(const std::string& path, int error_code);
Failure output_failure(const std::string& path, const std::string& cause);

// The text of the standard error box: the message, with a full stop added when its last
// character sorts after ".".
std::string failure_text(const std::string& message);

// The application's title: the executable's file name up to its first ".", every letter
// after the first in lower case ("Vornak" for ".../Vornak").
std::string application_title(const std::string& executable_path);

}  // namespace platform
