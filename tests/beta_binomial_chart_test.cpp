#include "norms/write/beta_binomial_chart.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "stats/beta_binomial.hpp"

namespace {

using stats::Extended;

// The curves pass through each whole score at its own mid-rank PR, lie on the straight line
// between two of them, and stay within 0 … N beyond the first and the last.
TEST(BetaBinomialRawAtRank, FollowsTheMidRanksBetweenWholeScores)
{
    stats::BetaBinomialModel model;
    model.items = 10;
    model.alpha = {std::log(2.0), 0.5};
    model.beta = {std::log(3.0)};
    model.age = {6, 10};
    model.age_mean = 8;
    model.age_sd = 1;
    const Extended age = 9;
    const std::vector<stats::MidRank> ranks = stats::mid_ranks(stats::beta_binomial_probabilities(model, age));
    const auto pr = [&](std::size_t x) { return 100 * ranks[x].proportion(); };
    for (std::size_t x = 0; x <= 10; ++x)
        EXPECT_EQ(norms::beta_binomial_raw_at_rank(model, age, pr(x)), static_cast<Extended>(x)) << x;
    EXPECT_NEAR(norms::beta_binomial_raw_at_rank(model, age, (pr(3) + pr(4)) / 2), 3.5L, 1e-12);
    EXPECT_EQ(norms::beta_binomial_raw_at_rank(model, age, pr(0) / 2), 0);
    EXPECT_EQ(norms::beta_binomial_raw_at_rank(model, age, (pr(10) + 100) / 2), 10);
}

}  // namespace
