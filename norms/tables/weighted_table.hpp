// The norms table of a weighted group: its weighted percentile ranks, with intervals computed
// by the unchanged engines from the counts of its effective sample.
#pragma once

#include "norms/read/frequency_file.hpp"
#include "stats/effective_sample.hpp"
#include "stats/interval_method.hpp"

namespace norms {

// Fills rows 0 to row_count - 1 (row_count being the sample's number of scores): Frequency
// and Below with the effective counts, the 95% and 90% limits from them at the effective
// total, and PR with the weighted rank. RawScore is left as it is.
void compute_weighted_norms_table(NormsTable& table, int row_count,
                                  const stats::EffectiveSample& sample,
                                  stats::IntervalMethod method);

}  // namespace norms
