// The search for a limit: the plain fixed bisection, which evaluates the mixture at each of
// its 15 midpoints, against its replay from a root found first, which gives the same limits.
// Whole 200-row norms tables, both levels per row, for every method, table shape and sample
// size, and the near-tie rows whose tied step the term-by-term sum decides. Each benchmark
// times the engines with the closed-form line sums and then, once more outside the timing,
// counts their mixture evaluations: the fast sums that the search and the bisection's steps
// evaluate, a step that the term-by-term sum decides counting once. The classical limits that
// an end of the range fixes are not searched and are left out of the count of limits.
#include "norms_tables.hpp"
#include "stats/interval_engines.hpp"
#include "stats/interval_method.hpp"
#include "stats/interval_search.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using stats::BetaLineClosedForm;
using stats::CountedLine;
using stats::Extended;
using stats::IntervalEngine;
using stats::IntervalMethod;
using stats::LimitSearch;
using Row = bench_tables::EngineCall;

enum Shape { bell, half, uniform, near_ties };

template <class Line>
IntervalEngine engine(IntervalMethod method, bool replay)
{
    return replay ? stats::interval_engine<Line, LimitSearch::replay>(method)
                  : stats::interval_engine<Line, LimitSearch::plain_bisection>(method);
}

// Near ties: as many calls as a table makes, at n = 2,048 (p = r / 2^12) or n = 983,040
// (p = r / 2^15).
std::vector<Row> table_rows(Shape shape, IntervalMethod method, long long n)
{
    switch (shape) {
    case half: return bench_tables::norms_table(bench_tables::half_on_one_score(n));
    case uniform: return bench_tables::norms_table(bench_tables::uniform_frequencies(n));
    case near_ties:
        return bench_tables::near_tie_calls(method, n, n < 32768 ? 12 : 15,
                                            2 * bench_tables::table_rows);
    default: return bench_tables::norms_table(bench_tables::bell_frequencies(n));
    }
}

long long searched_limits(IntervalMethod method, const Row& row)
{
    if (method != IntervalMethod::classical)
        return 2;
    const stats::ClassicalShortcuts ends =
        stats::classical_shortcuts(row.n, row.m, row.k, stats::target_levels(row.conf));
    return 2 - ends.lower_is_zero - ends.upper_is_one;
}

// Arguments: method, n, Shape, 1 to replay the bisection or 0 for the plain one.
void BM_table_limits(benchmark::State& state)
{
    const IntervalMethod method = bench_tables::method_of_argument(state.range(0));
    const std::vector<Row> rows =
        table_rows(static_cast<Shape>(state.range(2)), method, state.range(1));
    const bool replay = state.range(3);
    bench_tables::time_calls(state, engine<BetaLineClosedForm>(method, replay), rows);

    const IntervalEngine counted = engine<CountedLine<BetaLineClosedForm>>(method, replay);
    long long& sums = CountedLine<BetaLineClosedForm>::sums;
    long long limits = 0;
    long long total = 0;
    long long most = 0;
    for (const Row& row : rows) {
        Extended lower, upper;
        sums = 0;
        counted(row.n, row.m, row.k, row.conf, lower, upper);
        limits += searched_limits(method, row);
        total += sums;
        most = std::max(most, sums);
    }
    state.counters["evaluations per limit"] = double(total) / double(limits);
    state.counters["most per call"] = double(most);
}

void arguments(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"method", "n", "shape", "replay"});
    for (std::int64_t method : bench_tables::method_arguments())
        for (std::int64_t replay : {0, 1}) {
            for (long long n : {1000LL, 10000LL, 100000LL, 999999LL})
                for (Shape shape : {bell, half, uniform})
                    bench->Args({method, n, shape, replay});
            for (long long n : {2048LL, 983040LL})
                bench->Args({method, n, near_ties, replay});
        }
}

}  // namespace

BENCHMARK(BM_table_limits)
    ->Apply(arguments)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
