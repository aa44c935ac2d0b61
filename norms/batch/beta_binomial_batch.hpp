// vornak-batch continuous --family betabinomial: the beta-binomial norm model of a test's count
// of correct items, fitted to per-person data, or its tables from a model saved before.
#pragma once

#include <ostream>
#include <string>

#include "norms/batch/continuous_batch.hpp"

namespace norms {

// Whether the file at `path` holds a beta-binomial model; false for one that cannot be read,
// whose refusal is the other family's reader's to give.
bool holds_beta_binomial_model(const std::string& path);

// Whether the continuous form's options ask for the beta-binomial family: --family betabinomial,
// or a --model that holds one.
bool IsBetaBinomialRun(const ContinuousBatchOptions& options);

// Runs the form for the beta-binomial family: the report, or with --csv the tables, to `out`;
// notices and messages to `err`; the workbook, the picture (drawn by paint_chart), the model
// file and the manual table (its PDF drawn by paint_manual) only once `out` has taken everything.
// Gives the exit status: 0 done, 1 a refused input, a fit that did not converge or a failure
// (nothing written to `out`, no file written).
int RunBetaBinomialBatch(const ContinuousBatchOptions& options, const ChartPainter& paint_chart, std::ostream& out,
                         std::ostream& err, const ManualPdfPainter& paint_manual = nullptr);

}  // namespace norms
