#include "norms/write/continuous_chart.hpp"

#include <algorithm>
#include <cmath>

#include "stats/norm_scales.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

const std::string crossing_legend = "Curves cross";

std::vector<stats::Crossing> crossings_of(const ContinuousTables& tables)
{
    if (tables.fit)
        return tables.fit->crossings;
    return stats::find_crossings(tables.model, stats::consistency_ages(tables.model, {}));
}

// The raw-score axis of the tables' rows: with decimals, half a unit of their last decimal of
// room and ticks with decimals.
ChartAxis raw_score_axis(const ContinuousTables& tables)
{
    const auto raw_low = static_cast<double>(tables.raw_min);
    const auto raw_high = static_cast<double>(tables.raw_max);
    if (tables.score_decimals == 0)
        return {"Raw score", raw_low - 0.5, raw_high + 0.5, round_ticks(raw_low, raw_high, 10)};
    const double room = 0.5 * std::pow(10.0, -tables.score_decimals);
    return {"Raw score", raw_low - room, raw_high + room, decimal_ticks(raw_low, raw_high, 10)};
}

}  // namespace

Extended raw_at_rank(const std::vector<std::pair<Extended, Extended>>& raw_and_pr, Extended rank)
{
    if (rank <= raw_and_pr.front().second)
        return raw_and_pr.front().first;
    for (std::size_t x = 1; x < raw_and_pr.size(); ++x) {
        const auto [raw, pr] = raw_and_pr[x];
        const auto [lower_raw, lower_pr] = raw_and_pr[x - 1];
        if (rank <= pr)
            return lower_raw + (raw - lower_raw) * (rank - lower_pr) / (pr - lower_pr);
    }
    return raw_and_pr.back().first;
}

ChartModel continuous_chart(const ContinuousTables& tables, const stats::NormingSample* sample,
                            const std::string& title)
{
    if (tables.group_norms)
        return group_norms_chart(tables, sample, title);
    const stats::ContinuousModel& model = tables.model;
    ChartModel chart;
    chart.title = "Continuous norms on the " + model.scale_name + " scale, n = " + std::to_string(model.cases) + ", " +
                  title;
    const double low = model.age.low;
    const double high = model.age.high;
    chart.x = {"Age", low, high, round_ticks(low, high, 12)};
    chart.y = raw_score_axis(tables);
    chart.points_legend.clear();

    for (const Extended rank : curve_ranks) {
        const Extended L = model.scale_mean + model.scale_sd * stats::z_of_proportion(rank / 100);
        ChartLine line{"PR " + stats::format_number(rank), {}};
        for (int i = 0; i < curve_points; ++i) {
            const double age = low + (high - low) * i / (curve_points - 1);
            line.points.push_back({age, static_cast<double>(stats::ModelAtAge(model, age).raw(L))});
        }
        chart.lines.push_back(std::move(line));
    }

    for (const stats::Crossing& crossing : crossings_of(tables))
        chart.alerts.push_back({static_cast<double>(crossing.age),
                                static_cast<double>(stats::ModelAtAge(model, crossing.age).raw(crossing.L))});
    chart.alerts_legend = crossing_legend;

    if (sample)
        add_chart_cases(chart, *sample);
    return chart;
}

ChartModel group_norms_chart(const ContinuousTables& tables, const stats::NormingSample* sample,
                             const std::string& title)
{
    const stats::ContinuousModel& model = tables.model;
    ChartModel chart;
    chart.title = "The ranking groups' own norms on the " + model.scale_name + " scale, n = " +
                  std::to_string(model.cases) + ", " + title;
    double low = model.age.low;
    double high = model.age.high;
    for (const Extended age : tables.ages) {
        low = std::min(low, static_cast<double>(age));
        high = std::max(high, static_cast<double>(age));
    }
    chart.x = {"Age", low, high, round_ticks(low, high, 12)};
    chart.y = raw_score_axis(tables);
    chart.points_legend.clear();
    for (const Extended rank : curve_ranks)
        chart.lines.push_back({"PR " + stats::format_number(rank), {}});
    for (std::size_t c = 0; c < tables.cells.size();) {
        const Extended age = tables.cells[c].age;
        std::vector<std::pair<Extended, Extended>> raw_and_pr;
        for (; c < tables.cells.size() && tables.cells[c].age == age; ++c)
            raw_and_pr.emplace_back(tables.cells[c].raw, tables.cells[c].PR);
        for (std::size_t r = 0; r < std::size(curve_ranks); ++r)
            chart.lines[r].points.push_back(
                {static_cast<double>(age), static_cast<double>(raw_at_rank(raw_and_pr, curve_ranks[r]))});
    }
    if (sample)
        add_chart_cases(chart, *sample);
    return chart;
}

