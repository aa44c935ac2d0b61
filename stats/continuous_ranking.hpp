// The first step of continuous norming: every case's location L, the normal score of its
// mid-rank percentile within its ranking group, on the model's scale.
//
// A ranking group is either the cases that share a value of the group variable, or, with a
// window width W, the cases whose age lies within W/2 of the case's own age (a window that
// slides along age with the case at its centre).
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "stats/distrib.hpp"

namespace stats {

// Complete cases, one entry per case in each vector that is given.
struct NormingSample {
    std::vector<Extended> scores;
    // The ranking group of each case, by its value (a grade, an age band's middle). Needed
    // when ranking by groups; with windows it only parts the cases for the bootstrap.
    std::vector<Extended> groups;
    // Each case's age; when empty, the explanatory variable A is the group's value.
    std::vector<Extended> ages;
    // How messages name a group whose value alone would not say it (a group given as a text
    // and coded by a number); any other group is named by its value.
    std::map<Extended, std::string> group_names = {};
};

struct RankingChoice {
    // 0: rank within groups; above 0: within an age window of this width around each case.
    Extended window_width = 0;
    Extended scale_mean = 50;
    Extended scale_sd = 10;
};

// One entry per case, in the sample's order.
struct RankedCases {
    std::vector<Extended> score;
    std::vector<Extended> A;
    std::vector<Extended> L;
    // How often each case was drawn (a bootstrap resample); empty: once each.
    std::vector<std::uint32_t> counts;
};

inline constexpr std::size_t smallest_ranking_group = 3;
inline constexpr std::size_t ranking_group_warned_below = 30;

// The ages a model can take: its terms hold powers of age up to the 6th as doubles, so the
// ages must lie within 1e30 of 0 and not all within 1e-30 of it, and spread over at least a
// million times the precision of numbers of their size.
inline constexpr Extended largest_age_size = 1e30L;
inline constexpr Extended smallest_age_size = 1e-30L;
inline constexpr Extended age_precision = 1e6L * std::numeric_limits<double>::epsilon();

// Why a model cannot take ages from `low` to `high`, naming them, as a clause such as "run from
// 1e+300 to 3e+300, too far from 0 …"; empty when it can.
std::string age_range_problem(Extended low, Extended high);

// Refuses, with a message that names the groups or ages, a sample that cannot be ranked: sizes
// that disagree, values that are not finite, the variables the ranking needs missing, fewer than
// 3 ranking groups (distinct ages with windows), a ranking group of fewer than 3 cases, or ages
// (group values when they are the model's ages) that age_range_problem refuses.
// Returns a warning for ranking groups of fewer than 30 cases.
std::vector<std::string> check_norming_sample(const NormingSample& sample, const RankingChoice& ranking);

// Ranks a sample that check_norming_sample accepts.
RankedCases rank_cases(const NormingSample& sample, const RankingChoice& ranking);

// Ranks a sample again and again with each case counted a given number of times, as the
// bootstrap draws it: the orders by score and by age are found once.
class CaseRanker {
public:
    CaseRanker(const NormingSample& sample, const RankingChoice& ranking);
    // counts: one per case, or empty for once each. A case counted 0 times takes the L it
    // would have as one more case (it is not fitted).
    RankedCases rank(std::vector<std::uint32_t> counts) const;

private:
    const NormingSample& sample_;
    RankingChoice ranking_;
    // Group mode: the cases by group and score; window mode: by age.
    std::vector<std::size_t> order_;
    std::vector<std::size_t> score_rank_;  // window mode: each case's place among the distinct scores
    std::size_t distinct_scores_ = 0;
};

// The explanatory variable of each case: its age, or its group's value.
const std::vector<Extended>& explanatory_values(const NormingSample& sample);

}  // namespace stats
