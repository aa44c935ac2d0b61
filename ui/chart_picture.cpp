#include "ui/chart_picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "platform/whole_file.hpp"

namespace ui {
namespace {

// A text of the chart as the picture shows it: a label or a file name may hold control
// characters, which no picture can show and which an SVG, as XML, may not hold.
QString chart_text(const std::string& text)
{
    return QString::fromStdString(platform::PrintableText(text, 0));
}

const QColor grid_colour{0xe3, 0xe3, 0xe3};
const QColor frame_colour{0x60, 0x60, 0x60};

// ColorBrewer's "Dark2" for the lines, solid for the first eight and dashed after, so that
// neighbouring lines differ in hue and a twelfth still differs from the first in its pattern.
const QColor line_colours[] = {{0x1b, 0x9e, 0x77}, {0xd9, 0x5f, 0x02}, {0x75, 0x70, 0xb3},
                               {0xe7, 0x29, 0x8a}, {0x66, 0xa6, 0x1e}, {0xe6, 0xab, 0x02},
                               {0xa6, 0x76, 0x1d}, {0x66, 0x66, 0x66}};

QPen line_pen(std::size_t index)
{
    constexpr std::size_t colours = std::size(line_colours);
    QPen pen(line_colours[index % colours], 2);
    if (index / colours % 2 == 1)
        pen.setStyle(Qt::DashLine);
    return pen;
}

QPen mark_pen()
{
    return QPen(Qt::black, 1.5, Qt::DashDotLine);
}

QFont chart_font(int pixels, bool bold = false)
{
    QFont font("Liberation Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A band as one shape: the upper limits as steps from left to right, then the lower limits
// back. One shape rather than a rectangle per score leaves no hairline seams between scores.
QPolygonF band_shape(const norms::ChartModel& chart, const QRectF& plot,
                     const std::vector<norms::ChartInterval>& band)
{
    QPolygonF shape;
    for (const norms::ChartInterval& interval : band) {
        shape << ChartPosition(chart, plot, interval.score - 0.5, interval.upper)
              << ChartPosition(chart, plot, interval.score + 0.5, interval.upper);
    }
    for (auto interval = band.rbegin(); interval != band.rend(); ++interval) {
        shape << ChartPosition(chart, plot, interval->score + 0.5, interval->lower)
              << ChartPosition(chart, plot, interval->score - 0.5, interval->lower);
    }
    return shape;
}

// Markers shrink as the scores crowd together, down to a size that still shows.
double marker_radius(const norms::ChartModel& chart, const QRectF& plot)
{
    const double column = plot.width() / std::max(1.0, chart.x.max - chart.x.min);
    return std::clamp(column / 3, 2.0, 5.0);
}

void paint_grid_and_ticks(QPainter& painter, const norms::ChartModel& chart, const QRectF& plot)
{
    painter.setFont(chart_font(12));
    const QFontMetricsF metrics(painter.font());
    for (const norms::ChartTick& tick : chart.x.ticks) {
        const double x = ChartPosition(chart, plot, tick.value, 0).x();
        painter.setPen(QPen(grid_colour, 1));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        if (tick.label.empty())
            continue;
        const QString label = chart_text(tick.label);
        painter.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2,
                                 plot.bottom() + 6 + metrics.ascent()),
                         label);
    }
    for (const norms::ChartTick& tick : chart.y.ticks) {
        const double y = ChartPosition(chart, plot, chart.x.min, tick.value).y();
        painter.setPen(QPen(grid_colour, 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawLine(QPointF(plot.left() - 4, y), QPointF(plot.left(), y));
        const QString label = chart_text(tick.label);
        painter.drawText(QPointF(plot.left() - 7 - metrics.horizontalAdvance(label),
                                 y + metrics.capHeight() / 2),
                         label);
    }
}

void paint_axis_labels(QPainter& painter, const norms::ChartModel& chart, const QRectF& plot)
{
    painter.setFont(chart_font(13));
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(painter.font());
    const QString x_label = chart_text(chart.x.label);
    painter.drawText(QPointF(plot.center().x() - metrics.horizontalAdvance(x_label) / 2,
                             plot.bottom() + 40),
                     x_label);
    const QString y_label = chart_text(chart.y.label);
    painter.save();
    painter.translate(plot.left() - 40, plot.center().y() + metrics.horizontalAdvance(y_label) / 2);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), y_label);
    painter.restore();
}

void paint_marker(QPainter& painter, QPointF centre, double radius)
{
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(ChartPointColour);
    painter.drawEllipse(centre, radius, radius);
}

void paint_scatter_dot(QPainter& painter, QPointF centre)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(ChartScatterColour);
    painter.drawEllipse(centre, ChartScatterRadius, ChartScatterRadius);
}

void paint_alert(QPainter& painter, QPointF centre)
{
    painter.setPen(QPen(ChartAlertColour, 2.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF arm(ChartAlertRadius, ChartAlertRadius);
    const QPointF other_arm(ChartAlertRadius, -ChartAlertRadius);
    painter.drawLine(centre - arm, centre + arm);
    painter.drawLine(centre - other_arm, centre + other_arm);
}

// Alerts over everything else, kept inside the plot.
void paint_alerts(QPainter& painter, const norms::ChartModel& chart, const QRectF& plot)
{
    painter.save();
    painter.setClipRect(plot);
    for (const norms::ChartXY& point : chart.alerts)
        paint_alert(painter, ChartPosition(chart, plot, point.x, point.y));
    painter.restore();
}

// Scattered points, kept inside the plot.
void paint_scatter(QPainter& painter, const norms::ChartModel& chart, const QRectF& plot)
{
    painter.save();
    painter.setClipRect(plot);
    for (const norms::ChartXY& point : chart.scatter)
        paint_scatter_dot(painter, ChartPosition(chart, plot, point.x, point.y));
    painter.restore();
}

// The title, and under it the legend in one row, above the plot where it never hides data. The
// row starts over the plot, or further left when it would not fit there.
void paint_title_and_legend(QPainter& painter, const norms::ChartModel& chart, const QRectF& area,
                            const QRectF& plot)
{
    painter.setPen(Qt::black);
    painter.setFont(chart_font(16, true));
    painter.drawText(QRectF(area.left(), area.top() + 8, area.width(), 24), Qt::AlignCenter,
                     chart_text(chart.title));

    std::vector<std::pair<std::function<void(QPointF)>, QString>> entries;
    const auto add = [&](std::function<void(QPointF)> symbol, const std::string& text) {
        entries.emplace_back(std::move(symbol), chart_text(text));
    };
    if (!chart.points.empty())
        add(
            [&](QPointF at) {
                painter.setPen(QPen(ChartPointColour, 1.5));
                painter.drawLine(at - QPointF(11, 0), at + QPointF(11, 0));
                paint_marker(painter, at, 4);
            },
            chart.points_legend);
    if (!chart.scatter.empty())
        add([&](QPointF at) { paint_scatter_dot(painter, at); }, chart.scatter_legend);
    if (!chart.alerts.empty())
        add([&](QPointF at) { paint_alert(painter, at); }, chart.alerts_legend);
    for (const auto& [colour, band, text] :
         {std::tuple{ChartBand95Colour, &chart.band95, chart.band95_legend},
          std::tuple{ChartBand90Colour, &chart.band90, chart.band90_legend}}) {
        if (band->empty())
            continue;
        add(
            [&painter, colour](QPointF at) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(colour);
                painter.drawRect(QRectF(at.x() - 11, at.y() - 7, 22, 14));
            },
            text);
    }

    painter.setFont(chart_font(13));
    const QFontMetricsF metrics(painter.font());
    const auto width_of = [&](const QString& label) { return 30 + metrics.horizontalAdvance(label) + 24; };
    double row_width = -24;
    for (const auto& entry : entries)
        row_width += width_of(entry.second);
    const double middle = area.top() + 46;
    double x = std::max(area.left() + 8, std::min(plot.left(), area.right() - 8 - row_width));
    for (const auto& [symbol, label] : entries) {
        symbol(QPointF(x + 11, middle));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + 30, middle + metrics.capHeight() / 2), label);
        x += width_of(label);
    }
}

