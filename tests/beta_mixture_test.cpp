#include "tests/support/reference_engines.hpp"
#include "stats/beta_mixture.hpp"
#include "stats/interval_method.hpp"

#include <boost/math/special_functions/gamma.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

using namespace stats;

namespace {

constexpr int equality_rows = 10000;

using enum IntervalMethod;

struct Row {
    Extended n, m, k;
};

// n spread evenly on a log scale over 3 … 200,000. Most rows have up to four ties; every 40th
// is a tie block of up to 95% of a smaller sample, since the term-by-term engines take time in
// proportion to the ties. A fifth of the rows sit at the bottom of the score range and a fifth
// at its top.
Row random_row(std::mt19937_64& random, int index)
{
    const auto whole = [&](long long low, long long high) {
        return std::uniform_int_distribution<long long>(low, high)(random);
    };
    const auto log_uniform = [&](double low, double high) {
        const double u = std::uniform_real_distribution<double>(0, 1)(random);
        return std::llround(std::exp(std::log(low) + u * (std::log(high) - std::log(low))));
    };
    long long n, k;
    if (index % 40 == 0) {
        n = log_uniform(3, 250);
        k = whole(0, n * 95 / 100);
    } else {
        n = log_uniform(3, 200000);
        k = index % 4 == 1 ? 0 : std::min(n, log_uniform(1, 5) - 1);
    }
    const long long place = whole(0, 4);
    const long long m = place == 0 ? 0 : place == 1 ? n - k : whole(0, n - k);
    return {Extended(n), Extended(m), Extended(k)};
}

// Rows whose mixture meets a target at a bisection midpoint up to terms far below the
// error of either sum, so that only rounding decides that step. At the bottom of the range
// (m = 0) with k + 1 well above n p, the lower functions are, up to such terms,
//     Bayesian and mid-p:  (n p + 1/2) / (k + 1)      (the mid-p one less (1 - p)^n / 2),
//     classical:           (n p + 1) / (k + 1),
// the tails summed over all cases adding up to the binomial mean n p. With p a dyadic
// midpoint and n p + c a multiple of 1/2, k + 1 = (n p + c) / tail is whole. Mirrored
// (m = n - k, p = 1 - p), the same rows meet the upper targets. The Bayesian neglected terms
// fall below 1e-12 from n p = 13 on, the mid-p ones (1 - p)^n / 2 from n p = 20. Moderate
// shapes, where a single term's error is largest, are where one term cannot stand for all.
struct NearTie {
    Row row;
    Extended conf;
};

std::vector<NearTie> near_tie_rows(IntervalMethod method)
{
    const Extended c = method == classical ? 1 : 0.5L;
    const Extended n = method == bayesian ? 2048 : 1024;
    const Extended steps = method == bayesian ? 8192 : 4096;  // p = r / steps
    std::vector<NearTie> rows;
    for (Extended conf : {95.0L, 90.0L})
        for (Extended r : method == bayesian ? std::array{55.0L, 63.0L} : std::array{81.0L, 85.0L}) {
            const Extended k = (n * r / steps + c) * (200 / (100 - conf)) - 1;
            rows.push_back({{n, 0, k}, conf});
            rows.push_back({{n, n - k, k}, conf});
        }
    return rows;
}

}  // namespace

