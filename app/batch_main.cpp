// vornak-batch: see norms/batch.hpp.
#include <QGuiApplication>
#include <QLocale>

#include <iostream>
#include <optional>

#include <fcntl.h>

#include "norms/batch/batch.hpp"
#include "stats/number_format.hpp"
#include "ui/chart_picture.hpp"
#include "ui/manual_table_pdf.hpp"

namespace {

// Standard error carries the program's own messages; Qt's notes about the session it runs in
// (no XDG_RUNTIME_DIR and the like) are left out. Its critical messages still show.
void only_critical_messages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

// A closed standard stream would hand its number to the next file opened, and the report
// would go into that file. A stand-in open for reading only keeps the number taken, and
// writing to it fails as writing to the closed stream would.
void hold_closed_standard_streams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", O_RDONLY);  // takes the lowest free number: this one
    }
}

}  // namespace

int main(int argc, char** argv)
{
    hold_closed_standard_streams();
    // The window's separator comes from Qt's locale, which follows LC_ALL, LC_NUMERIC and LANG
    // from its own data. The C library's locale stays "C": nothing here calls setlocale.
    stats::set_decimal_separator(QLocale::system().decimalPoint().toStdString());

    // Fonts for the chart and the manual table need a GUI application; it is started only for
    // them, and on the offscreen platform, so that no display is needed.
    std::optional<QGuiApplication> gui;
    const auto start_gui = [&] {
        if (!gui) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qInstallMessageHandler(only_critical_messages);
            gui.emplace(argc, argv);
        }
    };
    const auto paint_chart = [&](norms::ChartFormat format, const norms::ChartModel& chart) {
        start_gui();
        return ui::ChartPicture(chart, format).toStdString();
    };
    const auto paint_manual = [&](const norms::ManualTable& table) {
        start_gui();
        return ui::ManualTablePdf(table).toStdString();
    };
    return norms::RunBatch({argv + 1, argv + argc}, std::cout, std::cerr, paint_chart, paint_manual);
}
