#include "stats/sample_size.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <boost/math/distributions/normal.hpp>

namespace stats {
namespace {

// Φ(z), the standard normal probability below z; Φ(-z) is the probability above z, computed
// by the same function so that mirrored scores get bit-identical tails.
Extended below(Extended z)
{
    if (std::isinf(z))
        return z < 0 ? 0 : 1;
    return boost::math::cdf(boost::math::normal_distribution<Extended>(), z);
}

// The probability between z_low and z_high (z_low < z_high), each side taken from its smaller
// tail.
Extended between(Extended z_low, Extended z_high)
{
    if (z_high <= 0)
        return below(z_high) - below(z_low);
    if (z_low >= 0)
        return below(-z_low) - below(-z_high);
    return 1 - (below(z_low) + below(-z_high));
}

}  // namespace

std::vector<Extended> DiscretisedNormal(Extended mean, Extended sd, long long min_score,
                                        long long max_score)
{
    const Extended infinity = std::numeric_limits<Extended>::infinity();
    std::vector<Extended> probabilities;
    for (long long score = min_score; score <= max_score; ++score) {
        const Extended low = score == min_score ? -infinity : (score - 0.5L - mean) / sd;
        const Extended high = score == max_score ? infinity : (score + 0.5L - mean) / sd;
        probabilities.push_back(between(low, high));
    }
    return probabilities;
}

std::vector<long long> LargestRemainderCounts(const std::vector<Extended>& weights, long long n)
{
    const Extended total = std::accumulate(weights.begin(), weights.end(), Extended(0));
    std::vector<long long> counts(weights.size());
    std::vector<Extended> remainders(weights.size());
    long long assigned = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const Extended quota = weights[i] * n / total;
        counts[i] = static_cast<long long>(quota);
        remainders[i] = quota - counts[i];
        assigned += counts[i];
    }
    std::vector<std::size_t> order(weights.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
    for (std::size_t i = 0; assigned < n && i < order.size(); ++i, ++assigned)
        ++counts[order[i]];
    // Quotas that rounding lifted onto a whole number can leave one unit too many: it comes
    // back from the smallest fractional part that still has a unit to give.
    for (auto i = order.rbegin(); assigned > n && i != order.rend(); ++i) {
        if (counts[*i] > 0) {
            --counts[*i];
            --assigned;
        }
    }
    return counts;
}

const std::vector<long long>& PlanGrid()
{
    static const std::vector<long long> grid = [] {
        std::vector<long long> sizes;
        for (long long n = 10; n <= 1000; n += 10)
            sizes.push_back(n);
        for (long long n = 1000 + (1000 + 50) / 100; n < LargestPlanSampleSize; n += (n + 50) / 100)
            sizes.push_back(n);
        sizes.push_back(LargestPlanSampleSize);
        return sizes;
    }();
    return grid;
}

std::size_t FirstStayingWithin(const std::vector<Extended>& values, Extended limit)
{
    std::size_t first = values.size();
    while (first > 0 && values[first - 1] <= limit)
        --first;
    return first;
}

}  // namespace stats
