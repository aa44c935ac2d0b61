#include "norms/write/beta_binomial_chart.hpp"

#include <algorithm>

#include "norms/write/continuous_chart.hpp"
#include "stats/beta_binomial.hpp"
#include "stats/number_format.hpp"

namespace norms {

Extended beta_binomial_raw_at_rank(const stats::BetaBinomialModel& model, Extended age, Extended rank)
{
    const std::vector<stats::MidRank> ranks = stats::mid_ranks(stats::beta_binomial_probabilities(model, age));
    std::vector<std::pair<Extended, Extended>> raw_and_pr;
    for (std::size_t x = 0; x < ranks.size(); ++x)
        raw_and_pr.emplace_back(static_cast<Extended>(x), 100 * ranks[x].proportion());
    return raw_at_rank(raw_and_pr, rank);
}

ChartModel beta_binomial_chart(const BetaBinomialTables& tables, const stats::NormingSample* sample,
                               const std::string& title)
{
    const stats::BetaBinomialModel& model = tables.model;
    ChartModel chart;
    chart.title = "Beta-binomial norms on the " + model.scale.name + " scale, n = " + std::to_string(model.cases) +
                  ", " + title;
    const double low = model.age.low;
    const double high = model.age.high;
    chart.x = {"Age", low, high, round_ticks(low, high, 12)};
    const auto items = static_cast<double>(model.items);
    chart.y = {"Raw score", -0.5, items + 0.5, round_ticks(0, items, 10)};
    chart.points_legend.clear();
    for (const Extended rank : curve_ranks) {
        ChartLine line{"PR " + stats::format_number(rank), {}};
        for (int i = 0; i < curve_points; ++i) {
            const double age = low + (high - low) * i / (curve_points - 1);
            line.points.push_back({age, static_cast<double>(beta_binomial_raw_at_rank(model, age, rank))});
        }
        chart.lines.push_back(std::move(line));
    }
    if (sample)
        add_chart_cases(chart, *sample);
    return chart;
}

}  // namespace norms
