// The variables the study window proposes for a per-person file before anything is chosen,
// guessed from its survey.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "norms/count/case_columns.hpp"

namespace norms {

// A likely group variable has at least this many different values: enough for age bands or
// grades that can also serve as a continuous model's age, which two values (such as sex) cannot.
// It has at most DistinctCountLimit, as many as a survey counts.
inline constexpr std::size_t FewestLikelyGroupValues = 3;

// The group variable to propose: `preferred` when the file has it, else the first variable not
// among `taken` with FewestLikelyGroupValues to DistinctCountLimit different values; else none.
std::optional<std::size_t> likely_group_variable(const PersonFileSurvey& survey, const std::vector<int>& taken,
                                                 const std::string& preferred);

// The age variable to propose: one named "age" in any case, else the first whose name holds
// "age" and that has too many values to be a group; else none.
std::optional<std::size_t> likely_age_variable(const PersonFileSurvey& survey);

}  // namespace norms
