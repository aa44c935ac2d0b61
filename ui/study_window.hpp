// The norms-study window: one data file, frequency or per-person, turned into a norms table per
// group and a chart, with the choices beside them. The work runs on a StudyRunner, off this
// thread; the window shows the choices, the tables and the runner's progress.
#pragma once

#include <optional>

#include <QMainWindow>
#include <QTimer>

#include "norms/run/norms_study.hpp"
#include "platform/desktop.hpp"
#include "ui/study_runner.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QSpinBox;
class QTabWidget;

namespace ui {

class ChartCanvas;
class ContinuousPanel;
class NormsTableView;
class ScaleChoice;

class StudyWindow : public QMainWindow {
    Q_OBJECT

public:
    // Keeps its size, last folder and choices in `settings`.
    StudyWindow(platform::Desktop& desktop, QSettings& settings, QWidget* parent = nullptr);
    ~StudyWindow() override;

    // Reads the file and computes its tables, in the background.
    void loadFile(const QString& path);
    // No step running or waiting.
    bool idle() const;

    // The tables on screen, if any, and whether they belong to an earlier file or choices.
    const std::optional<norms::GroupTables>& tables() const { return runner_.tables(); }
    bool results_outdated() const;

    void openData();
    void openModel();
    void exportCsv();
    void exportExcel();
    // Asks for the manual table's choices in its dialog, then for its file.
    void exportManualTable();
    void saveChart();
    void saveModel();
    void copy();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    QWidget* createChoices();
    QWidget* createResults();
    QWidget* createProgress();
    void restoreSettings();
    void saveSettings() const;

    void fileLoaded();
    void countChoicesChanged();
    void tableChoicesChanged();
    void tablesReady();
    void stepFailed(const QString& message, const std::string& data_file, bool while_loading);
    void showTables();
    void showOutdated(const QString& reason);
    void showChart();
    void setRange(int column);
    void chooseMargins();
    void showMargins();
    void showWeighting();

    norms::StudyChoices countChoices() const;
    norms::TableChoices tableChoices();
    NormsTableView* currentTable() const;
    bool continuousShown() const;
    void enableCommands();
    QString dataName(const std::string& path) const;
    std::string tablesFile() const;

    platform::Desktop& desktop_;
    QSettings& settings_;
    StudyRunner runner_;
    platform::FileDialog open_dialog_;
    platform::FileDialog csv_dialog_;
    platform::FileDialog xlsx_dialog_;
    platform::FileDialog manual_dialog_;
    platform::FileDialog chart_dialog_;
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
    QSpinBox* min_box_ = nullptr;
    QSpinBox* max_box_ = nullptr;
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
    QProgressBar* progress_bar_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
    QAction* export_csv_ = nullptr;
    QAction* export_excel_ = nullptr;
    QAction* export_manual_ = nullptr;
    QAction* save_chart_ = nullptr;
    QAction* copy_ = nullptr;
    QTabWidget* modes_ = nullptr;  // the norms tables, or continuous norms
    ContinuousPanel* continuous_ = nullptr;
    QAction* save_model_ = nullptr;

    QTimer typing_pause_;   // a raw-score range counts once the typing in its boxes pauses
    bool filling_ = false;  // choices are being set from a file, not by the user
};

}  // namespace ui
