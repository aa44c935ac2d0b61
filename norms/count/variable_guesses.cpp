#include "norms/count/variable_guesses.hpp"

#include <algorithm>

namespace norms {
namespace {

std::string lower_case(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

std::optional<std::size_t> likely_group_variable(const PersonFileSurvey& survey, const std::vector<int>& taken,
                                                 const std::string& preferred)
{
    const std::vector<std::string>& variables = survey.variables;
    if (!preferred.empty())
        if (const auto found = std::find(variables.begin(), variables.end(), preferred); found != variables.end())
            return static_cast<std::size_t>(found - variables.begin());
    for (std::size_t column = 0; column < variables.size(); ++column)
        if (std::find(taken.begin(), taken.end(), static_cast<int>(column)) == taken.end() &&
            survey.distinct[column] >= FewestLikelyGroupValues && survey.distinct[column] <= DistinctCountLimit)
            return column;
    return std::nullopt;
}

std::optional<std::size_t> likely_age_variable(const PersonFileSurvey& survey)
{
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (lower_case(survey.variables[column]) == "age")
            return column;
    for (std::size_t column = 0; column < survey.variables.size(); ++column)
        if (lower_case(survey.variables[column]).find("age") != std::string::npos &&
            survey.distinct[column] > DistinctCountLimit)
            return column;
    return std::nullopt;
}

}  // namespace norms
