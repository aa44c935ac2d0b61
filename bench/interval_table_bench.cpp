// Whole norms tables, 200 raw scores with both confidence levels per row, through the
// term-by-term reference engines and through the engines that walk a line of shapes.
// Frequencies are bell-shaped, uniform, or with half the sample on one raw score. Rows built to
// meet a target at a bisection midpoint measure the steps that the term-by-term sum decides.
#include "reference_engines.hpp"
#include "stats/Bayes_Engines.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using stats::Extended;
using Engine = void (*)(Extended, Extended, Extended, Extended, Extended&, Extended&);

constexpr int table_rows = 200;

// Frequencies of 200 raw scores proportional to a normal density with a standard deviation
// of 30 scores, whole numbers adding up to `total` (largest remainders round up).
std::vector<long long> bell_frequencies(long long total)
{
    std::vector<double> weight(table_rows);
    for (int i = 0; i < table_rows; ++i) {
        const double z = (i - (table_rows - 1) / 2.0) / 30;
        weight[i] = std::exp(-z * z / 2);
    }
    double weight_sum = 0;
    for (double w : weight)
        weight_sum += w;
    std::vector<long long> frequency(table_rows);
    std::vector<std::pair<double, int>> remainder(table_rows);
    long long assigned = 0;
    for (int i = 0; i < table_rows; ++i) {
        const double share = total * weight[i] / weight_sum;
        frequency[i] = static_cast<long long>(share);
        assigned += frequency[i];
        remainder[i] = {share - frequency[i], i};
    }
    std::sort(remainder.rbegin(), remainder.rend());
    for (long long i = 0; i < total - assigned; ++i)
        ++frequency[remainder[i].second];
    return frequency;
}

// Half of the sample on the middle raw score, the other half bell-shaped around it.
std::vector<long long> half_on_one_score(long long total)
{
    std::vector<long long> frequency = bell_frequencies(total - total / 2);
    frequency[table_rows / 2] += total / 2;
    return frequency;
}

// The same number of cases on every raw score, give or take one.
std::vector<long long> uniform_frequencies(long long total)
{
    std::vector<long long> frequency(table_rows, total / table_rows);
    for (long long i = 0; i < total % table_rows; ++i)
        ++frequency[i];
    return frequency;
}

enum Shape { bell, half, uniform };

std::vector<long long> table_frequencies(long long shape, long long total)
{
    switch (shape) {
    case half: return half_on_one_score(total);
    case uniform: return uniform_frequencies(total);
    default: return bell_frequencies(total);
    }
}

void run_table(benchmark::State& state, Engine engine, const std::vector<long long>& frequency)
{
    long long n = 0;
    for (long long f : frequency)
        n += f;
    for (auto _ : state) {
        long long below = 0;
        for (long long k : frequency) {
            Extended lower, upper;
            engine(n, below, k, 95, lower, upper);
            benchmark::DoNotOptimize(lower);
            engine(n, below, k, 90, lower, upper);
            benchmark::DoNotOptimize(upper);
            below += k;
        }
    }
}

const Engine fast_engines[] = {stats::Bayesian_PR_interval, stats::Classical_PR_interval,
                               stats::MidP_PR_interval};
const Engine reference_engines[] = {reference::Bayesian_PR_interval,
                                    reference::Classical_PR_interval,
                                    reference::MidP_PR_interval};

// Arguments: method (0 Bayesian, 1 classical, 2 mid-p), sample size, Shape.
void BM_fast_table(benchmark::State& state)
{
    run_table(state, fast_engines[state.range(0)], table_frequencies(state.range(2), state.range(1)));
}

void BM_reference_table(benchmark::State& state)
{
    run_table(state, reference_engines[state.range(0)],
              table_frequencies(state.range(2), state.range(1)));
}

// 200 rows at the bottom and top of the range whose mixture meets the target of one level at
// a midpoint p = r / 2^s, up to terms below the sums' errors: with m = 0 and k + 1 well above
// n p, the lower functions are (n p + c) / (k + 1), c = 1 for the classical method and 1/2
// for the others; mirrored at the top for the upper limits. Arguments: method, n, s.
void BM_fast_near_ties(benchmark::State& state)
{
    const long long method = state.range(0);
    const Extended n = state.range(1);
    const Extended steps = std::ldexp(1.0L, state.range(2));
    const Extended c = method == 1 ? 1 : 0.5L;
    struct Row {
        Extended m, k, conf;
    };
    std::vector<Row> rows;
    for (int i = 0; i < table_rows; ++i) {
        const Extended conf = (i / 2) % 2 ? 90 : 95;
        const Extended r = 41 + 2 * ((i / 4) % 28);
        const Extended k = (n * r / steps + c) * (200 / (100 - conf)) - 1;
        rows.push_back({i % 2 ? n - k : 0, k, conf});
    }
    for (auto _ : state)
        for (const Row& row : rows) {
            Extended lower, upper;
            fast_engines[method](n, row.m, row.k, row.conf, lower, upper);
            benchmark::DoNotOptimize(lower);
            benchmark::DoNotOptimize(upper);
        }
}

// What four cut-off probabilities per row add to a table: arguments n and Shape.
void BM_cutoff_probabilities(benchmark::State& state)
{
    const auto frequency = table_frequencies(state.range(1), state.range(0));
    const Extended n = state.range(0);
    for (auto _ : state) {
        long long below = 0;
        for (long long k : frequency) {
            for (Extended cutoff : {0.02L, 0.05L, 0.10L, 0.16L})
                benchmark::DoNotOptimize(stats::Bayesian_cutoff_probability(n, below, k, cutoff));
            below += k;
        }
    }
}

// Arguments of the tables up to n = 100,000, and of those at n = 999,999.
void smaller_tables(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"method", "n", "shape"});
    for (int method = 0; method < 3; ++method)
        for (long long n : {1000LL, 10000LL, 100000LL})
            bench->Args({method, n, bell});
}

void largest_tables(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"method", "n", "shape"});
    for (int method = 0; method < 3; ++method) {
        bench->Args({method, 999999, bell});
        bench->Args({method, 999999, half});
        bench->Args({method, 999999, uniform});
    }
}

}  // namespace

BENCHMARK(BM_fast_table)
    ->Apply(smaller_tables)
    ->Apply(largest_tables)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_cutoff_probabilities)
    ->ArgNames({"n", "shape"})
    ->ArgsProduct({{999999}, {bell, half, uniform}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_fast_near_ties)
    ->ArgNames({"method", "n", "s"})
    ->ArgsProduct({{0, 1, 2}, {2048}, {12}})
    ->ArgsProduct({{0, 1, 2}, {983040}, {16}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
// One table per repetition: the reference needs over a minute for one at n = 999,999, and
// there a single repetition has to do.
BENCHMARK(BM_reference_table)
    ->Apply(smaller_tables)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_reference_table)->Apply(largest_tables)->Unit(benchmark::kMillisecond)->Iterations(1);
