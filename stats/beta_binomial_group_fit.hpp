// How well a beta-binomial model fits each age group of its sample: the model's distribution of
// the group's scores is the mixture of its distributions at the group's cases' ages.
#pragma once

#include <vector>

#include "stats/beta_binomial.hpp"

namespace stats {

struct GroupFitLine {
    Extended group = 0;  // the group's value
    Extended cases = 0;  // weighted, with the weights averaging 1 over the sample
    // The largest |model's PR - sample's mid-rank PR| over the raw scores 0 … N, in percent.
    Extended largest_PR_difference = 0;
    // Pearson's Σ (observed - expected)² / expected over the raw scores 0 … N, on N degrees of
    // freedom before allowing for the fitted coefficients.
    Extended chi_square = 0;
};

// One line per distinct value of `groups` (one per case), in ascending order.
std::vector<GroupFitLine> beta_binomial_group_fit(const BetaBinomialModel& model, const BetaBinomialSample& sample,
                                                  const std::vector<Extended>& groups);

}  // namespace stats
