// The chart of a norms table: the percentile rank of every raw score with its 95% and 90%
// intervals shaded behind it. Everything a picture of it needs (points, bands, axis ranges,
// ticks and texts) is worked out here, so every drawing of one run agrees.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norms {

struct NormsRun;

struct ChartTick {
    double value;
    std::string label;
};

struct ChartAxis {
    std::string label;
    double min = 0;
    double max = 0;
    std::vector<ChartTick> ticks;
};

struct ChartPoint {
    double score;
    double pr;  // percent
};

// One raw score's interval in percent. Raw scores are discrete, so it covers the score's own
// column, from score - 0.5 to score + 0.5.
struct ChartInterval {
    double score;
    double lower;
    double upper;
};

// A line through points (x, y) with its legend entry, for charts of other things than one
// norms table, such as the precision curves of a sample-size plan.
struct ChartXY {
    double x;
    double y;
};

struct ChartLine {
    std::string legend;
    std::vector<ChartXY> points;
};

// A level marked across the whole plot, such as a limit the lines should stay under.
struct ChartMark {
    double y;
    std::string legend;
};

struct ChartModel {
    std::string title;
    ChartAxis x;  // raw score
    ChartAxis y;  // percentile rank, 0 to 100
    bool x_logarithmic = false;  // positions along x by the logarithm (x.min > 0)
    std::vector<ChartPoint> points;
    std::vector<ChartInterval> band95;
    std::vector<ChartInterval> band90;
    std::string points_legend = "Percentile rank";
    std::string band95_legend = "95% interval";
    std::string band90_legend = "90% interval";
    std::vector<ChartLine> lines;  // legend entries in a box at the plot's top right
    std::optional<ChartMark> mark;
    // Points on their own, unconnected and under everything else, such as a sample's cases.
    std::vector<ChartXY> scatter;
    std::string scatter_legend;
    // Places to warn of, such as where a model's curves cross: red crosses over everything else.
    std::vector<ChartXY> alerts;
    std::string alerts_legend;
};

ChartModel BuildChartModel(const NormsRun& run);

// Ticks from `first` to `last` at the smallest step of 1, 2 or 5 times a power of ten (at least
// 1) that makes at most `most_steps` steps of the span, labelled as whole numbers.
std::vector<ChartTick> round_ticks(double first, double last, int most_steps);

// Ticks from `first` to `last` at the smallest step of 1, 2 or 5 times a power of ten, below 1
// too, that makes at most `most_steps` steps of the span, labelled with the step's decimals.
std::vector<ChartTick> decimal_ticks(double first, double last, int most_steps);

enum class ChartFormat { Png, Svg, Pdf };

// The picture format named by a file's ending (".png", ".svg" or ".pdf", in any case).
std::optional<ChartFormat> ChartFormatOf(std::string_view path);

// The chart drawn as the bytes of a picture file in the format. The drawing is Qt's, so the
// windows' layer provides it to the layers below.
using ChartPainter = std::function<std::string(ChartFormat format, const ChartModel& chart)>;

}  // namespace norms
