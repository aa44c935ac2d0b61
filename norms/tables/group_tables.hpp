// Norm groups' counts turned into their norms tables.
#pragma once

#include <cstdint>

#include "norms/read/delimited_file.hpp"
#include "norms/tables/norms_table.hpp"

namespace norms {

// The group's norms table over min_score ... min_score + frequencies - 1, n being its valid
// scores, by the given interval method.
NormsRun GroupNormsRun(const ScoreGroup& group, std::int64_t min_score,
                       stats::IntervalMethod method);

}  // namespace norms
