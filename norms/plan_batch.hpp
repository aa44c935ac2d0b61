// vornak-batch plan: the size a normative sample needs for a wanted precision of its
// percentile ranks, from a pilot sample's frequencies or a normal shape.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/batch.hpp"

namespace norms {

inline constexpr const char* PlanUsage =
    "usage: vornak-batch plan [--method bayesian|classical|mid-p] [--level 95|90] [--at P]... "
    "[--csv] [--plot PICTURE] --half-width W (--pilot FILE | --normal MEAN,SD) MIN MAX";

// Runs the plan form on its arguments (without "plan"): the report, or with --csv the
// precision curve, to `out`; messages and the usage line to `err`. With --plot PICTURE the
// curve's chart also goes to that .png, .svg or .pdf file through save_chart, which the option
// needs. Gives the exit status: 0 done, 1 a refused input or a failure (nothing written to
// `out`), 2 wrong arguments.
int RunPlanBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 const ChartSaver& save_chart = nullptr);

}  // namespace norms
