// A continuous norm table as the study window shows it: the report's rounding on screen, and
// beside each cell the value vornak-batch continuous --csv prints.
#pragma once

#include "norms/tables/continuous_tables.hpp"
#include "norms/write/table_cells.hpp"

namespace norms {

// One row per cell, age by age: the age, the raw score, the norm score with its four limits,
// then the PR with its four limits (the limits when the cells have them).
ShownTable continuous_shown_table(const ContinuousTables& tables);

}  // namespace norms
