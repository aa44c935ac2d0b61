#include "norms/write/sample_plan_output.hpp"

#include <algorithm>
#include <cmath>

#include "norms/write/csv_table.hpp"
#include "norms/program_strings.hpp"
#include "norms/write/report.hpp"
#include "stats/interval_method.hpp"
#include "stats/number_format.hpp"
#include "stats/sample_size.hpp"

namespace norms {
namespace {

std::string right_aligned(const std::string& text, std::size_t width)
{
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string whole(Extended value)
{
    return stats::format_fixed(value, 0, 0);
}

std::string level_text(Extended level)
{
    return whole(level) + "%";
}

std::string plan_table_line(const std::string& rank, const std::string& raw_score,
                            const std::string& half_width, const std::string& required)
{
    return right_aligned(rank, 16) + right_aligned(raw_score, 12) + right_aligned(half_width, 13) +
           right_aligned(required, 14);
}

// Ticks at 1, 2 and 5 times the powers of ten; only the powers are labelled when the axis
// spans more than three of them, so that the labels stay apart.
std::vector<ChartTick> logarithmic_ticks(double first, double last)
{
    const bool crowded = std::log10(last / first) > 3;
    std::vector<ChartTick> ticks;
    for (double power = 1; power <= last; power *= 10) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            const double value = factor * power;
            if (value >= first && value <= last)
                ticks.push_back({value, crowded && factor != 1 ? "" : whole(value)});
        }
    }
    return ticks;
}

// The smallest step of 1, 2 or 5 times a power of ten that cuts the span into at most 10 parts.
double linear_step(double span)
{
    for (double power = 0.01;; power *= 10)
        for (const double factor : {1.0, 2.0, 5.0})
            if (span / (factor * power) <= 10)
                return factor * power;
}

}  // namespace

std::vector<std::string> SamplePlanReport(const SamplePlanInputs& inputs, const SamplePlan& plan)
{
    const SamplePlanRequest& request = inputs.request;
    const std::vector<long long>& grid = stats::PlanGrid();
    const std::string wanted = stats::format_number(request.half_width);
    std::vector<std::string> lines = {
        "",
        "Vornak: the size of a normative sample for a wanted precision of percentile ranks",
        "",
        " INPUTS:",
        EchoInputLine(InputCaptions[0], whole(request.min_raw_score)),
        EchoInputLine(InputCaptions[1], whole(inputs.max_raw_score)),
    };
    lines.insert(lines.end(), inputs.shape_lines.begin(), inputs.shape_lines.end());
    lines.push_back(" " + std::string(stats::interval_method_entry(request.method).caption) + ", " +
                    level_text(request.level) + " interval");
    lines.push_back(" Wanted half-width of the interval: " + wanted + " percentile points");
    lines.insert(lines.end(), {
        "",
        "",
        " OUTPUTS:",
        " At each sample size n tried, the expected frequencies are the shape's proportions",
        " times n, rounded to whole numbers that add up to n by the largest-remainder method.",
        " Required n: the smallest n tried from which the half-width stays at or below " + wanted,
        " at every larger n tried. Raw score and half-width are those at that n.",
        "",
        plan_table_line("Percentile rank", "Raw score", "Half-width", "Required n"),
    });
    for (std::size_t r = 0; r < request.ranks.size(); ++r) {
        const std::size_t g = std::min(plan.required[r], grid.size() - 1);
        const RankPrecision& at = plan.precision[g][r];
        lines.push_back(plan_table_line(
            stats::format_number(request.ranks[r]), whole(at.raw_score),
            stats::format_fixed(at.half_width, 0, 2),
            plan.required[r] < grid.size() ? std::to_string(grid[g])
                                           : "over " + std::to_string(grid.back())));
    }
    lines.push_back("");
    lines.push_back(plan.overall < grid.size()
                        ? " Required n for every rank above= " + std::to_string(grid[plan.overall])
                        : " Required n for every rank above: over " + std::to_string(grid.back()) +
                              ", the largest n tried");
    lines.push_back("");
    return lines;
}

std::size_t CurvePointCount(const SamplePlan& plan)
{
    const std::vector<long long>& grid = stats::PlanGrid();
    if (plan.overall >= grid.size())
        return grid.size();
    const long long last = 2 * grid[plan.overall];
    return std::upper_bound(grid.begin(), grid.end(), last) - grid.begin();
}

void WriteSamplePlanCsv(std::ostream& out, const SamplePlanInputs& inputs, const SamplePlan& plan)
{
    out << "n";
    for (const std::string& name : inputs.rank_names)
        out << ",half_width_" << name;
    out << '\n';
    for (std::size_t g = 0; g < CurvePointCount(plan); ++g) {
        out << stats::PlanGrid()[g];
        for (const RankPrecision& at : plan.precision[g])
            out << ',' << CsvNumber(at.half_width);
        out << '\n';
    }
}

ChartModel BuildSamplePlanChart(const SamplePlanInputs& inputs, const SamplePlan& plan)
{
    const SamplePlanRequest& request = inputs.request;
    const std::vector<long long>& grid = stats::PlanGrid();
    const std::size_t points = CurvePointCount(plan);
    ChartModel chart;
    chart.title = std::string(stats::interval_method_entry(request.method).caption) + ", " +
                  level_text(request.level) + " interval, " + inputs.shape_title;
    chart.x_logarithmic = true;
    const double first = double(grid.front());
    const double last = double(grid[points - 1]);
    chart.x = {"Sample size n (logarithmic)", first, last, logarithmic_ticks(first, last)};

    double highest = 0;
    for (std::size_t r = 0; r < request.ranks.size(); ++r) {
        ChartLine line{"PR " + stats::format_number(request.ranks[r]), {}};
        for (std::size_t g = 0; g < points; ++g) {
            line.points.push_back({double(grid[g]), double(plan.precision[g][r].half_width)});
            highest = std::max(highest, line.points.back().y);
        }
        chart.lines.push_back(std::move(line));
    }
    // The small samples' half-widths run far above the wanted one; the plot shows up to four
    // times it, where the lines cross it.
    const double wanted = double(request.half_width);
    const double top = std::max(std::min(highest, 4 * wanted), wanted) * 1.05;
    const double step = linear_step(top);
    std::vector<ChartTick> y_ticks;
    for (double value = 0; value <= top + step / 1000; value += step)
        y_ticks.push_back({value, stats::format_number(std::round(value * 100) / 100)});
    chart.y = {"Half-width of the interval (percentile points)", 0, top, y_ticks};
    chart.mark = ChartMark{wanted, "Wanted: " + stats::format_number(request.half_width)};
    chart.points_legend.clear();
    return chart;
}

}  // namespace norms
