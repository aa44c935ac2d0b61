#include "ui/norm_scales_window.hpp"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QKeyEvent>
#include <QTableWidget>

#include <algorithm>
#include <functional>

#include "norms/write/csv_table.hpp"
#include "ui/Application.hpp"
#include "ui/scale_choice.hpp"

namespace ui {
namespace {

// A table whose Ctrl+C copies whole rows: the item view's own copies only the current cell.
class RowCopyingTable : public QTableWidget {
public:
    RowCopyingTable(QWidget* parent, std::function<void()> copy)
        : QTableWidget(parent), copy_(std::move(copy))
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Copy))
            copy_();
        else
            QTableWidget::keyPressEvent(event);
    }

private:
    std::function<void()> copy_;
};

}  // namespace

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

    tblScores = new RowCopyingTable(
        this, [this] { run_command(desktop_, [this] { cmdCopyClick(); }); });
    tblScores->setObjectName("tblScores");
    tblScores->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblScores->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblScores->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblScores->verticalHeader()->hide();
    // Rows as close as a printed norms table's.
    tblScores->verticalHeader()->setDefaultSectionSize(tblScores->fontMetrics().height() + 4);

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
    const std::optional<stats::NormScale>& scale = scale_choice_->scale();
    tblScores->clearContents();
    table_ = norms::BuildScaleTable(run_, scale.value_or(stats::StandardNormScales()[0]));
    if (!scale) {  // the ranks alone, until the custom scale is complete
        table_.header.resize(norms::ScaleTableRankColumns);
        for (auto& row : table_.rows)
            row.resize(norms::ScaleTableRankColumns);
    }
    tblScores->setColumnCount(static_cast<int>(table_.header.size()));
    tblScores->setRowCount(static_cast<int>(table_.rows.size()));
    QStringList header;
    for (const std::string& name : table_.header)
        header << QString::fromStdString(name);
    tblScores->setHorizontalHeaderLabels(header);
    for (int r = 0; r < tblScores->rowCount(); ++r) {
        for (int c = 0; c < tblScores->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(table_.rows[r][c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblScores->setItem(r, c, item);
        }
    }
    tblScores->resizeColumnsToContents();
}

void NormScalesWindow::cmdCopyClick()
{
    std::vector<int> rows;
    for (const QModelIndex& index : tblScores->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty())
        for (int r = 0; r < static_cast<int>(table_.rows.size()); ++r)
            rows.push_back(r);
    QApplication::clipboard()->setText(QString::fromStdString(norms::TabSeparated(table_, rows)));
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
