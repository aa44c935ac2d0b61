#include "stats/Bayes_Engines.hpp"
#include "stats/interval_method.hpp"
#include "stats/interval_search.hpp"
#include "stats/number_format.hpp"

#include <boost/math/special_functions/beta.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

using namespace stats;

namespace {

using enum IntervalMethod;

struct Limits {
    Extended lower, upper;
};

Limits limits(IntervalMethod method, Extended n, Extended m, Extended k, Extended conf)
{
    Limits result{-1, -1};
    interval_method_entry(method).engine(n, m, k, conf, result.lower, result.upper);
    return result;
}

std::string_view name_of(IntervalMethod method)
{
    return interval_method_entry(method).command_line_name;
}

// As the report prints an interval: percentages with one decimal.
std::string printed(Limits l)
{
    return format_fixed(l.lower * 100, 0, 1) + " - " + format_fixed(l.upper * 100, 0, 1);
}

constexpr Extended resolution = 1.0L / 65536;  // 2^-16

bool is_odd_multiple_of_resolution(Extended x)
{
    const Extended units = x / resolution;
    return units == std::trunc(units) && std::fmod(units, 2) == 1;
}

}  // namespace

TEST(PointEstimate, CountsHalfOfTheTies)
{
    EXPECT_NEAR(PR_point_estimate(3, 0, 1), 100.0L / 6, 1e-15L);
    EXPECT_EQ(PR_point_estimate(3, 1, 1), 50);
    EXPECT_NEAR(PR_point_estimate(3, 2, 1), 500.0L / 6, 1e-15L);
    EXPECT_EQ(PR_point_estimate(100, 0, 0), 0);
    EXPECT_EQ(PR_point_estimate(100, 100, 0), 100);
    // The quotient is scaled last: 1.5 / 5 rounds below 0.3, and times 100 that rounds to one
    // unit in the last place above 30, where 150 / 5 would be 30 exactly.
    EXPECT_EQ(PR_point_estimate(5, 1, 1), std::nextafter(30.0L, 100.0L));
}

// A sum that meets the target exactly at a midpoint moves the limit up past it.
TEST(Intervals, BisectionStepsUpWhereTheSumEqualsTheTarget)
{
    EXPECT_EQ(bisect(0.25L, [](Extended p) { return p; }), 0.25L + resolution);
}

TEST(Intervals, KnownRowsPrintAsPublished)
{
    struct Row {
        IntervalMethod method;
        Extended n, m, k;
        const char* at95;
        const char* at90;
    };
    const Row rows[] = {
        {bayesian, 100, 10, 5, "6.4 - 20.9", "7.3 - 19.4"},
        {bayesian, 100, 0, 0, "0.0 - 2.5", "0.0 - 1.9"},
        {bayesian, 100, 100, 0, "97.5 - 100.0", "98.1 - 100.0"},
        {bayesian, 50, 20, 10, "32.3 - 67.7", "34.8 - 65.2"},
        {bayesian, 3, 1, 1, "6.1 - 93.9", "9.7 - 90.3"},
        {classical, 100, 10, 5, "6.1 - 21.4", "6.9 - 20.0"},
        {classical, 100, 0, 0, "0.0 - 3.6", "0.0 - 3.0"},
        {classical, 100, 0, 3, "0.0 - 7.1", "0.0 - 6.1"},
        {classical, 100, 95, 5, "90.8 - 100.0", "91.9 - 100.0"},
        {classical, 100, 100, 0, "96.4 - 100.0", "97.0 - 100.0"},
        {classical, 3, 0, 1, "0.0 - 86.8", "0.0 - 81.1"},
        {mid_p, 100, 10, 5, "6.4 - 20.9", "7.2 - 19.5"},
        {mid_p, 100, 0, 0, "0.0 - 3.6", "0.1 - 3.0"},
        {mid_p, 100, 0, 3, "0.1 - 6.5", "0.1 - 5.6"},
        {mid_p, 100, 95, 5, "91.3 - 99.9", "92.4 - 99.8"},
        {mid_p, 100, 100, 0, "96.4 - 100.0", "97.0 - 99.9"},
        {mid_p, 3, 0, 1, "1.1 - 82.3", "2.3 - 75.2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << name_of(row.method) << ", n " << double(row.n)
                                        << ", m " << double(row.m) << ", k " << double(row.k));
        EXPECT_EQ(printed(limits(row.method, row.n, row.m, row.k, 95)), row.at95);
        EXPECT_EQ(printed(limits(row.method, row.n, row.m, row.k, 90)), row.at90);
    }
}

