// The lines of a report that say how the family of a continuous model was chosen.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/continuous_family.hpp"
#include "norms/write/norms_workbook.hpp"

namespace norms {

// The two families' cross-validated errors and which was chosen; with `bias` above 0, by how
// much the chosen beta-binomial's limits were widened.
std::vector<std::string> family_choice_lines(const FamilyComparison& comparison, Extended bias = 0);

// The same lines as rows of a workbook's About sheet, each under the key "Family choice".
void add_family_choice_rows(SheetsWorkbook& workbook, const FamilyComparison& comparison, Extended bias = 0);

}  // namespace norms
