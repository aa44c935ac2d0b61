#include "stats/bisection_replay.hpp"
#include "stats/interval_engines.hpp"
#include "stats/interval_method.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace stats;

namespace {

using enum IntervalMethod;

// A mixture F(p) = p whose term-by-term sum wanders by up to `wander` around it, in steps of
// a fraction of a grid cell, and a fast sum within `bound` of that.
struct WanderingSums {
    Extended wander;
    Extended bound;
    long long fast_sums = 0;

    Extended term_by_term(Extended p) const
    {
        const long long g = grid_index(p);
        return p + wander * Extended((g * 7919) % 13 - 6) / 6;
    }
    BoundedSum fast(Extended p)
    {
        ++fast_sums;
        const long long g = grid_index(p);
        return {term_by_term(p) + bound * Extended((g * 104729) % 5 - 2) / 2, bound, 1};
    }
};

Extended replayed(WanderingSums& sums, Extended target)
{
    const MixtureOutline outline{target * 1000, 1000, 0, sums.wander};
    return replay_bisection(
        target, outline, [&](Extended p) { return sums.fast(p); },
        [&](Extended p) { return sums.term_by_term(p); });
}

Extended plain(WanderingSums& sums, Extended target)
{
    return bisect_as_term_by_term(
        target, [&](Extended p) { return sums.fast(p); },
        [&](Extended p) { return sums.term_by_term(p); });
}

struct Row {
    Extended n, m, k;
};

// Rows at the bottom of the range, and mirrored at the top, whose mixture meets its target at
// a midpoint p = r / 2^s up to terms below every sum's error: with m = 0 and k + 1 well above
// n p the lower function is (n p + c) / (k + 1), c = 1 for the classical method and ½ for the
// others, so k + 1 = (n p + c) / τ meets τ. One tie more or fewer puts the target just beside
// the midpoint.
std::vector<Row> near_tie_rows(IntervalMethod method, Extended n, int s, std::vector<Extended> rs)
{
    const Extended c = method == classical ? 1 : 0.5L;
    std::vector<Row> rows;
    for (Extended conf : {95.0L, 90.0L})
        for (Extended r : rs)
            for (Extended beside : {0, -1, 1}) {
                const Extended k = (std::ldexp(n * r, -s) + c) * (200 / (100 - conf)) - 1 + beside;
                rows.push_back({n, 0, k});
                rows.push_back({n, n - k, k});
            }
    return rows;
}

// Rows at the ends of the range and of the grid: no ties, every case tied, the classical
// shortcuts' thresholds (k + 1 = 20 and 40), limits in the outermost cells, tiny samples and
// a block of half the sample.
std::vector<Row> end_rows()
{
    std::vector<Row> rows;
    for (Extended n : {1.0L, 2.0L, 3.0L, 10.0L, 1000.0L, 999999.0L}) {
        for (Extended k : {0.0L, 1.0L, 3.0L, n - 1, n})
            if (k >= 0 && k <= n)
                for (Extended m : {0.0L, std::floor((n - k) / 2), n - k})
                    rows.push_back({n, m, k});
        for (Extended k : {19.0L, 20.0L, 39.0L, 40.0L})
            if (k <= n) {
                rows.push_back({n, 0, k});
                rows.push_back({n, n - k, k});
            }
    }
    rows.push_back({999999, 250000, 500000});
    return rows;
}

}  // namespace

