// The Continuous tab's choices: the widgets that choose the cases, the model and the bootstrap,
// what they propose for a new file, and the norms::ContinuousChoices they make, with its problems
// shown beside them. The rest of the panel, its results, is in continuous_panel.cpp.
#include "ui/continuous_panel.hpp"

#include <limits>
#include <tuple>

#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "norms/count/group_checks.hpp"
#include "norms/count/variable_guesses.hpp"
#include "norms/read/input_checks.hpp"
#include "ui/decimal_spin_box.hpp"

namespace ui {
namespace {

using stats::Extended;

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
    step_box_ = new DecimalSpinBox(choices_);
    step_box_->setRange(1, static_cast<int>(norms::largest_raw_score));
    step_box_->setAlignment(Qt::AlignRight);
    step_box_->setToolTip("The table has a row for the minimum and for every step up to the maximum");
    add("Step:", step_box_, "spnContinuousStep");

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
    terms_box_ = spin_box(terms, "spnTerms", 1,
                          stats::candidate_term_count(stats::ContinuousOptions{}.k, stats::ContinuousOptions{}.t), 6);
    terms_grid->addWidget(by_cross_validation_, 0, 0, 1, 2);
    terms_grid->addWidget(by_r2_, 1, 0);
    terms_grid->addWidget(r2_box_, 1, 1, Qt::AlignLeft);
    terms_grid->addWidget(by_terms_, 2, 0);
    terms_grid->addWidget(terms_box_, 2, 1, Qt::AlignLeft);
    by_cross_validation_->setChecked(true);  // as vornak-batch continuous chooses by default
    add("Terms:", terms, "wgtTerms");

    family_box_ = new QComboBox(choices_);
    family_box_->addItems({"Taylor polynomial", "beta-binomial", "best: least held-out error"});
    family_box_->setToolTip(
        "The beta-binomial family knows a test's floor at 0 and its ceiling at the number of items");
    family_box_->setItemData(best_family_item,
                             "Cross-validation compares the Taylor polynomial, the beta-binomial (for whole scores "
                             "from 0) and the ranking groups' own norms; the one whose norm scores err least on "
                             "held-out cases makes the tables",
                             Qt::ToolTipRole);
    family_box_->setCurrentIndex(default_family_item);
    add("Famil&y:", family_box_, "cboFamily");
    items_box_ = spin_box(choices_, "spnItems", 1, norms::most_beta_binomial_items, 1);
    add("Number of i&tems:", items_box_, "spnItems");
    alpha_box_ = spin_box(choices_, "spnAlphaDegree", -1, stats::most_beta_binomial_degree, -1);
    beta_box_ = spin_box(choices_, "spnBetaDegree", -1, stats::most_beta_binomial_degree, -1);
    for (QSpinBox* box : {alpha_box_, beta_box_}) {
        box->setSpecialValueText("by BIC");
        box->setToolTip("The degree in age of the shape's logarithm; by BIC: both chosen by the lower BIC");
    }
    add("Degree of log α:", alpha_box_, "spnAlphaDegree");
    add("Degree of log β:", beta_box_, "spnBetaDegree");

    bootstrap_box_ = spin_box(choices_, "spnBootstrap", 0, stats::max_bootstrap_resamples, 0);
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
    connect(family_box_, &QComboBox::currentIndexChanged, this, [this] {
        showFamily();
        choicesChanged();
    });
    showFamily();
    for (QSpinBox* box : {k_box_, t_box_, terms_box_, items_box_, alpha_box_, beta_box_, bootstrap_box_, seed_box_,
                          min_box_, max_box_, static_cast<QSpinBox*>(step_box_)})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            if (!filling_)
                typing_pause_.start();
        });
    for (QLineEdit* box : {width_box_, r2_box_})
        connect(box, &QLineEdit::textEdited, this, [this] { typing_pause_.start(); });
    return choices_;
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
    const std::optional<std::size_t> likely_age = norms::likely_age_variable(survey);
    const int age = likely_age ? static_cast<int>(*likely_age) : -1;
    age_box_->setCurrentIndex(age + 1);
    const int score = age_box_->findText(text(choices.score_variable)) - 1;
    // The ranking group: the study's group variable, else a likely one, else the first.
    group_box_->setCurrentIndex(
        static_cast<int>(norms::likely_group_variable(survey, {score, age}, choices.group_variable).value_or(0)));
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
                               ", raw scores " + scoreRangeText() + " (chosen beside the norms tables)");
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

