// The beta-binomial norm tables of a run: a model fitted to the cases, or read from its file, and
// its norm scores for the raw scores 0 … N at each age asked for, with bootstrap limits when
// resamples are asked for, and how well it fits each age group.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/beta_binomial_bootstrap.hpp"
#include "stats/beta_binomial_group_fit.hpp"
#include "stats/continuous_ranking.hpp"

namespace norms {

using stats::Extended;

struct BetaBinomialTables {
    std::optional<stats::ChosenBetaBinomial> fit;  // none for a model read from its file
    stats::BetaBinomialChoice choice;              // of the fit
    stats::BetaBinomialModel model;
    std::vector<Extended> ages;
    int resamples = 0;  // the cells have limits when above 0
    std::uint64_t seed = 0;
    Extended bias = 0;  // by which the limits were widened, when the family was cross-validated
    std::vector<stats::NormCell> cells;  // age by age, each age's raw scores 0 … N
    // By age group: the groups of the group variable, else each age when there are at most 20,
    // else the round age each case lies nearest.
    std::vector<stats::GroupFitLine> group_fit;
    bool groups_are_nearest_ages = false;
    // Ages asked for outside the sample's, whose norms are extrapolated.
    std::vector<std::string> warnings;
};

// The cases as the model takes them: the age of each, or its group's value without ages, and
// the case weights, if any (one per case).
stats::BetaBinomialSample beta_binomial_sample(const stats::NormingSample& sample,
                                               const std::vector<Extended>& weights = {});

// Fits the model and makes its tables at `ages` (the default ages of the continuous tables when
// empty), with limits from the bootstrap when bootstrap.resamples > 0, drawn within the groups
// when the sample has them. Throws std::invalid_argument for a sample or ages it cannot use and
// stats::FitNotConverged; Interrupted when `interruption` asks to stop.
BetaBinomialTables fit_beta_binomial_tables(const stats::NormingSample& sample, const std::vector<Extended>& weights,
                                            const stats::BetaBinomialChoice& choice, std::vector<Extended> ages,
                                            const stats::BootstrapChoice& bootstrap,
                                            stats::Interruption* interruption = nullptr);

// The same, from a fit of `choice` already made.
BetaBinomialTables chosen_beta_binomial_tables(const stats::NormingSample& sample, const std::vector<Extended>& weights,
                                               const stats::BetaBinomialChoice& choice, stats::ChosenBetaBinomial chosen,
                                               std::vector<Extended> ages, const stats::BootstrapChoice& bootstrap,
                                               stats::Interruption* interruption = nullptr);

// The tables of a model read from its file, without limits or fit lines.
BetaBinomialTables beta_binomial_model_tables(const stats::BetaBinomialModel& model, std::vector<Extended> ages);

}  // namespace norms
