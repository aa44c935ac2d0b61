#include "norms/tables/group_tables.hpp"

#include <algorithm>
#include <execution>

#include "norms/tables/weighted_table.hpp"

namespace norms {
namespace {

// The group's raw scores and frequencies, n being its valid scores.
NormsRun frequency_run(const ScoreGroup& group, const ScoreGrid& grid)
{
    NormsRun run;
    run.row_count = static_cast<int>(group.frequencies.size());
    run.table.reserve_rows(group.frequencies.size());
    run.score_decimals = grid.decimals;
    for (int j = 0; j < run.row_count; ++j) {
        run.table[j].RawScore = grid.score(j);
        run.table[j].Frequency = static_cast<Extended>(group.frequencies[j]);
    }
    run.sample_size = static_cast<Extended>(group.size);
    return run;
}

// What a weighted group's table shows beside the ranks of its effective sample.
RunWeighting weighting_of(const stats::ScoreWeights& weights, const NormsRun& run)
{
    const stats::EffectiveSample sample = stats::effective_sample(weights);
    RunWeighting weighting;
    weighting.cases_total = run.sample_size;
    weighting.total_weight = sample.total_weight;
    weighting.effective_size = sample.effective_size;
    weighting.design_effect = sample.design_effect;
    weighting.design_effect_large = sample.design_effect_large;
    weighting.weights_wide_apart = sample.weights_wide_apart;
    Extended below = 0;
    for (int j = 0; j < run.row_count; ++j) {
        weighting.cases_below.push_back(below);
        below += run.table[j].Frequency;
        weighting.cases.push_back(run.table[j].Frequency);
        weighting.weighted.push_back(weights.sums[static_cast<std::size_t>(j)] * run.sample_size /
                                     sample.total_weight);
    }
    return weighting;
}

// The effective sample's counts and intervals, and the weighted ranks.
void compute_weighted_run(NormsRun& run, const stats::ScoreWeights& weights,
                          stats::IntervalMethod method)
{
    const stats::EffectiveSample sample = stats::effective_sample(weights);
    compute_weighted_norms_table(run.table, run.row_count, sample, method);
    run.sample_size = static_cast<Extended>(sample.effective_total);
}

}  // namespace

GroupTables counted_tables(CountedGroups counted, std::int64_t min_score,
                           const std::string& group_variable)
{
    const std::int64_t rows =
        counted.groups.empty() ? 1 : static_cast<std::int64_t>(counted.groups.front().frequencies.size());
    return counted_tables(std::move(counted), ScoreGrid::whole(min_score, min_score + rows - 1), group_variable);
}

GroupTables counted_tables(CountedGroups counted, const ScoreGrid& grid, const std::string& group_variable)
{
    GroupTables tables;
    tables.grouped = !group_variable.empty();
    tables.group_variable = group_variable;
    tables.without_group = counted.without_group;
    for (ScoreGroup& counts : counted.groups) {
        NormsRun run = frequency_run(counts, grid);
        counts.frequencies = {};
        if (counts.weights)
            run.weighting = weighting_of(*counts.weights, run);
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
                      if (group.counts.weights)
                          compute_weighted_run(run, *group.counts.weights, method);
                      else
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
    NormsRun run = frequency_run(group, ScoreGrid::whole(min_score, min_score + static_cast<std::int64_t>(group.frequencies.size()) - 1));
    run.method = method;
    ComputeNormsTable(run.table, run.row_count, run.sample_size, method);
    return run;
}

}  // namespace norms
