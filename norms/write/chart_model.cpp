#include "norms/write/chart_model.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "norms/tables/norms_table.hpp"
#include "platform/file_names.hpp"
#include "stats/interval_method.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// Whole numbers only, so no decimal separator is ever printed.
std::string whole(double value)
{
    return stats::format_fixed(value, 0, 0);
}

// The smallest step of 1, 2 or 5 times a power of ten that cuts the span into at most
// max_steps parts, so the labels stay apart from 3 scores up to 200.
double tick_step(double span, int max_steps)
{
    for (double power = 1;; power *= 10)
        for (double factor : {1.0, 2.0, 5.0})
            if (span / (factor * power) <= max_steps)
                return factor * power;
}

std::vector<ChartTick> ticks(double first, double last, double step)
{
    std::vector<ChartTick> result;
    for (double value = std::ceil(first / step) * step; value <= last; value += step)
        result.push_back({value, whole(value)});
    return result;
}

}  // namespace

ChartModel BuildChartModel(const NormsRun& run)
{
    ChartModel model;
    model.title = std::string(stats::interval_method_entry(run.method).caption) + ", n = " +
                  whole(run.sample_size) + ", " + platform::base_file_name(run.data_file_path);

    for (int j = 0; j < run.row_count; ++j) {
        const NormsRow& row = run.table[j];
        const double score = row.RawScore;
        model.points.push_back({score, double(row.PR)});
        model.band95.push_back({score, double(row.Lower95 * 100), double(row.Upper95 * 100)});
        model.band90.push_back({score, double(row.Lower90 * 100), double(row.Upper90 * 100)});
    }

    const double first = run.row_count > 0 ? double(run.table[0].RawScore) : 0;
    const double last = run.row_count > 0 ? double(run.table[run.row_count - 1].RawScore) : 0;
    if (run.score_decimals == 0) {
        model.x = {"Raw score", first - 0.5, last + 0.5, ticks(first, last, tick_step(last - first, 10))};
    } else {
        // Scores by a step of decimals: half a step of room at each end, and ticks with decimals.
        const double half_step = run.row_count > 1 ? double(run.table[1].RawScore - run.table[0].RawScore) / 2 : 0.5;
        model.x = {"Raw score", first - half_step, last + half_step, decimal_ticks(first, last, 10)};
    }
    model.y = {"Percentile rank", 0, 100, ticks(0, 100, 10)};
    return model;
}

std::vector<ChartTick> round_ticks(double first, double last, int most_steps)
{
    return ticks(first, last, tick_step(last - first, most_steps));
}

std::vector<ChartTick> decimal_ticks(double first, double last, int most_steps)
{
    int exponent = -12;
    double step = 1e-12;
    for (const double span = last - first; span / step > most_steps;) {
        if (span / (2 * step) <= most_steps) {
            step *= 2;
            break;
        }
        if (span / (5 * step) <= most_steps) {
            step *= 5;
            break;
        }
        step = std::pow(10.0, ++exponent);
    }
    const int decimals = std::max(0, -exponent);
    std::vector<ChartTick> result;
    for (auto k = static_cast<long long>(std::ceil(first / step)); k * step <= last; ++k)
        result.push_back({k * step, stats::format_fixed(k * step, 0, decimals)});
    return result;
}

std::optional<ChartFormat> ChartFormatOf(std::string_view path)
{
    const std::size_t dot = path.find_last_of("./");
    if (dot == std::string_view::npos || path[dot] != '.')
        return std::nullopt;
    std::string ending(path.substr(dot + 1));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ending == "png")
        return ChartFormat::Png;
    if (ending == "svg")
        return ChartFormat::Svg;
    if (ending == "pdf")
        return ChartFormat::Pdf;
    return std::nullopt;
}

}  // namespace norms
