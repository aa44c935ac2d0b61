#include "reference_engines.hpp"
#include "stats/Bayes_Engines.hpp"
#include "stats/beta_mixture.hpp"
#include "stats/interval_search.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <iostream>
#include <random>
#include <thread>
#include <vector>

using namespace stats;

namespace {

constexpr int equality_rows = 10000;

using Engine = void (*)(Extended, Extended, Extended, Extended, Extended&, Extended&);
enum Method { bayesian, classical, mid_p };
const Engine fast_engines[] = {Bayesian_PR_interval, Classical_PR_interval, MidP_PR_interval};
const Engine reference_engines[] = {reference::Bayesian_PR_interval,
                                    reference::Classical_PR_interval,
                                    reference::MidP_PR_interval};

// The reference's function of p for one limit, summed term by term.
Extended reference_sum(Method method, bool upper_limit, Extended n, Extended m, Extended k,
                       Extended p)
{
    tBeta_distribution beta(0.5L, 0.5L);
    switch (method) {
    case bayesian: return reference::posterior_mixture(beta, n, m, k, p);
    case classical:
        return upper_limit ? reference::classical_upper_tails(beta, n, m, k, p)
                           : reference::classical_lower_tails(beta, n, m, k, p);
    default: return reference::mid_tails(beta, n, m, k, p);
    }
}

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

struct Disagreement {
    int limits = 0;
    Extended worst_distance = 0;  // largest |reference sum - target| where the steps parted
};

// Replays the two bisections that ended at `fast` and `slow`; at the first step where they
// part, the reference's own sum must lie within 1e-10 of the target.
void check_parting(Method method, bool upper_limit, const Row& row, Extended target,
                   Extended fast, Extended slow, Disagreement& seen)
{
    ++seen.limits;
    Extended lo = 0;
    Extended hi = 1;
    for (int step = 0; step < 15; ++step) {
        const Extended mid = (lo + hi) / 2;
        const bool fast_up = fast > mid;
        const bool slow_up = slow > mid;
        if (fast_up != slow_up) {
            const Extended sum = reference_sum(method, upper_limit, row.n, row.m, row.k, mid);
            EXPECT_EQ(sum <= target, slow_up) << "the reference's own step at " << double(mid);
            const Extended distance = std::fabs(sum - target);
            EXPECT_LE(distance, 1e-10L) << "n " << double(row.n) << ", m " << double(row.m)
                                        << ", k " << double(row.k) << ", step " << step;
            seen.worst_distance = std::max(seen.worst_distance, distance);
            return;
        }
        (fast_up ? lo : hi) = mid;
    }
    ADD_FAILURE() << "limits differ but no step parted";
}

}  // namespace

// A tie block that spans hundreds of spreads of one case: walked from j = 0, the steps would
// underflow long before they reached the terms that matter.
TEST(BetaLine, SumsAlongAHugeTieBlockAgreeWithTermByTermSums)
{
    const Extended n = 100000, m = 20000, k = 50000;
    const long long last = 50000;
    tBeta_distribution beta(0.5L, 0.5L);
    // Each term of either sum is within 6.2e-11 of its true value (incomplete_beta's accuracy).
    const Extended tolerance = 2 * 6.2e-11L;
    // Inside the block the walk stops short in both directions; near its top it runs into the
    // end of the line.
    for (Extended p : {0.45L, 0.69L}) {
        SCOPED_TRACE(testing::Message() << "p " << double(p));
        BetaLine posteriors(beta, m + 0.5L, (n - m) + 0.5L, last);
        const BetaLineSum sum = posteriors.sum(p);
        EXPECT_NEAR(sum.total / (k + 1), reference::posterior_mixture(beta, n, m, k, p), tolerance);
        EXPECT_NEAR(sum.first_term, beta_cdf(beta, m + 0.5L, (n - m) + 0.5L, p), tolerance);
        EXPECT_NEAR(sum.last_term, beta_cdf(beta, m + k + 0.5L, (n - m - k) + 0.5L, p), tolerance);

        BetaLine tails(beta, m + 1, n - m, last);
        EXPECT_NEAR(tails.sum(p).total / (k + 1), reference::classical_upper_tails(beta, n, m, k, p),
                    tolerance);
    }
}

// Half of a sample of 999,999 on one raw score. Inside so wide a block each case is sharp,
// so the mixture climbs almost linearly through it: G(p) ≈ (n p - m) / (k + 1).
TEST(FastEngines, HalfTheSampleOnOneScore)
{
    const Extended n = 999999, m = 250000, k = 500000;
    constexpr Extended resolution = 1.0L / 65536;
    for (const Engine engine : fast_engines)
        for (Extended conf : {95.0L, 90.0L}) {
            const Extended tail = (100 - conf) / 200;
            Extended lower, upper;
            engine(n, m, k, conf, lower, upper);
            EXPECT_NEAR(lower, (m + tail * (k + 1)) / n, resolution);
            EXPECT_NEAR(upper, (m + (1 - tail) * (k + 1)) / n, resolution);
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
    const auto all_limits = [](const Engine* engines, const Row& row) {
        RowLimits limits;
        Extended* next = limits.data();
        for (Method method : {bayesian, classical, mid_p})
            for (Extended conf : {95.0L, 90.0L}) {
                engines[method](row.n, row.m, row.k, conf, next[0], next[1]);
                next += 2;
            }
        return limits;
    };

    // The term-by-term engines take most of the time. A second thread takes rows for them from
    // a shared counter while this one runs the fast engines and then joins in. Only this thread
    // runs the fast engines: std::lgamma leaves the sign of Γ in a global.
    std::vector<RowLimits> fast(rows.size()), slow(rows.size());
    std::atomic<std::size_t> next_row{0};
    const auto run_reference = [&] {
        for (std::size_t i; (i = next_row++) < rows.size();)
            slow[i] = all_limits(reference_engines, rows[i]);
    };
    std::thread helper(run_reference);
    for (std::size_t i = 0; i < rows.size(); ++i)
        fast[i] = all_limits(fast_engines, rows[i]);
    run_reference();
    helper.join();

    Disagreement seen;
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int limit = 0; limit < 12; ++limit)
            if (fast[i][limit] != slow[i][limit]) {
                const auto method = static_cast<Method>(limit / 4);
                const bool upper_limit = limit % 2 == 1;
                const TargetLevels levels = target_levels(limit % 4 < 2 ? 95 : 90);
                check_parting(method, upper_limit, rows[i],
                              upper_limit ? levels.upper_target : levels.lower_tail,
                              fast[i][limit], slow[i][limit], seen);
            }
    std::cout << 12 * rows.size() << " limits of " << rows.size() << " rows, " << seen.limits
              << " not bit-identical, worst |reference sum - target| there "
              << double(seen.worst_distance) << "\n";
}
