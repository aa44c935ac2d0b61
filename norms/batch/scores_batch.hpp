// vornak-batch scores: norms tables straight from per-person data, one per norm group.
#pragma once

#include <ostream>
#include <string>

#include "norms/batch/batch_options.hpp"
#include "norms/count/group_counter.hpp"
#include "norms/batch/manual_options.hpp"
#include "norms/read/margins_file.hpp"

namespace CLI {
class App;
}

namespace norms {

class BatchCommandLine;

inline const std::string ScoresUsage =
    "usage: vornak-batch scores " + SharedUsage +
    " [--delimiter C] [--encoding NAME] [--group COLUMN] [--write-frequencies DIR]"
    " [--weight VARIABLE] [--rake MARGINS] [--write-weights FILE] [--manual FILE]"
    " [--manual-scale NAME] [--manual-interval none|95|90] [--reversals increasing|decreasing]"
    " [--step S] --score COLUMN MIN MAX FILE";

struct ScoresOptions {
    SharedOptions shared;
    PersonScoreLayout layout;
    std::string frequencies_folder;
    std::string margins_file;  // rake the cases to these margins
    std::string weights_file;  // also write each case's weight here
    ManualOptions manual;
    std::string min_text;
    std::string max_text;
    std::string file;
    std::string step_text = {};  // empty: whole scores
};

// Adds the scores form to the command line, which fills `options` as it parses. Without
// `draws_pdf` a manual table can only be a workbook.
// The margins a sample is raked to, from their file at `path`. Throws platform::Failure naming
// the file.
std::vector<MarginsVariable> read_margins(const std::string& path);

CLI::App& AddScoresForm(BatchCommandLine& command_line, ScoresOptions& options, bool draws_pdf = true);

// Runs the scores form: a report per group, or with --csv one table with a leading group
// column, to `out`; notices, reversals and messages to `err`; a manual table in PDF drawn by
// `paint_manual`. Gives the exit status: 0 done, 1 a refused input or a failure (nothing
// written to `out`).
int RunScoresBatch(const ScoresOptions& options, std::ostream& out, std::ostream& err,
                   const ManualPdfPainter& paint_manual = nullptr);

}  // namespace norms
