// The choices of a continuous norming run, Qt-free: which cases, which model, which bootstrap
// and the ages of the tables. vornak-batch continuous fills them from its options and the study
// window's Continuous tab from its widgets; the defaults are those of stats::ContinuousOptions
// and stats::BootstrapChoice, the guesses from the data those of norms/count/variable_guesses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/count/norming_cases.hpp"
#include "stats/beta_binomial_bootstrap.hpp"
#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_norms.hpp"

namespace norms {

// The most items a beta-binomial model takes.
inline constexpr int most_beta_binomial_items = 100000;

// The beta-binomial family's own choices: the test's number of items and the degrees of log α
// and log β in age.
struct BetaBinomialFamily {
    int items = 0;
    std::optional<int> alpha_degree;  // none: chosen with the other by BIC
    std::optional<int> beta_degree;

    friend bool operator==(const BetaBinomialFamily&, const BetaBinomialFamily&) = default;
};

struct ContinuousChoices {
    // The cases; the range of raw scores is also the tables'. Without a group variable the
    // cases are ranked within age windows of model.window_width.
    NormingLayout layout;
    stats::ContinuousOptions model;
    stats::BootstrapChoice bootstrap;  // no resamples: no limits
    std::vector<stats::Extended> ages;  // empty: the default ages
    // The beta-binomial family instead of the Taylor polynomial, which takes only the model's
    // scale of its options.
    std::optional<BetaBinomialFamily> family;
    // The family of the least cross-validated error instead (--family best): the Taylor
    // polynomial with its terms cross-validated, the beta-binomial or the ranking groups' own norms.
    bool best_family = false;
    // The tables' rows when they are not the whole scores MIN … MAX, such as a grid of decimal
    // steps, ascending within MIN and MAX.
    std::vector<stats::Extended> raw_scores;

    friend bool operator==(const ContinuousChoices&, const ContinuousChoices&) = default;
};

// What keeps the choices of a fit from the data from being fitted, one sentence each, in the
// study window's words: age windows of no width above 0 or without an age variable, an
// adjusted R² to reach outside (0, 1], one of the beta-binomial's degrees fixed without the
// other, a bootstrap of a single resample. Empty when none does.
std::vector<std::string> continuous_choice_problems(const ContinuousChoices& choices);

// The beta-binomial model's choice. Requires choices.family.
stats::BetaBinomialChoice beta_binomial_choice(const ContinuousChoices& choices);

}  // namespace norms
