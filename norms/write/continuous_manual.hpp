// A continuous model's norm tables as a test manual prints them: the ages across, each cell the
// norm score with its bootstrap interval.
#pragma once

#include <string>

#include "norms/tables/continuous_tables.hpp"
#include "norms/write/manual_table.hpp"

namespace norms {

// The manual table of the tables' ages, on the choices' scale (the percentile rank when none):
// a scale's score is taken from the model's own through z. A raw score beyond the model's
// range shows the range's end with "<" or ">". The cells carry intervals only when the tables
// have bootstrap limits.
ManualTable continuous_manual(const ContinuousTables& tables, const ManualChoices& choices,
                              const std::string& title);

}  // namespace norms
