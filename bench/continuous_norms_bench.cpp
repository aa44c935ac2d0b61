// The continuous norm model on 5,000 cases in 10 age groups of 500 (ages 6 to 16, a raw score of
// 0 to 40 that grows with age and levels off near the top), with the default candidates
// (k = 5, t = 3): ranking, the search and the choice; a table of 13 ages × 100 raw scores; and
// 500 bootstrap refits with their tables.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_norms.hpp"

namespace {

stats::NormingSample age_trend_sample()
{
    std::mt19937_64 engine(20240611);
    std::normal_distribution<double> ability;
    std::uniform_real_distribution<double> within_year(0, 1);
    stats::NormingSample sample;
    for (int group = 0; group < 10; ++group)
        for (int i = 0; i < 500; ++i) {
            const double age = 6 + group + within_year(engine);
            const double logit = 0.9 * ability(engine) + 0.35 * (age - 11);
            sample.scores.push_back(std::round(40 / (1 + std::exp(-logit))));
            sample.groups.push_back(6.5 + group);
            sample.ages.push_back(age);
        }
    return sample;
}

const stats::NormingSample& sample()
{
    static const stats::NormingSample data = age_trend_sample();
    return data;
}

std::vector<stats::Extended> table_ages()
{
    std::vector<stats::Extended> ages;
    for (int i = 0; i <= 12; ++i)
        ages.push_back(6.5L + 0.75L * i);
    return ages;
}

void BM_fit(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::FitContinuousNorms(sample(), {}));
}

void BM_table(benchmark::State& state)
{
    const stats::ContinuousModel model = stats::FitContinuousNorms(sample(), {}).model;
    const std::vector<stats::Extended> ages = table_ages();
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::ContinuousNormTable(model, ages, 0, 99));
}

void BM_bootstrap(benchmark::State& state)
{
    const stats::ContinuousModel model = stats::FitContinuousNorms(sample(), {}).model;
    const std::vector<stats::Extended> ages = table_ages();
    stats::BootstrapChoice choice;
    choice.resamples = 500;
    choice.threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::BootstrapNormTable(sample(), {}, model, ages, 0, 99, choice));
}

}  // namespace

BENCHMARK(BM_fit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_table)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bootstrap)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
