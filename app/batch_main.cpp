// vornak-batch: see norms/batch.hpp.
#include <QGuiApplication>
#include <QLocale>

#include <iostream>
#include <optional>

#include "norms/batch.hpp"
#include "stats/number_format.hpp"
#include "ui/chart_picture.hpp"

namespace {

// Standard error carries the program's own messages; Qt's notes about the session it runs in
// (no XDG_RUNTIME_DIR and the like) are left out. Its critical messages still show.
void only_critical_messages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    // The window's separator comes from Qt's locale, which follows LC_ALL, LC_NUMERIC and LANG
    // from its own data. The C library's locale stays "C": nothing here calls setlocale.
    stats::set_decimal_separator(QLocale::system().decimalPoint().toStdString());

    // Fonts for the chart need a GUI application; it is started only for --plot, and on the
    // offscreen platform, so that no display is needed.
    std::optional<QGuiApplication> gui;
    const auto save_chart = [&](const std::string& path, norms::ChartFormat format,
                                const norms::ChartModel& chart) {
        if (!gui) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qInstallMessageHandler(only_critical_messages);
            gui.emplace(argc, argv);
        }
        ui::SaveChartPicture(path, format, chart);
    };
    return norms::RunBatch({argv + 1, argv + argc}, std::cout, std::cerr, save_chart);
}
