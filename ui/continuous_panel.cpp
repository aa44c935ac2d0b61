#include "ui/continuous_panel.hpp"

#include <filesystem>
#include <sstream>
#include <vector>

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>

#include "norms/count/group_checks.hpp"
#include "norms/read/input_checks.hpp"
#include "norms/tables/continuous_model_file.hpp"
#include "norms/write/continuous_chart.hpp"
#include "norms/write/continuous_csv.hpp"
#include "norms/write/continuous_report.hpp"
#include "norms/write/continuous_shown_table.hpp"
#include "norms/write/output_files.hpp"
#include "platform/whole_file.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/chart_canvas.hpp"
#include "ui/chart_window.hpp"
#include "ui/norms_table_view.hpp"
#include "ui/window_parts.hpp"

namespace ui {
namespace {

using stats::Extended;

constexpr int typing_pause_ms = 250;
// The age slider's stops: about this many round steps over the model's ages.
constexpr double slider_steps = 100;
const QString none = "(none)";

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

// The scales a model can be fitted on: those of a mean and a standard deviation.
std::vector<stats::NormScale> linear_scales()
{
    std::vector<stats::NormScale> scales;
    for (const stats::NormScale& scale : stats::StandardNormScales())
        if (scale.rule == stats::ScaleRule::Linear)
            scales.push_back(scale);
    return scales;
}

// The ranking group to propose: the study's group variable, else the first other than the
// score and the age with a few different values, such as age bands; else the first.
int likely_group(const norms::PersonFileSurvey& survey, const norms::StudyChoices& study, int age)
{
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (!study.group_variable.empty() && survey.variables[column] == study.group_variable)
            return static_cast<int>(column);
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (static_cast<int>(column) != age && survey.variables[column] != study.score_variable &&
            survey.distinct[column] >= 3 && survey.distinct[column] <= norms::DistinctCountLimit)
            return static_cast<int>(column);
    return 0;
}

// The age variable to propose: one named "age" in any case, else the first whose name holds
// "age" and that has too many values to be a group; else none.
int likely_age(const norms::PersonFileSurvey& survey)
{
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (text(survey.variables[column]).compare("age", Qt::CaseInsensitive) == 0)
            return static_cast<int>(column);
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (text(survey.variables[column]).contains("age", Qt::CaseInsensitive) &&
            survey.distinct[column] > norms::DistinctCountLimit)
            return static_cast<int>(column);
    return -1;
}

QSpinBox* spin_box(QWidget* parent, const char* name, int low, int high, int value)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setValue(value);
    box->setAlignment(Qt::AlignRight);
    return box;
}

}  // namespace

ContinuousPanel::ContinuousPanel(platform::Desktop& desktop, QWidget* parent)
    : QWidget(parent), desktop_(desktop)
{
    setObjectName("wgtContinuous");
    open_model_dialog_.filter = "Model files (JSON)|*.json|All files|*";
    open_model_dialog_.file_must_exist = true;
    csv_dialog_.filter = "CSV files|*.csv";
    csv_dialog_.prompt_overwrite = true;
    xlsx_dialog_.filter = "Excel workbooks|*.xlsx";
    xlsx_dialog_.prompt_overwrite = true;
    model_dialog_.filter = "Model files (JSON)|*.json";
    model_dialog_.prompt_overwrite = true;
    chart_dialog_ = ChartPictureDialog("continuous.png");

    auto* splitter = new QSplitter(this);
    auto* left = new QWidget(splitter);
    auto* left_column = new QVBoxLayout(left);
    left_column->setContentsMargins(0, 0, 0, 0);
    left_column->addWidget(createChoices());
    left_column->addStretch();
    left_column->addWidget(createProgress());
    splitter->addWidget(left);
    splitter->addWidget(createResults());
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 720});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    typing_pause_.setSingleShot(true);
    typing_pause_.setInterval(typing_pause_ms);
    connect(&typing_pause_, &QTimer::timeout, this, &ContinuousPanel::choicesChanged);
    connect(&runner_, &ContinuousRunner::tablesReady, this, &ContinuousPanel::tablesReady);
    connect(&runner_, &ContinuousRunner::stepFailed, this, &ContinuousPanel::stepFailed);
    showSource();
}

