// The checks a norm group's counts must pass before they make a norms table, and the notices
// about what was skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "norms/count/group_counter.hpp"
#include "stats/distrib.hpp"

namespace norms {

using stats::Extended;

inline constexpr const char* NoDataRowsMessage = "The file holds no rows below its header line";

// "group 9: 1 missing score skipped", or nothing for a group without missing scores.
std::optional<std::string> MissingScoresNotice(const ScoreGroup& group);

// "group 9: 1 missing weight skipped", or nothing for a group without cases whose score has no
// weight.
std::optional<std::string> MissingWeightsNotice(const ScoreGroup& group);

// "3 cases with no age_band value skipped".
std::string WithoutGroupNotice(std::int64_t cases, const std::string& group_variable);

// "group 9: only 2 scores; a norm group needs at least 3.", or nothing for a group large enough.
std::optional<std::string> TooSmallGroupProblem(const ScoreGroup& group);

}  // namespace norms
