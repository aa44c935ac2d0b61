#include "norms/tables/continuous_family.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

#include "norms/tables/group_norms.hpp"
#include "stats/beta_binomial.hpp"
#include "stats/beta_binomial_bootstrap.hpp"
#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_model_bias.hpp"

namespace norms {
namespace {

// The beta-binomial of fixed degrees, fitted again to each fold's training cases.
stats::RivalModel beta_binomial_rival(const stats::BetaBinomialSample& cases, int items, int alpha_degree,
                                      int beta_degree, const stats::NormScale& scale)
{
    return [&cases, items, alpha_degree, beta_degree, scale](const std::vector<std::uint32_t>& training) {
        stats::BetaBinomialSample drawn;
        for (std::size_t c = 0; c < cases.scores.size(); ++c)
            for (std::uint32_t copy = 0; copy < training[c]; ++copy) {
                drawn.scores.push_back(cases.scores[c]);
                drawn.ages.push_back(cases.ages[c]);
            }
        const stats::BetaBinomialModel model =
            stats::fit_beta_binomial(drawn, items, alpha_degree, beta_degree, scale).model;
        // The held-out cases share ages; each age's mid-ranks are worked out once.
        auto by_age = std::make_shared<std::map<Extended, std::vector<stats::MidRank>>>();
        return stats::FoldPrediction([model, by_age](Extended age, Extended raw) {
            auto [at_age, added] = by_age->try_emplace(age);
            if (added)
                at_age->second = stats::mid_ranks(stats::beta_binomial_probabilities(model, age));
            return at_age->second[static_cast<std::size_t>(raw)].below;
        });
    };
}

// The resamples' limits, widened by the family's bias as the Taylor model's are by its own: its
// cross-validated error squared, less the targets' variance, is its out-of-sample error.
void add_widened_limits(BetaBinomialTables& tables, const stats::NormingSample& sample,
                        const stats::BetaBinomialSample& cases, const stats::ContinuousOptions& options,
                        const stats::ContinuousFit& fit, Extended beta_binomial_error,
                        const stats::BootstrapChoice& bootstrap, stats::Interruption* interruption)
{
    const std::vector<stats::BetaBinomialModel> models = stats::resample_beta_binomial(
        cases, sample.groups, tables.choice, tables.model, bootstrap, interruption);
    tables.resamples = bootstrap.resamples;
    tables.seed = bootstrap.seed;
    stats::add_beta_binomial_limits(tables.cells, models, bootstrap.threads);
    const Extended mse = std::max(Extended(0), beta_binomial_error * beta_binomial_error - fit.target_variance.value_or(0));
    // Each resample's mid-ranks at the age last asked for: the cases come age by age.
    std::vector<std::pair<Extended, std::vector<stats::MidRank>>> last(models.size());
    tables.bias = stats::bias_beside_resamples(sample, options, mse, models.size(),
                                               [&](std::size_t r, Extended age, Extended raw) {
                                                   if (last[r].second.empty() || last[r].first != age)
                                                       last[r] = {age, stats::mid_ranks(stats::beta_binomial_probabilities(models[r], age))};
                                                   return last[r].second[static_cast<std::size_t>(raw)].below;
                                               });
    stats::widen_by_bias(tables.cells, tables.bias, options.scale.mean, options.scale.sd);
}

int highest_score(const stats::NormingSample& sample)
{
    return static_cast<int>(*std::max_element(sample.scores.begin(), sample.scores.end()));
}

// The family of the least error; the groups' own norms only when they err less than it by more
// than the standard error of the difference of the squared errors.
NormsFamily chosen_family(const FamilyComparison& comparison, const stats::ContinuousFit& fit)
{
    NormsFamily chosen = NormsFamily::taylor;
    Extended error = comparison.taylor_error;
    Extended excess_se = fit.excess_se.value_or(0);
    if (comparison.beta_binomial_error && *comparison.beta_binomial_error < error) {
        chosen = NormsFamily::beta_binomial;
        error = *comparison.beta_binomial_error;
        excess_se = fit.rival_excess_se.front();
    }
    if (comparison.groups_error && error * error - *comparison.groups_error * *comparison.groups_error > excess_se)
        return NormsFamily::groups;
    return chosen;
}

}  // namespace

bool compares_families(const stats::NormingSample& sample, const stats::ContinuousOptions& options, long long raw_min)
{
    return stats::rule_of(options) == stats::ModelRule::cross_validation && raw_min >= 0 && !sample.scores.empty() &&
           std::all_of(sample.scores.begin(), sample.scores.end(), [](Extended score) {
               return score >= 0 && score <= 1e6L && score == std::floor(score);
           });
}

DefaultContinuousTables fit_default_continuous_tables(const stats::NormingSample& sample,
                                                      const stats::ContinuousOptions& options,
                                                      std::vector<Extended> ages, long long raw_min, long long raw_max,
                                                      const stats::BootstrapChoice& bootstrap,
                                                      stats::Interruption* interruption,
                                                      const std::vector<Extended>& raw_scores)
{
    if (bootstrap.resamples < 0)
        throw std::invalid_argument("The number of bootstrap resamples must not be negative.");
    if (ages.empty())
        ages = default_norm_ages(sample);
    DefaultContinuousTables tables;
    std::optional<stats::ChosenBetaBinomial> chosen;
    std::vector<stats::RivalModel> rivals;
    const stats::BetaBinomialSample cases = beta_binomial_sample(sample);
    stats::BetaBinomialChoice choice{std::max<int>(static_cast<int>(raw_max), 0), std::nullopt, std::nullopt,
                                     options.scale};
    const auto whole = [](Extended raw) { return raw == std::floor(raw); };
    if (compares_families(sample, options, raw_min) && std::all_of(raw_scores.begin(), raw_scores.end(), whole)) {
        choice.items = std::max<int>(static_cast<int>(raw_max), highest_score(sample));
        try {
            chosen = stats::fit_beta_binomial_choice(cases, choice);
            rivals.push_back(beta_binomial_rival(cases, choice.items, static_cast<int>(chosen->fit.model.alpha.size()) - 1,
                                                 static_cast<int>(chosen->fit.model.beta.size()) - 1, options.scale));
        } catch (const stats::FitNotConverged&) {
            chosen.reset();  // the Taylor model alone, then
        }
    }
    const stats::ContinuousFit fit = stats::fit_continuous_norms(sample, options, interruption, rivals);
    if (fit.cross_validated_error) {
        FamilyComparison& comparison = tables.comparison.emplace();
        comparison.taylor_error = *fit.cross_validated_error;
        if (chosen && !fit.rival_errors.empty()) {
            comparison.beta_binomial_error = fit.rival_errors.front();
            comparison.items = choice.items;
        }
        if (has_group_norms(sample, options))
            comparison.groups_error = fit.grouped_error;
        comparison.chosen = chosen_family(comparison, fit);
    }
    const NormsFamily family = tables.comparison ? tables.comparison->chosen : NormsFamily::taylor;
    if (family == NormsFamily::beta_binomial) {
        tables.taylor = fitted_tables(fit, options, ages, raw_min, raw_max, nullptr, raw_scores);
        BetaBinomialTables& chosen_tables = tables.beta_binomial.emplace(
            chosen_beta_binomial_tables(sample, {}, choice, std::move(*chosen), std::move(ages), {}, interruption));
        if (bootstrap.resamples > 0)
            add_widened_limits(chosen_tables, sample, cases, options, fit, *tables.comparison->beta_binomial_error,
                               bootstrap, interruption);
        std::erase_if(chosen_tables.cells, [&](const stats::NormCell& cell) {
            return cell.raw < raw_min || cell.raw > raw_max ||
                   (!raw_scores.empty() && !std::binary_search(raw_scores.begin(), raw_scores.end(), cell.raw));
        });
        return tables;
    }
    if (family == NormsFamily::groups) {
        tables.taylor = fitted_tables(fit, options, ages, raw_min, raw_max, nullptr, raw_scores);
        tables.taylor.cells = group_norm_cells(sample, options, tables.taylor.ages, raw_min, raw_max,
                                               bootstrap.resamples > 0, raw_scores, &tables.taylor.group_sizes);
        tables.taylor.group_norms = true;
        tables.taylor.resamples = bootstrap.resamples;
        tables.taylor.seed = bootstrap.seed;
        return tables;
    }
    std::optional<stats::Resamples> resamples;
    if (bootstrap.resamples > 0)
        resamples = stats::resample_models(sample, options, bootstrap, interruption, &fit);
    tables.taylor = fitted_tables(fit, options, std::move(ages), raw_min, raw_max, resamples ? &*resamples : nullptr,
                                  raw_scores);
    return tables;
}

}  // namespace norms
