#include "ui/Application.hpp"

#include <exception>

namespace ui {

void run_command(platform::Desktop& desktop, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& failure) {
        desktop.failure(failure.what());
    } catch (...) {
        desktop.failure("Unexpected failure");
    }
}

Application::Application(int& argc, char** argv, platform::Desktop& desktop)
    : QApplication(argc, argv), desktop_(desktop)
{
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    run_command(desktop_, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace ui
