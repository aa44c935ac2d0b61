// Cut-offs: percentile ranks such as the 2nd or 16th that a score's rank is compared with, and
// the posterior probability that the rank lies below one.
#pragma once

#include <optional>
#include <string>

#include "stats/distrib.hpp"
#include "stats/interval_method.hpp"

namespace norms {

using stats::Extended;

// A cut-off: the percentile rank as typed, and as a proportion.
struct Cutoff {
    std::string text;
    Extended proportion;
};

// A percentile rank strictly between 0 and 100 that stays above 0 as a proportion, with "." as
// the decimal point.
std::optional<Extended> ParsePercentileRank(const std::string& text);

// A cut-off from its percentile rank as typed; none for text ParsePercentileRank refuses.
std::optional<Cutoff> ParseCutoff(const std::string& text);

// Whether a method gives cut-off probabilities. They are posterior probabilities, which only
// the Bayesian method has; the classical methods give confidence intervals.
constexpr bool gives_cutoff_probabilities(stats::IntervalMethod method)
{
    return method == stats::IntervalMethod::bayesian;
}

}  // namespace norms
