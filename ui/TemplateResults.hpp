// The results viewer: the window that collects the reports of the Compute runs and saves,
// prints and clears them. It is created hidden and shown by a successful run, and it leaves
// only through "Return to Worksheet" or "Exit".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>

#include "norms/tables/norms_table.hpp"
#include "norms/write/views.hpp"
#include "platform/desktop.hpp"

class QAction;
class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class ChartWindow;
class NormScalesWindow;

class TfrmTemplateResults : public QMainWindow, public norms::ResultsView {
    Q_OBJECT

public:
    // "Return to Worksheet" shows the worksheet window again.
    explicit TfrmTemplateResults(platform::Desktop& desktop, QWidget* worksheet = nullptr);
    void set_worksheet(QWidget* worksheet) { worksheet_ = worksheet; }

    // norms::ResultsView
    void show() override;
    void set_caption(const std::string& caption) override;
    bool has_lines() const override;
    // Shows the appended lines from the first, with the caret there.
    void append_lines(const std::vector<std::string>& lines) override;
    void keep_run(const norms::NormsRun& run) override;

    // The commands. A failure inside one is thrown as platform::Failure.
    void cmdSaveOutputClick();
    void cmdClearResultsClick();
    void cmdReturnClick();
    void cmdExitClick();
    void mnuPrintClick();
    void mnuPrintSelectionClick();
    // The "Table" menu: both work on the latest run's computed table, whatever the report text
    // now holds, and warn when no run has been made yet.
    void mnuChartClick();
    void mnuNormScalesClick();
    void mnuExportCsvClick();
    void mnuExportExcelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenu();
    bool warnWithoutRun();
    void createControls();
    void showFromLine(int line);
    // Runs a command of this window, showing a failure inside it in the standard error box.
    void runCommand(void (TfrmTemplateResults::*command)());

    platform::Desktop& desktop_;
    QWidget* worksheet_;
    platform::FileDialog SaveDialog1;
    bool shown_before_ = false;
    std::optional<norms::NormsRun> latest_run_;
    platform::FileDialog csv_dialog_;
    platform::FileDialog xlsx_dialog_;
    ChartWindow* chart_window_ = nullptr;
    NormScalesWindow* norm_scales_window_ = nullptr;

    QAction* mnuPrint = nullptr;
    QAction* mnuPrintSelection = nullptr;
    QAction* mnuChart = nullptr;
    QAction* mnuNormScales = nullptr;
    QAction* mnuExportCsv = nullptr;
    QAction* mnuExportExcel = nullptr;
    QFrame* Panel1 = nullptr;
    QPlainTextEdit* memoResults = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* cmdSaveOutput = nullptr;
    QPushButton* cmdClearResults = nullptr;
    QPushButton* cmdReturn = nullptr;
    QPushButton* cmdExit = nullptr;
};

}  // namespace ui
