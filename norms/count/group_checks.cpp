#include "norms/count/group_checks.hpp"

#include "norms/read/frequency_file.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

// The largest raw score the worksheet's six-character boxes can hold.
constexpr Extended largest_raw_score = 999999;

// "group 7-9: " for a named group, nothing for ungrouped data.
std::string group_prefix(const ScoreGroup& group)
{
    return group.name.empty() ? "" : "group " + platform::PrintableText(group.name) + ": ";
}

}  // namespace

std::optional<std::string> ScoreRangeProblem(Extended min, Extended max)
{
    if (min < 0 || max > largest_raw_score)
        return "The minimum and maximum raw scores must lie from 0 to 999999.";
    if (max < min)
        return "The maximum raw score is below the minimum raw score.";
    if (max - min + 1 > MaxNormsRows)
        return TooManyRowsMessage;
    return std::nullopt;
}

std::optional<std::string> MissingScoresNotice(const ScoreGroup& group)
{
    if (group.missing == 0)
        return std::nullopt;
    return group_prefix(group) + std::to_string(group.missing) + " missing " +
           (group.missing == 1 ? "score" : "scores") + " skipped";
}

std::optional<std::string> TooSmallGroupProblem(const ScoreGroup& group)
{
    if (group.size > 2)
        return std::nullopt;
    return group_prefix(group) + "only " + std::to_string(group.size) +
           (group.size == 1 ? " score" : " scores") + "; a norm group needs at least 3.";
}

}  // namespace norms
