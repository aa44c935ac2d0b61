#include "ui/norms_tables_panel.hpp"

#include <cmath>
#include <variant>

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
#include "platform/file_identity.hpp"
#include "stats/interval_method.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/chart_canvas.hpp"
#include "ui/chart_picture.hpp"
#include "ui/decimal_spin_box.hpp"
#include "ui/manual_table_dialog.hpp"
#include "ui/norms_table_view.hpp"
#include "ui/scale_choice.hpp"
#include "ui/window_parts.hpp"

namespace ui {

namespace {

// A range typed into the raw-score boxes counts once the typing pauses this long.
constexpr int typing_pause_ms = 250;
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

// A file's name without its folder.
QString dataName(const std::string& path)
{
    return QFileInfo(text(path)).fileName();
}

}  // namespace

NormsTablesPanel::NormsTablesPanel(platform::Desktop& desktop, QSettings& settings, QWidget* parent)
    : QWidget(parent), desktop_(desktop), settings_(settings), exports_(desktop, "_norms", "chart.png")
{
    setObjectName("wgtNormsTables");
    margins_dialog_.filter = "Margins (CSV)|*.csv|All files|*";
    margins_dialog_.file_must_exist = true;

    auto* splitter = new QSplitter(this);
    splitter->addWidget(createChoices());
    splitter->addWidget(createResults());
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    typing_pause_.setSingleShot(true);
    typing_pause_.setInterval(typing_pause_ms);
    connect(&typing_pause_, &QTimer::timeout, this, &NormsTablesPanel::countChoicesChanged);
    connect(&runner_, &StudyRunner::fileLoaded, this, &NormsTablesPanel::fileLoaded);
    connect(&runner_, &StudyRunner::tablesReady, this, &NormsTablesPanel::tablesReady);
    connect(&runner_, &StudyRunner::stepFailed, this, &NormsTablesPanel::stepFailed);
    connect(&runner_, &StudyRunner::stepCancelled, this, &NormsTablesPanel::stepCancelled);

    restoreSettings();
}

QWidget* NormsTablesPanel::createChoices()
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
    min_box_ = new DecimalSpinBox(choices_);
    add("M&inimum raw score:", min_box_, "spnMin");
    max_box_ = new DecimalSpinBox(choices_);
    add("Ma&ximum raw score:", max_box_, "spnMax");
    step_box_ = new DecimalSpinBox(choices_);
    add("Ste&p:", step_box_, "spnStep");
    for (QSpinBox* box : {min_box_, max_box_}) {
        box->setRange(0, static_cast<int>(norms::largest_raw_score));
        box->setAlignment(Qt::AlignRight);
    }
    step_box_->setRange(1, static_cast<int>(norms::largest_raw_score));
    step_box_->setAlignment(Qt::AlignRight);
    step_box_->setToolTip("The table has a row for the minimum and for every step up to the maximum; "
                          "each score must lie on one");
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
    weight_box_ = new QComboBox(choices_);
    add("&Weight variable:", weight_box_, "cboWeight");
    margins_row_ = new QWidget(choices_);
    auto* margins_row = new QHBoxLayout(margins_row_);
    margins_row->setContentsMargins(0, 0, 0, 0);
    rake_button_ = new QPushButton("&Rake to Margins...", margins_row_);
    rake_button_->setObjectName("cmdRake");
    rake_button_->setToolTip("Weight the cases to the population's shares given in a CSV file "
                             "with the header variable,value,share");
    no_rake_button_ = new QPushButton("No Raking", margins_row_);
    no_rake_button_->setObjectName("cmdNoRaking");
    margins_label_ = new QLabel("none", margins_row_);
    margins_label_->setObjectName("lblMargins");
    margins_row->addWidget(rake_button_);
    margins_row->addWidget(no_rake_button_);
    margins_row->addWidget(margins_label_, 1);
    add("Margins:", margins_row_, "wgtMargins");
    no_rake_button_->hide();
    missing_label_ = new QLabel(choices_);
    missing_label_->setWordWrap(true);
    add("Missing scores:", missing_label_, "lblMissing");
    weighting_label_ = new QLabel(choices_);
    weighting_label_->setWordWrap(true);
    add("Weighting:", weighting_label_, "lblWeighting");
    form->setRowVisible(n_label_, false);
    form->setRowVisible(weighting_label_, false);

