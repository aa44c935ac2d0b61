#include "norms/scale_table.hpp"

#include <charconv>
#include <cmath>

#include "norms/report.hpp"
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

std::optional<stats::NormScale> ParseScaleOption(const std::string& text, std::string& reason)
{
    for (const stats::NormScale& scale : stats::StandardNormScales())
        if (scale.name == text)
            return scale;
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        reason = "--scale takes z, T, IQ, scaled, NCE, stanine, sten or M,SD such as 500,100";
        return std::nullopt;
    }
    const std::string mean_text = text.substr(0, comma);
    const std::string sd_text = text.substr(comma + 1);
    const auto number = [](const std::string& field) -> std::optional<Extended> {
        Extended x = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), x);
        if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
            !std::isfinite(x))
            return std::nullopt;
        return x;
    };
    const std::optional<Extended> mean = number(mean_text);
    const std::optional<Extended> sd = number(sd_text);
    if (!mean || !sd) {
        reason = "--scale M,SD takes a mean and a standard deviation with \".\" as the decimal "
                 "point, such as 500,100";
        return std::nullopt;
    }
    if (!(*sd > 0)) {
        reason = "--scale M,SD needs a standard deviation above 0";
        return std::nullopt;
    }
    return stats::CustomNormScale(*mean, *sd, mean_text, sd_text);
}

ScaleValues ScaleValuesOf(const NormScale& scale, const NormsRow& row)
{
    using stats::z_of_lower_limit;
    using stats::z_of_upper_limit;
    return {scale.of_z(stats::z_of_proportion(row.PR / 100)),
            scale.of_z(z_of_lower_limit(row.Lower95)), scale.of_z(z_of_upper_limit(row.Upper95)),
            scale.of_z(z_of_lower_limit(row.Lower90)), scale.of_z(z_of_upper_limit(row.Upper90))};
}

std::vector<CsvColumn> ScaleCsvColumns(const NormScale& scale)
{
    using stats::z_of_lower_limit;
    using stats::z_of_upper_limit;
    // Each column takes only its own limit to the scale: one normal quantile a cell.
    const auto column = [&scale](std::string suffix, Extended (*z_of)(const NormsRow&)) {
        return CsvColumn{scale.column + suffix,
                         [scale, z_of](const NormsRow& row) { return scale.of_z(z_of(row)); },
                         scale.decimals};
    };
    return {column("", [](const NormsRow& r) { return stats::z_of_proportion(r.PR / 100); }),
            column("_lower95", [](const NormsRow& r) { return z_of_lower_limit(r.Lower95); }),
            column("_upper95", [](const NormsRow& r) { return z_of_upper_limit(r.Upper95); }),
            column("_lower90", [](const NormsRow& r) { return z_of_lower_limit(r.Lower90); }),
            column("_upper90", [](const NormsRow& r) { return z_of_upper_limit(r.Upper90); })};
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
