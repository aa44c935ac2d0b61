#include "norms/write/table_cells.hpp"

#include <functional>

#include "norms/write/csv_table.hpp"
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

ShownTable build_shown_table(const NormsRun& run, const TableChoices& choices)
{
    ShownTable table;
    table.header = {"Raw score",    "Frequency",    "PR",          "PR 95% lower",
                    "PR 95% upper", "PR 90% lower", "PR 90% upper"};
    // How each added column's values are shown, in the order AddedColumns gives them.
    std::vector<std::function<std::string(Extended)>> shown;
    for (const NormScale& scale : choices.scales)
        for (const std::string& title : ScaleColumnTitles(scale)) {
            table.header.push_back(title);
            shown.push_back([scale](Extended score) { return ScaleCellText(scale, score); });
        }
    for (const Cutoff& cutoff : choices.cutoffs) {
        table.header.push_back("P(PR < " + cutoff.text + ")");
        shown.push_back([](Extended probability) { return stats::format_fixed(probability, 0, 3); });
    }
    const std::vector<TableColumn> added = AddedColumns(choices, run.sample_size);

    // A weighted table shows its cases, their weights and its effective counts.
    if (run.weighting)
        table.header.insert(table.header.begin() + 2, {"Weighted freq.", "Effective freq."});
    const auto whole = [](Extended value) { return ShownCell{stats::format_fixed(value, 0, 0), CsvNumber(value)}; };
    const auto limit = [](Extended value) { return ShownCell{LimitText(value), CsvNumber(value)}; };
    for (int j = 0; j < run.row_count; ++j) {
        const NormsRow& row = run.table[j];
        std::vector<ShownCell> cells = {
            {stats::format_fixed(row.RawScore, 0, run.score_decimals), CsvScore(row.RawScore, run.score_decimals)}};
        if (run.weighting) {
            const auto at = static_cast<std::size_t>(j);
            const Extended weighted = run.weighting->weighted[at];
            cells.insert(cells.end(), {whole(run.weighting->cases[at]),
                                       {stats::format_fixed(weighted, 0, 1), CsvNumber(weighted)},
                                       whole(row.Frequency)});
        } else {
            cells.push_back(whole(row.Frequency));
        }
        cells.insert(cells.end(), {{RankText(row.PR), CsvNumber(row.PR)}, limit(row.Lower95),
                                   limit(row.Upper95), limit(row.Lower90), limit(row.Upper90)});
        for (std::size_t i = 0; i < added.size(); ++i) {
            const Extended value = added[i].value(row);
            cells.push_back({shown[i](value), CsvNumber(value)});
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

std::string TabSeparated(const ShownTable& table, std::vector<int> rows)
{
    if (rows.empty())
        for (int r = 0; r < static_cast<int>(table.rows.size()); ++r)
            rows.push_back(r);
    std::string text;
    for (std::size_t i = 0; i < table.header.size(); ++i)
        text += (i ? "\t" : "") + table.header[i];
    text += '\n';
    for (int row : rows) {
        const std::vector<ShownCell>& cells = table.rows.at(static_cast<std::size_t>(row));
        for (std::size_t i = 0; i < cells.size(); ++i)
            text += (i ? "\t" : "") + cells[i].shown;
        text += '\n';
    }
    return text;
}

}  // namespace norms
