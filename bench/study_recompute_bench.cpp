// The study window's answer to a new choice on a national norms study's data: 1,000,000 people
// in 20 groups of 50,000, scores 0 to 199, held as the window holds them. A new method computes
// the 20 tables again from the counts held; a new group variable counts the cases held again
// and then computes the tables. With --write FILE the program writes the same people to FILE
// instead, as delimited text (.csv) or as an SPSS (.sav) or Stata (.dta) file, so that
// vornak-batch can be timed on them.
#include "norms/count/case_columns.hpp"
#include "norms/run/norms_study.hpp"
#include "tests/support/memory_source.hpp"
#include "tests/support/statistics_writer.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace norms;

constexpr int person_count = 1'000'000;
constexpr int group_count = 20;

// Two ways of grouping the same people, each into 20 groups of 50,000.
const std::string& study_file()
{
    static const std::string file = [] {
        std::string text = "id,band,school,raw\n";
        std::uint64_t state = 20261207;
        const auto next = [&state](int range) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return static_cast<int>((state >> 33) % range);
        };
        for (int person = 0; person < person_count; ++person) {
            const int band = person % group_count;
            // A sum of three draws, hump-shaped from 0 to 198, shifted a little by the group.
            const int raw = std::min(199, next(60) + next(60) + next(60) + band);
            text += std::to_string(person) + ',' + std::to_string(band) + ",s" +
                    std::to_string(person / 7 % group_count) + ',' + std::to_string(raw) + '\n';
        }
        return text;
    }();
    return file;
}

const StudyFile& held_study()
{
    static const StudyFile file = [] {
        StudyFile held;
        held.data = {"study.csv", DataFileKind::delimited, ',', ""};
        auto cases = std::make_shared<CaseColumns>();
        MemorySource source(study_file());
        read_person_cases(source, held.data, {}, *cases);
        held.persons = cases->survey();
        held.cases = std::move(cases);
        return held;
    }();
    return file;
}

StudyChoices grouped_by(const std::string& group)
{
    return {"raw", group, 0, 199};
}

// Argument: the method, as the order of stats::interval_methods.
void BM_NewMethodFromHeldCounts(benchmark::State& state)
{
    StudyProgress progress;
    const GroupTables counts = count_study(held_study(), grouped_by("band"), progress);
    TableChoices choices;
    choices.method = static_cast<stats::IntervalMethod>(state.range(0));
    for (auto _ : state) {
        GroupTables tables = compute_study(counts, choices);
        benchmark::DoNotOptimize(tables.groups.data());
    }
    state.SetLabel(std::string(stats::interval_method_entry(choices.method).command_line_name));
}
BENCHMARK(BM_NewMethodFromHeldCounts)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)
    ->UseRealTime()->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true);

// A new group variable: the held cases counted again, then the tables of the Bayesian method.
void BM_NewGroupVariableFromHeldCases(benchmark::State& state)
{
    StudyProgress progress;
    held_study();
    bool by_school = false;
    for (auto _ : state) {
        by_school = !by_school;
        GroupTables tables =
            compute_study(count_study(held_study(), grouped_by(by_school ? "school" : "band"), progress), {});
        benchmark::DoNotOptimize(tables.groups.data());
    }
}
BENCHMARK(BM_NewGroupVariableFromHeldCases)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true);

// Times are wall-clock times, CPU times those of all the process's threads.

// The counting alone, without the tables.
void BM_CountHeldCases(benchmark::State& state)
{
    StudyProgress progress;
    held_study();
    for (auto _ : state) {
        GroupTables counts = count_study(held_study(), grouped_by("school"), progress);
        benchmark::DoNotOptimize(counts.groups.data());
    }
}
BENCHMARK(BM_CountHeldCases)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--write") {
        const std::string path = argv[2];
        const std::string ending = path.substr(path.find_last_of('.'));
        std::ofstream out(path, std::ios::binary);
        if (ending == ".csv") {
            out << study_file();
            return 0;
        }
        using test_files::Numeric;
        test_files::StatisticsWriter writer(
            ending, {Numeric("id"), Numeric("band"), test_files::Text("school", 8), Numeric("raw")},
            person_count);
        std::istringstream rows(study_file());
        std::string line;
        std::getline(rows, line);
        while (std::getline(rows, line)) {
            std::istringstream fields(line);
            std::string id, band, school, raw;
            std::getline(fields, id, ',');
            std::getline(fields, band, ',');
            std::getline(fields, school, ',');
            std::getline(fields, raw, ',');
            writer.add_case({std::stod(id), std::stod(band), school, std::stod(raw)});
        }
        out << writer.finish();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
