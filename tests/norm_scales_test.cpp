#include "stats/norm_scales.hpp"
#include "stats/Bayes_Engines.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace stats;

namespace {

constexpr Extended inf = std::numeric_limits<Extended>::infinity();

// Φ(z) through the C library's complementary error function, an implementation independent
// of the quantile's.
Extended normal_cdf(Extended z)
{
    return 0.5L * std::erfc(-z / std::sqrt(Extended(2)));
}

const NormScale& scale_named(const std::string& name)
{
    for (const NormScale& scale : StandardNormScales())
        if (scale.name == name)
            return scale;
    throw std::out_of_range(name);
}

}  // namespace

TEST(NormScales, ZIsTheInverseOfTheNormalDistributionFunction)
{
    // Φ(z) = p to within 1e-16 of p: at p = 1e-10 a z error of 1e-17 moves Φ by about
    // 6.4e-17 relative, so this pins z far below the 1e-12 that the scores need.
    for (const Extended p : {1e-10L, 0.001L, 0.025L, 0.3L, 0.5L, 0.9L, 1 - 1e-10L}) {
        const Extended z = z_of_proportion(p);
        EXPECT_NEAR(normal_cdf(z) / p, 1, 1e-16L) << "p = " << static_cast<double>(p);
        EXPECT_NEAR(normal_cdf(-z) / (1 - p), 1, 1e-16L) << "p = " << static_cast<double>(p);
    }
    // Tables' 1.959963984540054 for the 97.5% point, to its 16 digits.
    EXPECT_NEAR(z_of_proportion(0.975L), 1.959963984540054L, 5e-16L);
    EXPECT_EQ(z_of_proportion(0.5L), 0);
    EXPECT_EQ(z_of_proportion(0), -inf);
    EXPECT_EQ(z_of_proportion(1), inf);
}

// A limit at the bisection's first value from an end could be the end itself.
TEST(NormScales, LimitsWithinTheBisectionsResolutionOfAnEndAreOpen)
{
    const Extended step = 0x1p-16L;
    EXPECT_EQ(z_of_lower_limit(0), -inf);
    EXPECT_EQ(z_of_lower_limit(step), -inf);
    EXPECT_EQ(z_of_lower_limit(3 * step), z_of_proportion(3 * step));
    EXPECT_EQ(z_of_upper_limit(1), inf);
    EXPECT_EQ(z_of_upper_limit(1 - step), inf);
    EXPECT_EQ(z_of_upper_limit(1 - 3 * step), z_of_proportion(1 - 3 * step));
    // On the inner side such a limit is a finite bound: the upper limit of the lowest score
    // in a large sample, and its mirror.
    EXPECT_EQ(z_of_upper_limit(step), z_of_proportion(step));
    EXPECT_EQ(z_of_lower_limit(1 - step), z_of_proportion(1 - step));

    // The Bayesian lower limit of a score nobody undercut, in a sample of 10,000, is such a
    // limit: the T score is open rather than 50 + 10 Φ⁻¹(2^-16) = 8.3.
    Extended lower = -1;
    Extended upper = -1;
    Bayesian_PR_interval(10000, 0, 5, 95, lower, upper);
    ASSERT_EQ(lower, step);
    EXPECT_EQ(scale_named("T").of_z(z_of_lower_limit(lower)), -inf);
}

TEST(NormScales, StaninesAndStensChangeExactlyAtTheirBoundaries)
{
    const NormScale& stanine = scale_named("stanine");
    const NormScale& sten = scale_named("sten");
    // Stanine s covers 2z + 5.5 from s to s + 1: the boundaries are z = ±0.25, ±0.75, …, ±1.75,
    // each belonging to the stanine above it.
    for (int s = 2; s <= 9; ++s) {
        const Extended boundary = (s - 5.5L) / 2;
        EXPECT_EQ(stanine.of_z(boundary), s) << static_cast<double>(boundary);
        EXPECT_EQ(stanine.of_z(std::nextafter(boundary, -inf)), s - 1);
    }
    // Sten boundaries at z = -2, -1.5, …, 2, with the mean z = 0 opening sten 6.
    for (int s = 2; s <= 10; ++s) {
        const Extended boundary = (s - 6.0L) / 2;
        EXPECT_EQ(sten.of_z(boundary), s) << static_cast<double>(boundary);
        EXPECT_EQ(sten.of_z(std::nextafter(boundary, -inf)), s - 1);
    }
    EXPECT_EQ(sten.of_z(0), 6);
    EXPECT_EQ(stanine.of_z(-inf), 1);
    EXPECT_EQ(stanine.of_z(inf), 9);
    EXPECT_EQ(sten.of_z(-inf), 1);
    EXPECT_EQ(sten.of_z(inf), 10);
}