void add_chart_cases(ChartModel& chart, const stats::NormingSample& sample)
{
    const std::vector<Extended>& ages = stats::explanatory_values(sample);
    const std::size_t step = (ages.size() + most_chart_cases - 1) / most_chart_cases;
    for (std::size_t i = 0; i < ages.size(); i += std::max<std::size_t>(step, 1))
        chart.scatter.push_back({static_cast<double>(ages[i]), static_cast<double>(sample.scores[i])});
    chart.scatter_legend = step > 1 ? "Cases (one in " + std::to_string(step) + ")" : "Cases";
}

// The cross-validated error of each number of terms, one point a size as the adjusted R²'s chart
// has, so that a click still takes that size; a size without a model that keeps from crossing
// has no error, and is marked at the height of the largest.
static ChartModel cross_validation_chart(const stats::ContinuousFit& fit)
{
    ChartModel chart;
    chart.title = "Model search";
    chart.points_legend = "Cross-validated error";
    chart.alerts_legend = crossing_legend;
    double low = INFINITY;
    double high = -INFINITY;
    for (const stats::SizeOfModel& size : fit.search)
        if (size.cross_validated_error) {
            low = std::min(low, static_cast<double>(*size.cross_validated_error));
            high = std::max(high, static_cast<double>(*size.cross_validated_error));
        }
    for (const stats::SizeOfModel& size : fit.search) {
        const double terms = static_cast<double>(size.terms);
        if (size.cross_validated_error) {
            chart.points.push_back({terms, static_cast<double>(*size.cross_validated_error)});
        } else {
            chart.points.push_back({terms, high});
            chart.alerts.push_back({terms, high});
        }
    }
    const auto sizes = static_cast<double>(fit.search.size());
    chart.x = {"Number of terms", 0.5, sizes + 0.5, round_ticks(1, sizes, 12)};
    const double margin = std::max(high - low, 1e-3) / 10;
    chart.y = {"Cross-validated error", low - margin, high + margin, decimal_ticks(low - margin, high + margin, 5)};
    return chart;
}

ChartModel continuous_search_chart(const stats::ContinuousFit& fit)
{
    const bool validated = std::any_of(fit.search.begin(), fit.search.end(), [](const stats::SizeOfModel& size) {
        return size.cross_validated_error.has_value();
    });
    if (validated)
        return cross_validation_chart(fit);
    ChartModel chart;
    chart.title = "Model search";
    chart.points_legend = "Best adjusted R²";
    chart.alerts_legend = crossing_legend;
    double low = 1;
    double high = 0;
    for (const stats::SizeOfModel& size : fit.search) {
        const auto r2 = static_cast<double>(size.best_adjusted_r2);
        chart.points.push_back({static_cast<double>(size.terms), r2});
        if (!size.consistent_adjusted_r2)
            chart.alerts.push_back({static_cast<double>(size.terms), r2});
        low = std::min(low, r2);
        high = std::max(high, r2);
    }
    const auto sizes = static_cast<double>(fit.search.size());
    chart.x = {"Number of terms", 0.5, sizes + 0.5, round_ticks(1, sizes, 12)};
    const double margin = std::max(high - low, 1e-3) / 10;
    chart.y = {"Adjusted R²", low - margin, high + margin, decimal_ticks(low - margin, high + margin, 5)};
    return chart;
}

}  // namespace norms
