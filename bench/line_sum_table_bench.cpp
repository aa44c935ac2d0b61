// Whole 200-row tables at n = 999,999, both confidence levels per row, through the engines
// with each of the two fast line sums: the closed form that the program uses and the line
// walk. Both give the term-by-term limits, so only the time differs. A fourth table of rows
// built to meet a target at a bisection midpoint measures the steps that the term-by-term sum
// has to decide.
#include "norms_tables.hpp"
#include "stats/Bayes_Engines.hpp"
#include "stats/beta_mixture.hpp"
#include "stats/interval_engines.hpp"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using stats::BetaLine;
using stats::IntervalEngine;
using stats::IntervalMethod;
using stats::LimitSearch;

enum Table { uniform, bell, half, near_ties };

using Row = bench_tables::EngineCall;

std::vector<Row> table_rows(Table table, IntervalMethod method)
{
    constexpr long long n = 999999;
    switch (table) {
    case uniform: return bench_tables::norms_table(bench_tables::uniform_frequencies(n));
    case bell: return bench_tables::norms_table(bench_tables::bell_frequencies(n));
    case half: return bench_tables::norms_table(bench_tables::half_on_one_score(n));
    // As many calls as a norms table makes, each with one near tie, at n = 30 · 2^15.
    default: return bench_tables::near_tie_calls(method, 30 * 32768, 15, 2 * bench_tables::table_rows);
    }
}

// Arguments: table, method, 1 for the closed form or 0 for the walk.
void BM_table(benchmark::State& state)
{
    const IntervalMethod method = bench_tables::method_of_argument(state.range(1));
    const std::vector<Row> rows = table_rows(static_cast<Table>(state.range(0)), method);
    const IntervalEngine engine =
        state.range(2) ? stats::interval_method_entry(method).engine
                       : stats::interval_engine<BetaLine, LimitSearch::replay>(method);
    bench_tables::time_calls(state, engine, rows);
}

}  // namespace

BENCHMARK(BM_table)
    ->ArgNames({"table", "method", "closed"})
    ->ArgsProduct({{uniform, bell, half, near_ties}, bench_tables::method_arguments(), {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
