// Raking 1,000,000 cases to the margins of three stratification variables whose levels lean on
// one another, so that the fitting takes many passes: region (10 levels), age band (6) and
// sex (2); three variables of 10 levels; and, for a sample where most cases have a combination
// of levels of their own, three variables of 100 levels. The passes taken appear as a counter.
// Besides, reading a margins file of about 1 MB that gives one variable 111,845 levels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <exception>
#include <string>
#include <random>
#include <variant>

#include "norms/read/margins_file.hpp"
#include "stats/raking.hpp"

namespace {

constexpr std::size_t case_count = 1'000'000;

// Each variable's level follows the one before it in two cases out of three; the shares are
// uneven, and far from the sample's, which is near uniform.
std::vector<stats::RakingVariable> variables(const std::vector<std::int32_t>& level_counts)
{
    std::mt19937_64 random(12345);
    std::vector<stats::RakingVariable> result;
    for (std::size_t v = 0; v < level_counts.size(); ++v) {
        stats::RakingVariable& variable = result.emplace_back();
        variable.name = "v" + std::to_string(v);
        const std::int32_t levels = level_counts[v];
        stats::Extended total = 0;
        for (std::int32_t level = 0; level < levels; ++level)
            total += level + 1;
        for (std::int32_t level = 0; level < levels; ++level)
            variable.shares.push_back((level + 1) / total);
        variable.levels.reserve(case_count);
        for (std::size_t i = 0; i < case_count; ++i) {
            const auto drawn = static_cast<std::int32_t>(random() % levels);
            const std::int32_t before = v == 0 ? drawn : result[v - 1].levels[i] % levels;
            variable.levels.push_back(random() % 3 == 0 ? drawn : before);
        }
    }
    return result;
}

void BM_rake(benchmark::State& state, std::vector<std::int32_t> level_counts)
{
    const std::vector<stats::RakingVariable> margins = variables(level_counts);
    int passes = 0;
    for (auto _ : state) {
        auto raked = stats::rake(margins);
        passes = std::get<stats::RakedWeights>(raked).passes;
        benchmark::DoNotOptimize(raked);
    }
    state.counters["passes"] = passes;
}

// Every level once; with `repeated`, the first level again on the last line, which is refused.
void BM_read_margins(benchmark::State& state, bool repeated)
{
    std::string text = "variable,value,share\n";
    for (int level = 0; level < 111845; ++level)
        text += "v," + std::to_string(level) + ",0\n";
    if (repeated)
        text += "v,0,0\n";
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(norms::parse_margins(text));
        } catch (const std::exception&) {
            benchmark::ClobberMemory();
        }
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

}  // namespace

BENCHMARK_CAPTURE(BM_read_margins, levels_111845, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_read_margins, levels_111845_refused, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_rake, levels_10_6_2, std::vector<std::int32_t>{10, 6, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_rake, levels_10_10_10, std::vector<std::int32_t>{10, 10, 10})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_rake, levels_100_100_100, std::vector<std::int32_t>{100, 100, 100})
    ->Unit(benchmark::kMillisecond);
