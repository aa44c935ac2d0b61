// The table driver: a norms table's point estimates and interval limits from its raw-score
// frequencies, and the run that holds the table with what it was computed from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/read/frequency_file.hpp"
#include "stats/interval_method.hpp"

namespace norms {

// A weighted group's table: its rows' Frequency and Below hold the counts of the effective
// sample, from which the intervals come, and its PR the weighted rank; this holds the rest.
struct RunWeighting {
    std::vector<Extended> cases;     // per row: the cases at the score, unweighted
    std::vector<Extended> cases_below;  // per row: the cases below the score, unweighted
    std::vector<Extended> weighted;  // per row: their weights, scaled to add up to the cases
    Extended cases_total = 0;
    Extended total_weight = 0;    // Σw
    Extended effective_size = 0;  // Kish's n_eff = (Σw)² / Σw²
    Extended design_effect = 0;   // cases / n_eff
    bool design_effect_large = false;
    bool weights_wide_apart = false;
};

// What a run computed; a caller that wants more than the report reads it after success.
struct NormsRun {
    NormsTable table{};
    int row_count = 0;
    int score_decimals = 0;  // the raw scores' decimals, as the outputs show them
    std::string data_file_path;
    Extended sample_size = 0;
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::vector<std::string> notes;  // the worksheet's notes, as its box shows them
    std::optional<RunWeighting> weighting;  // a weighted group's
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
