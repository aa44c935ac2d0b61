#include "ui/chart_canvas.hpp"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "ui/chart_picture.hpp"

namespace ui {

ChartCanvas::ChartCanvas(QWidget* parent, QSize minimum) : QWidget(parent)
{
    setMinimumSize(minimum);
}

void ChartCanvas::set_chart(norms::ChartModel chart)
{
    chart_ = std::move(chart);
    update();
}

std::optional<std::size_t> ChartCanvas::point_at(QPointF position) const
{
    const QRectF plot = ChartPlotArea(rect());
    if (!plot.contains(position) || chart_.points.empty())
        return std::nullopt;
    std::optional<std::size_t> nearest;
    double nearest_distance = 0;
    for (std::size_t i = 0; i < chart_.points.size(); ++i) {
        const norms::ChartPoint& point = chart_.points[i];
        const double distance = std::abs(ChartPosition(chart_, plot, point.score, point.pr).x() - position.x());
        if (!nearest || distance < nearest_distance) {
            nearest = i;
            nearest_distance = distance;
        }
    }
    return nearest;
}

void ChartCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintChart(painter, rect(), chart_);
}

void ChartCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        if (const std::optional<std::size_t> point = point_at(event->position()))
            emit pointClicked(*point);
    QWidget::mousePressEvent(event);
}

}  // namespace ui
