// The chart of a continuous norm model: its percentile curves, the raw score at PR 2.5, 10, 25,
// 50, 75, 90 and 97.5 over the ages of the model, drawn over the cases (raw score against age),
// with the places where its curves cross marked; and the chart of its search.
#pragma once

#include <string>

#include "norms/tables/continuous_tables.hpp"
#include "norms/write/chart_model.hpp"

namespace norms {

// The cases drawn at most: a larger sample shows every second, third … case, enough to see
// the spread without a picture file of millions of shapes.
inline constexpr std::size_t most_chart_cases = 20000;

// The PRs of a model's percentile curves, highest first as the legend lists them.
inline constexpr Extended curve_ranks[] = {97.5L, 90, 75, 50, 25, 10, 2.5L};
inline constexpr int curve_points = 121;

// The sample's cases, raw score against age, at most most_chart_cases of them.
void add_chart_cases(ChartModel& chart, const stats::NormingSample& sample);

// The raw score at which the PRs (in percent) of ascending raw scores reach `rank`, linear
// between two rows; the first raw score below them all, the last above them all.
Extended raw_at_rank(const std::vector<std::pair<Extended, Extended>>& raw_and_pr, Extended rank);

// `sample` may be null (a model read from its file): the curves alone. `title` names the data.
// Where the model's raw score falls as L rises, at an age of its consistency check, the
// model's raw score at the first such L is marked as "Curves cross". Tables of the ranking
// groups' own norms get their own curves (group_norms_chart).
ChartModel continuous_chart(const ContinuousTables& tables, const stats::NormingSample* sample,
                            const std::string& title);

// The ranking groups' own norms: at each of the tables' ages, the raw score where its cells'
// PR reaches each curve's rank, linear between two raw scores; no model's curve.
ChartModel group_norms_chart(const ContinuousTables& tables, const stats::NormingSample* sample,
                             const std::string& title);

// The best adjusted R² of each number of terms that the search found, a number whose kept
// models all cross marked as "Curves cross"; when the number of terms was cross-validated, each
// number's cross-validated error instead.
ChartModel continuous_search_chart(const stats::ContinuousFit& fit);

}  // namespace norms
