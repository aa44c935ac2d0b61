#include "norms/run/continuous_choices.hpp"

namespace norms {

std::vector<std::string> continuous_choice_problems(const ContinuousChoices& choices)
{
    std::vector<std::string> problems;
    if (choices.layout.group_variable.empty() && !choices.family) {
        if (!(choices.model.window_width > 0))
            problems.push_back("The window's width is an age span above 0, such as 1.");
        else if (choices.layout.age_variable.empty())
            problems.push_back("Age windows slide along the cases' ages: choose an age variable.");
    }
    if (!choices.family && choices.model.terms == 0 && choices.model.rule == stats::ModelRule::adjusted_r2 &&
        !stats::is_r2_target(choices.model.r2))
        problems.push_back("The adjusted R² to reach is a number above 0 and at most 1, such as 0.99.");
    if (choices.family && choices.family->alpha_degree.has_value() != choices.family->beta_degree.has_value())
        problems.push_back("The degrees of log α and log β go together: fix both, or leave both to BIC.");
    if (choices.bootstrap.resamples == 1)
        problems.push_back("A bootstrap needs at least 2 resamples.");
    return problems;
}

stats::BetaBinomialChoice beta_binomial_choice(const ContinuousChoices& choices)
{
    const BetaBinomialFamily& family = *choices.family;
    return {family.items, family.alpha_degree, family.beta_degree, choices.model.scale};
}

}  // namespace norms
