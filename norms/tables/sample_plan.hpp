// Planning the size of a normative sample: how large it must be for the interval of the
// percentile rank to be at most ±W percentage points at the ranks of interest, given the shape
// the raw scores are expected to take. Ties are part of the answer: the expected frequencies are
// whole numbers, and every interval comes from the same engines and table driver as a norms
// table's.
#pragma once

#include <cstddef>
#include <vector>

#include "norms/read/frequency_file.hpp"
#include "stats/interval_method.hpp"

namespace norms {

inline constexpr Extended DefaultPlanRanks[] = {2, 5, 10, 16, 25, 50, 75, 84, 90, 95, 98};

struct SamplePlanRequest {
    std::vector<Extended> shape;  // expected weight of each raw score, from the minimum up
    Extended min_raw_score = 0;
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    Extended level = 95;          // 95 or 90
    std::vector<Extended> ranks;  // percentile ranks of interest, in percent
    Extended half_width = 0;      // wanted, in percentage points
};

// The table a sample of n in that shape is expected to give: the shape's largest-remainder
// frequencies, with Below and PR filled. Gives the number of rows.
int ExpectedFrequencyTable(const std::vector<Extended>& shape, Extended min_raw_score,
                           long long n, NormsTable& table);

// The row whose PR lies nearest to `rank`; the lower raw score where two lie equally near.
int NearestRankRow(const NormsTable& table, int row_count, Extended rank);

// How far the interval reaches from the point estimate, in percentage points: the larger of
// PR - lower and upper - PR, with the limits as proportions.
Extended HalfWidth(Extended pr, Extended lower, Extended upper);

struct RankPrecision {
    Extended raw_score = 0;   // the raw score nearest to the rank
    Extended half_width = 0;  // of its interval
};

// For each rank of the request, its raw score and half-width in a sample of n.
std::vector<RankPrecision> PrecisionAt(const SamplePlanRequest& request, long long n);

struct SamplePlan {
    // precision[g][r]: rank r of the request at grid point g of stats::PlanGrid().
    std::vector<std::vector<RankPrecision>> precision;
    // For each rank, the grid index from which its half-width stays within the wanted one at
    // every larger grid point; the grid's size where even the last is wider.
    std::vector<std::size_t> required;
    // The largest of `required`.
    std::size_t overall = 0;
};

SamplePlan PlanSampleSize(const SamplePlanRequest& request);

}  // namespace norms