QWidget* ContinuousPanel::createChoices()
{
    choices_ = new QWidget(this);
    auto* form = new QFormLayout(choices_);
    const auto add = [&](const QString& label, QWidget* field, const char* name) {
        field->setObjectName(name);
        form->addRow(label, field);
    };
    source_label_ = new QLabel(choices_);
    source_label_->setWordWrap(true);
    add("Data:", source_label_, "lblContinuousData");

    auto* range = new QWidget(choices_);
    auto* range_row = new QHBoxLayout(range);
    range_row->setContentsMargins(0, 0, 0, 0);
    min_box_ = spin_box(range, "spnContinuousMin", 0, static_cast<int>(norms::largest_raw_score), 0);
    max_box_ = spin_box(range, "spnContinuousMax", 0, static_cast<int>(norms::largest_raw_score), 0);
    range_row->addWidget(min_box_);
    range_row->addWidget(new QLabel("to", range));
    range_row->addWidget(max_box_);
    range_row->addStretch();
    add("Raw scores:", range, "wgtContinuousRange");

    age_box_ = new QComboBox(choices_);
    add("A&ge variable:", age_box_, "cboAge");

    auto* ranking = new QWidget(choices_);
    auto* ranking_grid = new QGridLayout(ranking);
    ranking_grid->setContentsMargins(0, 0, 0, 0);
    by_groups_ = new QRadioButton("by gr&oup", ranking);
    by_groups_->setObjectName("radRankGroups");
    group_box_ = new QComboBox(ranking);
    group_box_->setObjectName("cboRankGroup");
    by_windows_ = new QRadioButton("by age &window, width", ranking);
    by_windows_->setObjectName("radRankWindows");
    width_box_ = new QLineEdit("1", ranking);
    width_box_->setObjectName("txtWidth");
    width_box_->setMaximumWidth(80);
    ranking_grid->addWidget(by_groups_, 0, 0);
    ranking_grid->addWidget(group_box_, 0, 1);
    ranking_grid->addWidget(by_windows_, 1, 0);
    ranking_grid->addWidget(width_box_, 1, 1, Qt::AlignLeft);
    by_windows_->setChecked(true);
    add("Ranking:", ranking, "wgtRanking");

    scale_box_ = new QComboBox(choices_);
    for (const stats::NormScale& scale : linear_scales())
        scale_box_->addItem(text(scale.title + " (" + scale.name + ")"));
    scale_box_->setCurrentIndex(1);  // T, as vornak-batch continuous takes by default
    add("&Scale:", scale_box_, "cboContinuousScale");
    k_box_ = spin_box(choices_, "spnK", 1, stats::max_term_power, 5);
    add("Powers of &L (k):", k_box_, "spnK");
    t_box_ = spin_box(choices_, "spnT", 0, stats::max_term_power, 3);
    add("&Powers of age (t):", t_box_, "spnT");

    auto* terms = new QWidget(choices_);
    auto* terms_grid = new QGridLayout(terms);
    terms_grid->setContentsMargins(0, 0, 0, 0);
    by_cross_validation_ = new QRadioButton("the least cross-validated &error", terms);
    by_cross_validation_->setObjectName("radCrossValidation");
    by_cross_validation_->setToolTip("The number of terms whose models predict held-out cases' norm scores best");
    by_r2_ = new QRadioButton("fewest terms reaching adjusted &R² ≥", terms);
    by_r2_->setObjectName("radR2");
    r2_box_ = new QLineEdit("0.99", terms);
    r2_box_->setObjectName("txtR2");
    r2_box_->setMaximumWidth(80);
    by_terms_ = new QRadioButton("a fi&xed number of terms", terms);
    by_terms_->setObjectName("radTerms");
    terms_box_ = spin_box(terms, "spnTerms", 1, 23, 6);
    terms_grid->addWidget(by_cross_validation_, 0, 0, 1, 2);
    terms_grid->addWidget(by_r2_, 1, 0);
    terms_grid->addWidget(r2_box_, 1, 1, Qt::AlignLeft);
    terms_grid->addWidget(by_terms_, 2, 0);
    terms_grid->addWidget(terms_box_, 2, 1, Qt::AlignLeft);
    by_cross_validation_->setChecked(true);  // as vornak-batch continuous chooses by default
    add("Terms:", terms, "wgtTerms");

    bootstrap_box_ = spin_box(choices_, "spnBootstrap", 0, 100000, 0);
    bootstrap_box_->setSpecialValueText("off");
    bootstrap_box_->setToolTip("Resamples for the 95% and 90% intervals; 0 leaves them out");
    add("&Bootstrap resamples:", bootstrap_box_, "spnBootstrap");
    seed_box_ = spin_box(choices_, "spnSeed", 0, std::numeric_limits<int>::max(), 1);
    add("See&d:", seed_box_, "spnSeed");
    cases_label_ = new QLabel(choices_);
    cases_label_->setWordWrap(true);
    add("Cases:", cases_label_, "lblCases");
    problem_label_ = new QLabel(choices_);
    problem_label_->setObjectName("lblContinuousProblem");
    problem_label_->setWordWrap(true);
    form->addRow(problem_label_);
    problem_label_->hide();

    for (const std::vector<QRadioButton*>& buttons :
         {std::vector{by_groups_, by_windows_}, std::vector{by_cross_validation_, by_r2_, by_terms_}}) {
        auto* group = new QButtonGroup(buttons.front()->parent());
        for (QRadioButton* button : buttons)
            group->addButton(button);
        connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
            if (on)
                choicesChanged();
        });
    }
    for (QComboBox* box : {age_box_, group_box_, scale_box_})
        connect(box, &QComboBox::currentIndexChanged, this, &ContinuousPanel::choicesChanged);
    for (QSpinBox* box : {k_box_, t_box_, terms_box_, bootstrap_box_, seed_box_, min_box_, max_box_})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            if (!filling_)
                typing_pause_.start();
        });
    for (QLineEdit* box : {width_box_, r2_box_})
        connect(box, &QLineEdit::textEdited, this, [this] { typing_pause_.start(); });
    return choices_;
}

