// vornak-batch plan: the size a normative sample needs for a wanted precision of its
// percentile ranks, from a pilot sample's frequencies or a normal shape.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "norms/write/chart_model.hpp"
#include "stats/distrib.hpp"
#include "stats/interval_method.hpp"

namespace CLI {
class App;
}

namespace norms {

using stats::Extended;

class BatchCommandLine;

inline const std::string PlanUsage =
    "usage: vornak-batch plan [--method bayesian|classical|mid-p] [--level 95|90] [--at P]... "
    "[--csv] [--plot PICTURE] --half-width W (--pilot FILE | --normal MEAN,SD) MIN MAX";

struct PlanOptions {
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    Extended level = 95;
    std::vector<std::string> rank_texts;  // as typed; the default ranks when none is given
    std::vector<Extended> ranks;
    bool csv = false;
    std::string plot_path;
    Extended half_width = 0;
    std::string pilot_file;
    std::optional<std::pair<Extended, Extended>> normal;  // mean and standard deviation
    std::string min_text;
    std::string max_text;
};

// Adds the plan form to the command line, which fills `options` as it parses; --plot only
// where a picture can be saved.
CLI::App& AddPlanForm(BatchCommandLine& command_line, PlanOptions& options, bool can_plot);

// Runs the plan form: the report, or with --csv the precision curve, to `out`; messages to
// `err`. With --plot the curve's chart, drawn by paint_chart, also goes to its picture file,
// which takes its place only once `out` has taken everything. Gives the exit status: 0 done,
// 1 a refused input or a failure (nothing written to `out`, no file written).
int RunPlanBatch(const PlanOptions& options, const ChartPainter& paint_chart, std::ostream& out,
                 std::ostream& err);

}  // namespace norms
