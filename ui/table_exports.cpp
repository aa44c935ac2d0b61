#include "ui/table_exports.hpp"

#include <sstream>

#include <QFileInfo>

#include "platform/whole_file.hpp"
#include "ui/chart_window.hpp"

namespace ui {

TableExports::TableExports(platform::Desktop& desktop, std::string ending, const std::string& chart_name)
    : desktop_(desktop), ending_(std::move(ending)), chart_dialog_(ChartPictureDialog(chart_name))
{
    csv_dialog_.filter = "CSV files|*.csv";
    csv_dialog_.prompt_overwrite = true;
    xlsx_dialog_.filter = "Excel workbooks|*.xlsx";
    xlsx_dialog_.prompt_overwrite = true;
}

std::string TableExports::proposed(const std::string& data_file, const std::string& extension) const
{
    return QFileInfo(QString::fromStdString(data_file)).completeBaseName().toStdString() + ending_ + extension;
}

void TableExports::csv(const std::string& data_file, const std::function<void(std::ostream&)>& write)
{
    const std::optional<std::string> file =
        platform::ChooseSaveFile(desktop_, csv_dialog_, proposed(data_file, ".csv"));
    if (!file)
        return;
    std::ostringstream text;
    write(text);
    platform::SaveWholeFile(*file, text.str());
}

void TableExports::workbook(const std::string& data_file,
                            const std::function<void(norms::OutputFiles& files, const std::string& path)>& add)
{
    const std::optional<std::string> file =
        platform::ChooseSaveFile(desktop_, xlsx_dialog_, proposed(data_file, ".xlsx"));
    if (!file)
        return;
    norms::OutputFiles files;
    add(files, *file);
    files.commit();
}

void TableExports::chart(const norms::ChartModel& chart)
{
    SaveChartThroughDialog(desktop_, chart_dialog_, chart);
}

}  // namespace ui
