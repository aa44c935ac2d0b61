// The continuous norm model on 5,000 cases in 10 age groups of 500 (ages 6 to 16, a raw score of
// 0 to 40 that grows with age and levels off near the top), with the default candidates
// (k = 5, t = 3): ranking, the search and the choice; a table of 13 ages × 100 raw scores; one
// age's table from 500 kept refits; and 500 bootstrap refits with their tables. Then the largest
// search, k = t = 6, on 600 cases and on the 5,000.
#include <benchmark/benchmark.h>

#include "stats/beta_binomial.hpp"
#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_norms.hpp"
#include "tests/support/beta_binomial_samples.hpp"
#include "tests/support/continuous_samples.hpp"

namespace {

const stats::NormingSample& sample()
{
    static const stats::NormingSample data = continuous_samples::age_trend(10, 500, 20240611);
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
        benchmark::DoNotOptimize(stats::fit_continuous_norms(sample(), {}));
}

void BM_table(benchmark::State& state)
{
    const stats::ContinuousModel model = stats::fit_continuous_norms(sample(), {}).model;
    const std::vector<stats::Extended> ages = table_ages();
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::continuous_norm_table(model, ages, 0, 99));
}

void BM_bootstrap(benchmark::State& state)
{
    const stats::ContinuousModel model = stats::fit_continuous_norms(sample(), {}).model;
    const std::vector<stats::Extended> ages = table_ages();
    stats::BootstrapChoice choice;
    choice.resamples = 500;
    choice.threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::bootstrap_norm_table(sample(), {}, model, ages, 0, 99, choice));
}

// What the study window does on a new age once the bootstrap has run: one age's 100 rows with
// their limits from 500 kept refits.
void BM_table_from_kept_resamples(benchmark::State& state)
{
    const stats::ContinuousModel model = stats::fit_continuous_norms(sample(), {}).model;
    stats::BootstrapChoice choice;
    choice.resamples = 500;
    const stats::Resamples kept = stats::resample_models(sample(), {}, choice);
    for (auto _ : state) {
        std::vector<stats::NormCell> cells = stats::continuous_norm_table(model, {11.25L}, 0, 99);
        stats::add_bootstrap_limits(cells, kept);
        benchmark::DoNotOptimize(cells);
    }
}

// The largest search the terms allow, k = t = 6 (48 candidates), on 600 cases (6 age groups of
// 100, ages 6 to 12) and on the 5,000 above: it stops at its node budget.
void BM_fit_k6_t6(benchmark::State& state)
{
    const stats::NormingSample cases =
        state.range(0) == 600 ? continuous_samples::age_trend(6, 100, 20240611) : sample();
    stats::ContinuousOptions options;
    options.k = 6;
    options.t = 6;
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::fit_continuous_norms(cases, options));
}

}  // namespace

BENCHMARK(BM_fit_k6_t6)->ArgName("cases")->Arg(600)->Arg(5000)->Iterations(1)->Unit(benchmark::kSecond);

// The beta-binomial family on 5,000 cases of a 40-item test, each at an age of its own (the
// likelihood's worst case: no two cases share a cell): degrees 3 and 3 fixed, and the choice of
// degrees 0 … 4 each by BIC.
namespace {

const stats::BetaBinomialSample& items_sample()
{
    static const stats::BetaBinomialSample data = beta_binomial_samples::drawn(40, 5000, 20261208, false);
    return data;
}

void BM_beta_binomial_fit(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::fit_beta_binomial(items_sample(), 40, 3, 3, stats::StandardNormScales()[1]));
}

void BM_beta_binomial_choice(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::choose_beta_binomial(items_sample(), 40, stats::StandardNormScales()[1]));
}

}  // namespace

BENCHMARK(BM_beta_binomial_fit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_beta_binomial_choice)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_fit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_table)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_table_from_kept_resamples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bootstrap)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
