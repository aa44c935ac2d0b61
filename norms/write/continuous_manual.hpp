// Continuous norm tables as a test manual prints them: the ages across, each cell the norm score
// with its interval, for whichever family made the cells.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_tables.hpp"
#include "norms/write/manual_table.hpp"

namespace norms {

// What a manual table of continuous cells says beside them.
struct ManualCellsSource {
    std::string method;        // where the cells and their intervals come from
    long long cases = 0;       // each column's n: the cases the tables were made from
    std::vector<std::string> column_sizes;  // instead, when the columns' cases differ: "n = 97"
    Extended scale_mean = 0;   // the scale of the cells' norm scores
    Extended scale_sd = 1;
    bool limits = false;       // the cells carry limits
    int score_decimals = 0;    // the rows' decimals
};

// The manual table of cells that come age by age, each age with the same ascending raw scores,
// one column per age, on the choices' scale (the percentile rank when none): a
// scale's score is taken from the cells' own through z. A raw score beyond the range of the
// cells' maker shows the range's end with "<" or ">". The cells carry intervals only when
// `source.limits`.
ManualTable continuous_cells_manual(const std::vector<stats::NormCell>& cells, const ManualCellsSource& source,
                                    const ManualChoices& choices, const std::string& title);

// The manual table of a Taylor model's tables, or of the ranking groups' own norms when they
// made the tables.
ManualTable continuous_manual(const ContinuousTables& tables, const ManualChoices& choices,
                              const std::string& title);

// The manual table of a beta-binomial model's tables.
ManualTable beta_binomial_manual(const BetaBinomialTables& tables, const ManualChoices& choices,
                                 const std::string& title);

}  // namespace norms