    connect(score_box_, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_)
            return;
        // A new score variable brings its own observed range.
        filling_ = true;
        setRange(score_box_->currentIndex());
        filling_ = false;
        countChoicesChanged();
    });
    connect(group_box_, &QComboBox::currentIndexChanged, this, &NormsTablesPanel::countChoicesChanged);
    connect(weight_box_, &QComboBox::currentIndexChanged, this, &NormsTablesPanel::countChoicesChanged);
    connect(rake_button_, &QPushButton::clicked, this,
            [this] { run_command(desktop_, [this] { chooseMargins(); }); });
    connect(no_rake_button_, &QPushButton::clicked, this, [this] {
        margins_.reset();
        showMargins();
        countChoicesChanged();
    });
    for (QSpinBox* box : {static_cast<QSpinBox*>(min_box_), static_cast<QSpinBox*>(max_box_),
                          static_cast<QSpinBox*>(step_box_)}) {
        box->setKeyboardTracking(true);
        connect(box, &QSpinBox::valueChanged, this, [this] {
            if (!filling_)
                typing_pause_.start();
        });
    }
    connect(method_box_, &QComboBox::currentIndexChanged, this, [this] {
        cutoffs_box_->setEnabled(norms::gives_cutoff_probabilities(chosen_method(*method_box_)));
        tableChoicesChanged();
    });
    connect(cutoffs_box_, &QLineEdit::editingFinished, this, &NormsTablesPanel::tableChoicesChanged);
    connect(scale_choice_, &ScaleChoice::changed, this, &NormsTablesPanel::tableChoicesChanged);
    return choices_;
}

QWidget* NormsTablesPanel::createResults()
{
    auto* results = new QWidget(this);
    auto* column = new QVBoxLayout(results);
    column->setContentsMargins(0, 0, 0, 0);
    outdated_label_ = new_outdated_label(results, "lblOutdated");
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
    connect(chart_group_box_, &QComboBox::currentIndexChanged, this, &NormsTablesPanel::showChart);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        emit resultsChanged();
        if (currentTable())  // the chart follows the group last looked at
            chart_group_box_->setCurrentIndex(tab);
    });
    return results;
}

void NormsTablesPanel::createProgress(QStatusBar& status_bar)
{
    status_bar_ = &status_bar;
    progress_bar_ = new QProgressBar(status_bar_);
    progress_bar_->setObjectName("progress");
    progress_bar_->setRange(0, 100);
    cancel_button_ = new QPushButton("Cancel", status_bar_);
    cancel_button_->setObjectName("cmdCancel");
    cancel_button_->setShortcut(Qt::Key_Escape);
    status_bar_->addPermanentWidget(progress_bar_);
    status_bar_->addPermanentWidget(cancel_button_);
    progress_bar_->hide();
    cancel_button_->hide();
    connect(cancel_button_, &QPushButton::clicked, this, [this] {
        typing_pause_.stop();
        runner_.cancel();
    });
    connect(&runner_, &StudyRunner::progressChanged, this, [this](int percent) {
        progress_bar_->setValue(percent);
        progress_bar_->show();
        cancel_button_->show();
    });
    connect(&runner_, &StudyRunner::progressHidden, this, [this] {
        progress_bar_->hide();
        cancel_button_->hide();
    });
    connect(&runner_, &StudyRunner::statusChanged, this, [this](const QString& status) {
        if (status.isEmpty())
            status_bar_->clearMessage();
        else
            status_bar_->showMessage(status);
    });
}

