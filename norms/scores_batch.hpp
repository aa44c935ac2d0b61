// vornak-batch scores: norms tables straight from per-person data, one per norm group.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace norms {

inline constexpr const char* ScoresUsage =
    "usage: vornak-batch scores [--method bayesian|classical|mid-p] [--csv] [--notes TEXT] "
    "[--delimiter C] [--group COLUMN] [--write-frequencies DIR] [--xlsx WORKBOOK] --score COLUMN MIN MAX FILE";

// Runs the scores form on its arguments (without "scores"): a report per group, or with --csv
// one table with a leading group column, to `out`; with --xlsx also one sheet per group in an
// Excel workbook. FILE is delimited text or, by its ending, a statistics-package file.
// Notices, messages and the usage line go to `err`. Gives the exit status: 0 done, 1 a refused
// input or a failure (nothing written to `out`), 2 wrong arguments or a kind of file that
// cannot be read.
int RunScoresBatch(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err);

}  // namespace norms
