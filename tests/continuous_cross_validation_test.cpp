#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_cross_validation.hpp"
#include "stats/continuous_model_bias.hpp"
#include "stats/resampling.hpp"
#include "stats/continuous_norms.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>

#include "tests/support/continuous_samples.hpp"

using namespace stats;

namespace {

// Eight groups of 400 whose middles zigzag 8 raw score points up and down from one group to
// the next: no polynomial of degree 3 in age follows that, and groups this large rank their own
// cases well.
NormingSample zigzag_groups()
{
    std::mt19937_64 engine(12);
    std::normal_distribution<double> ability;
    NormingSample sample;
    for (int group = 1; group <= 8; ++group)
        for (int i = 0; i < 400; ++i) {
            sample.groups.push_back(group);
            sample.scores.push_back(std::clamp(std::round(20 + 5 * ability(engine) + (group % 2 ? 4 : -4)), 0.0, 40.0));
        }
    return sample;
}

std::set<std::string> term_sets(const std::vector<ContinuousModel>& models)
{
    std::set<std::string> sets;
    for (const ContinuousModel& model : models) {
        std::string names;
        for (const ModelTerm& term : model.terms)
            names += term_name(term.power) + " ";
        sets.insert(names);
    }
    return sets;
}

}  // namespace

// A smooth population in groups of 120: the model with the least out-of-sample error is chosen,
// it needs more than one term for the curved growth, and it predicts held-out cases better than
// the groups' own ranks do. Where no smooth curve follows the groups, the groups win and the fit
// says so.
TEST(ContinuousCrossValidation, ChoosesTheLeastErrorAndRecommendsTheGroupsOnlyWhenTheyPredictBetter)
{
    NormingSample sample = continuous_samples::age_trend(7, 120, 4);
    sample.ages.clear();  // the groups' values are the model's ages
    const ContinuousFit smooth = fit_continuous_norms(sample, {});
    EXPECT_EQ(smooth.rule, ModelRule::cross_validation);
    const std::size_t chosen = smooth.model.terms.size();
    ASSERT_GE(chosen, 2u);
    Extended chosen_error = 0;
    for (const SizeOfModel& size : smooth.search) {
        ASSERT_EQ(size.cross_validated_error.has_value(), size.consistent_adjusted_r2.has_value()) << size.terms;
        if (static_cast<std::size_t>(size.terms) == chosen)
            chosen_error = *size.cross_validated_error;
    }
    for (const SizeOfModel& size : smooth.search) {
        if (size.cross_validated_error) {
            EXPECT_GE(*size.cross_validated_error, chosen_error) << size.terms;
        }
    }
    EXPECT_GT(*smooth.search.front().cross_validated_error, 1.2L * chosen_error);
    ASSERT_TRUE(smooth.grouped_error);
    EXPECT_GT(*smooth.grouped_error, chosen_error);
    EXPECT_FALSE(smooth.grouped_better);

    const ContinuousFit zigzag = fit_continuous_norms(zigzag_groups(), {});
    EXPECT_TRUE(zigzag.grouped_better);

    ContinuousOptions by_r2;
    by_r2.rule = ModelRule::adjusted_r2;
    const ContinuousFit without = fit_continuous_norms(zigzag_groups(), by_r2);
    EXPECT_EQ(without.rule, ModelRule::adjusted_r2);
    EXPECT_FALSE(without.grouped_error);
    EXPECT_FALSE(without.search.front().cross_validated_error);
}

// A resample that draws every case the same number of times is the sample itself: the repeated
// procedure must give back the fitted model. Resamples that differ choose their own models.
TEST(ContinuousCrossValidation, TheBootstrapRepeatsTheWholeChoiceOnEachResample)
{
    const NormingSample sample = continuous_samples::age_trend(5, 80, 6);
    const ContinuousFit fit = fit_continuous_norms(sample, {});
    for (const std::uint32_t times : {1u, 2u}) {
        const ContinuousModel again =
            refit_resample(sample, {}, std::vector<std::uint32_t>(sample.scores.size(), times));
        ASSERT_EQ(again.terms.size(), fit.model.terms.size()) << times;
        for (std::size_t s = 0; s < again.terms.size(); ++s) {
            EXPECT_EQ(again.terms[s].power, fit.model.terms[s].power);
            EXPECT_NEAR(again.terms[s].coefficient, fit.model.terms[s].coefficient,
                        1e-6 * std::abs(fit.model.terms[s].coefficient));
        }
        EXPECT_EQ(again.L.low, fit.model.L.low);
        EXPECT_EQ(again.L.high, fit.model.L.high);
        EXPECT_EQ(again.cases, fit.model.cases * times);
    }
    const Resamples resamples = resample_models(sample, {}, {30, 3, 2});
    EXPECT_GE(term_sets(resamples.models).size(), 2u);
}

