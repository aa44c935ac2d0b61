#include "ui/study_window.hpp"

#include <sstream>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtConcurrent>

#include "norms/write/chart_model.hpp"
#include "norms/count/group_checks.hpp"
#include "norms/read/statistics_file.hpp"
#include "norms/version.hpp"
#include "platform/whole_file.hpp"
#include "stats/interval_method.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/chart_picture.hpp"
#include "ui/chart_window.hpp"
#include "ui/norms_table_model.hpp"
#include "ui/scale_choice.hpp"

namespace ui {

// The chart of one group's table, drawn to fit.
class ChartCanvas : public QWidget {
public:
    explicit ChartCanvas(QWidget* parent) : QWidget(parent) { setMinimumSize(480, 300); }

    void set_chart(norms::ChartModel chart)
    {
        chart_ = std::move(chart);
        update();
    }
    const norms::ChartModel& chart() const { return chart_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        PaintChart(painter, rect(), chart_);
    }

private:
    norms::ChartModel chart_;
};

namespace {

constexpr int progress_delay_ms = 300;
constexpr int recompute_delay_ms = 250;
const QString no_group = "(none)";

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

// The method of the method box's current item, by the command-line name it holds.
stats::IntervalMethod chosen_method(const QComboBox& box)
{
    return stats::interval_method_named(box.currentData().toString().toStdString())
        .value_or(stats::IntervalMethod::bayesian);
}

// The group box's entry to propose: the remembered variable when the file has it, else the first
// other column with a few different values, such as an age band; else "(none)" (entry 0).
int likely_group(const norms::PersonFileSurvey& survey, int score, const QString& remembered)
{
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (text(survey.variables[column]) == remembered)
            return static_cast<int>(column) + 1;
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (static_cast<int>(column) != score && survey.distinct[column] >= 2 &&
            survey.distinct[column] <= 12)
            return static_cast<int>(column) + 1;
    return 0;
}

}  // namespace

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
    csv_dialog_.filter = "CSV files|*.csv";
    csv_dialog_.prompt_overwrite = true;
    xlsx_dialog_.filter = "Excel workbooks|*.xlsx";
    xlsx_dialog_.prompt_overwrite = true;
    chart_dialog_ = ChartPictureDialog("chart.png");

    createActions();
    auto* splitter = new QSplitter(this);
    splitter->addWidget(createChoices());
    splitter->addWidget(createResults());
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    progress_bar_ = new QProgressBar(this);
    progress_bar_->setObjectName("progress");
    progress_bar_->setRange(0, 100);
    cancel_button_ = new QPushButton("Cancel", this);
    cancel_button_->setObjectName("cmdCancel");
    cancel_button_->setShortcut(Qt::Key_Escape);
    statusBar()->addPermanentWidget(progress_bar_);
    statusBar()->addPermanentWidget(cancel_button_);
    progress_bar_->hide();
    cancel_button_->hide();
    connect(cancel_button_, &QPushButton::clicked, this, &StudyWindow::cancelStep);

    recompute_timer_.setSingleShot(true);
    recompute_timer_.setInterval(recompute_delay_ms);
    connect(&recompute_timer_, &QTimer::timeout, this, [this] {
        if (progress_ && loading_path_.isEmpty())
            progress_->cancel = true;  // its end starts the new computation
        else
            startNext();
    });
    progress_delay_.setSingleShot(true);
    progress_delay_.setInterval(progress_delay_ms);
    connect(&progress_delay_, &QTimer::timeout, this, &StudyWindow::showProgress);
    progress_poll_.setInterval(100);
    connect(&progress_poll_, &QTimer::timeout, this, [this] {
        if (progress_ && step_bytes_ > 0)
            progress_bar_->setValue(static_cast<int>(
                std::min<std::uint64_t>(100, progress_->bytes_read * 100 / step_bytes_)));
    });
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &StudyWindow::stepFinished);

    restoreSettings();
}

StudyWindow::~StudyWindow()
{
    if (progress_)
        progress_->cancel = true;
    watcher_.waitForFinished();
}

