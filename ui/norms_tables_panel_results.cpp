// The Norms Tables tab's results: a table per group, the weighting line, the chart, and the
// copies and exports of what is shown. Its choices and steps are in norms_tables_panel.cpp.
#include "ui/norms_tables_panel.hpp"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

#include "norms/count/group_checks.hpp"
#include "norms/count/variable_guesses.hpp"
#include "norms/read/byte_source.hpp"
#include "norms/read/margins_file.hpp"
#include "norms/write/chart_model.hpp"
#include "norms/write/group_outputs.hpp"
#include "norms/write/weighting_notes.hpp"
#include "platform/file_names.hpp"
#include "stats/interval_method.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/chart_canvas.hpp"
#include "ui/chart_picture.hpp"
#include "ui/manual_table_dialog.hpp"
#include "ui/norms_table_view.hpp"
#include "ui/scale_choice.hpp"
#include "ui/window_parts.hpp"

namespace ui {
namespace {

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

}  // namespace

void NormsTablesPanel::showTables()
{
    const norms::GroupTables& shown = *tables();
    const int current = tabs_->currentIndex();
    while (tabs_->count() > 1) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        delete page;
    }
    QStringList missing;
    chart_group_box_->blockSignals(true);
    chart_group_box_->clear();
    for (std::size_t i = 0; i < shown.groups.size(); ++i) {
        const norms::NormGroup& group = shown.groups[i];
        auto* view = new NormsTableView(tabs_);
        view->setObjectName("tblGroup");
        view->set_table(norms::build_shown_table(group.run, shown.choices));
        const QString name = shown.grouped ? text(group.counts.name) : "All cases";
        tabs_->insertTab(static_cast<int>(i), view, name);
        chart_group_box_->addItem(name);
        if (const auto notice = norms::MissingScoresNotice(group.counts))
            missing << text(*notice);
        if (const auto notice = norms::MissingWeightsNotice(group.counts))
            missing << text(*notice);
    }
    chart_choice_->setVisible(shown.groups.size() > 1);
    chart_->show();
    chart_group_box_->blockSignals(false);
    if (shown.without_group > 0)
        missing << text(norms::WithoutGroupNotice(shown.without_group, shown.group_variable));
    missing_label_->setText(missing.isEmpty() ? "none" : missing.join('\n'));
    showWeighting();
    tabs_->setCurrentIndex(std::clamp(current, 0, tabs_->count() - 1));
    showChart();
    emit resultsChanged();
}

// Each weighted group's effective sample, and the warnings of vornak-batch.
void NormsTablesPanel::showWeighting()
{
    QStringList lines;
    for (const norms::NormGroup& group : tables()->groups) {
        if (!group.run.weighting)
            continue;
        const norms::RunWeighting& weighting = *group.run.weighting;
        lines << (tables()->grouped ? text(group.counts.name) + ": " : QString()) + "n_eff " +
                     text(stats::format_fixed(weighting.effective_size, 0, 1)) + ", design effect " +
                     text(stats::format_fixed(weighting.design_effect, 0, 2));
    }
    for (const std::string& notice : norms::weighting_notices(*tables()))
        lines << text(notice);
    weighting_label_->setText(lines.join('\n'));
    static_cast<QFormLayout*>(choices_->layout())->setRowVisible(weighting_label_, !lines.isEmpty());
}

void NormsTablesPanel::showChart()
{
    const int index = chart_group_box_->currentIndex();
    if (!tables() || index < 0 || index >= std::ssize(tables()->groups))
        return;
    const norms::NormGroup& group = tables()->groups[index];
    norms::ChartModel chart = norms::BuildChartModel(group.run);
    if (tables()->grouped)
        chart.title += ", group " + group.counts.name;
    chart_->set_chart(std::move(chart));
}

NormsTableView* NormsTablesPanel::currentTable() const
{
    return qobject_cast<NormsTableView*>(tabs_->currentWidget());
}

std::string NormsTablesPanel::tablesFile() const
{
    return tables() && !tables()->groups.empty() ? tables()->groups.front().run.data_file_path : "";
}

void NormsTablesPanel::copy()
{
    if (NormsTableView* view = currentTable())
        view->copy_rows();
}

void NormsTablesPanel::exportCsv()
{
    if (tables())
        exports_.csv(tablesFile(), [this](std::ostream& out) { norms::write_group_tables_csv(out, *tables()); });
}

void NormsTablesPanel::exportExcel()
{
    if (tables())
        exports_.workbook(tablesFile(), [this](norms::OutputFiles& files, const std::string& path) {
            const std::string data_file = platform::full_file_name(tablesFile());
            files.add_workbook(path, norms::group_tables_workbook(*tables(), data_file, {}));
        });
}

void NormsTablesPanel::exportManualTable()
{
    if (!tables())
        return;
    ManualTableDialog choices(settings_, window());
    if (choices.exec() != QDialog::Accepted)
        return;
    if (manual_dialog_.file_name.empty())
        manual_dialog_ = ManualTableFileDialog(
            QFileInfo(text(tablesFile())).completeBaseName().toStdString() + "_manual.pdf");
    ExportManualTable(desktop_, manual_dialog_, *tables(), choices.choices(), choices.title());
}

void NormsTablesPanel::saveChart()
{
    if (tables())
        exports_.chart(chart_->chart());
}

}  // namespace ui