void NormsTablesPanel::restoreSettings()
{
    // Setting a choice saves them all, so none may be saved before each has been restored.
    filling_ = true;
    const int method_item = method_box_->findData(settings_.value("method"));
    if (method_item >= 0)
        method_box_->setCurrentIndex(method_item);
    cutoffs_box_->setText(settings_.value("cutoffs").toString());
    scale_choice_->restore(settings_.value("scale").toStringList());
    filling_ = false;
}

void NormsTablesPanel::saveSettings() const
{
    settings_.setValue("method", method_box_->currentData());
    settings_.setValue("cutoffs", cutoffs_box_->text());
    settings_.setValue("scale", scale_choice_->remembered());
}

void NormsTablesPanel::loadFile(const QString& path)
{
    typing_pause_.stop();
    runner_.load(path);
}

bool NormsTablesPanel::idle() const
{
    return runner_.idle() && !typing_pause_.isActive();
}

bool NormsTablesPanel::results_outdated() const
{
    return !outdated_label_->isHidden();
}

void NormsTablesPanel::fileLoaded()
{
    const norms::StudyFile& file = *runner_.file();
    const bool persons = file.data.kind != norms::DataFileKind::frequencies;
    filling_ = true;
    file_label_->setText(dataName(file.data.path));
    file_label_->setToolTip(text(file.data.path));
    emit fileShown(dataName(file.data.path));
    auto* form = static_cast<QFormLayout*>(choices_->layout());
    for (QWidget* field : {static_cast<QWidget*>(score_box_), static_cast<QWidget*>(group_box_),
                           static_cast<QWidget*>(weight_box_), margins_row_})
        form->setRowVisible(field, persons);
    form->setRowVisible(n_label_, !persons);
    min_box_->setReadOnly(!persons);
    max_box_->setReadOnly(!persons);
    form->setRowVisible(step_box_, persons);
    if (persons) {
        const norms::PersonFileSurvey& survey = file.persons;
        size_label_->setText(QString("%1 cases").arg(survey.cases));
        score_box_->clear();
        group_box_->clear();
        group_box_->addItem(no_group);
        weight_box_->clear();
        weight_box_->addItem(no_group);
        for (const std::string& variable : survey.variables) {
            score_box_->addItem(text(variable));
            group_box_->addItem(text(variable));
            weight_box_->addItem(text(variable));
        }
        // The remembered variables when the file has them, else the last numeric column.
        int score = score_box_->findText(settings_.value("score").toString());
        for (int column = std::ssize(survey.ranges) - 1; score < 0 && column >= 0; --column)
            if (survey.ranges[column] || survey.decimal_ranges[column])
                score = column;
        score_box_->setCurrentIndex(std::max(score, 0));
        // The remembered group variable when the file has it, else a likely one, else "(none)".
        const std::optional<std::size_t> group = norms::likely_group_variable(
            survey, {score_box_->currentIndex()}, settings_.value("group").toString().toStdString());
        group_box_->setCurrentIndex(group ? static_cast<int>(*group) + 1 : 0);
        weight_box_->setCurrentIndex(std::max(weight_box_->findText(settings_.value("weight").toString()), 0));
        setRange(score_box_->currentIndex());
    } else {
        const norms::FrequencyFileSurvey& survey = file.frequencies;
        setDecimals(0);
        size_label_->setText(QString("%1 raw scores").arg(survey.lines));
        min_box_->setValue(static_cast<int>(survey.first_score));
        max_box_->setValue(static_cast<int>(survey.last_score));
        n_label_->setText(text(stats::format_fixed(survey.sample_size, 0, 0)));
    }
    missing_label_->clear();
    filling_ = false;
    countChoicesChanged();
}

void NormsTablesPanel::countChoicesChanged()
{
    if (filling_ || !runner_.file())
        return;
    typing_pause_.stop();
    runner_.count(countChoices(), tableChoices());
    emit studyChosen(*runner_.file(), countChoices());
}

void NormsTablesPanel::tableChoicesChanged()
{
    if (filling_)
        return;
    saveSettings();
    runner_.compute(tableChoices());
}

