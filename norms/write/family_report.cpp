#include "norms/write/family_report.hpp"

#include "stats/continuous_cross_validation.hpp"
#include "stats/number_format.hpp"

namespace norms {

std::vector<std::string> family_choice_lines(const FamilyComparison& comparison, Extended bias)
{
    using stats::format_fixed;
    std::vector<std::string> lines = {
        "",
        " Family: the one whose norm scores err less on held-out cases (" +
            std::to_string(stats::cross_validation_folds) + "-fold cross-validation)",
        "   Taylor polynomial: " + format_fixed(comparison.taylor_error, 0, 3) + "    beta-binomial of " +
            std::to_string(comparison.items) + " items: " + format_fixed(comparison.beta_binomial_error, 0, 3),
        std::string("   Chosen: ") + (comparison.beta_binomial_chosen() ? "beta-binomial" : "Taylor polynomial"),
    };
    if (bias > 0)
        lines.push_back("   Its bootstrap limits are widened by its estimated bias, " + format_fixed(bias, 0, 3) + ".");
    return lines;
}

}  // namespace norms
