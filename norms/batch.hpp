// vornak-batch: the Compute run from a terminal, for many norm groups and reproducible scripts.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace norms {

inline constexpr const char* BatchUsage =
    "usage: vornak-batch [--method bayesian|classical|mid-p] [--csv [--cutoff P]...] [--notes TEXT] MIN MAX N FILE";

// Runs vornak-batch on its arguments (without the program's name): the report, or with --csv
// the table, to `out`; messages and the usage line to `err`. Numbers in the report use the
// process-wide decimal separator. Gives the exit status: 0 done, 1 a refused input or a
// failure (nothing written to `out`), 2 wrong arguments.
int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace norms
