// Prints the three methods' table limits for the hard rows of the bisection tests and for
// 10,000 random rows, one line each, so that the native build and the page's can be compared
// line by line (compare-limits). The rows come from a fixed seed: both builds see the same.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "stats/interval_method.hpp"

namespace {

using stats::Extended;

struct Row {
    Extended n, m, k;
};

// The ends of the range and the grid, and ties that put a limit next to a grid point, as the
// replayed bisection's tests take them.
std::vector<Row> hard_rows()
{
    std::vector<Row> rows;
    for (Extended n : {1.0L, 2.0L, 3.0L, 10.0L, 1000.0L, 999999.0L}) {
        for (Extended k : {0.0L, 1.0L, 3.0L, n - 1, n, 19.0L, 20.0L, 39.0L, 40.0L})
            if (k >= 0 && k <= n)
                for (Extended m : {0.0L, std::floor((n - k) / 2), n - k})
                    rows.push_back({n, m, k});
    }
    rows.push_back({999999, 250000, 500000});
    for (auto [n, s] : {std::pair{2048.0L, 12}, std::pair{983040.0L, 15}})
        for (Extended c : {1.0L, 0.5L})
            for (Extended conf : {95.0L, 90.0L})
                for (Extended r : {41.0L, 63.0L, 95.0L, 255.0L, 799.0L})
                    for (Extended beside : {0, -1, 1}) {
                        const Extended k = std::round((std::ldexp(n * r, -s) + c) * (200 / (100 - conf)) - 1 + beside);
                        if (k >= 0 && k <= n) {
                            rows.push_back({n, 0, k});
                            rows.push_back({n, n - k, k});
                        }
                    }
    return rows;
}

// n from 3 to 999,999 spread over the orders of magnitude, then m and k within it.
std::vector<Row> random_rows(int count)
{
    std::uint64_t state = 0x5eed;
    const auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        const Extended n = std::floor(std::pow(10.0L, 0.48L + 5.52L * next()));
        const Extended k = std::floor((n + 1) * std::pow(next(), 3));
        const Extended m = std::floor((n - k + 1) * next());
        rows.push_back({n, std::min(m, n - k), std::min(k, n)});
    }
    return rows;
}

}  // namespace

int main()
{
    std::vector<Row> rows = hard_rows();
    const std::size_t hard = rows.size();
    for (const Row& row : random_rows(10000))
        rows.push_back(row);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
            stats::TableLimits limits;
            method.table_engine(row.n, row.m, row.k, limits);
            std::printf("%s %.*s %.0Lf %.0Lf %.0Lf %.17Lg %.17Lg %.17Lg %.17Lg\n",
                        i < hard ? "hard" : "random", static_cast<int>(method.command_line_name.size()),
                        method.command_line_name.data(), row.n, row.m, row.k, limits.lower[0],
                        limits.upper[0], limits.lower[1], limits.upper[1]);
        }
    }
}
