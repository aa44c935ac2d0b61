// A continuous norm table as the study window shows it: the report's rounding on screen, and
// beside each cell the value vornak-batch continuous --csv prints.
#pragma once

#include "norms/tables/continuous_tables.hpp"
#include "norms/write/table_cells.hpp"

namespace norms {

// One row per cell, age by age: the age, the raw score, the norm score with its four limits,
// then the PR with its four limits (the limits when the cells have them).
ShownTable continuous_shown_table(const ContinuousTables& tables);
// The same for any family's cells, the norm score's column titled `norm` and rounded to
// `decimals`, with the limits' columns when `limits`.
ShownTable continuous_shown_table(const std::vector<stats::NormCell>& cells, bool limits, const std::string& norm,
                                  int decimals);

}  // namespace norms
