// A file's norms tables as vornak-batch scores writes them and the study window exports them:
// one CSV table with a leading group column, and the Excel workbook with a sheet per group.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/tables/group_tables.hpp"
#include "norms/write/norms_workbook.hpp"

namespace norms {

// The header line, then every group's rows: with a leading group column when grouped, the
// scale and cut-off columns last.
void write_group_tables_csv(std::ostream& out, const GroupTables& tables);

// The workbook of the tables, with the CSV's columns, the data file named in full.
NormsWorkbook group_tables_workbook(const GroupTables& tables, const std::string& data_file,
                                    const std::vector<std::string>& notes);

}  // namespace norms
