#include "norms/tables/norms_table.hpp"

#include "stats/Bayes_Engines.hpp"

namespace norms {

void ComputePointEstimates(NormsTable& table, int row_count, Extended sample_size)
{
    Extended below = 0;
    for (int j = 0; j < row_count; ++j) {
        NormsRow& row = table[j];
        row.Below = below;
        below += row.Frequency;
        row.PR = stats::PR_point_estimate(sample_size, row.Below, row.Frequency);
    }
}

void ComputeRowInterval(const NormsRow& row, Extended sample_size, stats::IntervalMethod method,
                        Extended conf, Extended& lower, Extended& upper)
{
    stats::interval_method_entry(method).engine(sample_size, row.Below, row.Frequency, conf, lower,
                                                upper);
}

void ComputeNormsTable(NormsTable& table, int row_count, Extended sample_size,
                       stats::IntervalMethod method)
{
    ComputePointEstimates(table, row_count, sample_size);
    const stats::TableIntervalEngine engine = stats::interval_method_entry(method).table_engine;
    for (int j = 0; j < row_count; ++j) {
        NormsRow& row = table[j];
        stats::TableLimits limits;
        engine(sample_size, row.Below, row.Frequency, limits);
        row.Lower95 = limits.lower[0];
        row.Upper95 = limits.upper[0];
        row.Lower90 = limits.lower[1];
        row.Upper90 = limits.upper[1];
    }
}

}  // namespace norms
