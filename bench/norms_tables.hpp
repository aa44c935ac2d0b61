// Inputs of the table benchmarks: frequencies of 200-row norms tables, whole numbers adding
// up to the sample size, and rows built to meet a target at a bisection midpoint; and the loop
// that times an engine on them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "stats/interval_method.hpp"

namespace bench_tables {

constexpr int table_rows = 200;

// Proportional to a normal density with a standard deviation of 30 scores (largest remainders
// round up).
inline std::vector<long long> bell_frequencies(long long total)
{
    std::vector<double> weight(table_rows);
    double weight_sum = 0;
    for (int i = 0; i < table_rows; ++i) {
        const double z = (i - (table_rows - 1) / 2.0) / 30;
        weight[i] = std::exp(-z * z / 2);
        weight_sum += weight[i];
    }
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
inline std::vector<long long> half_on_one_score(long long total)
{
    std::vector<long long> frequency = bell_frequencies(total - total / 2);
    frequency[table_rows / 2] += total / 2;
    return frequency;
}

// The same number of cases on every raw score, give or take one.
inline std::vector<long long> uniform_frequencies(long long total)
{
    std::vector<long long> frequency(table_rows, total / table_rows);
    for (long long i = 0; i < total % table_rows; ++i)
        ++frequency[i];
    return frequency;
}

// Every interval method, as a benchmark argument, and the method an argument stands for.
inline std::vector<std::int64_t> method_arguments()
{
    std::vector<std::int64_t> arguments;
    for (const stats::IntervalMethodEntry& entry : stats::interval_methods)
        arguments.push_back(static_cast<std::int64_t>(entry.method));
    return arguments;
}

inline stats::IntervalMethod method_of_argument(std::int64_t argument)
{
    return stats::interval_methods.at(argument).method;
}

struct EngineCall {
    long double n, m, k, conf;
};

// The calls of a norms table: every raw score in turn, each at both levels.
inline std::vector<EngineCall> norms_table(const std::vector<long long>& frequency)
{
    long long n = 0;
    for (long long f : frequency)
        n += f;
    std::vector<EngineCall> calls;
    long long below = 0;
    for (long long k : frequency) {
        for (long double conf : {95.0L, 90.0L})
            calls.push_back({static_cast<long double>(n), static_cast<long double>(below),
                             static_cast<long double>(k), conf});
        below += k;
    }
    return calls;
}

// Rows at the bottom of the range, alternately mirrored to the top. With m = 0 and k + 1 well
// above n p, the lower functions are (n p + c) / (k + 1) up to terms below every sum's error,
// c = 1 for the classical method and ½ for the others. At p = r / 2^s, r odd, the row
// k + 1 = (n p + c) / τ therefore meets the target τ; the bisection visits that p when
// s ≤ 15, and n p + c must be a multiple of ½. r runs over the odd numbers from 41 to 95, so
// that k stays within n = 2^11 at s = 12.
inline std::vector<EngineCall> near_tie_calls(stats::IntervalMethod method, long double n, int s,
                                              int count)
{
    const long double c = method == stats::IntervalMethod::classical ? 1 : 0.5L;
    std::vector<EngineCall> calls;
    for (int i = 0; i < count; ++i) {
        const long double conf = (i / 2) % 2 ? 90 : 95;
        const long double r = 41 + 2 * ((i / 4) % 28);
        const long double k = (std::ldexp(n * r, -s) + c) * (200 / (100 - conf)) - 1;
        calls.push_back({n, i % 2 ? n - k : 0, k, conf});
    }
    return calls;
}

// Every iteration makes all the calls once.
inline void time_calls(benchmark::State& state, stats::IntervalEngine engine,
                       const std::vector<EngineCall>& calls)
{
    for (auto _ : state)
        for (const EngineCall& call : calls) {
            long double lower, upper;
            engine(call.n, call.m, call.k, call.conf, lower, upper);
            benchmark::DoNotOptimize(lower);
            benchmark::DoNotOptimize(upper);
        }
}

}  // namespace bench_tables