norms::StudyChoices NormsTablesPanel::countChoices() const
{
    norms::StudyChoices chosen;
    chosen.score_variable = score_box_->currentText().toStdString();
    if (group_box_->currentIndex() > 0)
        chosen.group_variable = group_box_->currentText().toStdString();
    chosen.min_score = min_box_->value();
    chosen.max_score = max_box_->value();
    if (decimals_ > 0 || step_box_->value() != 1) {
        const auto grid = norms::ParseScoreGrid(norms::ScoreUnitsText(min_box_->value(), decimals_),
                                                norms::ScoreUnitsText(max_box_->value(), decimals_),
                                                norms::ScoreUnitsText(step_box_->value(), decimals_));
        if (const auto* made = std::get_if<norms::ScoreGrid>(&grid))
            chosen.grid = *made;
        else
            chosen.grid_refusal = std::get<std::string>(grid);
    }
    if (weight_box_->currentIndex() > 0)
        chosen.weight_variable = weight_box_->currentText().toStdString();
    if (margins_) {
        chosen.margins = margins_->variables;
        chosen.margins_file = margins_->path;
    }
    return chosen;
}

norms::TableChoices NormsTablesPanel::tableChoices()
{
    norms::TableChoices chosen;
    chosen.method = chosen_method(*method_box_);
    if (const auto& scale = scale_choice_->scale())
        chosen.scales = {*scale};
    const QStringList typed =
        cutoffs_box_->text().split(QRegularExpression("[\\s,;]+"), Qt::SkipEmptyParts);
    for (const QString& cutoff : typed) {
        if (const auto parsed = norms::ParseCutoff(cutoff.toStdString()))
            chosen.cutoffs.push_back(*parsed);
        else
            status_bar_->showMessage(
                "Left out \"" + cutoff + "\": a cut-off is a percentile rank between 0 and 100", 8000);
    }
    return chosen;
}

void NormsTablesPanel::tablesReady()
{
    outdated_label_->hide();
    // Only variables that gave tables are offered again next time.
    if (tables()->groups.front().run.data_file_path == runner_.file()->data.path &&
        runner_.file()->data.kind != norms::DataFileKind::frequencies) {
        const norms::StudyChoices& counted = runner_.tables_counted_for();
        settings_.setValue("score", text(counted.score_variable));
        settings_.setValue("group", counted.group_variable.empty() ? no_group : text(counted.group_variable));
        settings_.setValue("weight", counted.weight_variable.empty() ? no_group : text(counted.weight_variable));
    }
    showTables();
}

void NormsTablesPanel::stepCancelled(const std::string& data_file, bool while_loading)
{
    status_bar_->showMessage("Cancelled", 5000);
    if (tables())
        showOutdated(while_loading ? "reading " + dataName(data_file) + " was cancelled"
                                   : "the computation for the current choices was cancelled");
}

void NormsTablesPanel::stepFailed(const QString& message, const std::string& data_file,
                             bool while_loading)
{
    if (tables())
        showOutdated(while_loading ? dataName(data_file) + " could not be read"
                                   : "the current choices gave none");
    desktop_.failure((data_file.empty() ? message : dataName(data_file) + ": " + message).toStdString());
}

void NormsTablesPanel::chooseMargins()
{
    platform::FileDialog dialog = margins_dialog_;
    if (!desktop_.open_file(dialog))
        return;
    margins_dialog_.initial_folder = QFileInfo(text(dialog.file_name)).absolutePath().toStdString();
    const std::string contents = norms::read_small_file(dialog.file_name, 1 << 20);
    margins_ = Margins{dialog.file_name, norms::parse_margins(contents)};
    showMargins();
    countChoicesChanged();
}

void NormsTablesPanel::showMargins()
{
    margins_label_->setText(margins_ ? dataName(margins_->path) : "none");
    no_rake_button_->setVisible(margins_.has_value());
}

void NormsTablesPanel::showOutdated(const QString& reason)
{
    outdated_label_->setText("These tables are from before (" + dataName(tablesFile()) +
                             "): " + reason + ".");
    outdated_label_->show();
}

}  // namespace ui