QWidget* ContinuousPanel::createResults()
{
    auto* results = new QWidget(this);
    auto* column = new QVBoxLayout(results);
    column->setContentsMargins(0, 0, 0, 0);
    outdated_label_ = new_outdated_label(results, "lblContinuousOutdated");
    column->addWidget(outdated_label_);

    auto* parts = new QSplitter(Qt::Vertical, results);
    auto* model = new QWidget(parts);
    auto* model_row = new QHBoxLayout(model);
    model_row->setContentsMargins(0, 0, 0, 0);
    model_text_ = new QPlainTextEdit(model);
    model_text_->setObjectName("txtModel");
    model_text_->setReadOnly(true);
    model_text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    model_text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    search_chart_ = new ChartCanvas(model, {340, 260});
    search_chart_->setObjectName("chtSearch");
    search_chart_->setToolTip("Click a number of terms to take it");
    search_chart_->setCursor(Qt::PointingHandCursor);
    model_row->addWidget(model_text_, 3);
    model_row->addWidget(search_chart_, 2);
    parts->addWidget(model);

    auto* tabs = new QTabWidget(parts);
    tabs->setObjectName("tabContinuousResults");
    curves_chart_ = new ChartCanvas(tabs);
    curves_chart_->setObjectName("chtCurves");
    tabs->addTab(curves_chart_, "C&urves");
    auto* table_tab = new QWidget(tabs);
    auto* table_column = new QVBoxLayout(table_tab);
    auto* age_row = new QHBoxLayout;
    ages_box_ = new QLineEdit(table_tab);
    ages_box_->setObjectName("txtAges");
    ages_box_->setToolTip("An age, or ages separated by commas, such as 6,7.5,9");
    ages_box_->setMaximumWidth(160);
    auto* ages_label = new QLabel("&Age:", table_tab);
    ages_label->setBuddy(ages_box_);
    age_slider_ = new QSlider(Qt::Horizontal, table_tab);
    age_slider_->setObjectName("sldAge");
    age_row->addWidget(ages_label);
    age_row->addWidget(ages_box_);
    age_row->addWidget(age_slider_, 1);
    table_column->addLayout(age_row);
    age_problem_label_ = new QLabel(table_tab);
    age_problem_label_->setObjectName("lblAgeProblem");
    age_problem_label_->setWordWrap(true);
    age_problem_label_->hide();
    table_column->addWidget(age_problem_label_);
    table_ = new NormsTableView(table_tab);
    table_->setObjectName("tblContinuous");
    table_column->addWidget(table_, 1);
    tabs->addTab(table_tab, "&Norms Table");
    parts->addWidget(tabs);
    parts->setStretchFactor(1, 1);
    column->addWidget(parts, 1);

    connect(search_chart_, &ChartCanvas::pointClicked, this, &ContinuousPanel::takeSearchPoint);
    connect(age_slider_, &QSlider::valueChanged, this, &ContinuousPanel::takeSliderAge);
    connect(ages_box_, &QLineEdit::textEdited, this, [this] { typing_pause_.start(); });
    return results;
}

