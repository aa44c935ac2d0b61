#include "norms/write/table_cells.hpp"

#include "norms/write/report.hpp"
#include "stats/number_format.hpp"

namespace norms {

using stats::NormScale;

std::string ScaleCellText(const NormScale& scale, Extended score)
{
    if (score < scale.display_low)
        return "<" + stats::format_fixed(scale.display_low, 0, scale.decimals);
    if (score > scale.display_high)
        return ">" + stats::format_fixed(scale.display_high, 0, scale.decimals);
    return stats::format_fixed(score, 0, scale.decimals);
}

std::vector<std::string> ScaleColumnTitles(const NormScale& scale)
{
    const std::string& name = scale.column;
    return {name, name + " 95% lower", name + " 95% upper", name + " 90% lower",
            name + " 90% upper"};
}

ScaleTable BuildScaleTable(const NormsRun& run, const NormScale& scale)
{
    ScaleTable table;
    table.header = {"Raw score",    "PR",           "PR 95% lower",
                    "PR 95% upper", "PR 90% lower", "PR 90% upper"};
    for (const std::string& title : ScaleColumnTitles(scale))
        table.header.push_back(title);
    for (int j = 0; j < run.row_count; ++j) {
        const NormsRow& row = run.table[j];
        const ScaleValues score = ScaleValuesOf(scale, row);
        table.rows.push_back({stats::format_fixed(row.RawScore, 0, 0), RankText(row.PR),
                              LimitText(row.Lower95), LimitText(row.Upper95),
                              LimitText(row.Lower90), LimitText(row.Upper90),
                              ScaleCellText(scale, score.point), ScaleCellText(scale, score.lower95),
                              ScaleCellText(scale, score.upper95), ScaleCellText(scale, score.lower90),
                              ScaleCellText(scale, score.upper90)});
    }
    return table;
}

std::string TabSeparated(const ScaleTable& table, const std::vector<int>& rows)
{
    std::string text;
    const auto add_line = [&text](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            text += (i ? "\t" : "") + cells[i];
        text += '\n';
    };
    add_line(table.header);
    for (int row : rows)
        add_line(table.rows.at(row));
    return text;
}

}  // namespace norms
