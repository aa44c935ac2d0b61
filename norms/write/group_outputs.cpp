#include "norms/write/group_outputs.hpp"

#include "norms/write/csv_table.hpp"

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

}  // namespace norms
