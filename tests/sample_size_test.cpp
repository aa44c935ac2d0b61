// The shape and rounding that a sample-size plan's expected frequencies rest on.
#include "stats/sample_size.hpp"

#include <numeric>

#include <boost/math/distributions/normal.hpp>
#include <gtest/gtest.h>

using stats::Extended;

namespace {

// Checked in whole numbers, with quota_i = w_i n / T exactly: the counts add up to n, each lies
// less than a unit from its quota (floor or floor + 1), and every count that took a unit has a
// remainder (w_i n mod T) at least as large as every count that did not, the lower index first
// among equal remainders.
void expect_largest_remainders(const std::vector<long long>& weights, long long n)
{
    SCOPED_TRACE("n = " + std::to_string(n));
    const long long total = std::accumulate(weights.begin(), weights.end(), 0LL);
    const std::vector<long long> counts =
        stats::LargestRemainderCounts(std::vector<Extended>(weights.begin(), weights.end()), n);
    ASSERT_EQ(counts.size(), weights.size());
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0LL), n);
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const long long floor = weights[i] * n / total;
        ASSERT_TRUE(counts[i] == floor || counts[i] == floor + 1) << "score " << i;
        for (std::size_t j = 0; j < weights.size(); ++j) {
            const long long remainder_i = weights[i] * n % total;
            const long long remainder_j = weights[j] * n % total;
            if (counts[i] > floor && counts[j] == weights[j] * n / total) {
                EXPECT_TRUE(remainder_i > remainder_j || (remainder_i == remainder_j && i < j))
                    << "scores " << i << " and " << j;
            }
        }
    }
}

}  // namespace

TEST(SampleSize, LargestRemainderRounding)
{
    const std::vector<long long> pilot = {0, 0, 0, 0, 0, 1, 1, 2, 2, 4, 5, 7, 10, 12, 15, 17,
                                          19, 20, 20, 20, 19, 17, 14, 12, 10, 7, 6, 4, 3, 2, 1};
    for (long long n : {10LL, 250LL, 1010LL, 10156LL, 999999LL})
        expect_largest_remainders(pilot, n);
    // Equal remainders everywhere: the units go to the lowest scores.
    expect_largest_remainders({1, 1, 1, 1, 1, 1, 1}, 10);
    expect_largest_remainders({3, 0, 5, 1}, 7);
    EXPECT_EQ(stats::LargestRemainderCounts({1, 1, 1}, 2), (std::vector<long long>{1, 1, 0}));
}

TEST(SampleSize, DiscretisedNormal)
{
    // A mean in the middle of 0 … 30 mirrors every probability, bit for bit.
    const std::vector<Extended> centred = stats::DiscretisedNormal(15, 4, 0, 30);
    for (std::size_t i = 0; i < centred.size(); ++i)
        EXPECT_EQ(centred[i], centred[centred.size() - 1 - i]) << "score " << i;
    // Each of 31 probabilities and the additions are a few roundings of 2^-64 off.
    for (const auto& [mean, sd] : {std::pair{15.0L, 4.0L}, std::pair{3.3L, 7.5L},
                                   std::pair{40.0L, 2.0L}}) {
        const std::vector<Extended> p = stats::DiscretisedNormal(mean, sd, 0, 30);
        EXPECT_NEAR(std::accumulate(p.begin(), p.end(), Extended(0)), 1, 64 * 0x1p-64L);
    }
    // The ends take the tails, and a far tail keeps its digits rather than becoming 1 - 1.
    const boost::math::normal_distribution<Extended> standard;
    const std::vector<Extended> narrow = stats::DiscretisedNormal(15, 1, 0, 30);
    const Extended top_tail = boost::math::cdf(boost::math::complement(standard, 14.5L));
    EXPECT_NEAR(narrow.back() / top_tail, 1, 1e-15L);
    EXPECT_NEAR(narrow.front() / top_tail, 1, 1e-15L);
    const Extended middle = boost::math::cdf(standard, 0.5L) - boost::math::cdf(standard, -0.5L);
    EXPECT_NEAR(narrow[15], middle, 1e-18L);
}

TEST(SampleSize, FirstStayingWithinLooksAtEveryLaterPoint)
{
    EXPECT_EQ(stats::FirstStayingWithin({5, 2, 4, 3, 1}, 3), 3u);
    EXPECT_EQ(stats::FirstStayingWithin({5, 2, 4, 3, 4}, 3), 5u);
    EXPECT_EQ(stats::FirstStayingWithin({1, 2, 3}, 3), 0u);
}
