#include "stats/continuous_norms.hpp"
#include "stats/continuous_bootstrap.hpp"
#include "stats/number_format.hpp"
#include "stats/resampling.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/support/continuous_samples.hpp"
#include "tests/support/independent_fit.hpp"

using namespace stats;

namespace {

std::string refusal_of_table(const ContinuousModel& model, const std::vector<Extended>& ages)
{
    try {
        continuous_norm_table(model, ages, 0, 10);
    } catch (const std::invalid_argument& refused) {
        return refused.what();
    }
    return "accepted";
}

// Five groups (A = 7 … 11, no ages) whose raw scores are exactly
// 5 + 0.5 L + 0.004 L² + 2 A - 0.05 A² + 0.02 L A. The raw score rises with L at every A, so
// ranking the raw scores gives back the L they were made from.
NormingSample polynomial_sample()
{
    std::mt19937_64 engine(3);
    std::normal_distribution<double> ability;
    NormingSample latent;
    for (int group = 7; group <= 11; ++group)
        for (int i = 0; i < 200; ++i) {
            latent.groups.push_back(group);
            latent.scores.push_back(ability(engine));
        }
    const RankedCases ranked = rank_cases(latent, {});
    NormingSample sample = latent;
    for (std::size_t i = 0; i < sample.scores.size(); ++i) {
        const Extended L = ranked.L[i], A = ranked.A[i];
        sample.scores[i] = 5 + 0.5L * L + 0.004L * L * L + 2 * A - 0.05L * A * A + 0.02L * L * A;
    }
    return sample;
}

Extended normal_percent(Extended L)
{
    return 50 * std::erfc(-(L - 50) / 10 / std::sqrt(Extended(2)));
}

std::vector<Extended> table_ages()
{
    return {6.5L, 7.25L, 8.5L, 10, 11.75L, 13, 15.5L, 15.9L};
}

}  // namespace

TEST(ContinuousFit, DataFromAPolynomialGiveBackItsTermsAndCoefficients)
{
    ContinuousOptions options;
    options.terms = 5;
    const ContinuousFit fit = fit_continuous_norms(polynomial_sample(), options);
    const std::vector<std::pair<std::string, double>> expected = {
        {"L1", 0.5}, {"L2", 0.004}, {"A1", 2}, {"A2", -0.05}, {"L1A1", 0.02}};
    ASSERT_EQ(fit.model.terms.size(), expected.size());
    for (std::size_t s = 0; s < expected.size(); ++s) {
        EXPECT_EQ(term_name(fit.model.terms[s].power), expected[s].first);
        EXPECT_NEAR(fit.model.terms[s].coefficient, expected[s].second, 1e-13 * std::abs(expected[s].second));
    }
    EXPECT_NEAR(fit.model.intercept, 5, 1e-11);
    EXPECT_GT(fit.r2, 1 - 1e-15L);
    EXPECT_TRUE(fit.crossings.empty());
    EXPECT_EQ(fit.model.age.low, 7);
    EXPECT_EQ(fit.model.age.high, 11);
    EXPECT_EQ(fit.model.cases, 1000);
}

// Five groups but A has only those five values: A⁴ would be the last power they tell apart, so
// with three groups A³ and every L^i A³ are sums of lower terms.
TEST(ContinuousFit, LeavesOutTermsTheDataCannotTellApart)
{
    NormingSample three = continuous_samples::age_trend(3, 60, 4);
    three.ages.clear();
    ContinuousOptions options;
    options.k = 2;
    const ContinuousFit fit = fit_continuous_norms(three, options);
    ASSERT_FALSE(fit.warnings.empty());
    EXPECT_EQ(fit.warnings.back(), "Terms left out of the search, as these data cannot tell them from a sum of the "
                                   "terms before them: A3, L1A3, L2A3.");
    EXPECT_EQ(fit.search.size(), 8u);  // 11 candidates less 3
}

