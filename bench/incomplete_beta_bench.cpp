// incomplete_beta against Boost.Math's ibeta on the same inputs: shapes a = b = 5, 500 and
// 50,000, evaluated at the 10%, 50% and 90% points of the distribution.
#include "stats/distrib.hpp"

#include <benchmark/benchmark.h>
#include <boost/math/special_functions/beta.hpp>

#include <array>

namespace {

using stats::Extended;

std::array<Extended, 3> points_of_mass(Extended shape)
{
    return {boost::math::ibeta_inv(shape, shape, 0.1L), Extended{0.5L},
            boost::math::ibeta_inv(shape, shape, 0.9L)};
}

void BM_incomplete_beta(benchmark::State& state)
{
    const Extended shape = state.range(0);
    const auto points = points_of_mass(shape);
    for (auto _ : state)
        for (Extended x : points)
            benchmark::DoNotOptimize(stats::incomplete_beta(x, shape, shape));
}

void BM_boost_ibeta(benchmark::State& state)
{
    const Extended shape = state.range(0);
    const auto points = points_of_mass(shape);
    for (auto _ : state)
        for (Extended x : points)
            benchmark::DoNotOptimize(boost::math::ibeta(shape, shape, x));
}

}  // namespace

BENCHMARK(BM_incomplete_beta)->Arg(5)->Arg(500)->Arg(50000);
BENCHMARK(BM_boost_ibeta)->Arg(5)->Arg(500)->Arg(50000);
