// A norms table as a window shows it: ranks rounded as the report rounds them, a norm scale's
// scores as a test manual prints them.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/scale_columns.hpp"

namespace norms {

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
