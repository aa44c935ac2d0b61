#include "norms/count/variable_guesses.hpp"

#include <gtest/gtest.h>

namespace {

norms::PersonFileSurvey survey_of(std::vector<std::string> variables, std::vector<std::size_t> distinct)
{
    norms::PersonFileSurvey survey;
    survey.variables = std::move(variables);
    survey.distinct = std::move(distinct);
    survey.ranges.resize(survey.variables.size());
    return survey;
}

// A group has 3 to 50 values: two (such as sex) are too few, an id too many; the score and the
// age are never proposed; a preferred variable the file holds wins whatever its values.
TEST(LikelyGroupVariable, TakesTheFirstVariableWithAFewValues)
{
    const norms::PersonFileSurvey survey =
        survey_of({"id", "sex", "age", "band", "region", "raw"}, {51, 2, 51, 3, 50, 40});
    EXPECT_EQ(norms::likely_group_variable(survey, {5, 2}, ""), 3u);
    EXPECT_EQ(norms::likely_group_variable(survey, {3}, ""), 4u);
    EXPECT_EQ(norms::likely_group_variable(survey, {3, 4}, ""), 5u);
    EXPECT_EQ(norms::likely_group_variable(survey, {3, 4, 5}, ""), std::nullopt);
    EXPECT_EQ(norms::likely_group_variable(survey, {3}, "sex"), 1u);
    EXPECT_EQ(norms::likely_group_variable(survey, {3}, "school"), 4u);
}

// "age" in any case wins; a name that only holds "age" is an age when it has more values than a
// group; else there is none.
TEST(LikelyAgeVariable, PrefersTheNameAgeThenAnAgeWithManyValues)
{
    EXPECT_EQ(norms::likely_age_variable(survey_of({"age_band", "stage", "AGE"}, {3, 51, 51})), 2u);
    EXPECT_EQ(norms::likely_age_variable(survey_of({"age_band", "stage", "raw"}, {3, 51, 51})), 1u);
    EXPECT_EQ(norms::likely_age_variable(survey_of({"age_band", "raw"}, {50, 51})), std::nullopt);
}

}  // namespace
