// Start-up of the windowed program. The program-wide title and file name are constants and the
// random source holds its fixed seeds before main runs.
#include <QIcon>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

#include "norms/version.hpp"
#include "platform/failure.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"
#include "ui/qt_desktop.hpp"
#include "ui/study_window.hpp"

namespace {

const char* const usage =
    "usage: Vornak [--study [FILE]]\n"
    "       Vornak --version\n"
    "       Vornak --help\n"
    "\n"
    "Percentile ranks with their 95% and 90% interval estimates, from the frequencies of the raw\n"
    "scores in a normative sample: the worksheet window, or the norms-study window.\n"
    "\n"
    "Options:\n"
    "  --study [FILE]  open the norms-study window instead of the worksheet, with FILE loaded:\n"
    "                  a frequency file, per-person data or a statistics-package file\n"
    "  --version       print the program's name and version, and exit\n"
    "  -h, --help      print this help and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME, are taken too. vornak-batch does the same work\n"
    "from a terminal.\n";

// Prints the text and gives the exit status: 1, with the failure on standard error, when
// standard output does not take it.
int print(const std::string& text)
{
    errno = 0;
    if (std::cout << text << std::flush)
        return 0;
    std::cerr << platform::failure_text(platform::output_failure("standard output", errno).what()) << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // Answered before Qt looks for a display, so that they work in a terminal without one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0)
            return print(std::string(norms::VersionLine) + "\n");
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return print(usage);
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
