#include "norms/batch_options.hpp"

#include <charconv>

#include "stats/Bayes_Engines.hpp"

namespace norms {

std::optional<Cutoff> ParseCutoff(const std::string& text)
{
    Extended rank = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rank);
    const Extended proportion = rank / 100;  // a rank of a few units of 1e-4950 vanishes here
    if (error != std::errc() || end != text.data() + text.size() || !(proportion > 0 && rank < 100))
        return std::nullopt;
    return Cutoff{text, proportion};
}

std::vector<CsvColumn> AddedColumns(const SharedOptions& options, Extended n)
{
    // The posterior probability below each cut-off.
    std::vector<CsvColumn> columns;
    for (const Cutoff& cutoff : options.cutoffs)
        columns.push_back({"prob_below_" + cutoff.text, [n, p = cutoff.proportion](const NormsRow& row) {
                               return stats::Bayesian_cutoff_probability(n, row.Below, row.Frequency, p);
                           }});
    return columns;
}

}  // namespace norms
