// A chart drawn to fit a widget, as the study window shows its charts. A click near one of the
// chart's points names that point.
#pragma once

#include <optional>

#include <QWidget>

#include "norms/write/chart_model.hpp"

namespace ui {

class ChartCanvas : public QWidget {
    Q_OBJECT

public:
    explicit ChartCanvas(QWidget* parent, QSize minimum = {480, 300});

    void set_chart(norms::ChartModel chart);
    const norms::ChartModel& chart() const { return chart_; }

    // The place of the chart's point nearest along x to a click at `position` within the plot,
    // if there is one.
    std::optional<std::size_t> point_at(QPointF position) const;

signals:
    void pointClicked(std::size_t point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    norms::ChartModel chart_;
};

}  // namespace ui
