// Start-up of the windowed program. The program-wide title and file name are constants and the
// random source holds its fixed seeds before main runs.
#include <QIcon>
#include <QSettings>

#include <cstring>
#include <iostream>

#include "norms/version.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"
#include "ui/qt_desktop.hpp"
#include "ui/study_window.hpp"

int main(int argc, char** argv)
{
    // Answered before Qt looks for a display, so that it works in a terminal without one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << norms::VersionLine << '\n';
            return 0;
        }
    }

    // "--study [FILE]" opens the norms-study window instead of the worksheet.
    bool study = false;
    for (int i = 1; i < argc; ++i)
        study = study || std::strcmp(argv[i], "--study") == 0;

    ui::QtDesktop desktop;
    // The name decides the user's data folder (~/.local/share/Vornak) where the saved worksheet
    // goes when the program's own folder cannot take it; the desktop file name ties the windows
    // to the menu entry.
    ui::Application::setApplicationName("Vornak");
    ui::Application::setApplicationVersion(VORNAK_VERSION);
    ui::Application::setDesktopFileName(study ? VORNAK_APP_ID ".Study" : VORNAK_APP_ID);
    ui::Application app(argc, argv, desktop);
    app.setWindowIcon(QIcon::fromTheme(VORNAK_APP_ID));
    stats::set_decimal_separator(desktop.decimal_separator());

    if (study) {
        // Qt has taken its own options out of the arguments by now.
        const QStringList arguments = app.arguments();
        const qsizetype flag = arguments.indexOf("--study");
        QSettings settings("Vornak", "Vornak Norms Study");
        ui::StudyWindow window(desktop, settings);
        window.show();
        if (flag + 1 < arguments.size())
            window.loadFile(arguments[flag + 1]);
        return app.exec();
    }

    ui::TfrmTemplate frmTemplate(desktop);
    ui::TfrmTemplateResults frmTemplateResults(desktop, &frmTemplate);
    frmTemplate.set_results_viewer(frmTemplateResults);
    frmTemplate.show();
    return app.exec();
}
