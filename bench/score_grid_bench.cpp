// Tables of many score values from per-person data, counted and computed as vornak-batch scores
// does it: 1,000 groups of 1,000 cases over 200 and over 2,000 whole scores (a row should cost
// the same in both), and a body-mass-like sample of 24 ages with one decimal, 7.0 to 68.0 by 0.1.
#include "norms/count/data_file.hpp"
#include "norms/tables/group_tables.hpp"
#include "tests/support/memory_source.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>

namespace {

using namespace norms;

class Draws {
public:
    int next(int range)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(range));
    }

private:
    std::uint64_t state_ = 17;
};

// 1,000 groups of 1,000 cases, each score a sum of three draws over 0 ... rows - 1.
const std::string& many_groups_file(int rows)
{
    static std::map<int, std::string> files;
    std::string& text = files[rows];
    if (text.empty()) {
        Draws draws;
        text = "group,raw\n";
        for (int c = 0; c < 1000 * 1000; ++c) {
            const int third = (rows - 1) / 3 + 1;
            const int score = std::min(rows - 1, draws.next(third) + draws.next(third) + draws.next(third));
            text += std::to_string(c % 1000) + "," + std::to_string(score) + "\n";
        }
    }
    return text;
}

// 24 ages from 2 to 25, 45,035 cases with one decimal from 7.0 to 68.0, most near the middle.
const std::string& bmi_like_file()
{
    static const std::string text = [] {
        Draws draws;
        std::string file = "age,bmi\n";
        for (int c = 0; c < 45035; ++c) {
            const int tenths = 70 + draws.next(204) + draws.next(204) + draws.next(204);
            file += std::to_string(2 + c % 24) + "," + std::to_string(tenths / 10) + "." +
                    std::to_string(tenths % 10) + "\n";
        }
        return file;
    }();
    return text;
}

void run_tables(benchmark::State& state, const std::string& file, const PersonScoreLayout& layout)
{
    for (auto _ : state) {
        MemorySource source(file);
        GroupTables tables = counted_tables(count_person_file(source, person_data_file("people.csv", layout), layout),
                                            layout_grid(layout), layout.group_column);
        compute_group_tables(tables, stats::IntervalMethod::bayesian);
        benchmark::DoNotOptimize(tables.groups.data());
    }
}

void BM_ThousandGroupsOfWholeScores(benchmark::State& state)
{
    const auto rows = static_cast<int>(state.range(0));
    PersonScoreLayout layout{',', "raw", "group", 0, rows - 1, ""};
    run_tables(state, many_groups_file(rows), layout);
}
BENCHMARK(BM_ThousandGroupsOfWholeScores)->Arg(200)->Arg(2000)->Unit(benchmark::kSecond)->Iterations(1)
    ->Repetitions(3)->ReportAggregatesOnly(true);

void BM_BmiLikeByTenths(benchmark::State& state)
{
    PersonScoreLayout layout{',', "bmi", "age", 0, 0, ""};
    layout.grid = ScoreGrid{70, 1, 611, 1};
    run_tables(state, bmi_like_file(), layout);
}
BENCHMARK(BM_BmiLikeByTenths)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