void StudyWindow::createActions()
{
    const auto command = [this](void (StudyWindow::*handler)()) {
        return [this, handler] { run_command(desktop_, [this, handler] { (this->*handler)(); }); };
    };
    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open Data...", this, command(&StudyWindow::openData));
    open->setObjectName("mnuOpenData");
    open->setShortcut(QKeySequence::Open);
    export_csv_ = file->addAction("Export &CSV...", this, command(&StudyWindow::exportCsv));
    export_csv_->setObjectName("mnuExportCsv");
    export_csv_->setShortcut(QKeySequence("Ctrl+E"));
    export_excel_ = file->addAction("Export E&xcel...", this, command(&StudyWindow::exportExcel));
    export_excel_->setObjectName("mnuExportExcel");
    save_chart_ = file->addAction("Save C&hart...", this, command(&StudyWindow::saveChart));
    save_chart_->setObjectName("mnuSaveChart");
    save_chart_->setShortcut(QKeySequence::Save);
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
    for (QAction* action : {export_csv_, export_excel_, save_chart_, copy_})
        action->setEnabled(false);
}

QWidget* StudyWindow::createChoices()
{
    choices_ = new QWidget(this);
    auto* form = new QFormLayout(choices_);
    const auto add = [&](const char* label, QWidget* field, const char* name) {
        field->setObjectName(name);
        form->addRow(label, field);
    };
    file_label_ = new QLabel("No data file; open one with File > Open Data...", choices_);
    file_label_->setWordWrap(true);
    add("Data file:", file_label_, "lblFile");
    size_label_ = new QLabel(choices_);
    add("Size:", size_label_, "lblSize");
    score_box_ = new QComboBox(choices_);
    add("&Score variable:", score_box_, "cboScore");
    group_box_ = new QComboBox(choices_);
    add("&Group variable:", group_box_, "cboGroup");
    min_box_ = new QSpinBox(choices_);
    add("M&inimum raw score:", min_box_, "spnMin");
    max_box_ = new QSpinBox(choices_);
    add("Ma&ximum raw score:", max_box_, "spnMax");
    for (QSpinBox* box : {min_box_, max_box_}) {
        box->setRange(0, 999999);
        box->setAlignment(Qt::AlignRight);
        box->setKeyboardTracking(false);
    }
    n_label_ = new QLabel(choices_);
    add("Sample size (n):", n_label_, "lblSampleSize");
    method_box_ = new QComboBox(choices_);
    // Each item holds its method's command-line name, which the settings keep.
    for (const stats::IntervalMethodEntry& method : stats::interval_methods)
        method_box_->addItem(text(std::string(method.caption)),
                             text(std::string(method.command_line_name)));
    add("&Method:", method_box_, "cboMethod");
    add("Intervals:", new QLabel("95% and 90%", choices_), "lblLevels");
    scale_choice_ = new ScaleChoice(choices_, true, ScaleChoice::Layout::Stacked);
    add("&Norm scale:", scale_choice_, "scaleChoice");
    // The label's mnemonic focuses its buddy only when that takes focus itself.
    static_cast<QLabel*>(form->labelForField(scale_choice_))->setBuddy(scale_choice_->focusProxy());
    cutoffs_box_ = new QLineEdit(choices_);
    cutoffs_box_->setPlaceholderText("such as 2 5 10 16");
    cutoffs_box_->setToolTip("Percentile ranks; each adds the probability that a score's rank "
                             "lies below it (Bayesian method only)");
    add("C&ut-offs (PR):", cutoffs_box_, "txtCutoffs");
    missing_label_ = new QLabel(choices_);
    missing_label_->setWordWrap(true);
    add("Missing scores:", missing_label_, "lblMissing");
    form->setRowVisible(n_label_, false);

    connect(score_box_, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_ || !file_)
            return;
        // A new score variable brings its own observed range.
        const int column = score_box_->currentIndex();
        const auto& range = file_->persons.ranges[column];
        filling_ = true;
        min_box_->setValue(range ? static_cast<int>(std::max<std::int64_t>(range->min, 0)) : 0);
        max_box_->setValue(range ? static_cast<int>(std::min<std::int64_t>(range->max, 999999)) : 0);
        filling_ = false;
        choicesChanged();
    });
    connect(group_box_, &QComboBox::currentIndexChanged, this, &StudyWindow::choicesChanged);
    connect(min_box_, &QSpinBox::valueChanged, this, &StudyWindow::choicesChanged);
    connect(max_box_, &QSpinBox::valueChanged, this, &StudyWindow::choicesChanged);
    connect(method_box_, &QComboBox::currentIndexChanged, this, [this] {
        cutoffs_box_->setEnabled(norms::GivesCutoffProbabilities(chosen_method(*method_box_)));
        choicesChanged();
    });
    connect(cutoffs_box_, &QLineEdit::editingFinished, this, &StudyWindow::choicesChanged);
    connect(scale_choice_, &ScaleChoice::changed, this, &StudyWindow::scaleChanged);
    return choices_;
}

