// Per-person data of 1,000,000 rows in 20 age groups, as a spreadsheet exports it (CR LF, the
// groups interleaved): reading and counting it, and then the 20 norms tables it gives.
#include "norms/count/data_file.hpp"
#include "norms/tables/norms_table.hpp"
#include "tests/support/memory_source.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

using namespace norms;

constexpr int person_count = 1'000'000;
constexpr int group_count = 20;
constexpr int max_score = 30;

const std::string& person_file()
{
    static const std::string file = [] {
        std::string text = "id,age_band,sex,raw\r\n";
        std::uint64_t state = 17;
        const auto next = [&state](int range) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return static_cast<int>((state >> 33) % range);
        };
        for (int person = 0; person < person_count; ++person) {
            const int age = 6 + next(group_count);
            // A sum of three draws: a hump-shaped score from 0 to 30.
            const int score = next(11) + next(11) + next(11);
            text += std::to_string(100000 + person) + ",age " + std::to_string(age) + "," +
                    (next(2) ? "F" : "M") + "," + std::to_string(score) + "\r\n";
        }
        return text;
    }();
    return file;
}

const PersonScoreLayout layout{',', "raw", "age_band", 0, max_score, ""};

void BM_ReadAndCountMillionRows(benchmark::State& state)
{
    const std::string& file = person_file();
    for (auto _ : state) {
        MemorySource source(file);
        const CountedGroups counted = count_person_file(source, person_data_file("people.csv", layout), layout);
        benchmark::DoNotOptimize(counted.groups.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadAndCountMillionRows)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_TwentyTablesFromTheCounts(benchmark::State& state)
{
    MemorySource source(person_file());
    const std::vector<ScoreGroup> groups =
        count_person_file(source, person_data_file("people.csv", layout), layout).groups;
    for (auto _ : state) {
        for (const ScoreGroup& group : groups) {
            NormsTable table{};
            for (int j = 0; j <= max_score; ++j)
                table[j].Frequency = static_cast<Extended>(group.frequencies[j]);
            ComputeNormsTable(table, max_score + 1, static_cast<Extended>(group.size),
                              stats::IntervalMethod::bayesian);
            benchmark::DoNotOptimize(table.data());
        }
    }
}
BENCHMARK(BM_TwentyTablesFromTheCounts)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
