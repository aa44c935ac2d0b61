#include "norms/tables/table_columns.hpp"

#include "norms/tables/scale_columns.hpp"
#include "stats/Bayes_Engines.hpp"

namespace norms {

std::vector<TableColumn> AddedColumns(const TableChoices& choices, Extended n)
{
    std::vector<TableColumn> columns;
    for (const stats::NormScale& scale : choices.scales) {
        const std::vector<TableColumn> scale_columns = ScaleCsvColumns(scale);
        columns.insert(columns.end(), scale_columns.begin(), scale_columns.end());
    }
    // The posterior probability below each cut-off.
    for (const Cutoff& cutoff : choices.cutoffs)
        columns.push_back({"prob_below_" + cutoff.text, [n, p = cutoff.proportion](const NormsRow& row) {
                               return stats::Bayesian_cutoff_probability(n, row.Below, row.Frequency, p);
                           }});
    return columns;
}

}  // namespace norms