// With noise the chosen model is the fewest terms whose adjusted R² exceeds 0.99 among the
// models that do not cross; its R² is that of a QR fit of its terms on the raw columns.
TEST(ContinuousFit, ChoosesTheFewestTermsThatFitWellWithoutCrossing)
{
    const NormingSample sample = continuous_samples::age_trend(10, 300, 5);
    ContinuousOptions options;
    options.rule = ModelRule::adjusted_r2;
    const ContinuousFit fit = fit_continuous_norms(sample, options);
    EXPECT_EQ(fit.rule, ModelRule::adjusted_r2);
    const int chosen = static_cast<int>(fit.model.terms.size());
    EXPECT_TRUE(fit.crossings.empty());
    EXPECT_GT(fit.adjusted_r2, 0.99L);
    for (const SizeOfModel& size : fit.search) {
        if (size.terms < chosen) {
            EXPECT_FALSE(size.consistent_adjusted_r2 && *size.consistent_adjusted_r2 > 0.99L) << size.terms;
        } else if (size.terms == chosen) {
            EXPECT_NEAR(*size.consistent_adjusted_r2, fit.adjusted_r2, 1e-12L);
        }
    }
    // The data level off at both ends, so some better-fitting models cross, and are skipped.
    ASSERT_FALSE(fit.skipped.empty());
    for (const SkippedModel& skipped : fit.skipped) {
        EXPECT_FALSE(skipped.crossings.empty());
        EXPECT_LE(static_cast<int>(skipped.terms.size()), chosen);
    }

    std::vector<PowerTerm> terms;
    for (const ModelTerm& term : fit.model.terms)
        terms.push_back(term.power);
    const RankedCases ranked = rank_cases(sample, {});
    const independent_fit::Fit independent = independent_fit::least_squares(ranked, terms);
    EXPECT_NEAR(fit.r2, independent.r2, 1e-12L);
    for (std::size_t i = 0; i < ranked.score.size(); i += 97)
        EXPECT_NEAR(ModelAtAge(fit.model, ranked.A[i]).raw(ranked.L[i]), independent.fitted(i), 1e-9L);
    // The RMSE is over the cases, not over the residual degrees of freedom.
    Extended squares = 0;
    for (std::size_t i = 0; i < ranked.score.size(); ++i)
        squares += (ranked.score[i] - independent.fitted(i)) * (ranked.score[i] - independent.fitted(i));
    EXPECT_NEAR(fit.rmse, std::sqrt(squares / ranked.score.size()), 1e-9L * fit.rmse);
}

TEST(ContinuousFit, AFixedNumberOfTermsThatOnlyCrossingModelsReachIsUsedWithAWarning)
{
    ContinuousOptions options;
    options.terms = 5;
    options.kept_per_size = 2;
    const ContinuousFit fit = fit_continuous_norms(continuous_samples::age_trend(10, 300, 5), options);
    EXPECT_EQ(fit.model.terms.size(), 5u);
    ASSERT_FALSE(fit.crossings.empty());
    ASSERT_FALSE(fit.warnings.empty());
    EXPECT_EQ(fit.warnings.back().rfind("No model of 5 terms keeps the raw score from falling as L rises; the best "
                                        "one, ", 0), 0u) << fit.warnings.back();
    EXPECT_NE(fit.warnings.back().find("Its curves cross at " + crossings_text(fit.crossings, fit.model.age) + "."),
              std::string::npos);
}

TEST(ContinuousModel, FindsWhereAModelMadeToCrossFalls)
{
    ContinuousModel model;
    model.age = {6, 16};
    model.L = {20, 80};
    model.intercept = 20;
    // raw = 20 + 2L - 0.15 L A falls with L beyond A = 13⅓, at every L.
    model.terms = {{{1, 0}, 2}, {{1, 1}, -0.15}};
    const std::vector<Extended> ages = consistency_ages(model, {13.35L});
    EXPECT_EQ(ages.size(), 102u);
    std::vector<Crossing> crossings = find_crossings(model, ages);
    ASSERT_EQ(crossings.size(), 28u);  // 13.35 and 13.4 … 16
    EXPECT_EQ(crossings[0].age, 13.35L);
    EXPECT_EQ(crossings[0].L, 20);
    EXPECT_EQ(find_crossings(model, ages, 1).size(), 1u);

    // raw = L - 0.01 L² falls beyond L = 50 at every age: first on the grid at 50.6.
    model.terms = {{{1, 0}, 1}, {{2, 0}, -0.01}};
    crossings = find_crossings(model, consistency_ages(model, {}));
    ASSERT_EQ(crossings.size(), 101u);
    EXPECT_NEAR(crossings[0].L, 50.6L, 1e-15L);
    EXPECT_EQ(crossings_text({crossings.begin(), crossings.begin() + 7}, model.age),
              "age 6, L 50.6; age 6.1, L 50.6; age 6.2, L 50.6; age 6.3, L 50.6; age 6.4, L 50.6; and at 2 more ages");
    // A sample's own ages put the grid between round numbers: ages show to the grid's resolution.
    model.age = {4.31, 16.99};
    crossings = find_crossings(model, consistency_ages(model, {}), 3);
    EXPECT_EQ(crossings_text(crossings, model.age), "age 4.31, L 50.6; age 4.44, L 50.6; age 4.56, L 50.6");
    model.age = {48, 204};
    crossings = find_crossings(model, consistency_ages(model, {}), 2);
    EXPECT_EQ(crossings_text(crossings, model.age), "age 48, L 50.6; age 49.6, L 50.6");

    // Flat in L where A = 10 (raw = 2L - 0.2 L A + …): a zero slope is not a fall.
    model.terms = {{{1, 0}, 2}, {{1, 1}, -0.2}};
    model.age = {6, 10};
    EXPECT_TRUE(find_crossings(model, consistency_ages(model, {})).empty());
}

