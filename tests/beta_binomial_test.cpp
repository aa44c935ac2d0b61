#include "stats/beta_binomial.hpp"
#include "stats/beta_binomial_bootstrap.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>

#include "tests/support/beta_binomial_samples.hpp"

using namespace stats;

namespace {

// tests/beta_binomial/sample.csv and the fit of tests/beta_binomial/make_reference.py.
struct Reference {
    BetaBinomialSample sample;
    int items = 0;
    Extended log_likelihood = 0;
    double age_mean = 0;
    double age_sd = 0;
    std::map<std::pair<Extended, int>, Extended> norms;  // T by age and raw score
};

Reference read_reference()
{
    Reference reference;
    std::ifstream csv(VORNAK_SOURCE_DIR "/tests/beta_binomial/sample.csv");
    std::string line;
    std::getline(csv, line);
    while (std::getline(csv, line)) {
        const std::size_t comma = line.find(',');
        reference.sample.ages.push_back(std::stold(line.substr(0, comma)));
        reference.sample.scores.push_back(std::stold(line.substr(comma + 1)));
    }
    std::ifstream text(VORNAK_SOURCE_DIR "/tests/beta_binomial/reference.txt");
    std::string key;
    while (text >> key) {
        if (key == "items")
            text >> reference.items;
        else if (key == "degrees")
            std::getline(text, line);
        else if (key == "log_likelihood")
            text >> reference.log_likelihood;
        else if (key == "age_mean")
            text >> reference.age_mean;
        else if (key == "age_sd")
            text >> reference.age_sd;
        else if (key == "norm") {
            Extended age = 0, T = 0;
            int raw = 0;
            text >> age >> raw >> T;
            reference.norms[{age, raw}] = T;
        }
    }
    return reference;
}

std::string refusal(const BetaBinomialSample& sample, int items)
{
    try {
        fit_beta_binomial(sample, items, 1, 1, StandardNormScales()[1]);
    } catch (const std::exception& refused) {
        return refused.what();
    }
    return "accepted";
}

}  // namespace

TEST(BetaBinomial, AgreesWithAnIndependentMaximumLikelihoodFit)
{
    const Reference reference = read_reference();
    ASSERT_EQ(reference.sample.scores.size(), 1500u);
    const BetaBinomialFit fit = fit_beta_binomial(reference.sample, reference.items, 3, 3, StandardNormScales()[1]);
    EXPECT_NEAR(fit.model.age_mean, reference.age_mean, 1e-12);
    EXPECT_NEAR(fit.model.age_sd, reference.age_sd, 1e-12);
    // Newton's maximum is at least as high as the general-purpose optimiser's, up to the
    // reference's own rounding: its 1,500 terms come from double-precision log-probabilities.
    EXPECT_GE(fit.log_likelihood, reference.log_likelihood - 1e-12L)
        << std::setprecision(17) << fit.log_likelihood - reference.log_likelihood;
    EXPECT_LT(fit.log_likelihood - reference.log_likelihood, 1e-4);
    std::vector<Extended> ages;
    for (const auto& [key, T] : reference.norms)
        if (ages.empty() || ages.back() != key.first)
            ages.push_back(key.first);
    ASSERT_EQ(ages.size(), 5u);
    const std::vector<NormCell> cells = beta_binomial_norm_table(fit.model, ages);
    ASSERT_EQ(cells.size(), 5u * 31);
    for (const NormCell& cell : cells)
        EXPECT_NEAR(cell.norm, reference.norms.at({cell.age, static_cast<int>(cell.raw)}), 0.01)
            << "age " << static_cast<double>(cell.age) << ", raw " << cell.raw;
    // Standard errors: positive, and those of the higher powers larger than the constant's.
    ASSERT_EQ(fit.alpha_se.size(), 4u);
    for (const double se : fit.alpha_se)
        EXPECT_GT(se, 0);
    EXPECT_GT(fit.alpha_se[3], 0);
    EXPECT_NEAR(fit.aic, -2 * fit.log_likelihood + 16, 1e-9);
    EXPECT_NEAR(fit.bic, -2 * fit.log_likelihood + 8 * std::log(1500.0L), 1e-9);
}

