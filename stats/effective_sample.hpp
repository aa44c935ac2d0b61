// Norms from a weighted sample: the weighted percentile ranks, and the whole counts of an
// unweighted sample of the effective size with the weighted shares, on which the interval
// engines run unchanged.
//
// The effective size of a group is Kish's n_eff = (Σw)² / Σw², the size of an unweighted
// sample whose proportions would be as precise as the weighted ones; n / n_eff is the design
// effect of the weighting. The weighted total at each raw score is scaled to n_eff and
// rounded by the largest remainders, so that the counts add up to n_eff rounded (halves up).
#pragma once

#include <cstddef>
#include <vector>

#include "stats/compensated_sum.hpp"
#include "stats/distrib.hpp"

namespace stats {

// A design effect above this, or weights further apart than this ratio, deserve a warning.
inline constexpr Extended large_design_effect = 1.5L;
inline constexpr Extended wide_weight_ratio = 10;

// One group's weights, gathered per raw score.
struct ScoreWeights {
    std::vector<Extended> sums;   // Σw of the cases at each raw score, from the lowest score up
    Extended sum_of_squares = 0;  // Σw² over all the group's cases
    long long cases = 0;
    Extended smallest = 0;  // the smallest and the largest weight
    Extended largest = 0;
};

// Gathers one group's cases, each a raw score (as an index from the lowest score) and a
// weight, finite and > 0. The sums are compensated: the same cases in any order give the same
// sums, bit for bit.
class ScoreWeightCounter {
public:
    explicit ScoreWeightCounter(std::size_t score_count) : sums_(score_count) {}
    void add(std::size_t score_index, Extended weight);
    ScoreWeights totals() const;

private:
    std::vector<CompensatedSum> sums_;
    CompensatedSum squares_;
    long long cases_ = 0;
    Extended smallest_ = 0;
    Extended largest_ = 0;
};

struct EffectiveSample {
    Extended total_weight = 0;    // W = Σw
    Extended effective_size = 0;  // n_eff = W² / Σw²
    Extended design_effect = 0;   // n / n_eff
    long long effective_total = 0;           // n_eff rounded, halves up
    std::vector<long long> effective_counts;  // per raw score; they add up to effective_total
    std::vector<Extended> ranks;  // per raw score: 100 × (W below + ½ W at the score) / W
    bool design_effect_large = false;  // above large_design_effect
    bool weights_wide_apart = false;   // the largest weight above wide_weight_ratio × the smallest
};

// Requires at least one case. With weights that are all equal and sums that hold them exactly
// (weights of 1, or any double weight in a group of fewer than 1,024 cases), the counts are the unweighted
// frequencies and the ranks the unweighted ranks, bit for bit. Multiplying every weight by a
// power of 2 changes nothing.
EffectiveSample effective_sample(const ScoreWeights& weights);

}  // namespace stats
