#include "norms/run/continuous_choices.hpp"

#include <gtest/gtest.h>

namespace {

using Problems = std::vector<std::string>;

const std::string no_width = "The window's width is an age span above 0, such as 1.";
const std::string no_age = "Age windows slide along the cases' ages: choose an age variable.";
const std::string bad_r2 = "The adjusted R² to reach is a number above 0 and at most 1, such as 0.99.";
const std::string one_resample = "A bootstrap needs at least 2 resamples.";
const std::string one_degree = "The degrees of log α and log β go together: fix both, or leave both to BIC.";

// Age windows need a width above 0 and an age to slide along; ranking within groups needs
// neither.
TEST(ContinuousChoiceProblems, WindowsNeedAWidthAndAnAge)
{
    norms::ContinuousChoices choices;
    choices.layout.score_variable = "raw";
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{no_width});
    choices.model.window_width = 1;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{no_age});
    choices.layout.age_variable = "age";
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
    choices.model.window_width = 0;
    choices.layout.group_variable = "band";
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
}

// The R² to reach counts only when it chooses the terms; every problem is told at once.
TEST(ContinuousChoiceProblems, TheR2CountsOnlyWhenItChoosesAndEveryProblemIsTold)
{
    norms::ContinuousChoices choices;
    choices.layout.group_variable = "band";
    choices.model.r2 = 0;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
    choices.model.rule = stats::ModelRule::adjusted_r2;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{bad_r2});
    choices.model.r2 = 1;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
    choices.model.r2 = 1.01L;
    choices.model.terms = 4;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
    choices.model.terms = 0;
    choices.bootstrap.resamples = 1;
    choices.layout.group_variable.clear();
    EXPECT_EQ(norms::continuous_choice_problems(choices), (Problems{no_width, bad_r2, one_resample}));
    choices.bootstrap.resamples = 2;
    choices.model.r2 = 0.5L;
    choices.layout.group_variable = "band";
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
}

// The beta-binomial family ranks no cases and chooses no terms, so neither a window's width nor
// an R² counts; its two degrees are fixed together or chosen together.
TEST(ContinuousChoiceProblems, TheBetaBinomialFamilyChecksOnlyItsOwn)
{
    norms::ContinuousChoices choices;
    choices.layout.age_variable = "age";
    choices.model.rule = stats::ModelRule::adjusted_r2;
    choices.model.r2 = 0;
    choices.family = norms::BetaBinomialFamily{28, std::nullopt, std::nullopt};
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
    choices.family->alpha_degree = 3;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{one_degree});
    choices.family->beta_degree = 0;
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{});
    choices.family->alpha_degree.reset();
    EXPECT_EQ(norms::continuous_choice_problems(choices), Problems{one_degree});
}

}  // namespace
