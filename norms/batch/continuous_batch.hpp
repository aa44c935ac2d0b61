// vornak-batch continuous: continuous norms from per-person data, one model of the raw score
// over the location within the ranking group and age, and its norm tables at any age within
// the sample's; or the tables of a model saved before, without the data.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/batch/beta_binomial_options.hpp"
#include "norms/count/group_counter.hpp"
#include "norms/batch/manual_options.hpp"
#include "norms/count/norming_cases.hpp"
#include "norms/run/continuous_choices.hpp"
#include "norms/write/chart_model.hpp"

namespace CLI {
class App;
}

namespace norms {

class BatchCommandLine;

inline const std::string ContinuousUsage =
    "usage: vornak-batch continuous [--family best|taylor] [--k K] [--t T] [--terms P | --r2 R] [--scale NAME]"
    " [--ages A,A...] [--step S | --raw-scores X,X...]"
    " [--bootstrap B [--seed S]] [--csv] [--xlsx WORKBOOK] [--plot PICTURE] [--save-model MODEL]"
    " [--manual FILE] [--manual-scale NAME] [--manual-interval none|95|90]"
    " [--reversals increasing|decreasing] [--delimiter C] [--encoding NAME] --score VARIABLE"
    " (--group VARIABLE [--age VARIABLE] | --age VARIABLE --width W) MIN MAX FILE\n"
    "       vornak-batch continuous [--csv] [--xlsx WORKBOOK] [--plot PICTURE] [--manual FILE]"
    " [--manual-scale NAME] --model MODEL --ages A,A... MIN MAX\n"
    "       vornak-batch continuous --family betabinomial --items N [--alpha-degree D --beta-degree D]"
    " [--weight VARIABLE] [--rake MARGINS]"
    " [--scale NAME] [--ages A,A...] [--bootstrap B [--seed S]] [--csv] [--xlsx WORKBOOK] [--plot PICTURE]"
    " [--save-model MODEL] [--manual FILE] [--delimiter C] [--encoding NAME] --score VARIABLE"
    " (--age VARIABLE | --group VARIABLE) MIN MAX FILE";

// The run's choices as the options fill them, and what the command line adds to them.
struct ContinuousBatchOptions : ContinuousChoices {
    PersonScoreLayout text_file;  // the delimiter and encoding of delimited text
    BetaBinomialOptions beta_binomial;  // --family betabinomial and its choices
    bool csv = false;
    std::string xlsx_path;
    std::string plot_path;
    std::string save_model_path;
    std::string model_path;  // tables from this saved model instead of data
    ManualOptions manual;
    std::string min_text;
    std::string max_text;
    std::string step_text;  // --step: rows from MIN to MAX by this step; --raw-scores fills raw_scores
    std::string file;
};

// Adds the continuous form to the command line, which fills `options` as it parses and refuses
// the choices that make no sense together; --plot only where a picture can be drawn.
CLI::App& AddContinuousForm(BatchCommandLine& command_line, ContinuousBatchOptions& options, bool can_plot,
                            bool draws_pdf = true);

// Runs the continuous form with the family the data choose (--family best, the default), or the Taylor family
// (the beta-binomial family alone has a run of its own, RunBetaBinomialBatch): the report, or with --csv the tables, to `out`; notices and
// messages to `err`. The workbook, the picture (drawn by paint_chart) and the model file take
// their places only once `out` has taken everything. Gives the exit status: 0 done, 1 a refused
// input or a failure (nothing written to `out`, no file written).
int RunContinuousBatch(const ContinuousBatchOptions& options, const ChartPainter& paint_chart, std::ostream& out,
                       std::ostream& err, const ManualPdfPainter& paint_manual = nullptr);

}  // namespace norms