QWidget* ContinuousPanel::createProgress()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    status_label_ = new QLabel(row);
    status_label_->setObjectName("lblContinuousStatus");
    progress_bar_ = new QProgressBar(row);
    progress_bar_->setObjectName("progressContinuous");
    cancel_button_ = new QPushButton("Cancel", row);
    cancel_button_->setObjectName("cmdCancelContinuous");
    cancel_button_->setShortcut(Qt::Key_Escape);
    layout->addWidget(status_label_);
    layout->addWidget(progress_bar_, 1);
    layout->addWidget(cancel_button_);
    progress_bar_->hide();
    cancel_button_->hide();
    connect(cancel_button_, &QPushButton::clicked, this, [this] {
        typing_pause_.stop();
        runner_.cancel();
    });
    connect(&runner_, &ContinuousRunner::progressChanged, this, [this](int percent) {
        progress_bar_->setRange(0, percent < 0 ? 0 : 100);
        progress_bar_->setValue(std::max(percent, 0));
        progress_bar_->show();
        cancel_button_->show();
    });
    connect(&runner_, &ContinuousRunner::progressHidden, this, [this] {
        progress_bar_->hide();
        cancel_button_->hide();
    });
    connect(&runner_, &ContinuousRunner::statusChanged, status_label_, &QLabel::setText);
    return row;
}

void ContinuousPanel::set_study(const norms::StudyFile& file, const norms::StudyChoices& choices)
{
    const bool new_file = file.cases != study_cases_ || file.data.path != data_path_;
    const bool new_choices = choices.score_variable != study_choices_.score_variable ||
                             choices.min_score != study_choices_.min_score ||
                             choices.max_score != study_choices_.max_score;
    study_cases_ = file.cases;
    data_path_ = file.data.path;
    study_choices_ = choices;
    if (new_file) {
        model_path_.clear();
        ages_box_->clear();
        if (file.cases) {
            fillVariables(file, choices);
            runner_.set_file(file);
        }
        showSource();
    }
    if (model_path_.empty() && (new_file || new_choices)) {
        showSource();
        choicesChanged();
    }
}

void ContinuousPanel::fillVariables(const norms::StudyFile& file, const norms::StudyChoices& choices)
{
    filling_ = true;
    const norms::PersonFileSurvey& survey = file.persons;
    age_box_->clear();
    group_box_->clear();
    age_box_->addItem(none);
    for (const std::string& variable : survey.variables) {
        age_box_->addItem(text(variable));
        group_box_->addItem(text(variable));
    }
    const int age = likely_age(survey);
    age_box_->setCurrentIndex(age + 1);
    group_box_->setCurrentIndex(likely_group(survey, choices, age));
    // An age of its own per case ranks within windows; group values as ages rank within groups.
    (age >= 0 ? by_windows_ : by_groups_)->setChecked(true);
    filling_ = false;
}

void ContinuousPanel::showSource()
{
    const bool model = !model_path_.empty();
    const bool data = !model && study_cases_;
    if (model)
        source_label_->setText("model file " + QFileInfo(text(model_path_)).fileName() + ", without data");
    else if (data)
        source_label_->setText(QFileInfo(text(data_path_)).fileName() + ", score " + text(study_choices_.score_variable) +
                               ", raw scores " + QString::number(study_choices_.min_score) + " to " +
                               QString::number(study_choices_.max_score) + " (chosen beside the norms tables)");
    else
        source_label_->setText(data_path_.empty()
                                   ? "No data; open a file of one row per person with File > Open Data..., or a "
                                     "model with File > Open Model..."
                                   : "Continuous norms need one row per person, not a frequency file.");
    auto* form = static_cast<QFormLayout*>(choices_->layout());
    for (int row = 1; row < form->rowCount(); ++row) {
        QWidget* field = form->itemAt(row, QFormLayout::FieldRole)
                             ? form->itemAt(row, QFormLayout::FieldRole)->widget()
                             : nullptr;
        if (field && field != problem_label_)
            form->setRowVisible(row, field->objectName() == "wgtContinuousRange" ? model : data);
    }
}

