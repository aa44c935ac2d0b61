// The probability below a cut-off: a percentile rank as the user types it, and the column it
// adds to the norms table's CSV.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/csv_table.hpp"

namespace norms {

struct Cutoff {
    std::string text;     // as typed, which names the column
    Extended proportion;  // the rank over 100
};

// A percentile rank strictly between 0 and 100, with "." as the decimal point.
std::optional<Cutoff> ParseCutoff(const std::string& text);

// One column "prob_below_P" per cut-off: the Bayesian posterior probability that the score's
// percentile rank in a population sampled n times lies below P.
std::vector<CsvColumn> CutoffColumns(const std::vector<Cutoff>& cutoffs, Extended n);

}  // namespace norms
