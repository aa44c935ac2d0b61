#include "norms/tables/sample_plan.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "norms/tables/norms_table.hpp"
#include "stats/sample_size.hpp"

namespace norms {

int ExpectedFrequencyTable(const std::vector<Extended>& shape, Extended min_raw_score,
                           long long n, NormsTable& table)
{
    const std::vector<long long> counts = stats::LargestRemainderCounts(shape, n);
    const int row_count = static_cast<int>(counts.size());
    for (int j = 0; j < row_count; ++j) {
        table.at(j).RawScore = min_raw_score + j;
        table[j].Frequency = static_cast<Extended>(counts[j]);
    }
    ComputePointEstimates(table, row_count, static_cast<Extended>(n));
    return row_count;
}

int NearestRankRow(const NormsTable& table, int row_count, Extended rank)
{
    int nearest = 0;
    for (int j = 1; j < row_count; ++j) {
        if (std::fabs(table[j].PR - rank) < std::fabs(table[nearest].PR - rank))
            nearest = j;
    }
    return nearest;
}

Extended HalfWidth(Extended pr, Extended lower, Extended upper)
{
    return std::max(pr - lower * 100, upper * 100 - pr);
}

std::vector<RankPrecision> PrecisionAt(const SamplePlanRequest& request, long long n)
{
    NormsTable table;
    const int row_count = ExpectedFrequencyTable(request.shape, request.min_raw_score, n, table);
    const Extended sample_size = static_cast<Extended>(n);
    std::map<int, Extended> half_width_of_row;  // ranks near each other share a row
    std::vector<RankPrecision> precision;
    for (const Extended rank : request.ranks) {
        const int j = NearestRankRow(table, row_count, rank);
        auto [known, added] = half_width_of_row.try_emplace(j);
        if (added) {
            Extended lower = 0;
            Extended upper = 0;
            ComputeRowInterval(table[j], sample_size, request.method, request.level, lower, upper);
            known->second = HalfWidth(table[j].PR, lower, upper);
        }
        precision.push_back({table[j].RawScore, known->second});
    }
    return precision;
}

SamplePlan PlanSampleSize(const SamplePlanRequest& request)
{
    SamplePlan plan;
    for (const long long n : stats::PlanGrid())
        plan.precision.push_back(PrecisionAt(request, n));
    for (std::size_t r = 0; r < request.ranks.size(); ++r) {
        std::vector<Extended> curve;
        for (const std::vector<RankPrecision>& point : plan.precision)
            curve.push_back(point[r].half_width);
        plan.required.push_back(stats::FirstStayingWithin(curve, request.half_width));
        plan.overall = std::max(plan.overall, plan.required.back());
    }
    return plan;
}

}  // namespace norms