QWidget* StudyWindow::createResults()
{
    auto* results = new QWidget(this);
    auto* column = new QVBoxLayout(results);
    column->setContentsMargins(0, 0, 0, 0);
    outdated_label_ = new QLabel(results);
    outdated_label_->setObjectName("lblOutdated");
    outdated_label_->setWordWrap(true);
    QFont bold = outdated_label_->font();
    bold.setBold(true);
    outdated_label_->setFont(bold);
    outdated_label_->hide();
    column->addWidget(outdated_label_);
    tabs_ = new QTabWidget(results);
    tabs_->setObjectName("tabResults");
    column->addWidget(tabs_);

    auto* chart_tab = new QWidget(tabs_);
    chart_tab->setObjectName("tabChart");
    auto* chart_column = new QVBoxLayout(chart_tab);
    chart_choice_ = new QWidget(chart_tab);
    auto* chart_choice = new QHBoxLayout(chart_choice_);
    chart_choice->setContentsMargins(0, 0, 0, 0);
    chart_group_box_ = new QComboBox(chart_choice_);
    chart_group_box_->setObjectName("cboChartGroup");
    auto* chart_group_label = new QLabel("G&roup shown:", chart_choice_);
    chart_group_label->setBuddy(chart_group_box_);
    chart_choice->addWidget(chart_group_label);
    chart_choice->addWidget(chart_group_box_);
    chart_choice->addStretch();
    chart_column->addWidget(chart_choice_);
    chart_ = new ChartCanvas(chart_tab);
    chart_column->addWidget(chart_, 1);
    chart_choice_->hide();
    chart_->hide();  // until there is a table to draw
    tabs_->addTab(chart_tab, "Chart");
    connect(chart_group_box_, &QComboBox::currentIndexChanged, this, &StudyWindow::showChart);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        copy_->setEnabled(currentTable() != nullptr);
        if (currentTable())  // the chart follows the group last looked at
            chart_group_box_->setCurrentIndex(tab);
    });
    return results;
}

void StudyWindow::restoreSettings()
{
    restoreGeometry(settings_.value("geometry").toByteArray());
    if (!settings_.contains("geometry"))
        resize(1100, 720);
    open_dialog_.initial_folder = settings_.value("folder").toString().toStdString();
    // Setting a choice saves them all, so none may be saved before each has been restored.
    filling_ = true;
    const int method_item = method_box_->findData(settings_.value("method"));
    if (method_item >= 0)
        method_box_->setCurrentIndex(method_item);
    cutoffs_box_->setText(settings_.value("cutoffs").toString());
    scale_choice_->restore(settings_.value("scale").toStringList());
    filling_ = false;
}

void StudyWindow::saveSettings() const
{
    settings_.setValue("geometry", saveGeometry());
    settings_.setValue("folder", text(open_dialog_.initial_folder));
    settings_.setValue("method", method_box_->currentData());
    settings_.setValue("cutoffs", cutoffs_box_->text());
    settings_.setValue("scale", scale_choice_->remembered());
    if (file_ && file_->kind == norms::StudyFileKind::PersonScores) {
        settings_.setValue("score", score_box_->currentText());
        settings_.setValue("group", group_box_->currentText());
    }
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
    open_dialog_.initial_folder = QFileInfo(text(dialog.file_name)).absolutePath().toStdString();
    loadFile(text(dialog.file_name));
}