// Raw score 0 lies below what the model gives at the oldest ages: those cells get intervals that
// are open below and end at the resamples' bounds above, never a zero-width interval at the bound.
TEST(ContinuousBootstrap, ACellBeyondTheModelsRangeGetsAOneSidedInterval)
{
    const NormingSample sample = continuous_samples::age_trend(5, 100, 2);
    ContinuousOptions options;
    options.terms = 4;
    const ContinuousFit fit = fit_continuous_norms(sample, options);
    const std::vector<NormCell> cells = bootstrap_norm_table(sample, options, fit.model, {10.5}, 0, 40, {60, 4, 2});
    int below = 0;
    for (const NormCell& cell : cells) {
        const BootstrapLimits& limits = *cell.limits;
        EXPECT_LT(limits.norm_lower95, limits.norm_upper95) << cell.raw;
        EXPECT_LT(limits.PR_lower90, limits.PR_upper90) << cell.raw;
        if (cell.side != RangeSide::below)
            continue;
        ++below;
        EXPECT_EQ(limits.norm_lower95, -INFINITY);
        EXPECT_EQ(limits.norm_lower90, -INFINITY);
        EXPECT_EQ(limits.PR_lower95, 0);
        EXPECT_TRUE(std::isfinite(limits.norm_upper90));
        EXPECT_LE(limits.norm_upper90, limits.norm_upper95);
        EXPECT_GT(limits.norm_upper95, cell.norm - 2);
    }
    EXPECT_GT(below, 0);

    EXPECT_EQ(sample_quantile({-INFINITY, 1, 2}, 0.25L), -INFINITY);
    EXPECT_EQ(sample_quantile({1, 2, INFINITY}, 0.75L), INFINITY);
    EXPECT_EQ(sample_quantile({-INFINITY, 1, 2}, 0.5L), 1);
}

// A bias of 1 T point adds (1.96 × 1)² to the square of each 95% limit's distance from the norm
// score, (1.645 × 1)² to each 90% one's; an open end stays open, and the PR limits follow.
TEST(ContinuousModelBias, WidensEachFiniteLimitInQuadrature)
{
    NormCell cell{8, 10, 50, 50, RangeSide::within, BootstrapLimits{48, 53, 48.5L, 51.5L, 0, 0, 0, 0}};
    NormCell open = cell;
    open.limits->norm_lower95 = -INFINITY;
    std::vector<NormCell> cells = {cell, open, {8, 11, 52, 57, RangeSide::within, std::nullopt}};
    widen_by_bias(cells, 1, 50, 10);
    const BootstrapLimits& widened = *cells[0].limits;
    EXPECT_DOUBLE_EQ(widened.norm_lower95, 50 - std::hypot(2.0L, 1.959963984540054L));
    EXPECT_DOUBLE_EQ(widened.norm_upper95, 50 + std::hypot(3.0L, 1.959963984540054L));
    EXPECT_DOUBLE_EQ(widened.norm_lower90, 50 - std::hypot(1.5L, 1.644853626951473L));
    EXPECT_DOUBLE_EQ(widened.norm_upper90, 50 + std::hypot(1.5L, 1.644853626951473L));
    EXPECT_NEAR(widened.PR_lower95, 50 * std::erfc((50 - widened.norm_lower95) / 10 / std::sqrt(2.0L)), 1e-12L);
    EXPECT_EQ(cells[1].limits->norm_lower95, -INFINITY);
    EXPECT_EQ(cells[1].limits->PR_lower95, 0);
    EXPECT_EQ(cells[1].limits->norm_upper95, widened.norm_upper95);
    EXPECT_FALSE(cells[2].limits);

    // Without cross-validation there is no estimate of the bias, and nothing is widened.
    const NormingSample sample = continuous_samples::age_trend(5, 60, 3);
    ContinuousOptions fixed;
    fixed.terms = 3;
    const Resamples resamples = resample_models(sample, fixed, {10, 1, 2});
    EXPECT_EQ(resamples.bias, 0);
    EXPECT_EQ(model_bias(sample, fixed, fit_continuous_norms(sample, fixed), resamples.models), 0);
}