// The lines and the mark, kept inside the plot: a line may start far above its range.
void paint_lines(QPainter& painter, const norms::ChartModel& chart, const QRectF& plot)
{
    painter.save();
    painter.setClipRect(plot);
    painter.setBrush(Qt::NoBrush);
    if (chart.mark) {
        painter.setPen(mark_pen());
        const double y = ChartPosition(chart, plot, chart.x.min, chart.mark->y).y();
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    for (std::size_t i = 0; i < chart.lines.size(); ++i) {
        QPolygonF line;
        for (const norms::ChartXY& point : chart.lines[i].points)
            line << ChartPosition(chart, plot, point.x, point.y);
        painter.setPen(line_pen(i));
        painter.drawPolyline(line);
    }
    painter.restore();
}

// The plot's corner whose box hides the fewest of the chart's points, the top right when no
// corner is clearer: rising percentile curves leave the bottom right free, falling ones the top.
QRectF legend_box(const norms::ChartModel& chart, const QRectF& plot, const QSizeF& size)
{
    const QRectF inner = plot.adjusted(12, 12, -12, -12);
    const std::array corners{QRectF(QPointF(inner.right() - size.width(), inner.top()), size),
                             QRectF(inner.topLeft(), size),
                             QRectF(QPointF(inner.right() - size.width(), inner.bottom() - size.height()), size),
                             QRectF(QPointF(inner.left(), inner.bottom() - size.height()), size)};
    std::array<std::size_t, corners.size()> hidden{};
    const auto count = [&](double x, double y) {
        const QPointF at = ChartPosition(chart, plot, x, y);
        for (std::size_t c = 0; c < corners.size(); ++c)
            hidden[c] += corners[c].contains(at) ? 1 : 0;
    };
    for (const norms::ChartLine& line : chart.lines)
        for (const norms::ChartXY& point : line.points)
            count(point.x, point.y);
    for (const norms::ChartPoint& point : chart.points)
        count(point.score, point.pr);
    for (const norms::ChartXY& point : chart.scatter)
        count(point.x, point.y);
    return corners[std::ranges::min_element(hidden) - hidden.begin()];
}

// The lines' legend, one entry a row in a box in the plot's clearest corner.
void paint_lines_legend(QPainter& painter, const norms::ChartModel& chart, const QRectF& plot)
{
    std::vector<std::pair<QPen, QString>> entries;
    for (std::size_t i = 0; i < chart.lines.size(); ++i)
        entries.emplace_back(line_pen(i), chart_text(chart.lines[i].legend));
    if (chart.mark)
        entries.emplace_back(mark_pen(), chart_text(chart.mark->legend));
    if (entries.empty())
        return;
    painter.setFont(chart_font(12));
    const QFontMetricsF metrics(painter.font());
    double text_width = 0;
    for (const auto& entry : entries)
        text_width = std::max(text_width, metrics.horizontalAdvance(entry.second));
    const double row = 18;
    const QRectF box = legend_box(chart, plot, QSizeF(40 + text_width + 10, row * entries.size() + 8));
    painter.setPen(QPen(frame_colour, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    double middle = box.top() + 4 + row / 2;
    for (const auto& [pen, text] : entries) {
        painter.setPen(pen);
        painter.drawLine(QPointF(box.left() + 8, middle), QPointF(box.left() + 34, middle));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(box.left() + 40, middle + metrics.capHeight() / 2), text);
        middle += row;
    }
}

}  // namespace

QRectF ChartPlotArea(const QRectF& area)
{
    return area.adjusted(72, 72, -28, -56);
}

QPointF ChartPosition(const norms::ChartModel& chart, const QRectF& plot, double score, double pr)
{
    const auto along_x = [&](double x) { return chart.x_logarithmic ? std::log10(x) : x; };
    const double x_span = along_x(chart.x.max) - along_x(chart.x.min);
    const double y_span = chart.y.max - chart.y.min;
    return {plot.left() + (along_x(score) - along_x(chart.x.min)) / x_span * plot.width(),
            plot.bottom() - (pr - chart.y.min) / y_span * plot.height()};
}

void PaintChart(QPainter& painter, const QRectF& area, const norms::ChartModel& chart)
{
    const QRectF plot = ChartPlotArea(area);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);

    paint_grid_and_ticks(painter, chart, plot);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ChartBand95Colour);
    painter.drawPolygon(band_shape(chart, plot, chart.band95));
    painter.setBrush(ChartBand90Colour);
    painter.drawPolygon(band_shape(chart, plot, chart.band90));
    paint_scatter(painter, chart, plot);

    QPolygonF line;
    for (const norms::ChartPoint& point : chart.points)
        line << ChartPosition(chart, plot, point.score, point.pr);
    painter.setPen(QPen(ChartPointColour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
    const double radius = marker_radius(chart, plot);
    for (const QPointF& centre : line)
        paint_marker(painter, centre, radius);
    paint_lines(painter, chart, plot);
    paint_alerts(painter, chart, plot);

    painter.setPen(QPen(frame_colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    paint_axis_labels(painter, chart, plot);
    paint_title_and_legend(painter, chart, area, plot);
    paint_lines_legend(painter, chart, plot);
    painter.restore();
}

QByteArray ChartPicture(const norms::ChartModel& chart, norms::ChartFormat format)
{
    const QRectF area(QPointF(0, 0), ChartPictureSize);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (format) {
    case norms::ChartFormat::Png: {
        QImage image(ChartPictureSize, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintChart(painter, area, chart);
        painter.end();
        image.save(&buffer, "PNG");
        break;
    }
    case norms::ChartFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(ChartPictureSize);
        svg.setViewBox(area);
        svg.setResolution(96);
        // The generator writes the title into the XML as it stands.
        svg.setTitle(chart_text(chart.title).toHtmlEscaped());
        QPainter painter(&svg);
        PaintChart(painter, area, chart);
        break;
    }
    case norms::ChartFormat::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(chart_text(chart.title));
        pdf.setCreator("Vornak");
        pdf.setResolution(96);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(QSizeF(ChartPictureSize) * 72 / 96, QPageSize::Point, QString(),
                                  QPageSize::ExactMatch));
        QPainter painter(&pdf);
        PaintChart(painter, area, chart);
        break;
    }
    }
    return bytes;
}

void SaveChartPicture(const std::string& path, norms::ChartFormat format,
                      const norms::ChartModel& chart)
{
    try {
        platform::SaveWholeFile(path, ChartPicture(chart, format).toStdString());
    } catch (const platform::FileFailure& failure) {
        throw platform::output_failure(path, failure.error_code());
    }
}

}  // namespace ui
