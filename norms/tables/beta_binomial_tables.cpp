#include "norms/tables/beta_binomial_tables.hpp"

#include <algorithm>
#include <cmath>
#include <set>

#include "norms/tables/continuous_tables.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

constexpr std::size_t most_ages_as_groups = 20;

// The age group of each case for the fit lines.
std::vector<Extended> fit_groups(const stats::NormingSample& sample, const std::vector<Extended>& ages,
                                 bool& nearest_ages)
{
    nearest_ages = false;
    if (!sample.groups.empty())
        return sample.groups;
    const std::set<Extended> distinct(ages.begin(), ages.end());
    if (distinct.size() <= most_ages_as_groups)
        return ages;
    nearest_ages = true;
    const std::vector<Extended> round = default_norm_ages(sample);
    std::vector<Extended> groups;
    groups.reserve(ages.size());
    for (const Extended age : ages)
        groups.push_back(*std::min_element(round.begin(), round.end(), [age](Extended a, Extended b) {
            return std::abs(a - age) < std::abs(b - age);
        }));
    return groups;
}

std::vector<std::string> extrapolation_warnings(const stats::BetaBinomialModel& model,
                                               const std::vector<Extended>& ages)
{
    std::vector<std::string> warnings;
    for (const Extended age : ages)
        if (!(age >= model.age.low && age <= model.age.high))
            warnings.push_back("Age " + stats::data_number_text(static_cast<double>(age)) +
                               " lies outside the norm sample's ages, " + stats::data_number_text(model.age.low) +
                               " to " + stats::data_number_text(model.age.high) + "; its norms are extrapolated.");
    return warnings;
}

}  // namespace

stats::BetaBinomialSample beta_binomial_sample(const stats::NormingSample& sample, const std::vector<Extended>& weights)
{
    return {sample.scores, stats::explanatory_values(sample), weights};
}

BetaBinomialTables fit_beta_binomial_tables(const stats::NormingSample& sample, const std::vector<Extended>& weights,
                                            const stats::BetaBinomialChoice& choice, std::vector<Extended> ages,
                                            const stats::BootstrapChoice& bootstrap,
                                            stats::Interruption* interruption)
{
    return chosen_beta_binomial_tables(sample, weights, choice,
                                       stats::fit_beta_binomial_choice(beta_binomial_sample(sample, weights), choice),
                                       std::move(ages), bootstrap, interruption);
}

BetaBinomialTables chosen_beta_binomial_tables(const stats::NormingSample& sample, const std::vector<Extended>& weights,
                                               const stats::BetaBinomialChoice& choice, stats::ChosenBetaBinomial chosen,
                                               std::vector<Extended> ages, const stats::BootstrapChoice& bootstrap,
                                               stats::Interruption* interruption)
{
    const stats::BetaBinomialSample cases = beta_binomial_sample(sample, weights);
    BetaBinomialTables tables;
    tables.choice = choice;
    tables.fit = std::move(chosen);
    tables.model = tables.fit->fit.model;
    tables.ages = ages.empty() ? default_norm_ages(sample) : std::move(ages);
    tables.cells = stats::beta_binomial_norm_table(tables.model, tables.ages);
    tables.warnings = extrapolation_warnings(tables.model, tables.ages);
    tables.group_fit = stats::beta_binomial_group_fit(
        tables.model, cases, fit_groups(sample, cases.ages, tables.groups_are_nearest_ages));
    if (bootstrap.resamples > 0) {
        tables.resamples = bootstrap.resamples;
        tables.seed = bootstrap.seed;
        stats::add_beta_binomial_limits(
            tables.cells,
            stats::resample_beta_binomial(cases, sample.groups, choice, tables.model, bootstrap, interruption),
            bootstrap.threads);
    }
    return tables;
}

BetaBinomialTables beta_binomial_model_tables(const stats::BetaBinomialModel& model, std::vector<Extended> ages)
{
    BetaBinomialTables tables;
    tables.model = model;
    tables.choice.items = model.items;
    tables.choice.scale = model.scale;
    tables.ages = std::move(ages);
    tables.cells = stats::beta_binomial_norm_table(model, tables.ages);
    tables.warnings = extrapolation_warnings(model, tables.ages);
    return tables;
}

}  // namespace norms
