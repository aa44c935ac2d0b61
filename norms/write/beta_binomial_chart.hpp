// The chart of a beta-binomial norm model: its percentile curves over the ages of the model,
// drawn over the cases as the Taylor model's chart draws them.
#pragma once

#include <string>

#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/write/chart_model.hpp"
#include "stats/continuous_ranking.hpp"

namespace norms {

// The raw score at each of the chart's percentile ranks, where the mid-rank PR, taken as linear
// between whole scores, reaches it; 0 … N. `sample` may be null (a model read from its file).
ChartModel beta_binomial_chart(const BetaBinomialTables& tables, const stats::NormingSample* sample,
                               const std::string& title);

// The raw score, from 0 to the model's items, at which the mid-rank PR (in percent) at `age`
// reaches `rank`, linear between whole scores.
Extended beta_binomial_raw_at_rank(const stats::BetaBinomialModel& model, Extended age, Extended rank);

}  // namespace norms