void StudyWindow::loadFile(const QString& path)
{
    if (progress_) {
        progress_->cancel = true;
        next_ = Next::Load;
        next_path_ = path;
        return;
    }
    loading_path_ = path;
    step_bytes_ = static_cast<std::uint64_t>(QFileInfo(path).size());
    statusBar()->showMessage("Reading " + QFileInfo(path).fileName() + "...");
    const std::string file = path.toStdString();
    start([file](norms::StudyProgress& progress) {
        Outcome outcome;
        outcome.file = norms::SurveyStudyFile(file, progress);
        return outcome;
    });
}

bool StudyWindow::idle() const
{
    return !progress_ && next_ == Next::Nothing && !recompute_timer_.isActive();
}

bool StudyWindow::results_outdated() const
{
    return !outdated_label_->isHidden();
}

void StudyWindow::start(std::function<Outcome(norms::StudyProgress&)> step)
{
    progress_ = std::make_shared<norms::StudyProgress>();
    watcher_.setFuture(QtConcurrent::run([step = std::move(step), progress = progress_] {
        try {
            return step(*progress);
        } catch (const norms::StudyCancelled&) {
            Outcome outcome;
            outcome.cancelled = true;
            return outcome;
        } catch (const std::exception& failure) {
            Outcome outcome;
            outcome.error = failure.what();
            return outcome;
        }
    }));
    progress_delay_.start();
}

void StudyWindow::showProgress()
{
    if (!progress_)
        return;
    progress_bar_->setValue(0);
    progress_bar_->show();
    cancel_button_->show();
    progress_poll_.start();
}

void StudyWindow::cancelStep()
{
    if (progress_)
        progress_->cancel = true;
    next_ = Next::Nothing;
}

void StudyWindow::stepFinished()
{
    Outcome outcome = watcher_.result();
    progress_.reset();
    progress_delay_.stop();
    progress_poll_.stop();
    progress_bar_->hide();
    cancel_button_->hide();
    const QString loading = std::exchange(loading_path_, QString());
    const std::string source = loading.isEmpty() ? (file_ ? file_->path : "") : loading.toStdString();

    QString message;
    if (outcome.cancelled) {
        statusBar()->showMessage("Cancelled", 5000);
        if (tables_ && next_ == Next::Nothing)
            showOutdated(loading.isEmpty() ? "the computation for the current choices was cancelled"
                                           : "reading " + dataName(source) + " was cancelled");
    } else if (!outcome.error.empty()) {
        statusBar()->clearMessage();
        message = dataName(source) + ": " + text(outcome.error);
        if (tables_)
            showOutdated(loading.isEmpty() ? "the current choices gave none"
                                           : dataName(source) + " could not be read");
    } else if (outcome.file) {
        takeFile(std::move(*outcome.file));
        if (next_ != Next::Load)
            next_ = Next::Compute;
    } else if (outcome.tables) {
        statusBar()->clearMessage();
        takeTables(std::move(*outcome.tables));
    }
    startNext();
    if (!message.isEmpty())
        desktop_.failure(message.toStdString());
}

void StudyWindow::startNext()
{
    if (progress_ || recompute_timer_.isActive())
        return;
    const Next next = std::exchange(next_, Next::Nothing);
    if (next == Next::Load) {
        loadFile(next_path_);
    } else if (next == Next::Compute && file_) {
        const norms::StudyFile file = *file_;
        const norms::StudyChoices chosen = choices();
        step_bytes_ = file.size;
        statusBar()->showMessage("Computing...");
        start([file, chosen](norms::StudyProgress& progress) {
            Outcome outcome;
            outcome.tables = norms::ComputeStudy(file, chosen, progress);
            return outcome;
        });
    }
}