void ContinuousPanel::openModel()
{
    platform::FileDialog dialog = open_model_dialog_;
    if (!desktop_.open_file(dialog))
        return;
    open_model_dialog_.initial_folder = QFileInfo(text(dialog.file_name)).absolutePath().toStdString();
    loadModel(text(dialog.file_name));
}

void ContinuousPanel::loadModel(const QString& path)
{
    const stats::ContinuousModel model = norms::read_continuous_model(path.toStdString());
    std::error_code error;  // the model file's full name, as vornak-batch gives it
    const auto full = std::filesystem::absolute(path.toStdString(), error);
    model_path_ = error ? path.toStdString() : full.lexically_normal().string();
    filling_ = true;
    min_box_->setValue(static_cast<int>(std::floor(model.raw.low)));
    max_box_->setValue(static_cast<int>(std::ceil(model.raw.high)));
    filling_ = false;
    ages_box_->clear();
    runner_.set_model(model);
    showSource();
    choicesChanged();
}

bool ContinuousPanel::idle() const
{
    return runner_.idle() && !typing_pause_.isActive();
}

std::optional<std::vector<Extended>> ContinuousPanel::chosenAges()
{
    const std::string typed = ages_box_->text().remove(' ').toStdString();
    if (typed.empty())
        return std::vector<Extended>();
    const std::optional<std::vector<Extended>> ages = norms::parse_age_list(typed);
    if (!ages) {
        age_problem_label_->setText("Type an age, or ages separated by commas, such as 6,7.5,9.");
        age_problem_label_->show();
    }
    return ages;
}

std::optional<ContinuousChoices> ContinuousPanel::chosen()
{
    QStringList problems;
    ContinuousChoices chosen;
    norms::NormingLayout& layout = chosen.layout;
    const std::optional<std::vector<Extended>> ages = chosenAges();
    if (!ages)
        return std::nullopt;
    chosen.ages = *ages;
    if (!model_path_.empty()) {
        layout.min_score = min_box_->value();
        layout.max_score = max_box_->value();
        return chosen;
    }
    layout.score_variable = study_choices_.score_variable;
    layout.min_score = study_choices_.min_score;
    layout.max_score = study_choices_.max_score;
    if (age_box_->currentIndex() > 0)
        layout.age_variable = age_box_->currentText().toStdString();
    stats::ContinuousOptions& model = chosen.model;
    if (by_groups_->isChecked()) {
        layout.group_variable = group_box_->currentText().toStdString();
    } else {
        const std::optional<Extended> width = norms::parse_plain_number(width_box_->text().trimmed().toStdString());
        if (!width || !(*width > 0))
            problems << "The window's width is an age span above 0, such as 1.";
        else if (layout.age_variable.empty())
            problems << "Age windows slide along the cases' ages: choose an age variable.";
        model.window_width = width.value_or(0);
    }
    model.scale = linear_scales()[static_cast<std::size_t>(std::max(scale_box_->currentIndex(), 0))];
    model.k = k_box_->value();
    model.t = t_box_->value();
    terms_box_->setMaximum((model.k + 1) * (model.t + 1) - 1);
    if (by_terms_->isChecked()) {
        model.terms = terms_box_->value();
    } else if (by_r2_->isChecked()) {
        model.rule = stats::ModelRule::adjusted_r2;
        const std::optional<Extended> r2 = norms::parse_plain_number(r2_box_->text().trimmed().toStdString());
        if (!r2 || !(*r2 > 0 && *r2 <= 1))
            problems << "The adjusted R² to reach is a number above 0 and at most 1, such as 0.99.";
        model.r2 = r2.value_or(0);
    }
    chosen.bootstrap.resamples = bootstrap_box_->value() >= 2 ? bootstrap_box_->value() : 0;
    if (bootstrap_box_->value() == 1)
        problems << "A bootstrap needs at least 2 resamples.";
    chosen.bootstrap.seed = static_cast<std::uint64_t>(seed_box_->value());
    problem_label_->setText(problems.join('\n'));
    problem_label_->setVisible(!problems.isEmpty());
    if (!problems.isEmpty())
        return std::nullopt;
    return chosen;
}

