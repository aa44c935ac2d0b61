#include "stats/resampling.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <thread>

namespace stats {
namespace {

// SplitMix64's output function (Steele, Lea & Flood 2014): a seed for each resample that
// differs in about half its bits from its neighbours'.
std::uint64_t mixed(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

}  // namespace

std::mt19937_64 resample_engine(std::uint64_t seed, std::size_t index)
{
    return std::mt19937_64(mixed(seed ^ mixed(index)));
}

std::size_t uniform_index(std::mt19937_64& engine, std::size_t n)
{
    const std::uint64_t range = static_cast<std::uint64_t>(n);
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() -
                                std::numeric_limits<std::uint64_t>::max() % range;
    std::uint64_t draw;
    do
        draw = engine();
    while (draw >= limit);
    return static_cast<std::size_t>(draw % range);
}

std::vector<std::vector<std::size_t>> strata_of(const std::vector<Extended>& groups, std::size_t cases)
{
    if (groups.empty()) {
        std::vector<std::size_t> all(cases);
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        return {all};
    }
    std::map<Extended, std::vector<std::size_t>> by_group;
    for (std::size_t i = 0; i < groups.size(); ++i)
        by_group[groups[i]].push_back(i);
    std::vector<std::vector<std::size_t>> strata;
    for (auto& [group, members] : by_group)
        strata.push_back(std::move(members));
    return strata;
}

std::vector<std::uint32_t> drawn_counts(std::mt19937_64& engine, const std::vector<std::vector<std::size_t>>& strata,
                                        std::size_t cases)
{
    std::vector<std::uint32_t> counts(cases, 0);
    for (const std::vector<std::size_t>& stratum : strata)
        for (std::size_t i = 0; i < stratum.size(); ++i)
            ++counts[stratum[uniform_index(engine, stratum.size())]];
    return counts;
}

void for_each_index(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t used = std::min<std::size_t>(threads > 0 ? threads : cores, count);
    std::atomic<std::size_t> next{0};
    std::vector<std::exception_ptr> failures(used);
    {
        std::vector<std::jthread> pool;
        for (std::size_t t = 0; t < used; ++t)
            pool.emplace_back([&, t] {
                try {
                    for (std::size_t i = next++; i < count; i = next++)
                        work(i);
                } catch (...) {
                    failures[t] = std::current_exception();
                    next = count;
                }
            });
    }
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

BootstrapLimits percentile_limits(std::vector<Extended>& norms, std::vector<Extended>& ranks)
{
    std::sort(norms.begin(), norms.end());
    std::sort(ranks.begin(), ranks.end());
    return {sample_quantile(norms, 0.025L), sample_quantile(norms, 0.975L), sample_quantile(norms, 0.05L),
            sample_quantile(norms, 0.95L),  sample_quantile(ranks, 0.025L), sample_quantile(ranks, 0.975L),
            sample_quantile(ranks, 0.05L),  sample_quantile(ranks, 0.95L)};
}

Extended sample_quantile(const std::vector<Extended>& ascending, Extended p)
{
    const Extended position = (static_cast<Extended>(ascending.size()) - 1) * p;
    const std::size_t below = static_cast<std::size_t>(std::floor(position));
    if (below + 1 >= ascending.size())
        return ascending.back();
    const Extended low = ascending[below];
    const Extended high = ascending[below + 1];
    const Extended fraction = position - below;
    // Between an infinite value and a finite one, the infinite one: the limits of a cell beyond
    // a model's range are open-ended there.
    if (fraction == 0 || low == high || std::isinf(low))
        return low;
    if (std::isinf(high))
        return high;
    return low + fraction * (high - low);
}

}  // namespace stats
