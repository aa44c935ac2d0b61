#include "norms/tables/group_tables.hpp"

#include <algorithm>
#include <execution>

namespace norms {
namespace {

// The group's raw scores and frequencies, n being its valid scores.
NormsRun frequency_run(const ScoreGroup& group, std::int64_t min_score)
{
    NormsRun run;
    run.row_count = static_cast<int>(group.frequencies.size());
    for (int j = 0; j < run.row_count; ++j) {
        run.table[j].RawScore = static_cast<Extended>(min_score + j);
        run.table[j].Frequency = static_cast<Extended>(group.frequencies[j]);
    }
    run.sample_size = static_cast<Extended>(group.size);
    return run;
}

}  // namespace

GroupTables counted_tables(CountedGroups counted, std::int64_t min_score,
                          const std::string& group_variable)
{
    GroupTables tables;
    tables.grouped = !group_variable.empty();
    tables.group_variable = group_variable;
    tables.without_group = counted.without_group;
    for (ScoreGroup& counts : counted.groups) {
        NormsRun run = frequency_run(counts, min_score);
        counts.frequencies = {};
        tables.groups.push_back({std::move(counts), std::move(run)});
    }
    return tables;
}

void compute_group_tables(GroupTables& tables, stats::IntervalMethod method)
{
    tables.choices.method = method;
    choose_added_columns(tables, tables.choices);
    std::for_each(std::execution::par, tables.groups.begin(), tables.groups.end(),
                  [method](NormGroup& group) {
                      NormsRun& run = group.run;
                      run.method = method;
                      ComputeNormsTable(run.table, run.row_count, run.sample_size, method);
                  });
}

void choose_added_columns(GroupTables& tables, const TableChoices& choices)
{
    tables.choices.scales = choices.scales;
    tables.choices.cutoffs = gives_cutoff_probabilities(tables.choices.method)
                                 ? choices.cutoffs
                                 : std::vector<Cutoff>();
}

std::vector<TableColumn> group_added_columns(const GroupTables& tables, const NormGroup& group)
{
    return AddedColumns(tables.choices, group.run.sample_size);
}

NormsRun GroupNormsRun(const ScoreGroup& group, std::int64_t min_score,
                       stats::IntervalMethod method)
{
    NormsRun run = frequency_run(group, min_score);
    run.method = method;
    ComputeNormsTable(run.table, run.row_count, run.sample_size, method);
    return run;
}

}  // namespace norms
