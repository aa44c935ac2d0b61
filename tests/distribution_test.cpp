#include "stats/distrib.hpp"

#include <boost/math/distributions/beta.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace stats;

namespace {

std::string error_of(auto action)
{
    try {
        action();
    } catch (const EArgumentError& error) {
        return error.what();
    }
    return "";
}

// A distribution whose variance does not exist, to reach the base standard deviation.
class NoVariance : public tContinuous_distribution {
public:
    bool has_variance() override { return false; }
    Extended mean() override { return 0; }
    Extended variance() override { return 0; }
};

}  // namespace

TEST(BetaDistribution, InvalidShapesRaiseAndKeepThePreviousShapes)
{
    EXPECT_EQ(error_of([] { tBeta_distribution(0, 1); }), "Parameter 1 must be greater than 0");
    EXPECT_EQ(error_of([] { tBeta_distribution(1, -3); }), "Parameter 2 must be greater than 0");
    EXPECT_EQ(error_of([] { tBeta_distribution(2147483647, 1); }),
              "Parameter 1 must be less than 2147483647");

    tBeta_distribution beta(2, 3);
    const Extended before = beta.cdf(0.3L);
    EXPECT_THROW(beta.set_parameters(4, 0, 0), EArgumentError);
    EXPECT_EQ(beta.cdf(0.3L), before);
    EXPECT_EQ(beta.mean(), 0.4L);
    // The third value is stored but a two-shape distribution never checks it.
    EXPECT_TRUE(beta.set_parameters(2, 3, -5));
}

TEST(BetaDistribution, ReshapingChangesEveryResult)
{
    tBeta_distribution beta(0.5L, 0.5L);
    beta.set_parameters(2, 3, 0);
    const boost::math::beta_distribution<Extended> reference(2, 3);
    for (Extended x : {0.1L, 0.4L, 0.8L}) {
        EXPECT_NEAR(beta.cdf(x), boost::math::cdf(reference, x), 1e-9L);
        EXPECT_NEAR(beta.density(x), boost::math::pdf(reference, x), 1e-9L);
    }
    EXPECT_NEAR(beta.mean(), 0.4L, 1e-18L);
    EXPECT_NEAR(beta.variance(), 0.04L, 1e-18L);
    EXPECT_NEAR(beta.standard_deviation(), 0.2L, 1e-18L);
}

TEST(BetaDistribution, SupportEndsAndDensityThere)
{
    tBeta_distribution beta(0.5L, 0.5L);
    EXPECT_FALSE(beta.in_support(0));
    EXPECT_FALSE(beta.in_support(1));
    EXPECT_TRUE(beta.in_support(0.5L));
    EXPECT_EQ(beta.cdf(0), 0);
    EXPECT_EQ(beta.cdf(1), 1);
    EXPECT_NEAR(beta.cdf(0.5L), 0.5L, 1e-9L);
    EXPECT_EQ(beta.density(0), 0);

    beta.set_parameters(1, 0.5L, 0);
    EXPECT_TRUE(beta.in_support(0));
    EXPECT_FALSE(beta.in_support(1));
    beta.set_parameters(1, 3, 0);
    EXPECT_EQ(beta.density(0), 3);
    beta.set_parameters(3, 1, 0);
    EXPECT_EQ(beta.density(1), 3);
    beta.set_parameters(1, 1, 0);
    EXPECT_EQ(beta.density(0), 1);
    EXPECT_EQ(beta.density(1), 1);
    EXPECT_NEAR(beta.variance(), 1.0L / 12, 1e-18L);
}

TEST(BetaDistribution, IntervalProbabilityIsClampedAtZero)
{
    tBeta_distribution beta(2, 3);
    EXPECT_EQ(beta.interval_probability(0.7L, 0.2L), 0);
    EXPECT_NEAR(beta.interval_probability(0.2L, 0.7L), beta.cdf(0.7L) - beta.cdf(0.2L), 1e-18L);
    EXPECT_EQ(beta.interval_probability(-5, 5), 1);
}

// Shapes such as (900, 3) crowd against 1, where the support cuts the first bracket short
// and the search has to widen downward from there.
TEST(Quantile, InvertsTheDistributionFunction)
{
    for (Extended a : {0.5L, 2.0L, 30.0L, 900.0L})
        for (Extended b : {0.5L, 3.0L, 250.0L}) {
            tBeta_distribution beta(a, b);
            const boost::math::beta_distribution<Extended> reference(a, b);
            for (Extended p : {0.01L, 0.3L, 0.5L, 0.9L}) {
                const Extended x = boost::math::quantile(reference, p);
                EXPECT_NEAR(beta.quantile(beta.cdf(x)), x, 1e-10L) << double(a) << ", " << double(b);
                EXPECT_NEAR(beta.quantile(p), x, 1e-8L) << double(a) << ", " << double(b);
            }
        }
    tBeta_distribution uniform(1, 1);
    EXPECT_NEAR(uniform.quantile(0.5L), 0.5L, 1e-10L);
}

TEST(Quantile, EndsAndOutOfRangeProbabilities)
{
    tBeta_distribution beta(2, 3);
    EXPECT_EQ(beta.quantile(0), 0);
    EXPECT_EQ(beta.quantile(1e-13L), 0);
    EXPECT_EQ(beta.quantile(1), 1);
    EXPECT_EQ(error_of([&] { beta.quantile(-0.1L); }), "Parameter 1 must not be less than 0");
    EXPECT_EQ(error_of([&] { beta.quantile(1.5L); }), "The value must not be greater than 1");
    NoVariance no_variance;
    EXPECT_EQ(error_of([&] { no_variance.standard_deviation(); }),
              "The variance of this distribution does not exist");
}