TEST(Intervals, ClassicalEndShortcutsHoldUpToTheirTieCount)
{
    EXPECT_EQ(limits(classical, 200, 0, 39, 95).lower, 0);
    EXPECT_NEAR(limits(classical, 200, 0, 40, 95).lower, 0.000137L, 1e-6L);
    EXPECT_EQ(limits(classical, 200, 0, 19, 90).lower, 0);
    EXPECT_NEAR(limits(classical, 200, 0, 20, 90).lower, 0.000259L, 1e-6L);
    EXPECT_EQ(limits(classical, 200, 161, 39, 95).upper, 1);
    // Past the threshold the top row bisects on p^(n+1) for its last case.
    EXPECT_NEAR(limits(classical, 200, 140, 60, 95).upper, 0.995407L, 1e-6L);
    EXPECT_NEAR(limits(classical, 200, 140, 60, 90).upper, 0.989182L, 1e-6L);
}

// Without ties each method is a single beta quantile: Clopper–Pearson limits for the classical
// method, quantiles of beta(m + 0.5, n - m + 0.5) for the Bayesian one.
TEST(Intervals, WithoutTiesLimitsAreBetaQuantiles)
{
    for (Extended n : {3.0L, 20.0L, 117.0L, 200.0L})
        for (Extended m : {0.0L, 1.0L, std::floor(n / 3), n - 1, n})
            for (Extended conf : {95.0L, 90.0L}) {
                SCOPED_TRACE(testing::Message() << "n " << double(n) << ", m " << double(m));
                const Extended tail = (100 - conf) / 200;
                const Limits b = limits(bayesian, n, m, 0, conf);
                EXPECT_NEAR(b.lower, boost::math::ibeta_inv(m + 0.5L, n - m + 0.5L, tail), resolution);
                EXPECT_NEAR(b.upper, boost::math::ibeta_inv(m + 0.5L, n - m + 0.5L, 1 - tail), resolution);
                const Limits c = limits(classical, n, m, 0, conf);
                if (m > 0) {
                    EXPECT_NEAR(c.lower, boost::math::ibeta_inv(m, n - m + 1, tail), resolution);
                }
                if (m < n) {
                    EXPECT_NEAR(c.upper, boost::math::ibeta_inv(m + 1, n - m, 1 - tail), resolution);
                }
            }
    // Mid-p at the bottom without ties solves 1 - (1 - p)^n = tail.
    EXPECT_NEAR(limits(mid_p, 100, 0, 0, 95).lower, 1 - std::pow(0.975L, 0.01L), resolution);
}

TEST(Intervals, StructureOfTheLimits)
{
    const Extended n = 40;
    for (IntervalMethod method : {bayesian, classical, mid_p})
        for (Extended k : {0.0L, 1.0L, 7.0L, 25.0L, 40.0L})
            for (Extended m = 0; m + k <= n; m += 3) {
                SCOPED_TRACE(testing::Message() << name_of(method) << ", m " << double(m)
                                                << ", k " << double(k));
                const Limits wide = limits(method, n, m, k, 95);
                const Limits narrow = limits(method, n, m, k, 90);
                for (Extended limit : {wide.lower, wide.upper, narrow.lower, narrow.upper}) {
                    if (method != classical || (limit != 0 && limit != 1)) {
                        EXPECT_TRUE(is_odd_multiple_of_resolution(limit)) << double(limit);
                    }
                }
                EXPECT_LE(wide.lower, narrow.lower);
                EXPECT_LE(narrow.lower, narrow.upper);
                EXPECT_LE(narrow.upper, wide.upper);
                const Limits again = limits(method, n, m, k, 95);
                EXPECT_EQ(again.lower, wide.lower);
                EXPECT_EQ(again.upper, wide.upper);
                if (method != classical) {
                    const Limits mirror = limits(method, n, n - m - k, k, 95);
                    EXPECT_NEAR(wide.lower + mirror.upper, 1, 2 * resolution);
                }
            }
}

