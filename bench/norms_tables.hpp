// Frequencies of 200-row norms tables for the table benchmarks, whole numbers adding up to
// the sample size.
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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

}  // namespace bench_tables
