// The columns a norms table adds after its own: each norm scale's score and limits, then each
// cut-off's probability. The CSV table, the workbook and the windows all take them from here.
#pragma once

#include <vector>

#include "norms/tables/cutoffs.hpp"
#include "norms/tables/table_column.hpp"
#include "stats/interval_method.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

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
