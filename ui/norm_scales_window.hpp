// The norm-scales window: a run's table with one normalised scale beside the ranks, rounded as
// a test manual prints it, with Copy (tab-separated, for spreadsheets) and "Export CSV...".
#pragma once

#include <optional>

#include <QWidget>

#include "norms/tables/norms_table.hpp"
#include "platform/desktop.hpp"
#include "stats/norm_scales.hpp"

class QPushButton;

namespace ui {

class NormsTableView;
class ScaleChoice;

class NormScalesWindow : public QWidget {
    Q_OBJECT

public:
    NormScalesWindow(platform::Desktop& desktop, QWidget* parent);

    void set_run(const norms::NormsRun& run);
    // The chosen scale; none while the custom mean or standard deviation is not a number, or
    // the standard deviation is not above 0.
    const std::optional<stats::NormScale>& scale() const;

    // Puts the selected rows, or all rows when none is selected, on the clipboard as
    // tab-separated text after a header line.
    void cmdCopyClick();
    // Asks for a file and writes the table with the scale's columns, as vornak-batch --csv
    // --scale does; throws platform::Failure when it cannot be written.
    void cmdExportCsvClick();

private:
    void createControls();
    void showTable();

    platform::Desktop& desktop_;
    platform::FileDialog csv_dialog_;
    norms::NormsRun run_;

    ScaleChoice* scale_choice_ = nullptr;
    NormsTableView* tblScores = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdExportCsv = nullptr;
};

}  // namespace ui
