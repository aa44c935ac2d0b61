// vornak-batch scores: norms tables straight from per-person data, one per norm group.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace norms {

inline constexpr const char* ScoresUsage =
    "usage: vornak-batch scores [--method bayesian|classical|mid-p] [--csv [--scale NAME]...] "
    "[--notes TEXT] [--delimiter C] [--group COLUMN] [--write-frequencies DIR] "
    "--score COLUMN MIN MAX FILE";

// Runs the scores form on its arguments (without "scores"): a report per group, or with --csv
// one table with a leading group column, to `out`; notices, messages and the usage line to
// `err`. Gives the exit status: 0 done, 1 a refused input or a failure (nothing written to
// `out`), 2 wrong arguments.
int RunScoresBatch(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err);

}  // namespace norms
