// The columns a norms table adds after its own: each norm scale's score and limits, then each
// cut-off's probability. The CSV table, the workbook and the windows all take them from here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "norms/read/frequency_file.hpp"
#include "norms/tables/cutoffs.hpp"
#include "stats/interval_method.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

// A column added after the table's own: its header name and its value in each row.
struct TableColumn {
    std::string name;
    std::function<Extended(const NormsRow&)> value;
    // Decimals for a spreadsheet's display of the column; none: as the number stands.
    std::optional<int> decimals = std::nullopt;
};

// What a table shows beside its ranks, and by which method they were computed.
struct TableChoices {
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::vector<stats::NormScale> scales;
    std::vector<Cutoff> cutoffs;  // given only by a method that gives_cutoff_probabilities
};

// The columns the choices add after the table's own, for a sample of n: those of each scale,
// then those of each cut-off.
std::vector<TableColumn> AddedColumns(const TableChoices& choices, Extended n);

}  // namespace norms
