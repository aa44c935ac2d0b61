// A file's norms tables as vornak-batch scores writes them and the study window exports them:
// one CSV table with a leading group column, the Excel workbook with a sheet per group, and the
// manual table with the groups side by side.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/tables/group_tables.hpp"
#include "norms/write/manual_table.hpp"
#include "norms/write/norms_workbook.hpp"

namespace norms {

// The header line, then every group's rows: with a leading group column when grouped, the
// scale and cut-off columns last.
void write_group_tables_csv(std::ostream& out, const GroupTables& tables);

// The workbook of the tables, with the CSV's columns, the data file named in full.
NormsWorkbook group_tables_workbook(const GroupTables& tables, const std::string& data_file,
                                    const std::vector<std::string>& notes);

// The manual table of the groups, one column each in their order, titled `title` (the notes'
// first line; empty: the default title).
ManualTable group_tables_manual(const GroupTables& tables, const ManualChoices& choices,
                                const std::string& title);

}  // namespace norms
