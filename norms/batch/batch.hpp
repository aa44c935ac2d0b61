// vornak-batch: the Compute run from a terminal, for many norm groups and reproducible scripts.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/batch/batch_options.hpp"
#include "norms/write/chart_model.hpp"
#include "norms/write/manual_table.hpp"

namespace norms {

inline const std::string BatchUsage =
    "usage: vornak-batch " + SharedUsage + " [--plot PICTURE] MIN MAX N FILE";

// Runs vornak-batch on its arguments (without the program's name): the report, or with --csv
// the table, or the help asked for, to `out`; messages and the usage line to `err`. Numbers in
// the report use the process-wide decimal separator. Gives the exit status: 0 done, 1 a refused
// input or a failure (nothing written to `out`, no file written), 2 wrong arguments. With
// --plot PICTURE the chart, drawn by paint_chart, also goes to that .png, .svg or .pdf file;
// without a paint_chart there is no --plot. Files take their places only once `out` has taken
// everything. "scores" as the first argument runs that form instead
// (norms/batch/scores_batch.hpp), its manual table in PDF drawn by paint_manual (without it,
// the manual table can only be a workbook); "plan" the plan form; "continuous" the continuous
// norms (norms/batch/continuous_batch.hpp).
int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const ChartPainter& paint_chart = nullptr, const ManualPdfPainter& paint_manual = nullptr);

}  // namespace norms
