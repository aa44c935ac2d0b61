#include "ui/continuous_panel.hpp"

#include <cmath>
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
#include "norms/tables/beta_binomial_model_file.hpp"
#include "norms/tables/continuous_model_file.hpp"
#include "norms/write/beta_binomial_chart.hpp"
#include "norms/write/beta_binomial_report.hpp"
#include "norms/write/continuous_chart.hpp"
#include "norms/write/continuous_csv.hpp"
#include "norms/write/continuous_report.hpp"
#include "norms/write/continuous_shown_table.hpp"
#include "norms/write/family_report.hpp"
#include "norms/write/output_files.hpp"
#include "platform/file_names.hpp"
#include "platform/whole_file.hpp"
#include "stats/number_format.hpp"
#include "ui/Application.hpp"
#include "ui/chart_canvas.hpp"
#include "ui/decimal_spin_box.hpp"
#include "ui/norms_table_view.hpp"
#include "ui/window_parts.hpp"

namespace ui {
namespace {

using stats::Extended;

constexpr int typing_pause_ms = 250;
// The age slider's stops: about this many round steps over the model's ages.
constexpr double slider_steps = 100;

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

// A report's lines as the model's notes show them, without the empty lines before them.
QString shown_lines(const std::vector<std::string>& lines)
{
    QStringList shown;
    for (const std::string& line : lines)
        shown << text(line);
    while (!shown.isEmpty() && shown.front().isEmpty())
        shown.removeFirst();
    return shown.join('\n');
}

}  // namespace

ContinuousPanel::ContinuousPanel(platform::Desktop& desktop, QWidget* parent)
    : QWidget(parent), desktop_(desktop), exports_(desktop, "_continuous", "continuous.png")
{
    setObjectName("wgtContinuous");
    open_model_dialog_.filter = "Model files (JSON)|*.json|All files|*";
    open_model_dialog_.file_must_exist = true;
    model_dialog_.filter = "Model files (JSON)|*.json";
    model_dialog_.prompt_overwrite = true;

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
    connect(&runner_, &ContinuousRunner::stepCancelled, this, &ContinuousPanel::stepCancelled);
    showSource();
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
    const std::string previous_score = study_choices_.score_variable;
    study_cases_ = file.cases;
    data_path_ = file.data.path;
    study_choices_ = choices;
    if (new_file || new_choices) {
        // The step at the finest of the scores' decimals, 1 for whole scores.
        const int decimals = choices.grid ? choices.grid->decimals : 0;
        if (new_file || decimals != step_box_->decimals() || choices.score_variable != previous_score) {
            const QSignalBlocker step_blocker(step_box_);
            step_box_->setDecimals(decimals);
            const int unit = static_cast<int>(std::pow(10, decimals));
            step_box_->setRange(1, static_cast<int>(norms::largest_raw_score) * unit);
            step_box_->setValue(1);
        }
        // A test's number of items: its highest raw score, unless the user says otherwise.
        const QSignalBlocker blocker(items_box_);
        const std::int64_t highest = norms::enclosing_score_range(choices).second;
        items_box_->setValue(static_cast<int>(std::clamp<std::int64_t>(highest, 1, norms::most_beta_binomial_items)));
    }
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
    model_path_ = platform::full_file_name(path.toStdString());
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
    outdated_label_->hide();
    age_problem_label_->hide();
    if (runner_.beta_binomial_tables()) {
        showBetaBinomialTables();
        return;
    }
    const norms::ContinuousTables& tables = *runner_.tables();
    if (runner_.comparison()) {
        // The family's choice makes the tables of every default age: one age instead, as for
        // the beta-binomial's.
        if (proposeAge(tables.model.age))
            return;
    } else if (tables.ages.empty()) {
        proposeAge(tables.model.age);
    }
    std::vector<std::string> model_lines = norms::continuous_model_lines(tables);
    if (tables.resamples > 0)
        model_lines.insert(model_lines.end(), {"", norms::interval_note(tables)});
    if (const std::optional<norms::FamilyComparison>& comparison = runner_.comparison())
        std::ranges::copy(norms::family_choice_lines(*comparison), std::back_inserter(model_lines));
    model_text_->setPlainText(shown_lines(model_lines));
    search_chart_->setVisible(tables.fit.has_value());
    if (tables.fit)
        search_chart_->set_chart(norms::continuous_search_chart(*tables.fit));
    const bool data = model_path_.empty();
    const stats::NormingSample* sample = data && runner_.cases() ? &runner_.cases()->sample : nullptr;
    curves_chart_->set_chart(norms::continuous_chart(tables, sample, baseName()));
    if (data)
        showCases();
    showAges(tables.model.age, tables.ages);
    table_->set_table(norms::continuous_shown_table(tables));
    emit resultsChanged();
}

void ContinuousPanel::showBetaBinomialTables()
{
    const norms::BetaBinomialTables& tables = *runner_.beta_binomial_tables();
    if (proposeAge(tables.model.age))
        return;  // the whole table of the default ages would be long: one age, as for Taylor's
    std::vector<std::string> model_lines = norms::beta_binomial_model_lines(tables);
    if (const std::optional<norms::FamilyComparison>& comparison = runner_.comparison())
        std::ranges::copy(norms::family_choice_lines(*comparison, tables.bias), std::back_inserter(model_lines));
    model_text_->setPlainText(shown_lines(model_lines));
    search_chart_->hide();
    curves_chart_->set_chart(
        norms::beta_binomial_chart(tables, runner_.cases() ? &runner_.cases()->sample : nullptr, baseName()));
    showCases();
    showAges(tables.model.age, tables.ages);
    // Ages beyond the sample's are extrapolated, and said so beside them.
    QStringList warnings;
    for (const std::string& warning : tables.warnings)
        warnings << text(warning);
    age_problem_label_->setText(warnings.join('\n'));
    age_problem_label_->setVisible(!warnings.isEmpty());
    const stats::NormScale& scale = tables.model.scale;
    table_->set_table(norms::continuous_shown_table(tables.cells, tables.resamples > 0,
                                                    norms::norm_column_title(scale.name),
                                                    norms::norm_score_decimals(scale.sd)));
    emit resultsChanged();
}

bool ContinuousPanel::proposeAge(stats::ValueRange model_ages)
{
    if (!ages_box_->text().trimmed().isEmpty())
        return false;
    const std::vector<Extended> ages = norms::evenly_spaced_ages(model_ages.low, model_ages.high);
    ages_box_->setText(text(stats::data_number_text(static_cast<double>(ages[ages.size() / 2]))));
    choicesChanged();
    return true;
}

void ContinuousPanel::showCases()
{
    if (!runner_.cases())
        return;
    const norms::NormingCases& cases = *runner_.cases();
    cases_label_->setText(
        QString("%1 used").arg(cases.sample.scores.size()) +
        (cases.skipped > 0 ? "; " + text(norms::skipped_cases_notice(cases.skipped, *runner_.cases_layout()))
                           : QString()));
}

void ContinuousPanel::stepCancelled(ContinuousRunner::Step step)
{
    status_label_->setText("Cancelled");
    if (step == ContinuousRunner::Step::resamples) {
        bootstrap_box_->setValue(0);  // the tables without intervals
        choicesChanged();
    } else if (has_tables()) {
        outdated_label_->setText("These results are from before: the work for the current choices was "
                                 "cancelled.");
        outdated_label_->show();
    }
}

void ContinuousPanel::stepFailed(const QString& message, ContinuousRunner::Step step)
{
    const bool tables = has_tables();
    // With the best family one step fits and makes the tables: once there are tables, what fails
    // is most often a typed age.
    if (step == ContinuousRunner::Step::tables && !runner_.wants_beta_binomial() &&
        (!runner_.wants_best_family() || tables)) {
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
void ContinuousPanel::showAges(stats::ValueRange model_ages, const std::vector<Extended>& ages)
{
    slider_ages_ = norms::evenly_spaced_ages(model_ages.low, model_ages.high, slider_steps);
    const Extended age = ages.empty() ? slider_ages_.front() : ages.front();
    const auto stop = std::lower_bound(slider_ages_.begin(), slider_ages_.end(), age);
    const QSignalBlocker blocker(age_slider_);
    age_slider_->setRange(0, static_cast<int>(slider_ages_.size()) - 1);
    age_slider_->setValue(static_cast<int>(std::min(stop - slider_ages_.begin(), std::ssize(slider_ages_) - 1)));
    age_slider_->setToolTip(text("Ages " + stats::format_number(model_ages.low) + " to " +
                                 stats::format_number(model_ages.high)));
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
    if (runner_.comparison() || !tables || !tables->fit || point >= tables->fit->search.size())
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
    source.data_file = platform::full_file_name(data_path_);
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
    if (has_tables())
        table_->copy_rows();
}

void ContinuousPanel::exportCsv()
{
    if (const std::optional<norms::BetaBinomialTables>& beta_binomial = runner_.beta_binomial_tables())
        exports_.csv(baseName(), [&beta_binomial](std::ostream& out) {
            norms::write_continuous_csv(out, beta_binomial->cells, beta_binomial->resamples > 0);
        });
    else if (tables())
        exports_.csv(baseName(), [this](std::ostream& out) { norms::write_continuous_csv(out, *tables()); });
}

// The workbook of the family that made the tables; with the best family, it says which was chosen.
void ContinuousPanel::exportExcel()
{
    const std::optional<norms::BetaBinomialTables>& beta_binomial = runner_.beta_binomial_tables();
    if (!beta_binomial && !tables())
        return;
    exports_.workbook(baseName(), [&](norms::OutputFiles& files, const std::string& path) {
        norms::SheetsWorkbook workbook = beta_binomial ? norms::beta_binomial_workbook(*beta_binomial, source())
                                                       : norms::continuous_workbook(*tables(), source());
        if (const std::optional<norms::FamilyComparison>& comparison = runner_.comparison())
            norms::add_family_choice_rows(workbook, *comparison, beta_binomial ? beta_binomial->bias : 0);
        files.add_workbook(path, workbook);
    });
}

void ContinuousPanel::saveModel()
{
    if (!has_tables())
        return;
    if (tables() && tables()->group_norms) {
        desktop_.failure("The ranking groups' own norms have no model file: no model improves on them here.");
        return;
    }
    const std::string json = runner_.beta_binomial_tables()
                                 ? norms::beta_binomial_model_json(runner_.beta_binomial_tables()->model)
                                 : norms::continuous_model_json(tables()->model);
    if (const std::optional<std::string> file = platform::ChooseSaveFile(
            desktop_, model_dialog_, QFileInfo(text(baseName())).completeBaseName().toStdString() + "_model.json"))
        platform::SaveWholeFile(*file, json);
}

void ContinuousPanel::saveChart()
{
    if (has_tables())
        exports_.chart(curves_chart_->chart());
}

}  // namespace ui
