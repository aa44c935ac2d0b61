#include "norms/batch_options.hpp"

#include "norms/batch_command_line.hpp"
#include "norms/scale_table.hpp"
#include "stats/Bayes_Engines.hpp"

namespace norms {

std::optional<Cutoff> ParseCutoff(const std::string& text)
{
    const std::optional<Extended> rank = ParsePercentileRank(text);
    if (!rank)
        return std::nullopt;
    return Cutoff{text, *rank / 100};
}

std::vector<CsvColumn> AddedColumns(const SharedOptions& options, Extended n)
{
    std::vector<CsvColumn> columns;
    for (const stats::NormScale& scale : options.scales) {
        const std::vector<CsvColumn> scale_columns = ScaleCsvColumns(scale);
        columns.insert(columns.end(), scale_columns.begin(), scale_columns.end());
    }
    // The posterior probability below each cut-off.
    for (const Cutoff& cutoff : options.cutoffs)
        columns.push_back({"prob_below_" + cutoff.text, [n, p = cutoff.proportion](const NormsRow& row) {
                               return stats::Bayesian_cutoff_probability(n, row.Below, row.Frequency, p);
                           }});
    return columns;
}

}  // namespace norms
