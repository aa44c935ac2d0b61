#include "ui/study_window.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>

#include "norms/version.hpp"
#include "ui/Application.hpp"
#include "ui/continuous_panel.hpp"
#include "ui/norms_tables_panel.hpp"

namespace ui {

StudyWindow::StudyWindow(platform::Desktop& desktop, QSettings& settings, QWidget* parent)
    : QMainWindow(parent), desktop_(desktop), settings_(settings)
{
    setObjectName("frmStudy");
    setWindowTitle("Vornak Norms Study");
    open_dialog_.filter =
        "Data files|*.csv;*.tsv;*.txt;*.sav;*.zsav;*.por;*.dta;*.sas7bdat;*.xpt|Per-person data|"
        "*.csv;*.tsv|SPSS, Stata and SAS files|*.sav;*.zsav;*.por;*.dta;*.sas7bdat;*.xpt|"
        "Frequency files|*.txt|All files|*";
    open_dialog_.file_must_exist = true;

    createActions();
    tables_ = new NormsTablesPanel(desktop_, settings_, this);
    modes_ = new QTabWidget(this);
    modes_->setObjectName("tabMode");
    modes_->addTab(tables_, "Norms &Tables");
    continuous_ = new ContinuousPanel(desktop_, modes_);
    modes_->addTab(continuous_, "&Continuous");
    setCentralWidget(modes_);
    tables_->createProgress(*statusBar());
    connect(modes_, &QTabWidget::currentChanged, this, &StudyWindow::enableCommands);
    connect(tables_, &NormsTablesPanel::resultsChanged, this, &StudyWindow::enableCommands);
    connect(continuous_, &ContinuousPanel::resultsChanged, this, &StudyWindow::enableCommands);
    connect(tables_, &NormsTablesPanel::fileShown, this,
            [this](const QString& name) { setWindowTitle("Vornak Norms Study - " + name); });
    connect(tables_, &NormsTablesPanel::studyChosen, continuous_, &ContinuousPanel::set_study);

    restoreGeometry(settings_.value("geometry").toByteArray());
    if (!settings_.contains("geometry"))
        resize(1100, 720);
    open_dialog_.initial_folder = settings_.value("folder").toString().toStdString();
}

StudyWindow::~StudyWindow() = default;

void StudyWindow::createActions()
{
    const auto command = [this](void (StudyWindow::*handler)()) {
        return [this, handler] { run_command(desktop_, [this, handler] { (this->*handler)(); }); };
    };
    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open Data...", this, command(&StudyWindow::openData));
    open->setObjectName("mnuOpenData");
    open->setShortcut(QKeySequence::Open);
    file->addAction("Open &Model...", this, command(&StudyWindow::openModel))->setObjectName("mnuOpenModel");
    export_csv_ = file->addAction("Export &CSV...", this, command(&StudyWindow::exportCsv));
    export_csv_->setObjectName("mnuExportCsv");
    export_csv_->setShortcut(QKeySequence("Ctrl+E"));
    export_excel_ = file->addAction("Export E&xcel...", this, command(&StudyWindow::exportExcel));
    export_excel_->setObjectName("mnuExportExcel");
    export_manual_ = file->addAction("Export Ma&nual Table...", this, command(&StudyWindow::exportManualTable));
    export_manual_->setObjectName("mnuExportManual");
    save_chart_ = file->addAction("Save C&hart...", this, command(&StudyWindow::saveChart));
    save_chart_->setObjectName("mnuSaveChart");
    save_chart_->setShortcut(QKeySequence::Save);
    save_model_ = file->addAction("Save Mo&del...", this, command(&StudyWindow::saveModel));
    save_model_->setObjectName("mnuSaveModel");
    file->addSeparator();
    QAction* quit = file->addAction("&Quit", this, &QWidget::close);
    quit->setObjectName("mnuQuit");
    quit->setShortcut(QKeySequence::Quit);

    QMenu* edit = menuBar()->addMenu("&Edit");
    copy_ = edit->addAction("&Copy", this, command(&StudyWindow::copy));
    copy_->setObjectName("mnuCopy");
    copy_->setShortcut(QKeySequence::Copy);

    QMenu* help = menuBar()->addMenu("&Help");
    QAction* about = help->addAction("&About", this, [this] {
        QMessageBox::about(this, "About Vornak Norms Study",
                           QString("<p><b>%1</b></p><p>Norms tables with tie-aware interval "
                                   "estimates, per group, from a data file.</p><p>Free software "
                                   "under the GNU General Public License, version 3 or later "
                                   "(GPL-3.0-or-later).</p>")
                               .arg(norms::VersionLine));
    });
    about->setObjectName("mnuAbout");
    for (QAction* action : {export_csv_, export_excel_, export_manual_, save_chart_, copy_, save_model_})
        action->setEnabled(false);
}

void StudyWindow::saveSettings() const
{
    settings_.setValue("geometry", saveGeometry());
    settings_.setValue("folder", QString::fromStdString(open_dialog_.initial_folder));
    tables_->saveSettings();
}

void StudyWindow::closeEvent(QCloseEvent* event)
{
    saveSettings();
    event->accept();
}

void StudyWindow::openData()
{
    platform::FileDialog dialog = open_dialog_;
    if (!desktop_.open_file(dialog))
        return;
    const QString path = QString::fromStdString(dialog.file_name);
    open_dialog_.initial_folder = QFileInfo(path).absolutePath().toStdString();
    saveSettings();
    loadFile(path);
}

void StudyWindow::loadFile(const QString& path)
{
    tables_->loadFile(path);
}

bool StudyWindow::idle() const
{
    return tables_->idle() && continuous_->idle();
}

const std::optional<norms::GroupTables>& StudyWindow::tables() const
{
    return tables_->tables();
}

bool StudyWindow::results_outdated() const
{
    return tables_->results_outdated();
}

bool StudyWindow::continuousShown() const
{
    return modes_->currentWidget() == continuous_;
}

// The commands that take results take those of the mode shown.
void StudyWindow::enableCommands()
{
    const bool continuous = continuousShown();
    const bool results = continuous ? continuous_->has_tables() : tables().has_value();
    for (QAction* action : {export_csv_, export_excel_, save_chart_})
        action->setEnabled(results);
    save_model_->setEnabled(continuous && results);
    export_manual_->setEnabled(!continuous && results);
    copy_->setEnabled(continuous ? results : tables_->table_shown());
}

void StudyWindow::openModel()
{
    modes_->setCurrentWidget(continuous_);
    continuous_->openModel();
}

void StudyWindow::saveModel()
{
    continuous_->saveModel();
}

void StudyWindow::copy()
{
    if (continuousShown())
        continuous_->copy();
    else
        tables_->copy();
}

void StudyWindow::exportCsv()
{
    if (continuousShown())
        continuous_->exportCsv();
    else
        tables_->exportCsv();
}

void StudyWindow::exportExcel()
{
    if (continuousShown())
        continuous_->exportExcel();
    else
        tables_->exportExcel();
}

void StudyWindow::exportManualTable()
{
    tables_->exportManualTable();
}

void StudyWindow::saveChart()
{
    if (continuousShown())
        continuous_->saveChart();
    else
        tables_->saveChart();
}

}  // namespace ui
