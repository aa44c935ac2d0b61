// The Compute run: the worksheet's values, the frequency file, the norms table and the
// report, written once for the worksheet window and vornak-batch.
#pragma once

#include <string>
#include <vector>

#include "norms/frequency_file.hpp"
#include "norms/views.hpp"
#include "platform/desktop.hpp"
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

inline constexpr const char* TooManyRowsMessage =
    " Based on the minimum and maximum scores you provided, there are over 200 different raw "
    "score values: The maximum allowed is 200. ";

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

// One Compute run. Gives true when the report has been appended and the results viewer
// brought up. A refused input shows its message (or none, for a cancelled dialog), moves the
// focus to the box to correct and gives false. A successful run is also handed to
// results.keep_run. Failures inside the run (files, numbers in the
// data file, the distributions) propagate as exceptions to the caller's catch place.
bool RunCompute(platform::Desktop& desktop, WorksheetView& worksheet, ResultsView& results,
                NormsRun& run);

}  // namespace norms
