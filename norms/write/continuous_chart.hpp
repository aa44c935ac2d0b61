// The chart of a continuous norm model: its percentile curves, the raw score at PR 2.5, 10, 25,
// 50, 75, 90 and 97.5 over the ages of the model, drawn over the cases (raw score against age).
#pragma once

#include <string>

#include "norms/tables/continuous_tables.hpp"
#include "norms/write/chart_model.hpp"

namespace norms {

// The cases drawn at most: a larger sample shows every second, third … case, enough to see
// the spread without a picture file of millions of shapes.
inline constexpr std::size_t most_chart_cases = 20000;

// `sample` may be null (a model read from its file): the curves alone. `title` names the data.
ChartModel continuous_chart(const ContinuousTables& tables, const stats::NormingSample* sample,
                            const std::string& title);

}  // namespace norms
