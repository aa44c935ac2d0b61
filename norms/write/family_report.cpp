#include "norms/write/family_report.hpp"

#include "stats/continuous_cross_validation.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// What the accuracy suite (bench/norming_accuracy, docs/continuous.md) measured for the choice.
const std::string measured_choice =
    "   On samples from six known populations (bench/norming_accuracy, 100 to 1,000 cases an age), the family so "
    "chosen erred no more than the groups' own norms, and its 95% intervals held the population's norm score in "
    "87 to 100% of the cells, 90% intervals in 83 to 99%.";

std::string family_name(NormsFamily family)
{
    switch (family) {
    case NormsFamily::beta_binomial:
        return "beta-binomial";
    case NormsFamily::groups:
        return "the ranking groups' own norms";
    case NormsFamily::taylor:
        break;
    }
    return "Taylor polynomial";
}

}  // namespace

std::vector<std::string> family_choice_lines(const FamilyComparison& comparison, Extended bias)
{
    using stats::format_fixed;
    std::string errors = "   Taylor polynomial: " + format_fixed(comparison.taylor_error, 0, 3);
    if (comparison.beta_binomial_error)
        errors += "    beta-binomial of " + std::to_string(comparison.items) +
                  " items: " + format_fixed(*comparison.beta_binomial_error, 0, 3);
    if (comparison.groups_error)
        errors += "    the groups' own norms: " + format_fixed(*comparison.groups_error, 0, 3);
    std::vector<std::string> lines = {
        "",
        " Family: the one whose norm scores err least on held-out cases (" +
            std::to_string(stats::cross_validation_folds) +
            "-fold cross-validation); the groups' own norms only when they err less by more than a standard error",
        errors,
        "   Chosen: " + family_name(comparison.chosen),
    };
    if (comparison.chosen == NormsFamily::groups)
        lines.push_back("   No model improves on the groups' own norms here: norms tables for each group "
                        "(vornak-batch scores) are recommended, and the tables below are theirs, with exact limits.");
    if (bias > 0)
        lines.push_back("   Its bootstrap limits are widened by its estimated bias, " + format_fixed(bias, 0, 3) + ".");
    lines.push_back(measured_choice);
    return lines;
}

void add_family_choice_rows(SheetsWorkbook& workbook, const FamilyComparison& comparison, Extended bias)
{
    for (const std::string& line : family_choice_lines(comparison, bias))
        if (const std::size_t text = line.find_first_not_of(' '); text != std::string::npos)
            workbook.about.push_back({"Family choice", line.substr(text), std::nullopt});
}

}  // namespace norms
