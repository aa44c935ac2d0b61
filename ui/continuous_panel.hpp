// The study window's continuous norms: one model of the raw score over the location within the
// ranking group and age (the Taylor polynomial), or a beta-binomial distribution of the item
// count over age, fitted to the study's file and score variable or read from a model file, with
// its search, its percentile curves over the cases and its norm table at any age. The widgets
// make a norms::ContinuousChoices as vornak-batch continuous does, and every number is the one
// it prints. The choice widgets are in continuous_panel_choices.cpp.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include <QTimer>
#include <QWidget>

#include "norms/run/norms_study.hpp"
#include "platform/desktop.hpp"
#include "ui/continuous_runner.hpp"
#include "ui/table_exports.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace ui {

// The family box's items, in their order.
enum ContinuousFamilyItem { taylor_item, beta_binomial_item, best_family_item };
// The item the tab starts with.
inline constexpr int default_family_item = best_family_item;

class ChartCanvas;
class DecimalSpinBox;
class NormsTableView;

class ContinuousPanel : public QWidget {
    Q_OBJECT

public:
    ContinuousPanel(platform::Desktop& desktop, QWidget* parent);

    // The study's file and its chosen score variable and range of raw scores. A new file
    // takes the place of a model read from its file.
    void set_study(const norms::StudyFile& file, const norms::StudyChoices& choices);
    // Asks for a model file, then shows its tables and curves without data.
    void openModel();
    void loadModel(const QString& path);

    // No step running or waiting.
    bool idle() const;
    // The tables shown, if any: the Taylor model's, else the beta-binomial model's.
    const std::optional<norms::ContinuousTables>& tables() const { return runner_.tables(); }
    bool has_tables() const { return tables() || runner_.beta_binomial_tables(); }

    void copy();
    void exportCsv();
    void exportExcel();
    void saveModel();
    void saveChart();

signals:
    // Tables came or went: the commands that take them may change.
    void resultsChanged();

protected:
    bool event(QEvent* event) override;

private:
    QWidget* createChoices();
    QWidget* createResults();
    QWidget* createProgress();
    void fillVariables(const norms::StudyFile& file, const norms::StudyChoices& choices);
    void showSource();
    void choicesChanged();
    std::optional<ContinuousChoices> chosen();
    QString scoreRangeText() const;
    std::variant<norms::ScoreGrid, std::string> chosenRows() const;
    std::optional<std::vector<stats::Extended>> chosenAges();
    void tablesReady();
    void stepFailed(const QString& message, ContinuousRunner::Step step);
    void stepCancelled(ContinuousRunner::Step step);
    void showAges(stats::ValueRange model_ages, const std::vector<stats::Extended>& ages);
    void showCases();
    // A first table: at the round age nearest the middle of the model's. True when asked for.
    bool proposeAge(stats::ValueRange model_ages);
    void showFamily();
    void showBetaBinomialTables();
    void takeSliderAge(int position);
    void takeSearchPoint(std::size_t point);
    norms::ContinuousSource source() const;
    std::string baseName() const;

    platform::Desktop& desktop_;
    ContinuousRunner runner_;
    // The study's file and choices, and the model file whose model is shown instead, if any.
    std::shared_ptr<const norms::CaseColumns> study_cases_;
    std::string data_path_;
    norms::StudyChoices study_choices_;
    std::string model_path_;
    std::vector<stats::Extended> slider_ages_;
    bool filling_ = false;
    QTimer typing_pause_;  // typed ages and numbers count once the typing pauses

    TableExports exports_;
    platform::FileDialog open_model_dialog_;
    platform::FileDialog model_dialog_;

    QWidget* choices_ = nullptr;
    QLabel* source_label_ = nullptr;
    QSpinBox* min_box_ = nullptr;  // the raw scores of a model's tables
    QSpinBox* max_box_ = nullptr;
    DecimalSpinBox* step_box_ = nullptr;  // the rows' step, in the score variable's decimals
    QWidget* data_choices_ = nullptr;
    QComboBox* age_box_ = nullptr;
    QRadioButton* by_groups_ = nullptr;
    QComboBox* group_box_ = nullptr;
    QRadioButton* by_windows_ = nullptr;
    QLineEdit* width_box_ = nullptr;
    QComboBox* scale_box_ = nullptr;
    QSpinBox* k_box_ = nullptr;
    QSpinBox* t_box_ = nullptr;
    QRadioButton* by_cross_validation_ = nullptr;
    QRadioButton* by_r2_ = nullptr;
    QLineEdit* r2_box_ = nullptr;
    QRadioButton* by_terms_ = nullptr;
    QSpinBox* terms_box_ = nullptr;
    QComboBox* family_box_ = nullptr;
    QSpinBox* items_box_ = nullptr;
    QSpinBox* alpha_box_ = nullptr;  // -1: the degrees chosen by BIC
    QSpinBox* beta_box_ = nullptr;
    QSpinBox* bootstrap_box_ = nullptr;
    QSpinBox* seed_box_ = nullptr;
    QLabel* cases_label_ = nullptr;
    QLabel* problem_label_ = nullptr;
    QLabel* status_label_ = nullptr;
    QProgressBar* progress_bar_ = nullptr;
    QPushButton* cancel_button_ = nullptr;

    QLabel* outdated_label_ = nullptr;
    QPlainTextEdit* model_text_ = nullptr;
    ChartCanvas* search_chart_ = nullptr;
    ChartCanvas* curves_chart_ = nullptr;
    QLineEdit* ages_box_ = nullptr;
    QSlider* age_slider_ = nullptr;
    QLabel* age_problem_label_ = nullptr;
    NormsTableView* table_ = nullptr;
};

}  // namespace ui
