// The numbers behind planning the size of a normative sample: the expected shape of the raw-score
// distribution, whole expected frequencies in that shape for a sample of n, and the sizes to try.
#pragma once

#include <cstddef>
#include <vector>

#include "stats/distrib.hpp"

namespace stats {

// Probabilities of the whole scores min_score … max_score under a normal distribution: each
// score takes the probability from score - 0.5 to score + 0.5, and the two end scores also take
// the tails beyond them. Each probability comes from the smaller tails, so the far ends keep
// their digits, and a mean in the middle of the range gives exactly mirrored probabilities.
// Requires sd > 0 and min_score <= max_score.
std::vector<Extended> DiscretisedNormal(Extended mean, Extended sd, long long min_score,
                                        long long max_score);

// Whole counts that add up to n, in the proportions of `weights` (non-negative, not all 0), by
// the largest-remainder method: each count starts as the whole part of its quota,
// n * weight / total weight, and the units still missing go one each to the largest
// fractional parts, the lower index first among equal ones. No count lies a whole unit or more
// from its quota.
std::vector<long long> LargestRemainderCounts(const std::vector<Extended>& weights, long long n);

inline constexpr long long LargestPlanSampleSize = 999999;

// The sample sizes a plan tries, ascending: 10, 20, …, 1,000 in steps of 10; then each is the
// one before plus 1% of it, rounded to a whole number (halves up), while below 999,999; then
// 999,999.
const std::vector<long long>& PlanGrid();

// The first index from which every value is at most `limit`; values.size() when the last value
// is above it (or is NaN).
std::size_t FirstStayingWithin(const std::vector<Extended>& values, Extended limit);

}  // namespace stats
