// The chart window: the chart of a run, drawn to fit the window, with "Save Picture..." and
// "Close".
#pragma once

#include <QWidget>

#include "norms/write/chart_model.hpp"
#include "platform/desktop.hpp"

namespace ui {

// Asks for a .png, .svg or .pdf file, proposing dialog's name, and writes the chart there; the
// dialog keeps the name chosen. Throws platform::Failure when the file cannot be written.
void SaveChartThroughDialog(platform::Desktop& desktop, platform::FileDialog& dialog,
                            const norms::ChartModel& chart);

// The file dialog for a chart's picture, proposing `name`.
platform::FileDialog ChartPictureDialog(const std::string& name);

class ChartWindow : public QWidget {
    Q_OBJECT

public:
    ChartWindow(platform::Desktop& desktop, QWidget* parent);

    void set_chart(norms::ChartModel chart);
    const norms::ChartModel& chart() const { return chart_; }

    // Asks for a .png, .svg or .pdf file and writes the picture there; throws
    // platform::Failure when it cannot be written.
    void cmdSavePictureClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    platform::Desktop& desktop_;
    platform::FileDialog picture_dialog_;
    norms::ChartModel chart_;
    QWidget* buttons_ = nullptr;
};

}  // namespace ui
