// The choices of a continuous norming run, Qt-free: which cases, which model, which bootstrap
// and the ages of the tables. vornak-batch continuous fills them from its options and the study
// window's Continuous tab from its widgets; the defaults are those of stats::ContinuousOptions
// and stats::BootstrapChoice, the guesses from the data those of norms/count/variable_guesses.
#pragma once

#include <string>
#include <vector>

#include "norms/count/norming_cases.hpp"
#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_norms.hpp"

namespace norms {

struct ContinuousChoices {
    // The cases; the range of raw scores is also the tables'. Without a group variable the
    // cases are ranked within age windows of model.window_width.
    NormingLayout layout;
    stats::ContinuousOptions model;
    stats::BootstrapChoice bootstrap;  // no resamples: no limits
    std::vector<stats::Extended> ages;  // empty: the default ages

    friend bool operator==(const ContinuousChoices&, const ContinuousChoices&) = default;
};

// What keeps the choices of a fit from the data from being fitted, one sentence each, in the
// study window's words: age windows of no width above 0 or without an age variable, an
// adjusted R² to reach outside (0, 1], a bootstrap of a single resample. Empty when none does.
std::vector<std::string> continuous_choice_problems(const ContinuousChoices& choices);

}  // namespace norms
