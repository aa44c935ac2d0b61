// Drawing a chart of a norms table with QPainter: on the chart window, and into PNG, SVG and
// PDF files. All of them draw the same norms::ChartModel with the same code.
#pragma once

#include <string>

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QSize>

#include "norms/write/chart_model.hpp"

class QPainter;

namespace ui {

// ColorBrewer's "Blues": one hue in three clearly different lightnesses, so the bands and the
// points stay apart in grey print and for every kind of colour blindness.
inline const QColor ChartBand95Colour{0xc6, 0xdb, 0xef};
inline const QColor ChartBand90Colour{0x6b, 0xae, 0xd6};
inline const QColor ChartPointColour{0x08, 0x30, 0x6b};
// Scattered points: a mid grey, half transparent, so that crowded places show darker and the
// lines stay visible over them.
inline const QColor ChartScatterColour{0x70, 0x70, 0x70, 0x80};
inline constexpr double ChartScatterRadius = 2;
// Alerts, such as where a model's curves cross: red crosses, which no line or band uses.
inline const QColor ChartAlertColour{0xd6, 0x27, 0x28};
inline constexpr double ChartAlertRadius = 5;

// Pictures are this size in pixels; SVG and PDF at 96 pixels per inch.
inline constexpr QSize ChartPictureSize{960, 600};

// Where the plot's axes lie when a chart fills `area`.
QRectF ChartPlotArea(const QRectF& area);

// The position in `plot` of a raw score (or other x) and a percentile rank (or other y); on a
// logarithmic chart x goes by its logarithm.
QPointF ChartPosition(const norms::ChartModel& chart, const QRectF& plot, double score, double pr);

void PaintChart(QPainter& painter, const QRectF& area, const norms::ChartModel& chart);

// The chart as the bytes of a picture file of ChartPictureSize.
QByteArray ChartPicture(const norms::ChartModel& chart, norms::ChartFormat format);

// Writes the picture to `path`, keeping an existing file intact if the writing fails. Throws
// platform::Failure naming the file and the cause ("x.png: no such folder").
void SaveChartPicture(const std::string& path, norms::ChartFormat format,
                      const norms::ChartModel& chart);

}  // namespace ui
