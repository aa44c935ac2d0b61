// The chart window: the chart of a run, drawn to fit the window, with "Save Picture..." and
// "Close".
#pragma once

#include <QWidget>

#include "norms/chart_model.hpp"
#include "platform/desktop.hpp"

namespace ui {

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
