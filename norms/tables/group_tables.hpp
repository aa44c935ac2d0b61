// A file's norm groups on their way to norms tables: each group's counts, then its table,
// computed for all groups at once on every core. vornak-batch scores and the study window
// both make their tables here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "norms/count/group_counter.hpp"
#include "norms/tables/norms_table.hpp"
#include "norms/tables/table_columns.hpp"

namespace norms {

struct NormGroup {
    ScoreGroup counts;  // its name, size and missing scores; the frequencies are in run.table
    NormsRun run;
};

struct GroupTables {
    std::vector<NormGroup> groups;  // in the counter's order
    bool grouped = false;
    std::string group_variable;
    std::int64_t without_group = 0;  // cases skipped for a missing group value
    // The method the tables were computed by, and the columns that go beside them. Scales and
    // cut-offs take nothing from the data beyond a row's rank and limits, so a window changes
    // them without computing again.
    TableChoices choices;
};

// The groups' tables with each raw score from min_score and its frequency, n being the
// group's valid scores; nothing computed yet.
GroupTables counted_tables(CountedGroups counted, std::int64_t min_score,
                           const std::string& group_variable);
// The same with the raw scores of a grid, which the counts were counted on.
GroupTables counted_tables(CountedGroups counted, const ScoreGrid& grid, const std::string& group_variable);

// Fills every group's table by the method, the groups in parallel. Each table is the one
// ComputeNormsTable gives for its frequencies; only the time differs.
void compute_group_tables(GroupTables& tables, stats::IntervalMethod method);

// The columns the tables show beside the ranks: the choices' scales, and their cut-offs where
// the tables' method gives cut-off probabilities. Nothing is computed again.
void choose_added_columns(GroupTables& tables, const TableChoices& choices);

// The columns the tables' choices add after a group's own, for its sample size.
std::vector<TableColumn> group_added_columns(const GroupTables& tables, const NormGroup& group);

// The group's norms table over min_score ... min_score + frequencies - 1, n being its valid
// scores, by the given interval method.
NormsRun GroupNormsRun(const ScoreGroup& group, std::int64_t min_score,
                       stats::IntervalMethod method);

}  // namespace norms
