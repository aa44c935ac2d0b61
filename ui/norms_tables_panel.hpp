// The study window's norms tables: one data file, frequency or per-person, turned into a norms
// table per group and a chart, with the choices beside them. The work runs on a StudyRunner, off
// this thread; the panel shows the choices, the tables and the runner's progress. The tables
// shown and their exports are in norms_tables_panel_results.cpp.
#pragma once

#include <optional>

#include <QTimer>
#include <QWidget>

#include "norms/run/norms_study.hpp"
#include "platform/desktop.hpp"
#include "ui/study_runner.hpp"
#include "ui/table_exports.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QSpinBox;
class QStatusBar;
class QTabWidget;

namespace ui {

class ChartCanvas;
class DecimalSpinBox;
class NormsTableView;
class ScaleChoice;

class NormsTablesPanel : public QWidget {
    Q_OBJECT

public:
    // Restores its choices from `settings` and keeps them there.
    NormsTablesPanel(platform::Desktop& desktop, QSettings& settings, QWidget* parent);

    // Shows the steps' progress, their Cancel button and their messages in the window's status
    // bar. Called once, after the window's other widgets, so that Cancel comes last on Tab.
    void createProgress(QStatusBar& status_bar);

    // Reads the file and computes its tables, in the background.
    void loadFile(const QString& path);
    // No step running or waiting.
    bool idle() const;

    // The tables on screen, if any, and whether they belong to an earlier file or choices.
    const std::optional<norms::GroupTables>& tables() const { return runner_.tables(); }
    bool results_outdated() const;
    // A group's table is in front, whose rows Copy takes.
    bool table_shown() const { return currentTable() != nullptr; }

    void saveSettings() const;

    void copy();
    void exportCsv();
    void exportExcel();
    // Asks for the manual table's choices in its dialog, then for its file.
    void exportManualTable();
    void saveChart();

signals:
    // A data file was read; `name` is its file name without the folder.
    void fileShown(const QString& name);
    // The file and the choices its tables are counted by, whenever either changes.
    void studyChosen(const norms::StudyFile& file, const norms::StudyChoices& choices);
    // Tables came, or another tab came in front: the commands that take them may change.
    void resultsChanged();

private:
    QWidget* createChoices();
    QWidget* createResults();
    void restoreSettings();

    void fileLoaded();
    void countChoicesChanged();
    void tableChoicesChanged();
    void tablesReady();
    void stepFailed(const QString& message, const std::string& data_file, bool while_loading);
    void stepCancelled(const std::string& data_file, bool while_loading);
    void showTables();
    void showOutdated(const QString& reason);
    void showChart();
    void setRange(int column);
    // Shows MIN, MAX and the step with `decimals` decimals, the step at its finest.
    void setDecimals(int decimals);
    void chooseMargins();
    void showMargins();
    void showWeighting();

    norms::StudyChoices countChoices() const;
    norms::TableChoices tableChoices();
    NormsTableView* currentTable() const;
    std::string tablesFile() const;

    platform::Desktop& desktop_;
    QSettings& settings_;
    StudyRunner runner_;
    TableExports exports_;
    platform::FileDialog manual_dialog_;
    platform::FileDialog margins_dialog_;

    // The population's shares the cases are raked to, and the file they came from.
    struct Margins {
        std::string path;
        std::vector<norms::MarginsVariable> variables;
    };
    std::optional<Margins> margins_;

    QLabel* file_label_ = nullptr;
    QLabel* size_label_ = nullptr;
    QComboBox* score_box_ = nullptr;
    QComboBox* group_box_ = nullptr;
    DecimalSpinBox* min_box_ = nullptr;
    DecimalSpinBox* max_box_ = nullptr;
    DecimalSpinBox* step_box_ = nullptr;  // the raw scores' step, in the same decimals
    QLabel* n_label_ = nullptr;
    QComboBox* method_box_ = nullptr;
    ScaleChoice* scale_choice_ = nullptr;
    QLineEdit* cutoffs_box_ = nullptr;
    QComboBox* weight_box_ = nullptr;
    QWidget* margins_row_ = nullptr;
    QPushButton* rake_button_ = nullptr;
    QPushButton* no_rake_button_ = nullptr;
    QLabel* margins_label_ = nullptr;
    QLabel* missing_label_ = nullptr;
    QLabel* weighting_label_ = nullptr;
    QWidget* choices_ = nullptr;
    QLabel* outdated_label_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QWidget* chart_choice_ = nullptr;  // the group to draw, when there are several
    QComboBox* chart_group_box_ = nullptr;
    ChartCanvas* chart_ = nullptr;
    QStatusBar* status_bar_ = nullptr;
    QProgressBar* progress_bar_ = nullptr;
    QPushButton* cancel_button_ = nullptr;

    QTimer typing_pause_;   // a raw-score range counts once the typing in its boxes pauses
    bool filling_ = false;  // choices are being set from a file, not by the user
    // The decimals of the raw-score boxes: the score variable's, up to most_box_decimals.
    static constexpr int most_box_decimals = 3;
    int decimals_ = 0;
};

}  // namespace ui
