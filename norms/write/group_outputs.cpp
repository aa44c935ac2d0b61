#include "norms/write/group_outputs.hpp"

#include <cmath>

#include "norms/write/csv_table.hpp"
#include "stats/number_format.hpp"

namespace norms {

void write_group_tables_csv(std::ostream& out, const GroupTables& tables)
{
    const std::string_view group_column = tables.grouped ? "group," : "";
    // The added columns' names do not depend on the sample's size.
    const bool weighted = !tables.groups.empty() && tables.groups.front().run.weighting;
    WriteCsvHeader(out, AddedColumns(tables.choices, 0), group_column, weighted);
    for (const NormGroup& group : tables.groups)
        WriteCsvRows(out, group.run, group_added_columns(tables, group),
                     tables.grouped ? CsvField(group.counts.name) + "," : "");
}

NormsWorkbook group_tables_workbook(const GroupTables& tables, const std::string& data_file,
                                    const std::vector<std::string>& notes)
{
    NormsWorkbook workbook{tables.choices.method, data_file, notes, {}};
    for (const NormGroup& group : tables.groups)
        workbook.tables.push_back({group.counts.name, group.run, group_added_columns(tables, group)});
    return workbook;
}

namespace {

// A row's norm on the manual's scale, and its rank in percent for the reversal check.
ManualValue manual_value(const NormsRow& row, const std::optional<stats::NormScale>& scale)
{
    const ScaleValues rank{row.PR, row.Lower95 * 100, row.Upper95 * 100, row.Lower90 * 100,
                           row.Upper90 * 100};
    return {scale ? ScaleValuesOf(*scale, row) : rank, rank.point, rank.lower95, rank.upper95};
}

}  // namespace

ManualTable group_tables_manual(const GroupTables& tables, const ManualChoices& choices,
                                const std::string& title)
{
    ManualSource source;
    source.title = title;
    source.columns_caption = tables.grouped ? tables.group_variable : "";
    source.method = std::string(stats::interval_method_entry(tables.choices.method).caption);
    bool weighted = false;
    for (const NormGroup& group : tables.groups) {
        const NormsRun& run = group.run;
        ManualColumn column;
        column.title = tables.grouped ? group.counts.name : "All cases";
        if (run.weighting) {
            weighted = true;
            column.sizes = {"n = " + stats::format_fixed(run.weighting->cases_total, 0, 0),
                            "n_eff = " + stats::format_fixed(run.weighting->effective_size, 0, 1)};
        } else {
            column.sizes = {"n = " + stats::format_fixed(run.sample_size, 0, 0)};
        }
        for (int j = 0; j < run.row_count; ++j)
            column.values.push_back(manual_value(run.table[j], choices.scale));
        source.columns.push_back(std::move(column));
    }
    if (!tables.groups.empty()) {
        // The scores in units of their last decimal, every row a whole number of steps from the first.
        const NormsRun& run = tables.groups.front().run;
        const Extended unit = std::pow(10.0L, run.score_decimals);
        source.score_decimals = run.score_decimals;
        source.min_score = std::llround(run.table[0].RawScore * unit);
        if (run.row_count > 1)
            source.score_step = std::llround(run.table[1].RawScore * unit) - source.min_score;
    }
    if (weighted)
        source.footnotes.push_back(
            "n_eff: the effective sample size of a weighted group, from which its intervals come.");
    return build_manual_table(source, choices);
}

}  // namespace norms