TEST(ContinuousNorms, NormScoresInvertTheModelAndFlagScoresBeyondIt)
{
    const ContinuousFit fit = fit_continuous_norms(continuous_samples::age_trend(10, 300, 5), {});
    const ContinuousModel& model = fit.model;
    const std::vector<NormCell> cells = continuous_norm_table(model, table_ages(), -2, 45);
    ASSERT_EQ(cells.size(), 8u * 48u);
    int below = 0, above = 0;
    for (const NormCell& cell : cells) {
        const ModelAtAge at_age(model, cell.age);
        if (cell.side == RangeSide::below) {
            ++below;
            EXPECT_EQ(cell.norm, static_cast<Extended>(model.L.low));
            EXPECT_LT(cell.raw, at_age.raw(model.L.low));
        } else if (cell.side == RangeSide::above) {
            ++above;
            EXPECT_EQ(cell.norm, static_cast<Extended>(model.L.high));
            EXPECT_GT(cell.raw, at_age.raw(model.L.high));
        } else {
            // TOMS 748 stops within 2^-52 of L; the slope is below 3 raw points per unit of L.
            EXPECT_NEAR(at_age.raw(cell.norm), cell.raw, 3 * 80 * 0x1p-52L) << cell.age << " " << cell.raw;
        }
        EXPECT_NEAR(cell.PR, normal_percent(cell.norm), 1e-15L * cell.PR);
    }
    EXPECT_GT(below, 0);
    EXPECT_GT(above, 0);

    EXPECT_EQ(refusal_of_table(model, {10, 16.5L}),
              "Age 16.5 lies outside the norm sample's ages, " + data_number_text(model.age.low) + " to " +
                  data_number_text(model.age.high) + "; the model does not extrapolate.");
    EXPECT_EQ(refusal_of_table(model, {5.9L}).rfind("Age 5.9 lies outside", 0), 0u);
}

TEST(ContinuousBootstrap, TheSameSeedGivesTheSameLimitsWithAnyNumberOfThreads)
{
    const NormingSample sample = continuous_samples::age_trend(5, 80, 6);
    const ContinuousFit fit = fit_continuous_norms(sample, {});
    BootstrapChoice choice;
    choice.resamples = 30;
    choice.seed = 2024;
    const auto table = [&](unsigned threads, std::uint64_t seed) {
        choice.threads = threads;
        choice.seed = seed;
        return bootstrap_norm_table(sample, {}, fit.model, {6.5, 9}, 0, 40, choice);
    };
    const std::vector<NormCell> one = table(1, 2024);
    const std::vector<NormCell> two = table(2, 2024);
    const std::vector<NormCell> other = table(3, 2025);
    ASSERT_EQ(one.size(), two.size());
    bool seed_matters = false;
    for (std::size_t c = 0; c < one.size(); ++c) {
        const BootstrapLimits& a = *one[c].limits;
        const BootstrapLimits& b = *two[c].limits;
        EXPECT_EQ(a.norm_lower95, b.norm_lower95);
        EXPECT_EQ(a.norm_upper95, b.norm_upper95);
        EXPECT_EQ(a.norm_lower90, b.norm_lower90);
        EXPECT_EQ(a.norm_upper90, b.norm_upper90);
        EXPECT_EQ(a.PR_lower95, b.PR_lower95);
        EXPECT_EQ(a.PR_upper95, b.PR_upper95);
        EXPECT_EQ(a.PR_lower90, b.PR_lower90);
        EXPECT_EQ(a.PR_upper90, b.PR_upper90);
        EXPECT_LE(a.PR_lower95, a.PR_lower90);
        EXPECT_LE(a.PR_lower90, a.PR_upper90);
        EXPECT_LE(a.PR_upper90, a.PR_upper95);
        EXPECT_EQ(one[c].norm, two[c].norm);
        seed_matters = seed_matters || other[c].limits->PR_lower95 != a.PR_lower95;
    }
    EXPECT_TRUE(seed_matters);
    choice.resamples = 0;
    EXPECT_FALSE(bootstrap_norm_table(sample, {}, fit.model, {7}, 0, 1, choice)[0].limits);
}

