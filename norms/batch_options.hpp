// The options that every form of vornak-batch takes, and the columns they add to a table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "norms/csv_table.hpp"
#include "stats/interval_method.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

// The shared options as the usage line of every form shows them.
inline const std::string SharedUsage =
    "[--method bayesian|classical|mid-p] [--csv] [--xlsx WORKBOOK] [--scale NAME]... [--cutoff P]..."
    " [--notes TEXT]";

// A --cutoff: the percentile rank as typed, and as a proportion.
struct Cutoff {
    std::string text;
    Extended proportion;
};

// A percentile rank strictly between 0 and 100, with "." as the decimal point.
std::optional<Cutoff> ParseCutoff(const std::string& text);

struct SharedOptions {
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::vector<std::string> notes;
    bool csv = false;
    std::vector<stats::NormScale> scales;
    std::vector<Cutoff> cutoffs;
    std::string xlsx_path;  // also write the tables to this Excel workbook
};

// The columns that the shared options add after the table's own, for a sample of n: those of
// each scale, then those of each cut-off.
std::vector<CsvColumn> AddedColumns(const SharedOptions& options, Extended n);

}  // namespace norms
