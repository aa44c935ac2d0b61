// An SPSS file of 1,000,000 cases in 20 labelled age groups (id, age_band, sex, raw), read from
// memory and counted. With --write FILE the program writes that file instead, so that
// vornak-batch's time and peak memory can be measured on it.
#include "norms/count/data_file.hpp"
#include "tests/support/memory_source.hpp"
#include "tests/support/statistics_writer.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <string>

namespace {

using namespace norms;

constexpr int case_count = 1'000'000;
constexpr int group_count = 20;

const std::string& million_cases()
{
    static const std::string file = [] {
        std::map<double, std::string> labels;
        for (int age = 6; age < 6 + group_count; ++age)
            labels[age] = "age " + std::to_string(age);
        test_files::StatisticsWriter writer(
            ".sav", {test_files::Numeric("id"), test_files::Numeric("age_band", labels), test_files::Text("sex"),
                     test_files::Numeric("raw", {}, {99})},
            case_count);
        std::uint64_t state = 17;
        const auto next = [&state](int range) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return static_cast<int>((state >> 33) % range);
        };
        for (int person = 0; person < case_count; ++person) {
            // A sum of three draws: a hump-shaped score from 0 to 30; one in a hundred is 99.
            const int score = next(100) == 0 ? 99 : next(11) + next(11) + next(11);
            writer.add_case({100000.0 + person, 6.0 + next(group_count), std::string(next(2) ? "F" : "M"),
                             static_cast<double>(score)});
        }
        return writer.finish();
    }();
    return file;
}

void BM_ReadAndCountMillionCases(benchmark::State& state)
{
    const std::string& file = million_cases();
    const PersonScoreLayout layout{',', "raw", "age_band", 0, 30, ""};
    for (auto _ : state) {
        MemorySource source(file);
        const CountedGroups counted = count_person_file(source, person_data_file("million.sav", layout), layout);
        benchmark::DoNotOptimize(counted.groups.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadAndCountMillionCases)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--write") {
        std::ofstream(argv[2], std::ios::binary) << million_cases();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
