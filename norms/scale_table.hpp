// A norms table on a normalised scale: each row's percentile rank and its interval limits
// taken to the scale, as CSV columns and as a test manual prints them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/compute_run.hpp"
#include "norms/csv_table.hpp"
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
std::vector<CsvColumn> ScaleCsvColumns(const stats::NormScale& scale);

// A score as a window prints it: rounded to the scale's decimals, and beyond its display bounds
// "<" or ">" with the bound.
std::string ScaleCellText(const stats::NormScale& scale, Extended score);

// The titles a window gives the scale's five columns: "T", "T 95% lower", "T 95% upper", "T 90%
// lower", "T 90% upper", in the order of ScaleValues and of ScaleCsvColumns.
std::vector<std::string> ScaleColumnTitles(const stats::NormScale& scale);

// The table as a window shows it: the raw score, then ranks as the report rounds them, in
// percent, then the scale's five columns, rounded to its decimals, and beyond its display bounds
// "<" or ">" with the bound.
struct ScaleTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

inline constexpr int ScaleTableRankColumns = 6;  // the raw score and the ranks

ScaleTable BuildScaleTable(const NormsRun& run, const stats::NormScale& scale);

// The header line and the given rows, cells separated by tabs, each line ended by a line feed.
std::string TabSeparated(const ScaleTable& table, const std::vector<int>& rows);

}  // namespace norms