// Where the term-by-term sum wanders by more than a grid cell, its steps near the crossing do
// not change side only once, and the plain bisection ends in whichever cell its path leads
// to. The replay takes the same path, and it still leaves most steps unevaluated where the
// wandering is small.
TEST(ReplayedBisection, EndsWhereThePlainBisectionEnds)
{
    int off_the_first_crossing = 0;
    for (int i = 0; i <= 400; ++i) {
        // Targets at, just beside and between grid points, over the whole of [0, 1].
        const Extended target = std::ldexp(Extended(82 * i), -15) + (i % 3 - 1) * 0x1p-40L;
        WanderingSums sums{1e-4L, 1e-6L};
        const Extended expected = plain(sums, target);
        EXPECT_EQ(replayed(sums, target), expected) << "target " << double(target);

        // Every term-by-term sum below target - wander lies under the target.
        const Extended surely_below = std::floor((target - 2 * sums.wander) * 0x1p15L);
        long long first_above = std::max(1LL, std::llround(surely_below));
        while (first_above < BisectionGridCells &&
               sums.term_by_term(grid_point(first_above)) <= target)
            ++first_above;
        off_the_first_crossing += expected != grid_point(first_above) - BisectionHalfWidth;
    }
    EXPECT_GT(off_the_first_crossing, 20);

    WanderingSums steady{1e-12L, 1e-13L};
    for (int i = 1; i < 100; ++i)
        EXPECT_EQ(replayed(steady, i / 100.0L), plain(steady, i / 100.0L));
    steady.fast_sums = 0;
    for (int i = 1; i < 100; ++i)
        replayed(steady, i / 100.0L);
    EXPECT_LE(steady.fast_sums, 5 * 99);
}

TEST(ReplayedEngines, GiveThePlainBisectionsLimitsOnHardRows)
{
    for (const IntervalMethodEntry& method : interval_methods) {
        const IntervalEngine plain_engine =
            interval_engine<BetaLineClosedForm, LimitSearch::plain_bisection>(method.method);
        std::vector<Row> rows = end_rows();
        for (const Row& row : near_tie_rows(method.method, 2048, 12, {41, 63, 95}))
            rows.push_back(row);
        for (const Row& row : near_tie_rows(method.method, 983040, 15, {41, 255, 799}))
            rows.push_back(row);
        for (const Row& row : rows) {
            // A table's row finds both levels from the same lines.
            TableLimits both;
            method.table_engine(row.n, row.m, row.k, both);
            for (int level = 0; level < 2; ++level) {
                const Extended conf = level == 0 ? 95 : 90;
                SCOPED_TRACE(testing::Message()
                             << method.command_line_name << ", n " << double(row.n) << ", m "
                             << double(row.m) << ", k " << double(row.k) << ", " << double(conf));
                Extended lower, upper, plain_lower, plain_upper;
                method.engine(row.n, row.m, row.k, conf, lower, upper);
                plain_engine(row.n, row.m, row.k, conf, plain_lower, plain_upper);
                EXPECT_EQ(lower, plain_lower);
                EXPECT_EQ(upper, plain_upper);
                EXPECT_EQ(both.lower[level], plain_lower);
                EXPECT_EQ(both.upper[level], plain_upper);
            }
        }
    }
}

// A whole norms table of about 10,000 cases, proportional to a normal density over 60
// scores: the fast sums that the replayed limits evaluate, against 15 for the plain bisection.
TEST(ReplayedEngines, EvaluateFewMixturesPerLimit)
{
    std::vector<Extended> frequency;
    Extended n = 0;
    for (int score = 0; score < 60; ++score) {
        const Extended z = (score - 29.5L) / 10;
        frequency.push_back(std::round(400 * std::exp(-z * z / 2)));
        n += frequency.back();
    }
    using Counted = CountedLine<BetaLineClosedForm>;
    for (const IntervalMethodEntry& method : interval_methods) {
        const IntervalEngine counted = interval_engine<Counted, LimitSearch::replay>(method.method);
        Counted::sums = 0;
        Extended m = 0;
        for (Extended k : frequency) {
            for (Extended conf : {95.0L, 90.0L}) {
                Extended lower, upper;
                counted(n, m, k, conf, lower, upper);
            }
            m += k;
        }
        EXPECT_LE(Counted::sums, 4 * 4 * Extended(frequency.size())) << method.command_line_name;
    }
}
