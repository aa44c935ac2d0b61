#include "norms/tables/group_tables.hpp"

namespace norms {

NormsRun GroupNormsRun(const ScoreGroup& group, std::int64_t min_score,
                       stats::IntervalMethod method)
{
    NormsRun run;
    run.row_count = static_cast<int>(group.frequencies.size());
    for (int j = 0; j < run.row_count; ++j) {
        run.table[j].RawScore = static_cast<Extended>(min_score + j);
        run.table[j].Frequency = static_cast<Extended>(group.frequencies[j]);
    }
    run.sample_size = static_cast<Extended>(group.size);
    run.method = method;
    ComputeNormsTable(run.table, run.row_count, run.sample_size, method);
    return run;
}

}  // namespace norms
