// The options that every form of vornak-batch takes.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/table_columns.hpp"

namespace norms {

// The shared options as the usage line of every form shows them.
inline const std::string SharedUsage =
    "[--method bayesian|classical|mid-p] [--csv] [--xlsx WORKBOOK] [--scale NAME]... [--cutoff P]..."
    " [--notes TEXT]";

// The table's choices (--method, --scale, --cutoff) and what is done with the tables.
struct SharedOptions : TableChoices {
    std::vector<std::string> notes;
    bool csv = false;
    std::string xlsx_path;  // also write the tables to this Excel workbook
};

}  // namespace norms
