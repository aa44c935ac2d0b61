// What a weighted run says of each group beside its table: the note under the report's
// heading, and the warnings where the weights cost much precision.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/group_tables.hpp"

namespace norms {

// "Weighted: 412 cases, weights adding up to 398.2, effective sample size 318.4, design
// effect 1.29", numbers with the user's decimal separator.
std::string weighting_note(const RunWeighting& weighting);

// One warning per group whose design effect is above 1.5, and one per group whose largest
// weight is more than 10 times its smallest.
std::vector<std::string> weighting_notices(const GroupTables& tables);

}  // namespace norms
