// The norms-study window: one data file, frequency or per-person, turned into a norms table per
// group and a chart, with the choices beside them. Reading and computing run on a worker
// thread; a step that takes a while shows a progress bar that can cancel it.
#pragma once

#include <memory>
#include <optional>

#include <QFutureWatcher>
#include <QMainWindow>
#include <QTimer>

#include "norms/run/norms_study.hpp"
#include "platform/desktop.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace ui {

class ChartCanvas;
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
    const std::optional<norms::StudyTables>& tables() const { return tables_; }
    bool results_outdated() const;

    void openData();
    void exportCsv();
    void exportExcel();
    void saveChart();
    void copy();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // One step on the worker thread: what it gave, or why it did not.
    struct Outcome {
        std::optional<norms::StudyFile> file;
        std::optional<norms::StudyTables> tables;
        std::string error;
        bool cancelled = false;
    };
    enum class Next { Nothing, Compute, Load };

    void createActions();
    QWidget* createChoices();
    QWidget* createResults();
    void restoreSettings();
    void saveSettings() const;

    void start(std::function<Outcome(norms::StudyProgress&)> step);
    void stepFinished();
    void startNext();
    void cancelStep();
    void showProgress();

    void choicesChanged();
    void takeFile(norms::StudyFile file);
    void takeTables(norms::StudyTables tables);
    void scaleChanged();
    void showTables();
    std::vector<stats::NormScale> chosenScales() const;
    norms::StudyChoices choices() const;
    void showOutdated(const QString& reason);
    void showChart();
    QTableView* currentTable() const;
    QString dataName(const std::string& path) const;

    platform::Desktop& desktop_;
    QSettings& settings_;
    platform::FileDialog open_dialog_;
    platform::FileDialog csv_dialog_;
    platform::FileDialog xlsx_dialog_;
    platform::FileDialog chart_dialog_;

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
    QLabel* missing_label_ = nullptr;
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
    QAction* save_chart_ = nullptr;
    QAction* copy_ = nullptr;

    std::optional<norms::StudyFile> file_;      // the file the choices show
    std::optional<norms::StudyTables> tables_;  // the tables on screen
    std::string tables_file_;                   // the file they came from

    QFutureWatcher<Outcome> watcher_;
    std::shared_ptr<norms::StudyProgress> progress_;
    std::uint64_t step_bytes_ = 0;  // what the running step reads, for the progress bar
    Next next_ = Next::Nothing;
    QString next_path_;
    QString loading_path_;  // the file the running survey reads, if it is one
    QTimer recompute_timer_;
    QTimer progress_delay_;
    QTimer progress_poll_;
    bool filling_ = false;  // choices are being set from a file, not by the user
};

}  // namespace ui
