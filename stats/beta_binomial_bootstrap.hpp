// Bootstrap intervals for the cells of a beta-binomial norm table. Each resample draws the cases
// of every stratum (a group, or all cases) again with replacement, with their weights, chooses
// the degrees again when they were chosen, and fits again; a cell's limits are percentiles of its
// values over the resamples, by the rule of the other continuous models.
#pragma once

#include <optional>
#include <vector>

#include "stats/beta_binomial.hpp"
#include "stats/continuous_bootstrap.hpp"

namespace stats {

// The model's choices: fixed degrees, or none to choose both by BIC.
struct BetaBinomialChoice {
    int items = 0;
    std::optional<int> alpha_degree;
    std::optional<int> beta_degree;
    NormScale scale = StandardNormScales()[1];

    bool degrees_chosen() const { return !alpha_degree || !beta_degree; }
};

// The fit of `choice`: fixed degrees, or the degrees of the lowest BIC with their trials.
ChosenBetaBinomial fit_beta_binomial_choice(const BetaBinomialSample& sample, const BetaBinomialChoice& choice);

// The models of the resamples of `bootstrap` (at least one), in the resamples' order, each
// holding the fitted model's range of ages. `strata`: one value per case (such as its group)
// within which the cases are drawn, or empty to draw from all. Counts each resample done in the
// interruption, if any, and throws Interrupted when it asks to stop.
std::vector<BetaBinomialModel> resample_beta_binomial(const BetaBinomialSample& sample,
                                                      const std::vector<Extended>& strata,
                                                      const BetaBinomialChoice& choice,
                                                      const BetaBinomialModel& fitted,
                                                      const BootstrapChoice& bootstrap,
                                                      Interruption* interruption = nullptr);

// Gives each cell its limits from the resamples' models.
void add_beta_binomial_limits(std::vector<NormCell>& cells, const std::vector<BetaBinomialModel>& models,
                              unsigned threads = 0);

}  // namespace stats
