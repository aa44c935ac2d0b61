// Raking: weights that make a sample's shares of each stratification variable equal the
// population's, by iterative proportional fitting (Deming & Stephan, 1940).
//
// Each pass adjusts the weights to one variable after the other: every case's weight is
// multiplied by its level's target total over the level's present weighted total. A pass in
// which no factor moves a weight by more than raking_tolerance, relative to the weight, ends
// the raking. The weights keep the total of the starting weights (the number of cases when
// none are given), so with the default they have mean 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "stats/distrib.hpp"

namespace stats {

inline constexpr Extended raking_tolerance = 1e-10L;
inline constexpr int raking_pass_limit = 1000;
// How far the shares of one variable may add up away from 1. Within it they are taken in
// proportion to their total, so that all variables aim at the same total weight.
inline constexpr Extended share_total_tolerance = 1e-6L;

// The level of a case whose value has no share in the margins.
inline constexpr std::int32_t level_without_share = -1;

struct RakingVariable {
    std::string name;
    std::vector<Extended> shares;     // the population's share of each level
    std::vector<std::int32_t> levels;  // per case: 0 … shares.size() - 1, or level_without_share
};

struct RakedWeights {
    std::vector<Extended> weights;  // per case
    int passes = 0;
};

enum class RakingProblem {
    share_not_valid,           // `variable`'s share of `level` is negative or not a number
    shares_not_adding_to_one,  // `variable`'s shares add up to `share_total`
    starting_weight_not_valid, // the starting weight of case `case_index` is not finite and > 0
    case_without_share,        // case `case_index` has `level`: level_without_share, a level
                               // beyond the shares, or one whose share is 0
    level_without_cases,       // `variable`'s level `level` has a share but no case
    no_convergence,            // after raking_pass_limit passes, the factors of `variables`
                               // still moved weights: the margins may be impossible together
};

struct RakingRefusal {
    RakingProblem problem = RakingProblem::no_convergence;
    std::size_t variable = 0;
    std::int32_t level = level_without_share;
    std::size_t case_index = 0;
    Extended share_total = 0;
    std::vector<std::size_t> variables;
};

// Rakes the cases to the shares of every variable, in the order given. starting_weights is
// empty (every case starts at 1) or holds one weight per case; every variable's `levels` holds
// one level per case. Throws std::invalid_argument when those lengths differ. A refusal names
// the first problem found: the starting weights first, then each variable's shares, its
// cases and its levels in turn, and non-convergence last.
std::variant<RakedWeights, RakingRefusal> rake(const std::vector<RakingVariable>& variables,
                                               const std::vector<Extended>& starting_weights = {});

}  // namespace stats