TEST(BetaBinomial, ProbabilitiesAndMidRanks)
{
    BetaBinomialModel model;
    model.items = 2;
    model.age = {0, 1};
    model.alpha = {std::log(2.0)};
    model.beta = {std::log(3.0)};
    // N = 2, α = 2, β = 3: P(0) = β(β+1) / ((α+β)(α+β+1)) = 12/30, P(2) = 6/30, P(1) = 12/30.
    const std::vector<Extended> p = beta_binomial_probabilities(model, 0.5L);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_NEAR(p[0], 0.4L, 1e-15L);
    EXPECT_NEAR(p[1], 0.4L, 1e-15L);
    EXPECT_NEAR(p[2], 0.2L, 1e-15L);
    const std::vector<MidRank> mid = mid_ranks(p);
    EXPECT_NEAR(mid[0].proportion(), 0.2L, 1e-15L);
    EXPECT_NEAR(mid[1].proportion(), 0.6L, 1e-15L);
    EXPECT_NEAR(mid[2].proportion(), 0.9L, 1e-15L);

    // A long test far below its ceiling: the top scores' upper tails keep their digits, since
    // they are summed from the top, and so do their norm scores, far beyond where 1 - P(X < x)
    // would round to 0.
    model.items = 200;
    model.alpha = {std::log(2.0)};
    model.beta = {std::log(40.0)};
    const std::vector<Extended> steep = beta_binomial_probabilities(model, 0);
    const std::vector<MidRank> steep_mid = mid_ranks(steep);
    EXPECT_EQ(steep_mid[200].above, steep[200] / 2);
    EXPECT_EQ(steep_mid[199].above, steep[200] + steep[199] / 2);
    EXPECT_LT(steep_mid[200].above, 1e-30L);
    EXPECT_NEAR(steep_mid[200].z(), -z_of_proportion(steep[200] / 2), 1e-12L);
    EXPECT_TRUE(std::isfinite(steep_mid[200].z()));
    Extended total = 0;
    for (const Extended q : steep)
        total += q;
    EXPECT_NEAR(total, 1, 1e-17L);

    // A table has a row for every raw score.
    const std::vector<NormCell> cells = beta_binomial_norm_table(model, {0, 1});
    EXPECT_EQ(cells.size(), 2u * 201);
    EXPECT_EQ(cells[201].raw, 0);
}

TEST(BetaBinomial, CaseWeightsCountAsRepeatedCases)
{
    BetaBinomialSample sample = beta_binomial_samples::drawn(20, 400, 5);
    BetaBinomialSample repeated = sample;
    sample.weights.assign(sample.scores.size(), 1);
    for (std::size_t i = 0; i < 100; ++i) {
        sample.weights[i] = 3;
        for (int copy = 0; copy < 2; ++copy) {
            repeated.scores.push_back(sample.scores[i]);
            repeated.ages.push_back(sample.ages[i]);
        }
    }
    // Ages standardised on the cases as they are, so fix both at the same standard by comparing
    // the shapes the two models give at ages rather than their coefficients.
    const BetaBinomialFit weighted = fit_beta_binomial(sample, 20, 2, 1, StandardNormScales()[1]);
    const BetaBinomialFit copies = fit_beta_binomial(repeated, 20, 2, 1, StandardNormScales()[1]);
    for (const Extended age : {6.5L, 9.0L, 11.5L}) {
        EXPECT_NEAR(shapes_at(weighted.model, age).alpha, shapes_at(copies.model, age).alpha, 1e-6L);
        EXPECT_NEAR(shapes_at(weighted.model, age).beta, shapes_at(copies.model, age).beta, 1e-6L);
    }
    // The weights average 1: a weighted sample counts its cases, not the weights' sum.
    sample.weights.assign(sample.scores.size(), 1000);
    const BetaBinomialFit scaled = fit_beta_binomial(sample, 20, 2, 1, StandardNormScales()[1]);
    const BetaBinomialFit plain =
        fit_beta_binomial(beta_binomial_samples::drawn(20, 400, 5), 20, 2, 1, StandardNormScales()[1]);
    EXPECT_NEAR(scaled.log_likelihood, plain.log_likelihood, 1e-8L);
    EXPECT_NEAR(scaled.alpha_se[0], plain.alpha_se[0], 1e-9);
}

