// The norms the ranking groups give on their own, as the cells of a continuous table: at an age
// that is a group's value (or, with age windows, among the cases within half a window of the
// age), each raw score's mid-rank PR among those cases and its exact limits by the Bayesian
// method, on the scale; between two groups' values, the norm scores and limits of the two
// groups interpolated linearly in age. These are the tables per group that a continuous model
// is meant to improve on, for the ages a continuous table asks for.
#pragma once

#include <string>
#include <vector>

#include "stats/continuous_norms.hpp"

namespace norms {

using stats::Extended;

// Whether the groups' own norms can serve the ages: the cases are ranked within age windows,
// or within groups whose values are the ages.
bool has_group_norms(const stats::NormingSample& sample, const stats::ContinuousOptions& options);

// The cells of the raw scores raw_min … raw_max (or those of `raw_scores` when it lists any) at
// each age, age by age, with their limits when `limits`. A raw score below (above) every case of its group takes the rank of half a case
// from that end, marked below (above). Throws std::invalid_argument for an age outside the
// groups' values, or, with windows, one whose window holds fewer than 3 cases. With `sizes`,
// each age's cases as a manual's column gives them: "n = 97", or between two groups' values
// both groups' counts, "n = 97 and 103".
std::vector<stats::NormCell> group_norm_cells(const stats::NormingSample& sample,
                                              const stats::ContinuousOptions& options,
                                              const std::vector<Extended>& ages, long long raw_min,
                                              long long raw_max, bool limits,
                                              const std::vector<Extended>& raw_scores = {},
                                              std::vector<std::string>* sizes = nullptr);

}  // namespace norms
