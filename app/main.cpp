// Start-up of the windowed program. The program-wide title and file name are constants and the
// random source holds its fixed seeds before main runs.
#include <QIcon>

#include <cstring>
#include <iostream>

#include "norms/version.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"
#include "ui/qt_desktop.hpp"

int main(int argc, char** argv)
{
    // Answered before Qt looks for a display, so that it works in a terminal without one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << norms::VersionLine << '\n';
            return 0;
        }
    }

    ui::QtDesktop desktop;
    // The name decides the user's data folder (~/.local/share/Vornak) where the saved worksheet
    // goes when the program's own folder cannot take it; the desktop file name ties the windows
    // to the menu entry.
    ui::Application::setApplicationName("Vornak");
    ui::Application::setApplicationVersion(VORNAK_VERSION);
    ui::Application::setDesktopFileName(VORNAK_APP_ID);
    ui::Application app(argc, argv, desktop);
    app.setWindowIcon(QIcon::fromTheme(VORNAK_APP_ID));
    stats::set_decimal_separator(desktop.decimal_separator());

    ui::TfrmTemplate frmTemplate(desktop);
    ui::TfrmTemplateResults frmTemplateResults(desktop, &frmTemplate);
    frmTemplate.set_results_viewer(frmTemplateResults);
    frmTemplate.show();
    return app.exec();
}
