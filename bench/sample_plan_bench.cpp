// A whole sample-size plan: the 11 default ranks at a wanted half-width of 1 point, over every grid
// size up to 999,999, for the pilot shape of examples/memory_test_n250.txt and for a normal
// shape, by each method.
#include <benchmark/benchmark.h>

#include "norms_tables.hpp"
#include "norms/tables/sample_plan.hpp"
#include "stats/sample_size.hpp"

namespace {

norms::SamplePlanRequest request(std::vector<long double> shape, stats::IntervalMethod method)
{
    norms::SamplePlanRequest plan;
    plan.shape = std::move(shape);
    plan.method = method;
    plan.ranks.assign(std::begin(norms::DefaultPlanRanks), std::end(norms::DefaultPlanRanks));
    plan.half_width = 1;
    return plan;
}

void BM_plan(benchmark::State& state, const std::vector<long double>& shape)
{
    const norms::SamplePlanRequest plan = request(shape, bench_tables::method_of_argument(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(norms::PlanSampleSize(plan));
}

const std::vector<long double> pilot = {0,  0,  0,  0,  0,  1,  1,  2,  2,  4,  5,
                                        7,  10, 12, 15, 17, 19, 20, 20, 20, 19, 17,
                                        14, 12, 10, 7,  6,  4,  3,  2,  1};

}  // namespace

BENCHMARK_CAPTURE(BM_plan, pilot, pilot)
    ->ArgsProduct({bench_tables::method_arguments()})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_plan, normal_100_scores, stats::DiscretisedNormal(50, 15, 0, 99))
    ->ArgsProduct({bench_tables::method_arguments()})
    ->Unit(benchmark::kMillisecond);