// The window keeps a bootstrap's refitted models and reads each new age's limits from them:
// they must be the limits of the whole table at that age, and a stop request must end the
// search and the resampling alike.
TEST(ContinuousBootstrap, KeptResamplesGiveAnyAgesLimitsAndAStopRequestEndsTheWork)
{
    const NormingSample sample = continuous_samples::age_trend(5, 80, 6);
    const ContinuousFit fit = fit_continuous_norms(sample, {});
    const BootstrapChoice choice{25, 11, 2};
    const std::vector<NormCell> whole = bootstrap_norm_table(sample, {}, fit.model, {6.5, 9, 10.25}, 0, 40, choice);
    Interruption watched;
    const Resamples kept = resample_models(sample, {}, choice, &watched);
    EXPECT_EQ(watched.done, 25u);
    std::vector<NormCell> at_nine = continuous_norm_table(fit.model, {9}, 0, 40);
    add_bootstrap_limits(at_nine, kept);
    for (std::size_t c = 0; c < at_nine.size(); ++c) {
        const BootstrapLimits& one = *at_nine[c].limits;
        const BootstrapLimits& all = *whole[41 + c].limits;
        ASSERT_EQ(whole[41 + c].age, 9);
        EXPECT_EQ(one.norm_lower95, all.norm_lower95);
        EXPECT_EQ(one.norm_upper90, all.norm_upper90);
        EXPECT_EQ(one.PR_lower90, all.PR_lower90);
        EXPECT_EQ(one.PR_upper95, all.PR_upper95);
    }

    Interruption stopped;
    stopped.stop = true;
    EXPECT_THROW(fit_continuous_norms(sample, {}, &stopped), Interrupted);
    EXPECT_THROW(resample_models(sample, {}, choice, &stopped), Interrupted);
    EXPECT_EQ(stopped.done, 0u);
}

// The mean width of the PR's 95% interval over the middle cells (PR 25 to 75) of three ages,
// in five groups of `per_group`, with three terms and 200 resamples.
Extended middle_width(int per_group)
{
    const NormingSample sample = continuous_samples::age_trend(5, per_group, 1);
    ContinuousOptions options;
    options.terms = 3;
    const ContinuousFit fit = fit_continuous_norms(sample, options);
    BootstrapChoice choice;
    choice.resamples = 200;
    choice.seed = 9;
    Extended sum = 0;
    int cells = 0;
    for (const NormCell& cell : bootstrap_norm_table(sample, options, fit.model, {7, 8.5L, 10}, 0, 40, choice))
        if (cell.PR > 25 && cell.PR < 75) {
            sum += cell.limits->PR_upper95 - cell.limits->PR_lower95;
            ++cells;
        }
    return sum / cells;
}

// Four times the cases, about half the width. Each resample chooses its three terms again, and
// which three fit best varies between near equals in the large sample too, so the ratio falls
// short of 2: 1.69 for seed 1 of the sample (docs/continuous.md); the band allows for the
// resampling's own noise.
TEST(ContinuousBootstrap, IntervalsShrinkAsTheSquareRootOfTheSampleSize)
{
    const Extended ratio = middle_width(100) / middle_width(400);
    EXPECT_GT(ratio, 1.5L);
    EXPECT_LT(ratio, 2.2L);
}

TEST(ContinuousBootstrap, SampleQuantilesInterpolateBetweenOrderStatistics)
{
    EXPECT_EQ(sample_quantile({1, 2, 3, 4, 5}, 0.25L), 2);
    EXPECT_EQ(sample_quantile({10, 20}, 0.025L), 10.25L);
    EXPECT_EQ(sample_quantile({10, 20}, 1), 20);
    EXPECT_EQ(sample_quantile({7}, 0.975L), 7);
}

TEST(ContinuousTerms, NamesReadBackAndOnlyTermsAreNames)
{
    const std::vector<PowerTerm> candidates = candidate_terms(5, 3);
    ASSERT_EQ(candidates.size(), 23u);
    EXPECT_EQ(term_name(candidates[0]), "L1");
    EXPECT_EQ(term_name(candidates[5]), "A1");
    EXPECT_EQ(term_name(candidates[8]), "L1A1");
    EXPECT_EQ(term_name(candidates[22]), "L5A3");
    for (const PowerTerm& term : candidate_terms(6, 6))
        EXPECT_EQ(parse_term_name(term_name(term)), term) << term_name(term);
    for (const char* name : {"", "L", "L0", "L7", "L01", "A1L1", "L1A", "L1A1A1", "l1", "L1 "})
        EXPECT_FALSE(parse_term_name(name)) << name;
}
