#include "norms/tables/scale_columns.hpp"

#include "norms/read/input_checks.hpp"

namespace norms {

using stats::NormScale;

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
    const std::optional<Extended> mean = parse_plain_number(mean_text);
    const std::optional<Extended> sd = parse_plain_number(sd_text);
    if (!mean || !sd) {
        reason = "--scale M,SD takes a mean and a standard deviation with \".\" as the decimal "
                 "point, such as 500,100";
        return std::nullopt;
    }
    if (!(*sd > 0)) {
        reason = "--scale M,SD needs a standard deviation above 0";
        return std::nullopt;
    }
    if (!stats::sensible_scale_mean(*mean)) {
        reason = "--scale M,SD needs a mean from -1000000 to 1000000, not " + mean_text;
        return std::nullopt;
    }
    if (!stats::sensible_scale_sd(*sd)) {
        reason = "--scale M,SD needs a standard deviation from 0.001 to 1000000, not " + sd_text;
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

std::vector<TableColumn> ScaleCsvColumns(const NormScale& scale)
{
    using stats::z_of_lower_limit;
    using stats::z_of_upper_limit;
    // Each column takes only its own limit to the scale: one normal quantile a cell.
    const auto column = [&scale](std::string suffix, Extended (*z_of)(const NormsRow&)) {
        return TableColumn{scale.column + suffix,
                         [scale, z_of](const NormsRow& row) { return scale.of_z(z_of(row)); },
                         scale.decimals};
    };
    return {column("", [](const NormsRow& r) { return stats::z_of_proportion(r.PR / 100); }),
            column("_lower95", [](const NormsRow& r) { return z_of_lower_limit(r.Lower95); }),
            column("_upper95", [](const NormsRow& r) { return z_of_upper_limit(r.Upper95); }),
            column("_lower90", [](const NormsRow& r) { return z_of_lower_limit(r.Lower90); }),
            column("_upper90", [](const NormsRow& r) { return z_of_upper_limit(r.Upper90); })};
}

}  // namespace norms