void StudyWindow::choicesChanged()
{
    if (filling_)
        return;
    saveSettings();
    if (next_ != Next::Load)
        next_ = Next::Compute;
    recompute_timer_.start();
}

void StudyWindow::takeFile(norms::StudyFile file)
{
    file_ = std::move(file);
    const bool persons = file_->kind == norms::StudyFileKind::PersonScores;
    filling_ = true;
    file_label_->setText(dataName(file_->path));
    file_label_->setToolTip(text(file_->path));
    setWindowTitle("Vornak Norms Study - " + dataName(file_->path));
    auto* form = static_cast<QFormLayout*>(choices_->layout());
    for (QWidget* field : {static_cast<QWidget*>(score_box_), static_cast<QWidget*>(group_box_)})
        form->setRowVisible(field, persons);
    form->setRowVisible(n_label_, !persons);
    min_box_->setReadOnly(!persons);
    max_box_->setReadOnly(!persons);
    if (persons) {
        const norms::PersonFileSurvey& survey = file_->persons;
        size_label_->setText(QString("%1 cases").arg(survey.cases));
        score_box_->clear();
        group_box_->clear();
        group_box_->addItem(no_group);
        for (const std::string& variable : survey.variables) {
            score_box_->addItem(text(variable));
            group_box_->addItem(text(variable));
        }
        // The remembered variables when the file has them, else the last numeric column.
        int score = score_box_->findText(settings_.value("score").toString());
        for (int column = std::ssize(survey.ranges) - 1; score < 0 && column >= 0; --column)
            if (survey.ranges[column])
                score = column;
        score_box_->setCurrentIndex(std::max(score, 0));
        group_box_->setCurrentIndex(std::max(likely_group(survey, score_box_->currentIndex(),
                                                          settings_.value("group").toString()),
                                             0));
        const auto& range = survey.ranges.empty() ? std::nullopt : survey.ranges[score_box_->currentIndex()];
        min_box_->setValue(range ? static_cast<int>(std::max<std::int64_t>(range->min, 0)) : 0);
        max_box_->setValue(range ? static_cast<int>(std::min<std::int64_t>(range->max, 999999)) : 0);
    } else {
        size_label_->setText(QString("%1 raw scores").arg(file_->lines));
        min_box_->setValue(static_cast<int>(file_->first_score));
        max_box_->setValue(static_cast<int>(file_->last_score));
        n_label_->setText(QString::fromStdString(stats::format_fixed(file_->sample_size, 0, 0)));
    }
    missing_label_->clear();
    filling_ = false;
}

norms::StudyChoices StudyWindow::choices() const
{
    norms::StudyChoices chosen;
    chosen.score_variable = score_box_->currentText().toStdString();
    if (group_box_->currentIndex() > 0)
        chosen.group_variable = group_box_->currentText().toStdString();
    chosen.min_score = min_box_->value();
    chosen.max_score = max_box_->value();
    chosen.method = chosen_method(*method_box_);
    const QStringList typed =
        cutoffs_box_->text().split(QRegularExpression("[\\s,;]+"), Qt::SkipEmptyParts);
    for (const QString& cutoff : typed) {
        if (const auto parsed = norms::ParseCutoff(cutoff.toStdString()))
            chosen.cutoffs.push_back(*parsed);
        else
            statusBar()->showMessage(
                "Left out \"" + cutoff + "\": a cut-off is a percentile rank between 0 and 100", 8000);
    }
    return chosen;
}

std::vector<stats::NormScale> StudyWindow::chosenScales() const
{
    if (const auto& scale = scale_choice_->scale())
        return {*scale};
    return {};
}

void StudyWindow::takeTables(norms::StudyTables tables)
{
    tables_ = std::move(tables);
    tables_->scales = chosenScales();
    tables_file_ = file_ ? file_->path : "";
    outdated_label_->hide();
    showTables();
}

// A scale only re-expresses each row's rank and limits, so the tables on screen take it at once,
// without reading the file again.
void StudyWindow::scaleChanged()
{
    if (filling_)
        return;
    saveSettings();
    if (!tables_)
        return;
    tables_->scales = chosenScales();
    showTables();
}

