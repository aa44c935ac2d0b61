#include "ui/norm_scales_window.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "norms/tables/scale_columns.hpp"
#include "norms/write/csv_table.hpp"
#include "norms/write/table_cells.hpp"
#include "ui/Application.hpp"
#include "ui/norms_table_view.hpp"
#include "ui/scale_choice.hpp"

namespace ui {

NormScalesWindow::NormScalesWindow(platform::Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window), desktop_(desktop)
{
    setObjectName("frmNormScales");
    setWindowTitle("Norm scales");
    csv_dialog_.file_name = "norm_scales.csv";
    csv_dialog_.filter = "CSV files|*.csv";
    csv_dialog_.prompt_overwrite = true;
    createControls();
    resize(960, 600);
}

void NormScalesWindow::createControls()
{
    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel("Scale:", this));
    scale_choice_ = new ScaleChoice(this, false, ScaleChoice::Layout::Row);
    choice->addWidget(scale_choice_);
    choice->addStretch();

    tblScores = new NormsTableView(this);
    tblScores->setObjectName("tblScores");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdCopy = new QPushButton("Copy", this);
    cmdCopy->setObjectName("cmdCopy");
    cmdExportCsv = new QPushButton("Export CSV...", this);
    cmdExportCsv->setObjectName("cmdExportCsv");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("cmdClose");
    for (QPushButton* button : {cmdCopy, cmdExportCsv, close})
        buttons->addWidget(button);

    auto* column = new QVBoxLayout(this);
    column->addLayout(choice);
    column->addWidget(tblScores);
    column->addLayout(buttons);

    connect(scale_choice_, &ScaleChoice::changed, this, &NormScalesWindow::showTable);
    connect(cmdCopy, &QPushButton::clicked, this,
            [this] { run_command(desktop_, [this] { cmdCopyClick(); }); });
    connect(cmdExportCsv, &QPushButton::clicked, this,
            [this] { run_command(desktop_, [this] { cmdExportCsvClick(); }); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void NormScalesWindow::set_run(const norms::NormsRun& run)
{
    run_ = run;
    showTable();
}

const std::optional<stats::NormScale>& NormScalesWindow::scale() const
{
    return scale_choice_->scale();
}

void NormScalesWindow::showTable()
{
    // The ranks alone, until the custom scale is complete.
    norms::TableChoices choices;
    if (const std::optional<stats::NormScale>& scale = scale_choice_->scale())
        choices.scales = {*scale};
    tblScores->set_table(norms::build_shown_table(run_, choices));
}

void NormScalesWindow::cmdCopyClick()
{
    tblScores->copy_rows();
}

void NormScalesWindow::cmdExportCsvClick()
{
    const std::optional<stats::NormScale>& scale = scale_choice_->scale();
    if (!scale) {
        desktop_.warning("Type a mean and a standard deviation above 0 for the custom scale.");
        return;
    }
    norms::ExportNormsCsv(desktop_, csv_dialog_, run_, norms::ScaleCsvColumns(*scale));
}

}  // namespace ui
