#include "norms/count/group_checks.hpp"

#include "platform/printable_text.hpp"

namespace norms {
namespace {

// "group 7-9: " for a named group, nothing for ungrouped data.
std::string group_prefix(const ScoreGroup& group)
{
    return group.name.empty() ? "" : "group " + platform::PrintableText(group.name) + ": ";
}

}  // namespace

std::optional<std::string> MissingScoresNotice(const ScoreGroup& group)
{
    if (group.missing == 0)
        return std::nullopt;
    return group_prefix(group) + std::to_string(group.missing) + " missing " +
           (group.missing == 1 ? "score" : "scores") + " skipped";
}

std::optional<std::string> MissingWeightsNotice(const ScoreGroup& group)
{
    if (group.missing_weights == 0)
        return std::nullopt;
    return group_prefix(group) + std::to_string(group.missing_weights) + " missing " +
           (group.missing_weights == 1 ? "weight" : "weights") + " skipped";
}

std::optional<std::string> TooSmallGroupProblem(const ScoreGroup& group)
{
    if (group.size > 2)
        return std::nullopt;
    return group_prefix(group) + "only " + std::to_string(group.size) +
           (group.size == 1 ? " score" : " scores") + "; a norm group needs at least 3.";
}

std::string WithoutGroupNotice(std::int64_t cases, const std::string& group_variable)
{
    return std::to_string(cases) + (cases == 1 ? " case" : " cases") + " with no " +
           platform::PrintableText(group_variable) + " value skipped";
}

}  // namespace norms
