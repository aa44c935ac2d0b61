// A norms table as the windows show it, with one set of column titles: ranks rounded as the
// report rounds them, a norm scale's scores as a test manual prints them, cut-off
// probabilities to three decimals, and beside each cell the value vornak-batch --csv prints.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/norms_table.hpp"
#include "norms/tables/table_columns.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

// A score as a window prints it: rounded to the scale's decimals, and beyond its display bounds
// "<" or ">" with the bound.
std::string ScaleCellText(const stats::NormScale& scale, Extended score);

// The titles a window gives the scale's five columns: "T", "T 95% lower", "T 95% upper", "T 90%
// lower", "T 90% upper", in the order of ScaleValues and of ScaleCsvColumns.
std::vector<std::string> ScaleColumnTitles(const stats::NormScale& scale);

struct ShownCell {
    std::string shown;  // as the window shows it
    std::string csv;    // the full value, as the CSV table prints it
};

struct ShownTable {
    std::vector<std::string> header;
    std::vector<std::vector<ShownCell>> rows;
};

// The raw score and the ranks' own columns, before those the choices add, of an unweighted
// table; a weighted one has two more.
inline constexpr int shown_rank_columns = 7;

// The run's table: the raw score, its frequency (for a weighted table its cases, their weights
// scaled to the cases and its effective count), the rank and its 95% and 90% limits in
// percent, then each scale's five columns and each cut-off's probability.
ShownTable build_shown_table(const NormsRun& run, const TableChoices& choices);

// The header line and the given rows (all when none is given), cells as shown and separated
// by tabs, each line ended by a line feed, so that it pastes into a spreadsheet as cells.
std::string TabSeparated(const ShownTable& table, std::vector<int> rows = {});

}  // namespace norms
