#include "ui/norm_scales_window.hpp"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QTableWidget>

#include <algorithm>
#include <functional>

#include "ui/Application.hpp"

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
    cboScale = new QComboBox(this);
    cboScale->setObjectName("cboScale");
    for (const stats::NormScale& scale : stats::StandardNormScales())
        cboScale->addItem(QString::fromStdString(scale.title + " (" + scale.name + ")"));
    cboScale->addItem("custom (M, SD)");
    cboScale->setCurrentIndex(1);  // T scores
    choice->addWidget(cboScale);
    choice->addSpacing(16);
    choice->addWidget(new QLabel("M", this));
    txtMean = new QLineEdit("500", this);
    txtMean->setObjectName("txtMean");
    choice->addWidget(txtMean);
    choice->addWidget(new QLabel("SD", this));
    txtSD = new QLineEdit("100", this);
    txtSD->setObjectName("txtSD");
    choice->addWidget(txtSD);
    for (QLineEdit* box : {txtMean, txtSD})
        box->setMaximumWidth(80);
    lblCustom = new QLabel(this);
    lblCustom->setObjectName("lblCustom");
    choice->addWidget(lblCustom);
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

    connect(cboScale, &QComboBox::currentIndexChanged, this, [this] { showTable(); });
    connect(txtMean, &QLineEdit::textChanged, this, [this] { showTable(); });
    connect(txtSD, &QLineEdit::textChanged, this, [this] { showTable(); });
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

void NormScalesWindow::showTable()
{
    const int chosen = cboScale->currentIndex();
    const auto& standard = stats::StandardNormScales();
    const bool custom = chosen == static_cast<int>(standard.size());
    for (QWidget* box : {static_cast<QWidget*>(txtMean), static_cast<QWidget*>(txtSD)})
        box->setEnabled(custom);
    lblCustom->clear();
    if (custom) {
        std::string reason;
        scale_ = norms::ParseScaleOption(
            txtMean->text().trimmed().toStdString() + "," + txtSD->text().trimmed().toStdString(),
            reason);
        if (!scale_)
            lblCustom->setText("Type a mean and a standard deviation above 0, with \".\" as the "
                               "decimal point.");
    } else {
        scale_ = standard[chosen];
    }

    tblScores->clearContents();
    table_ = norms::BuildScaleTable(run_, scale_.value_or(standard[0]));
    if (!scale_) {  // the ranks alone, until the custom scale is complete
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
    if (!scale_) {
        desktop_.warning("Type a mean and a standard deviation above 0 for the custom scale.");
        return;
    }
    norms::ExportNormsCsv(desktop_, csv_dialog_, run_, norms::ScaleCsvColumns(*scale_));
}

}  // namespace ui