void ContinuousPanel::choicesChanged()
{
    if (filling_)
        return;
    typing_pause_.stop();
    age_problem_label_->hide();
    if (!runner_.has_source())
        return;
    if (const std::optional<ContinuousChoices> choices = chosen())
        runner_.request(*choices);
}

bool ContinuousPanel::event(QEvent* event)
{
    // Nobody looks at a hidden tab: its ranking and search would only take the cores from the
    // norms tables. Its work waits until the tab is shown.
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        runner_.hold(event->type() == QEvent::HideToParent);
    return QWidget::event(event);
}

void ContinuousPanel::tablesReady()
{
    const norms::ContinuousTables& tables = *runner_.tables();
    outdated_label_->hide();
    age_problem_label_->hide();
    if (tables.ages.empty() && ages_box_->text().trimmed().isEmpty()) {
        // A first table: at the round age nearest the middle of the model's.
        const std::vector<Extended> ages = norms::evenly_spaced_ages(tables.model.age.low, tables.model.age.high);
        ages_box_->setText(text(stats::data_number_text(static_cast<double>(ages[ages.size() / 2]))));
        choicesChanged();
    }
    QStringList model_lines;
    for (const std::string& line : norms::continuous_model_lines(tables))
        model_lines << text(line);
    if (tables.resamples > 0)
        model_lines << "" << text(norms::interval_note(tables));
    while (!model_lines.isEmpty() && model_lines.front().isEmpty())
        model_lines.removeFirst();
    model_text_->setPlainText(model_lines.join('\n'));
    search_chart_->setVisible(tables.fit.has_value());
    if (tables.fit)
        search_chart_->set_chart(norms::continuous_search_chart(*tables.fit));
    const bool data = model_path_.empty();
    const stats::NormingSample* sample = data && runner_.cases() ? &runner_.cases()->sample : nullptr;
    curves_chart_->set_chart(norms::continuous_chart(tables, sample, baseName()));
    if (data && runner_.cases()) {
        const norms::NormingCases& cases = *runner_.cases();
        cases_label_->setText(
            QString("%1 used").arg(cases.sample.scores.size()) +
            (cases.skipped > 0 ? "; " + text(norms::skipped_cases_notice(cases.skipped, *runner_.cases_layout()))
                               : QString()));
    }
    showAges();
    table_->set_table(norms::continuous_shown_table(tables));
    emit resultsChanged();
}

void ContinuousPanel::stepFailed(const QString& message, ContinuousRunner::Step step)
{
    const bool tables = runner_.tables().has_value();
    if (message.isEmpty()) {
        status_label_->setText("Cancelled");
        if (step == ContinuousRunner::Step::resamples) {
            bootstrap_box_->setValue(0);  // the tables without intervals
            choicesChanged();
        } else if (tables) {
            outdated_label_->setText("These results are from before: the work for the current choices was "
                                     "cancelled.");
            outdated_label_->show();
        }
        return;
    }
    if (step == ContinuousRunner::Step::tables) {
        // Ages typed outside the model's: said beside them, as the typing goes on.
        age_problem_label_->setText(message);
        age_problem_label_->show();
        return;
    }
    const QString said =
        step == ContinuousRunner::Step::cases ? QFileInfo(text(data_path_)).fileName() + ": " + message : message;
    if (!isVisibleTo(window())) {
        // Behind the norms tables, which read the same file and have said so: it waits here.
        outdated_label_->setText(tables ? "These results are from before: " + said : said);
        outdated_label_->show();
        return;
    }
    if (tables) {
        outdated_label_->setText("These results are from before: the current choices gave none.");
        outdated_label_->show();
    }
    desktop_.failure(said.toStdString());
}

