// The one place where a failure inside a command is caught. A failure ends its command and is
// shown in the standard error box; the program then waits for the next command.
#pragma once

#include <QApplication>
#include <functional>

#include "platform/desktop.hpp"

namespace ui {

// Runs a command, showing any failure inside it. The windows run their commands through here so
// that an exception never unwinds through Qt's widget code, which is built without exception
// cleanups and would leak or keep stale state.
void run_command(platform::Desktop& desktop, const std::function<void()>& command);

// Catches, as a last resort, whatever escapes the handling of any event.
class Application : public QApplication {
public:
    Application(int& argc, char** argv, platform::Desktop& desktop);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    platform::Desktop& desktop_;
};

}  // namespace ui
