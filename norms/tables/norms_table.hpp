// The table driver: a norms table's point estimates and interval limits from its raw-score
// frequencies, and the run that holds the table with what it was computed from.
#pragma once

#include <string>
#include <vector>

#include "norms/read/frequency_file.hpp"
#include "stats/interval_method.hpp"

namespace norms {

// What a run computed; a caller that wants more than the report reads it after success.
struct NormsRun {
    NormsTable table{};
    int row_count = 0;
    std::string data_file_path;
    Extended sample_size = 0;
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::vector<std::string> notes;  // the worksheet's notes, as its box shows them
};

// Fills Below and PR of rows 0 to row_count - 1 from their raw-score frequencies.
void ComputePointEstimates(NormsTable& table, int row_count, Extended sample_size);

// The limits, as proportions, of one row whose Below is filled, at confidence level conf (95
// or 90), by the given interval method.
void ComputeRowInterval(const NormsRow& row, Extended sample_size, stats::IntervalMethod method,
                        Extended conf, Extended& lower, Extended& upper);

// Fills Below, PR and the 95% and 90% limits of rows 0 to row_count - 1 from their raw-score
// frequencies, by the given interval method.
void ComputeNormsTable(NormsTable& table, int row_count, Extended sample_size,
                       stats::IntervalMethod method);

}  // namespace norms
