#include "norms/tables/weighted_table.hpp"

#include "norms/tables/norms_table.hpp"

namespace norms {

void compute_weighted_norms_table(NormsTable& table, int row_count,
                                  const stats::EffectiveSample& sample,
                                  stats::IntervalMethod method)
{
    for (int j = 0; j < row_count; ++j)
        table[j].Frequency = sample.effective_counts.at(j);
    ComputeNormsTable(table, row_count, sample.effective_total, method);
    for (int j = 0; j < row_count; ++j)
        table[j].PR = sample.ranks[j];
}

}  // namespace norms
