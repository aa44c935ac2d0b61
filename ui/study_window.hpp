// The norms-study window: one data file in two modes, its norms tables per group and a
// continuous norm model, each on a panel of its own. The window holds the menus and hands each
// command to the mode in front.
#pragma once

#include <optional>

#include <QMainWindow>

#include "norms/run/norms_study.hpp"
#include "platform/desktop.hpp"

class QSettings;
class QTabWidget;

namespace ui {

class ContinuousPanel;
class NormsTablesPanel;

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
    const std::optional<norms::GroupTables>& tables() const;
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
    void saveSettings() const;
    bool continuousShown() const;
    void enableCommands();

    platform::Desktop& desktop_;
    QSettings& settings_;
    platform::FileDialog open_dialog_;

    QAction* export_csv_ = nullptr;
    QAction* export_excel_ = nullptr;
    QAction* export_manual_ = nullptr;
    QAction* save_chart_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* save_model_ = nullptr;
    QTabWidget* modes_ = nullptr;  // the norms tables, or continuous norms
    NormsTablesPanel* tables_ = nullptr;
    ContinuousPanel* continuous_ = nullptr;
};

}  // namespace ui