TEST(BetaBinomial, DegreesChosenByTheLowestBic)
{
    const BetaBinomialSample sample = beta_binomial_samples::drawn(25, 2000, 11);
    const ChosenBetaBinomial chosen = choose_beta_binomial(sample, 25, StandardNormScales()[1]);
    ASSERT_EQ(chosen.trials.size(), 25u);
    for (const DegreeTrial& trial : chosen.trials)
        EXPECT_GE(trial.bic, chosen.fit.bic);
    // The population's log-shapes are linear in age; BIC does not buy the highest degrees.
    EXPECT_LE(chosen.fit.model.alpha.size() + chosen.fit.model.beta.size(), 5u);
    EXPECT_GE(chosen.fit.model.alpha.size(), 2u);
    // The chosen fit is the one a fixed-degree fit gives.
    const BetaBinomialFit fixed =
        fit_beta_binomial(sample, 25, static_cast<int>(chosen.fit.model.alpha.size()) - 1,
                          static_cast<int>(chosen.fit.model.beta.size()) - 1, StandardNormScales()[1]);
    EXPECT_NEAR(fixed.log_likelihood, chosen.fit.log_likelihood, 1e-7L);
}

TEST(BetaBinomial, BootstrapResamplesRepeatWithTheSeedAndStopWhenAsked)
{
    const BetaBinomialSample sample = beta_binomial_samples::drawn(15, 300, 8);
    const BetaBinomialChoice choice{15, 1, 1, StandardNormScales()[1]};
    const BetaBinomialFit fit = fit_beta_binomial(sample, 15, 1, 1, StandardNormScales()[1]);
    const auto limits = [&](unsigned threads) {
        std::vector<NormCell> cells = beta_binomial_norm_table(fit.model, {7, 11});
        add_beta_binomial_limits(cells, resample_beta_binomial(sample, {}, choice, fit.model, {20, 4, threads}),
                                 threads);
        return cells;
    };
    const std::vector<NormCell> one = limits(1), two = limits(2);
    ASSERT_EQ(one.size(), 32u);
    for (std::size_t c = 0; c < one.size(); ++c) {
        EXPECT_EQ(one[c].limits->norm_lower95, two[c].limits->norm_lower95);
        EXPECT_EQ(one[c].limits->PR_upper90, two[c].limits->PR_upper90);
        EXPECT_LT(one[c].limits->norm_lower95, one[c].norm);
        EXPECT_GT(one[c].limits->norm_upper95, one[c].norm);
    }
    Interruption interruption;
    interruption.stop = true;
    EXPECT_THROW(resample_beta_binomial(sample, {}, choice, fit.model, {20, 4, 1}, &interruption), Interrupted);
}

TEST(BetaBinomial, RefusesScoresAndFitsItCannotUse)
{
    BetaBinomialSample sample = beta_binomial_samples::drawn(10, 50, 2);
    sample.scores[6] = 11;
    EXPECT_EQ(refusal(sample, 10), "The score of case 7, 11, is not a whole number from 0 to the 10 items.");
    sample.scores[6] = 2.5L;
    EXPECT_EQ(refusal(sample, 10), "The score of case 7, 2.5, is not a whole number from 0 to the 10 items.");
    sample.scores[6] = -1;
    EXPECT_EQ(refusal(sample, 10), "The score of case 7, -1, is not a whole number from 0 to the 10 items.");
    sample.scores[6] = 1;
    sample.ages.assign(sample.ages.size(), 8);
    EXPECT_EQ(refusal(sample, 10), "The ages must vary: the model follows the scores over age.");

    // Everyone at the floor: the likelihood rises as α falls to 0 and has no maximum.
    BetaBinomialSample floor = beta_binomial_samples::drawn(10, 50, 2);
    floor.scores.assign(floor.scores.size(), 0);
    const std::string message = refusal(floor, 10);
    EXPECT_EQ(message.rfind("The beta-binomial fit of degrees 1 and 1 did not converge", 0), 0u) << message;
}
