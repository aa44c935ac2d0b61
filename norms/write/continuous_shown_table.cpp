#include "norms/write/continuous_shown_table.hpp"

#include "norms/write/continuous_csv.hpp"
#include "norms/write/continuous_report.hpp"

namespace norms {
namespace {

// The shown columns after the age, in the report's order, as places among the CSV's fields:
// raw score, norm, its limits, PR, its limits.
constexpr std::size_t csv_field_of_column[] = {1, 2, 4, 5, 6, 7, 3, 8, 9, 10, 11};
constexpr std::size_t csv_field_without_limits[] = {1, 2, 3};

}  // namespace

ShownTable continuous_shown_table(const ContinuousTables& tables)
{
    return continuous_shown_table(tables.cells, tables.resamples > 0, norm_column_title(tables.model),
                                  norm_score_decimals(tables.model));
}

ShownTable continuous_shown_table(const std::vector<stats::NormCell>& cells, bool limits, const std::string& norm,
                                  int decimals)
{
    ShownTable table;
    const auto add_with_limits = [&](const std::string& quantity) {
        table.header.push_back(quantity);
        if (limits)
            for (const char* limit : {" 95% lower", " 95% upper", " 90% lower", " 90% upper"})
                table.header.push_back(quantity + limit);
    };
    table.header = {"Age", "Raw score"};
    add_with_limits(norm);
    add_with_limits("PR");
    for (const stats::NormCell& cell : cells) {
        const std::vector<std::string> shown = continuous_cell_texts(cell, decimals);
        const std::vector<std::string> csv = continuous_csv_fields(cell);
        std::vector<ShownCell> row = {{stats::format_number(cell.age), csv[0]}};
        for (std::size_t c = 0; c < shown.size(); ++c)
            row.push_back({shown[c], csv[limits ? csv_field_of_column[c] : csv_field_without_limits[c]]});
        table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace norms
