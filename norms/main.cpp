// Start-up of the windowed program. The program-wide title and file name are constants and the
// random source holds its fixed seeds before main runs.
#include "platform/qt_desktop.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/TemplateForm.hpp"
#include "ui/TemplateResults.hpp"

int main(int argc, char** argv)
{
    platform::QtDesktop desktop;
    ui::Application app(argc, argv, desktop);
    stats::set_decimal_separator(desktop.decimal_separator());

    ui::TfrmTemplate frmTemplate(desktop);
    ui::TfrmTemplateResults frmTemplateResults(desktop, &frmTemplate);
    frmTemplate.set_results_viewer(frmTemplateResults);
    frmTemplate.show();
    return app.exec();
}
