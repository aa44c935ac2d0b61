// One norm group of per-person data on its way to a norms table: the checks its counts must
// pass and the table they give. vornak-batch scores and the study window share these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "norms/compute_run.hpp"
#include "norms/person_scores.hpp"

namespace norms {

inline constexpr const char* NoDataRowsMessage = "The file holds no rows below its header line";

// Why MIN and MAX make no score range ("The maximum raw score is below ..."), if they do not.
std::optional<std::string> ScoreRangeProblem(Extended min, Extended max);

// "group 9: 1 missing score skipped", or nothing for a group without missing scores.
std::optional<std::string> MissingScoresNotice(const ScoreGroup& group);

// "group 9: only 2 scores; a norm group needs at least 3.", or nothing for a group large enough.
std::optional<std::string> TooSmallGroupProblem(const ScoreGroup& group);

// The group's norms table over min_score ... min_score + frequencies - 1, n being its valid
// scores, by the given interval method.
NormsRun GroupNormsRun(const ScoreGroup& group, std::int64_t min_score,
                       stats::IntervalMethod method);

}  // namespace norms