// The two error bounds of incomplete_beta's parts that the line sums' bound is built on:
// log_gamma within 1.1e-10 of the true value from 0.5 up (the largest legal shapes are about
// 10^6), and the continued fraction, stopped at `tolerance`, within 4 · tolerance of its limit
// relative, on the side of the mean where incomplete_beta uses it.
TEST(BetaLine, TheBoundsOfTheTermsHold)
{
    Extended worst_log_gamma = 0;
    for (int i = 0; i <= 20000; ++i) {
        const Extended x = 0.5L * std::pow(4.2e6L, i / 20000.0L);
        worst_log_gamma =
            std::max(worst_log_gamma, std::fabs(log_gamma(x) - boost::math::lgamma(x)));
    }
    EXPECT_LE(worst_log_gamma, 1.1e-10L);
    EXPECT_GT(worst_log_gamma, 0.9e-10L);  // near 28: the bound is not loose

    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    Extended worst_fraction = 0;
    for (int i = 0; i < 20000; ++i) {
        const Extended size = std::pow(2e6L, Extended(unit(random)));
        const Extended a = std::max(0.5L, std::round(2 * size * unit(random)) / 2);
        const Extended b = std::max(0.5L, std::round(2 * size * unit(random)) / 2);
        const Extended branch = (a + 1) / (a + b + 2);
        const Extended spread = std::sqrt(a * b / ((a + b) * (a + b) * (a + b + 1)));
        const Extended x = std::max(branch * unit(random) * 0.01L, branch - 8 * spread * unit(random));
        const Extended limit = beta_continued_fraction(x, a, b, 0x1p-62L);
        worst_fraction =
            std::max(worst_fraction, std::fabs(beta_continued_fraction(x, a, b) / limit - 1));
    }
    EXPECT_LE(worst_fraction, 4 * tolerance);
}

// The error bound of a line sum against the terms as incomplete_beta gives them one by one,
// on the lines where it is hardest to meet: a tie block spanning hundreds of spreads of one
// case (inside it and near its top), moderate shapes where log_gamma errs most, near ties of
// the mid-p and Bayesian methods, and the largest sample. Where it comes closest (at the
// moderate shapes, 11 times the distance) it keeps a margin and is not loose either.
TEST(BetaLine, SumsStayWithinTheirBoundOfTheTermByTermSums)
{
    struct Line {
        Extended a, b;
        long long last;
        Extended p;
    };
    const Line lines[] = {
        {20000.5L, 80000.5L, 50000, 0.45L},        {20000.5L, 80000.5L, 50000, 0.69L},
        {20, 41, 10, 0.4L},                         {27.5L, 30.5L, 6, 0.47L},
        {1, 1024, 829, 81.0L / 4096},               {0.5L, 2048.5L, 569, 55.0L / 8192},
        {400000.5L, 599999.5L, 3000, 0.4015L},      {1, 999999, 2000, 0.001L},
    };
    Extended closest = INFINITY;  // smallest bound / distance seen
    for (const Line& line : lines) {
        SCOPED_TRACE(testing::Message() << "a " << double(line.a) << ", last " << line.last
                                        << ", p " << double(line.p));
        tBeta_distribution beta(0.5L, 0.5L);
        BetaLine walk(beta, line.a, line.b, line.last);
        const BetaLineSum sum = walk.sum(line.p);
        Extended term_by_term = 0;
        for (long long j = 0; j <= line.last; ++j)
            term_by_term += walk.term(line.p, j);
        // This loop's own rounding, at most one unit in the last place of the total per term.
        const Extended own_rounding = Extended(line.last + 1) * term_by_term * 0x1p-63L;
        const Extended distance = std::fabs(sum.total - term_by_term);
        EXPECT_LE(distance, sum.error_bound + own_rounding);
        EXPECT_LE(std::fabs(sum.first_term - walk.term(line.p, 0)), sum.error_bound);
        EXPECT_LE(std::fabs(sum.last_term - walk.term(line.p, line.last)), sum.error_bound);
        closest = std::min(closest, sum.error_bound / distance);
    }
    EXPECT_GE(closest, 4);
    EXPECT_LE(closest, 30);
}

// The terms skipped at both ends (a run evaluated as exactly 1, then terms too small to
// change the sum) leave every bit of the sum as it is.
TEST(BetaLine, AddingTermsSkipsOnlyWhatCannotChangeTheSum)
{
    tBeta_distribution beta(0.5L, 0.5L);
    const Extended k = 10000;
    for (Extended p : {0.3L, 0.0001L}) {
        BetaLine tails(beta, 1, 20000, 10000);
        Extended every_term = 0;
        for (long long j = 0; j <= 10000; ++j)
            every_term += tails.term(p, j) / (k + 1);
        Extended skipping = 0;
        tails.add_terms(p, 0, 10000, k + 1, skipping);
        EXPECT_EQ(skipping, every_term) << "p " << double(p);
    }
}