// The slider's stops over the model's ages, at the first age asked for.
void ContinuousPanel::showAges()
{
    const stats::ContinuousModel& model = runner_.tables()->model;
    slider_ages_ = norms::evenly_spaced_ages(model.age.low, model.age.high, slider_steps);
    const std::vector<Extended>& ages = runner_.tables()->ages;
    const Extended age = ages.empty() ? slider_ages_.front() : ages.front();
    const auto stop = std::lower_bound(slider_ages_.begin(), slider_ages_.end(), age);
    const QSignalBlocker blocker(age_slider_);
    age_slider_->setRange(0, static_cast<int>(slider_ages_.size()) - 1);
    age_slider_->setValue(static_cast<int>(std::min(stop - slider_ages_.begin(), std::ssize(slider_ages_) - 1)));
    age_slider_->setToolTip(text("Ages " + stats::format_number(model.age.low) + " to " +
                                 stats::format_number(model.age.high)));
}

void ContinuousPanel::takeSliderAge(int position)
{
    if (position < 0 || position >= std::ssize(slider_ages_))
        return;
    ages_box_->setText(text(stats::data_number_text(static_cast<double>(slider_ages_[position]))));
    choicesChanged();
}

// A click on the search's chart takes that number of terms.
void ContinuousPanel::takeSearchPoint(std::size_t point)
{
    const std::optional<norms::ContinuousTables>& tables = runner_.tables();
    if (!tables || !tables->fit || point >= tables->fit->search.size())
        return;
    filling_ = true;
    terms_box_->setValue(tables->fit->search[point].terms);
    by_terms_->setChecked(true);
    filling_ = false;
    choicesChanged();
}

norms::ContinuousSource ContinuousPanel::source() const
{
    norms::ContinuousSource source;
    if (!model_path_.empty()) {
        source.model_file = model_path_;
        return source;
    }
    std::error_code error;  // the data file's full name, as vornak-batch gives it
    const auto full = std::filesystem::absolute(data_path_, error);
    source.data_file = error ? data_path_ : full.lexically_normal().string();
    if (const std::optional<norms::NormingLayout> layout = runner_.cases_layout()) {
        source.score_variable = layout->score_variable;
        source.age_variable = layout->age_variable;
        source.group_variable = layout->group_variable;
    }
    if (runner_.cases())
        source.cases_skipped = runner_.cases()->skipped;
    if (runner_.tables())
        source.window_width = runner_.tables()->options.window_width;
    return source;
}

// The data's or the model's file name, which the chart names and the outputs' names start with.
std::string ContinuousPanel::baseName() const
{
    return QFileInfo(text(model_path_.empty() ? data_path_ : model_path_)).fileName().toStdString();
}

void ContinuousPanel::copy()
{
    if (tables())
        table_->copy_rows();
}

void ContinuousPanel::exportCsv()
{
    if (!tables())
        return;
    if (csv_dialog_.file_name.empty())
        csv_dialog_.file_name = QFileInfo(text(baseName())).completeBaseName().toStdString() + "_continuous.csv";
    const std::optional<std::string> file = platform::ChooseSaveFile(desktop_, csv_dialog_);
    if (!file)
        return;
    std::ostringstream csv;
    norms::write_continuous_csv(csv, *tables());
    platform::SaveWholeFile(*file, csv.str());
}

void ContinuousPanel::exportExcel()
{
    if (!tables())
        return;
    if (xlsx_dialog_.file_name.empty())
        xlsx_dialog_.file_name = QFileInfo(text(baseName())).completeBaseName().toStdString() + "_continuous.xlsx";
    const std::optional<std::string> file = platform::ChooseSaveFile(desktop_, xlsx_dialog_);
    if (!file)
        return;
    norms::OutputFiles files;
    files.add_workbook(*file, norms::continuous_workbook(*tables(), source()));
    files.commit();
}

void ContinuousPanel::saveModel()
{
    if (!tables())
        return;
    if (model_dialog_.file_name.empty())
        model_dialog_.file_name = QFileInfo(text(baseName())).completeBaseName().toStdString() + "_model.json";
    if (const std::optional<std::string> file = platform::ChooseSaveFile(desktop_, model_dialog_))
        platform::SaveWholeFile(*file, norms::continuous_model_json(tables()->model));
}

void ContinuousPanel::saveChart()
{
    if (tables())
        SaveChartThroughDialog(desktop_, chart_dialog_, curves_chart_->chart());
}

}  // namespace ui