// MIN to MAX as the norms tables chose them, with their decimals.
QString ContinuousPanel::scoreRangeText() const
{
    if (const std::optional<norms::ScoreGrid>& grid = study_choices_.grid)
        return text(grid->text(0)) + " to " + text(grid->text(grid->rows - 1));
    return QString::number(study_choices_.min_score) + " to " + QString::number(study_choices_.max_score);
}

std::optional<ContinuousChoices> ContinuousPanel::chosen()
{
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
    std::tie(layout.min_score, layout.max_score) = norms::enclosing_score_range(study_choices_);
    // Scores with decimals: the Taylor model takes them as they are, within MIN and MAX.
    layout.whole_scores = !study_choices_.grid;
    if (age_box_->currentIndex() > 0)
        layout.age_variable = age_box_->currentText().toStdString();
    stats::ContinuousOptions& model = chosen.model;
    if (by_groups_->isChecked())
        layout.group_variable = group_box_->currentText().toStdString();
    else
        model.window_width = norms::parse_plain_number(width_box_->text().trimmed().toStdString()).value_or(0);
    model.scale = linear_scales()[static_cast<std::size_t>(std::max(scale_box_->currentIndex(), 0))];
    model.k = k_box_->value();
    model.t = t_box_->value();
    terms_box_->setMaximum(stats::candidate_term_count(model.k, model.t));
    if (by_terms_->isChecked()) {
        model.terms = terms_box_->value();
    } else if (by_r2_->isChecked()) {
        model.rule = stats::ModelRule::adjusted_r2;
        model.r2 = norms::parse_plain_number(r2_box_->text().trimmed().toStdString()).value_or(0);
    }
    if (family_box_->currentIndex() == best_family_item) {
        // The family's choice rests on the terms' cross-validation.
        model.rule = stats::ModelRule::cross_validation;
        model.terms = 0;
        chosen.best_family = true;
    } else if (family_box_->currentIndex() == beta_binomial_item) {
        const auto degree = [](const QSpinBox* box) {
            return box->value() < 0 ? std::nullopt : std::optional(box->value());
        };
        chosen.family = norms::BetaBinomialFamily{items_box_->value(), degree(alpha_box_), degree(beta_box_)};
        // A score above the items is refused with its place, as vornak-batch refuses it.
        layout.max_score = std::min<std::int64_t>(layout.max_score, items_box_->value());
    }
    chosen.bootstrap.resamples = bootstrap_box_->value();
    chosen.bootstrap.seed = static_cast<std::uint64_t>(seed_box_->value());
    QStringList problems;
    for (const std::string& problem : norms::continuous_choice_problems(chosen))
        problems << text(problem);
    if (family_box_->currentIndex() == taylor_item) {
        std::variant<norms::ScoreGrid, std::string> rows = chosenRows();
        if (const auto* grid = std::get_if<norms::ScoreGrid>(&rows); grid && !grid->whole_steps())
            chosen.raw_scores = grid->scores();
        else if (const auto* refusal = std::get_if<std::string>(&rows))
            problems << text(*refusal);
    }
    problem_label_->setText(problems.join('\n'));
    problem_label_->setVisible(!problems.isEmpty());
    if (!problems.isEmpty())
        return std::nullopt;
    return chosen;
}

// The rows MIN, MIN + S, … MAX by the step, as vornak-batch continuous --step makes them, or why
// they make no grid.
std::variant<norms::ScoreGrid, std::string> ContinuousPanel::chosenRows() const
{
    const int decimals = step_box_->decimals();
    const std::optional<norms::ScoreGrid>& range = study_choices_.grid;
    const std::string min_text = range ? range->text(0) : std::to_string(study_choices_.min_score);
    const std::string max_text = range ? range->text(range->rows - 1) : std::to_string(study_choices_.max_score);
    return norms::ParseScoreGrid(min_text, max_text, norms::ScoreUnitsText(step_box_->value(), decimals));
}

// The family's own boxes take input, the other family's wait.
void ContinuousPanel::showFamily()
{
    const bool beta_binomial = family_box_->currentIndex() == beta_binomial_item;
    const bool best = family_box_->currentIndex() == best_family_item;
    for (QWidget* box : {k_box_, t_box_})
        box->setEnabled(!beta_binomial);
    terms_box_->parentWidget()->setEnabled(!beta_binomial && !best);
    for (QWidget* box : {items_box_, alpha_box_, beta_box_})
        box->setEnabled(beta_binomial);
    // Only the Taylor polynomial's tables take rows by a step.
    step_box_->setEnabled(!beta_binomial && !best);
}

}  // namespace ui