TEST(Intervals, BrokenCountsRaiseFromTheDistribution)
{
    for (const IntervalMethodEntry& method : interval_methods) {
        Extended lower, upper;
        EXPECT_THROW(method.engine(10, 8, 5, 95, lower, upper), EArgumentError);
    }
}

// The posterior probability below a cut-off is the Bayesian mixture at the cut-off: the
// Jeffreys posterior itself without ties, an average of its shifts with them.
TEST(CutoffProbability, IsTheMixtureOfJeffreysPosteriors)
{
    // Boost's terms are accurate to a few units in the last place; the sum of up to 2,000 of
    // them stays far inside 1e-12.
    constexpr Extended accuracy = 1e-12L;
    const auto mixture = [](Extended n, Extended m, Extended k, Extended c) {
        Extended sum = 0;
        for (Extended j = 0; j <= k; ++j)
            sum += boost::math::ibeta(m + j + 0.5L, n - m - j + 0.5L, c);
        return sum / (k + 1);
    };
    struct Row {
        Extended n, m, k, c;
    };
    const Row rows[] = {
        {3, 0, 0, 0.05L},         {250, 10, 0, 0.05L},        {999999, 31234, 0, 0.0313L},
        {250, 10, 5, 0.05L},      {250, 0, 30, 0.02L},        {4200, 4100, 100, 0.98L},
        {999999, 0, 2000, 0.001L}, {999999, 499000, 2000, 0.5L}, {999999, 998000, 1999, 0.9985L},
        {857404, 680645, 762, 0.793901L},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "n " << double(row.n) << ", m " << double(row.m)
                                        << ", k " << double(row.k));
        EXPECT_NEAR(Bayesian_cutoff_probability(row.n, row.m, row.k, row.c),
                    mixture(row.n, row.m, row.k, row.c), accuracy);
    }
    // A row in the middle of a symmetric table has half its posterior below its own rank.
    EXPECT_NEAR(Bayesian_cutoff_probability(999999, 449999, 100001, 0.5L), 0.5L, accuracy);
    EXPECT_NEAR(Bayesian_cutoff_probability(100, 45, 10, 0.5L), 0.5L, accuracy);
}

// Where the probability below a cut-off lies clearly under 2.5%, the 95% lower limit cannot
// lie below the cut-off by more than the bisection's resolution; likewise above 97.5% for the
// upper limit. Cut-offs a few steps around each limit make the relation tight.
TEST(CutoffProbability, AgreesWithTheBayesianLimits)
{
    std::mt19937_64 random(16);
    int tested = 0;
    for (int i = 0; i < 200; ++i) {
        const Extended n = std::uniform_int_distribution<long long>(3, 999999)(random);
        const Extended k =
            std::uniform_int_distribution<long long>(0, std::min<long long>(n, 300))(random);
        const Extended m = std::uniform_int_distribution<long long>(0, n - k)(random);
        Extended lower, upper;
        Bayesian_PR_interval(n, m, k, 95, lower, upper);
        for (int d = -3; d <= 3; ++d) {
            const Extended below_lower = lower + d * resolution;
            const Extended below_upper = upper + d * resolution;
            if (below_lower > 0 && Bayesian_cutoff_probability(n, m, k, below_lower) < 0.025L - 1e-9L) {
                ++tested;
                EXPECT_GE(lower, below_lower - 2 * resolution) << double(n) << " " << double(m);
            }
            if (below_upper < 1 && Bayesian_cutoff_probability(n, m, k, below_upper) > 0.975L + 1e-9L) {
                ++tested;
                EXPECT_LE(upper, below_upper + 2 * resolution) << double(n) << " " << double(m);
            }
        }
    }
    EXPECT_GT(tested, 400);
}
