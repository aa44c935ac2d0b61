// A norms table on a normalised scale: each row's percentile rank and its interval limits
// taken to the scale, as the columns a table adds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/tables/norms_table.hpp"
#include "norms/tables/table_column.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

struct ScaleValues {
    Extended point;
    Extended lower95;
    Extended upper95;
    Extended lower90;
    Extended upper90;
};

// The norm scale a --scale names: z, T, IQ, scaled, NCE, stanine, sten, or "M,SD" with "." as
// the decimal point and SD above 0. For any other text, nullopt and the reason in `reason`.
std::optional<stats::NormScale> ParseScaleOption(const std::string& text, std::string& reason);

// The row's rank and limits on the scale; the limits by the open-end rule of the bisection.
ScaleValues ScaleValuesOf(const stats::NormScale& scale, const NormsRow& row);

// NAME, NAME_lower95, NAME_upper95, NAME_lower90, NAME_upper90, with NAME the scale's column.
std::vector<TableColumn> ScaleCsvColumns(const stats::NormScale& scale);

}  // namespace norms
