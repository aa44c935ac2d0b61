// Whole norms tables, 200 raw scores with both confidence levels per row, through the
// term-by-term reference engines and through the engines that walk a line of shapes.
// Frequencies are bell-shaped, uniform, or with half the sample on one raw score. Rows built to
// meet a target at a bisection midpoint measure the steps that the term-by-term sum decides.
#include "norms_tables.hpp"
#include "stats/Bayes_Engines.hpp"
#include "stats/interval_method.hpp"
#include "tests/support/reference_engines.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using stats::Extended;
using stats::IntervalEngine;
using bench_tables::method_of_argument;

using bench_tables::bell_frequencies;
using bench_tables::half_on_one_score;
using bench_tables::table_rows;
using bench_tables::uniform_frequencies;

enum Shape { bell, half, uniform };

std::vector<long long> table_frequencies(long long shape, long long total)
{
    switch (shape) {
    case half: return half_on_one_score(total);
    case uniform: return uniform_frequencies(total);
    default: return bell_frequencies(total);
    }
}

// Every row of the table, in turn, through `row(n, below, k)`.
template <class Row>
void run_rows(benchmark::State& state, const std::vector<long long>& frequency, Row row)
{
    long long n = 0;
    for (long long f : frequency)
        n += f;
    for (auto _ : state) {
        long long below = 0;
        for (long long k : frequency) {
            row(n, below, k);
            below += k;
        }
    }
}

void run_table(benchmark::State& state, IntervalEngine engine,
               const std::vector<long long>& frequency)
{
    run_rows(state, frequency, [engine](Extended n, Extended below, Extended k) {
        Extended lower, upper;
        engine(n, below, k, 95, lower, upper);
        benchmark::DoNotOptimize(lower);
        engine(n, below, k, 90, lower, upper);
        benchmark::DoNotOptimize(upper);
    });
}

// Arguments: method, sample size, Shape.
void BM_fast_table(benchmark::State& state)
{
    run_table(state, stats::interval_method_entry(method_of_argument(state.range(0))).engine,
              table_frequencies(state.range(2), state.range(1)));
}

// The same tables through the table engine, which finds a row's two levels from the lines it
// sets up once.
void BM_table_engine(benchmark::State& state)
{
    const stats::TableIntervalEngine engine =
        stats::interval_method_entry(method_of_argument(state.range(0))).table_engine;
    run_rows(state, table_frequencies(state.range(2), state.range(1)),
             [engine](Extended n, Extended below, Extended k) {
                 stats::TableLimits limits;
                 engine(n, below, k, limits);
                 benchmark::DoNotOptimize(limits);
             });
}

void BM_reference_table(benchmark::State& state)
{
    run_table(state, reference::engine_of(method_of_argument(state.range(0))),
              table_frequencies(state.range(2), state.range(1)));
}

// 200 engine calls, each meeting the target of one level at the midpoint p = r / 2^s
// (bench_tables::near_tie_calls). Arguments: method, n, s.
void BM_fast_near_ties(benchmark::State& state)
{
    const stats::IntervalMethod method = method_of_argument(state.range(0));
    const IntervalEngine engine = stats::interval_method_entry(method).engine;
    const auto calls = bench_tables::near_tie_calls(method, state.range(1), state.range(2), table_rows);
    for (auto _ : state)
        for (const bench_tables::EngineCall& call : calls) {
            Extended lower, upper;
            engine(call.n, call.m, call.k, call.conf, lower, upper);
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
    for (std::int64_t method : bench_tables::method_arguments())
        for (long long n : {1000LL, 10000LL, 100000LL})
            bench->Args({method, n, bell});
}

void largest_tables(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"method", "n", "shape"});
    for (std::int64_t method : bench_tables::method_arguments()) {
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
BENCHMARK(BM_table_engine)
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
    ->ArgsProduct({bench_tables::method_arguments(), {2048}, {12}})
    ->ArgsProduct({bench_tables::method_arguments(), {983040}, {15}})
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