void StudyWindow::showTables()
{
    const int current = tabs_->currentIndex();
    while (tabs_->count() > 1) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        delete page;
    }
    QStringList missing;
    chart_group_box_->blockSignals(true);
    chart_group_box_->clear();
    for (std::size_t i = 0; i < tables_->groups.size(); ++i) {
        const norms::StudyGroup& group = tables_->groups[i];
        auto* view = new QTableView(tabs_);
        view->setObjectName("tblGroup");
        view->setModel(new NormsTableModel(*tables_, group, view));
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->verticalHeader()->hide();
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
        view->resizeColumnsToContents();
        const QString name = tables_->grouped ? text(group.counts.name) : "All cases";
        tabs_->insertTab(static_cast<int>(i), view, name);
        chart_group_box_->addItem(name);
        if (const auto notice = norms::MissingScoresNotice(group.counts))
            missing << text(*notice);
    }
    chart_choice_->setVisible(tables_->groups.size() > 1);
    chart_->show();
    chart_group_box_->blockSignals(false);
    if (tables_->without_group > 0)
        missing << text(norms::WithoutGroupNotice(tables_->without_group, tables_->group_variable));
    missing_label_->setText(missing.isEmpty() ? "none" : missing.join('\n'));
    tabs_->setCurrentIndex(std::clamp(current, 0, tabs_->count() - 1));
    showChart();
    for (QAction* action : {export_csv_, export_excel_, save_chart_})
        action->setEnabled(true);
    copy_->setEnabled(currentTable() != nullptr);
}

void StudyWindow::showOutdated(const QString& reason)
{
    outdated_label_->setText("These tables are from before (" + dataName(tables_file_) +
                             "): " + reason + ".");
    outdated_label_->show();
}

void StudyWindow::showChart()
{
    const int index = chart_group_box_->currentIndex();
    if (!tables_ || index < 0 || index >= std::ssize(tables_->groups))
        return;
    const norms::StudyGroup& group = tables_->groups[index];
    norms::ChartModel chart = norms::BuildChartModel(group.run);
    if (tables_->grouped)
        chart.title += ", group " + group.counts.name;
    chart_->set_chart(std::move(chart));
}

QTableView* StudyWindow::currentTable() const
{
    return qobject_cast<QTableView*>(tabs_->currentWidget());
}

QString StudyWindow::dataName(const std::string& path) const
{
    return QFileInfo(text(path)).fileName();
}

void StudyWindow::copy()
{
    QTableView* view = currentTable();
    if (!view)
        return;
    QList<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        if (!rows.contains(index.row()))
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    QApplication::clipboard()->setText(
        static_cast<const NormsTableModel*>(view->model())->tab_separated(rows));
}

void StudyWindow::exportCsv()
{
    if (!tables_)
        return;
    platform::FileDialog dialog = csv_dialog_;
    if (dialog.file_name.empty())
        dialog.file_name = QFileInfo(text(tables_file_)).completeBaseName().toStdString() + "_norms.csv";
    if (!desktop_.save_file(dialog))
        return;
    csv_dialog_.file_name = dialog.file_name;
    std::ostringstream csv;
    norms::WriteStudyCsv(csv, *tables_);
    platform::SaveWholeFile(dialog.file_name, csv.str());
}

void StudyWindow::exportExcel()
{
    if (!tables_)
        return;
    if (xlsx_dialog_.file_name.empty())
        xlsx_dialog_.file_name =
            QFileInfo(text(tables_file_)).completeBaseName().toStdString() + "_norms.xlsx";
    if (const std::optional<std::string> file = platform::ChooseSaveFile(desktop_, xlsx_dialog_))
        norms::SaveNormsWorkbook(*file, norms::StudyWorkbook(*tables_));
}

void StudyWindow::saveChart()
{
    if (tables_)
        SaveChartThroughDialog(desktop_, chart_dialog_, chart_->chart());
}

}  // namespace ui
