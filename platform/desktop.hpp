// Everything the program asks of the desktop: message boxes, file dialogs, the beep and the
// regional decimal separator. The windows use the Qt implementation, vornak-batch the console
// one, and the tests a scripted one that records messages and answers from a queue.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The properties of a common file dialog that the program sets before each use. After a
// confirmed dialog, file_name holds the chosen full path.
struct FileDialog {
    std::string file_name;        // proposed name; the chosen one afterwards
    std::string filter;           // "Description|pattern" pairs, e.g. "Text files only|*.txt"
    std::string initial_folder;   // empty: the platform's choice
    bool file_must_exist = false;
    bool prompt_overwrite = false;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // Modal message boxes, centred on the screen. In the texts "\r" breaks a line.
    virtual void warning(const std::string& text) = 0;   // title "Warning", OK
    virtual void error(const std::string& text) = 0;     // title "Error", error icon, OK
    virtual bool confirm(const std::string& text) = 0;   // title "Confirm", Yes (true) / No
    // The standard error box for a failure inside a command: the application's title, the
    // text as failure_text() gives it, error icon, OK.
    virtual void failure(const std::string& message) = 0;

    // Both return false when the user cancels.
    virtual bool open_file(FileDialog& dialog) = 0;
    virtual bool save_file(FileDialog& dialog) = 0;

    virtual void beep() = 0;
    virtual std::string decimal_separator() const = 0;
};

// The save dialog for an export: the chosen file, which the next export proposes, or nothing
// when the user cancels. Until a file has been chosen it proposes `first_name`, if any.
inline std::optional<std::string> ChooseSaveFile(Desktop& desktop, FileDialog& proposed,
                                                 const std::string& first_name = {})
{
    FileDialog dialog = proposed;
    if (dialog.file_name.empty())
        dialog.file_name = first_name;
    if (!desktop.save_file(dialog))
        return std::nullopt;
    proposed.file_name = dialog.file_name;
    return dialog.file_name;
}

}  // namespace platform