// Half of a sample of 999,999 on one raw score. Inside so wide a block each case is sharp,
// so the mixture climbs almost linearly through it: G(p) ≈ (n p - m) / (k + 1).
TEST(FastEngines, HalfTheSampleOnOneScore)
{
    const Extended n = 999999, m = 250000, k = 500000;
    constexpr Extended resolution = 1.0L / 65536;
    for (const IntervalMethodEntry& method : interval_methods)
        for (Extended conf : {95.0L, 90.0L}) {
            const Extended tail = (100 - conf) / 200;
            Extended lower, upper;
            method.engine(n, m, k, conf, lower, upper);
            EXPECT_NEAR(lower, (m + tail * (k + 1)) / n, resolution);
            EXPECT_NEAR(upper, (m + (1 - tail) * (k + 1)) / n, resolution);
        }
}

TEST(FastEngines, NearTiesTakeTheTermByTermSteps)
{
    for (const IntervalMethodEntry& method : interval_methods)
        for (const NearTie& tie : near_tie_rows(method.method)) {
            const Row& row = tie.row;
            SCOPED_TRACE(testing::Message() << method.command_line_name << ", n " << double(row.n)
                                            << ", m " << double(row.m) << ", k " << double(row.k));
            Extended fast_lower, fast_upper, slow_lower, slow_upper;
            method.engine(row.n, row.m, row.k, tie.conf, fast_lower, fast_upper);
            reference::engine_of(method.method)(row.n, row.m, row.k, tie.conf, slow_lower,
                                                slow_upper);
            EXPECT_EQ(fast_lower, slow_lower);
            EXPECT_EQ(fast_upper, slow_upper);
        }
}

TEST(FastEngines, LimitsMatchTheTermByTermEngines)
{
    std::mt19937_64 random(20240605);
    std::vector<Row> rows;
    for (int index = 0; index < equality_rows; ++index)
        rows.push_back(random_row(random, index));

    // Limits in the order method, level, lower before upper.
    using RowLimits = std::array<Extended, 12>;
    const auto all_limits = [](auto engine_of, const Row& row) {
        RowLimits limits;
        Extended* next = limits.data();
        for (const IntervalMethodEntry& method : interval_methods)
            for (Extended conf : {95.0L, 90.0L}) {
                engine_of(method)(row.n, row.m, row.k, conf, next[0], next[1]);
                next += 2;
            }
        return limits;
    };
    const auto fast_engine = [](const IntervalMethodEntry& method) { return method.engine; };
    const auto reference_engine = [](const IntervalMethodEntry& method) {
        return reference::engine_of(method.method);
    };

    // The term-by-term engines take most of the time. A second thread takes rows for them from
    // a shared counter while this one runs the fast engines and then joins in. Only this thread
    // runs the fast engines: std::lgamma leaves the sign of Γ in a global.
    std::vector<RowLimits> fast(rows.size()), slow(rows.size());
    std::atomic<std::size_t> next_row{0};
    const auto run_reference = [&] {
        for (std::size_t i; (i = next_row++) < rows.size();)
            slow[i] = all_limits(reference_engine, rows[i]);
    };
    std::thread helper(run_reference);
    for (std::size_t i = 0; i < rows.size(); ++i)
        fast[i] = all_limits(fast_engine, rows[i]);
    run_reference();
    helper.join();

    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "n " << double(rows[i].n) << ", m "
                                        << double(rows[i].m) << ", k " << double(rows[i].k));
        for (int limit = 0; limit < 12; ++limit)
            EXPECT_EQ(fast[i][limit], slow[i][limit]) << "limit " << limit;
    }
}
