#include "norms/write/continuous_manual.hpp"

#include <cmath>

#include "stats/number_format.hpp"

namespace norms {
namespace {

// The column's value of one cell: on the scale, or the percentile rank, with the rank's 95%
// limits for the reversal check.
ManualValue manual_value(const stats::NormCell& cell, const ManualCellsSource& source,
                         const std::optional<stats::NormScale>& scale)
{
    const Extended norm = cell.norm;
    const Extended pr = cell.PR;
    const stats::BootstrapLimits limits = cell.limits.value_or(
        stats::BootstrapLimits{norm, norm, norm, norm, pr, pr, pr, pr});
    ManualValue value;
    // Beyond the model's range the cell holds the range's end.
    value.beyond = cell.side == stats::RangeSide::below ? -1 : cell.side == stats::RangeSide::above ? 1 : 0;
    value.pr = pr;
    value.pr_lower95 = limits.PR_lower95;
    value.pr_upper95 = limits.PR_upper95;
    if (!scale) {
        value.score = {pr, limits.PR_lower95, limits.PR_upper95, limits.PR_lower90, limits.PR_upper90};
        return value;
    }
    const auto on_scale = [&](Extended own_score) {
        return scale->of_z((own_score - source.scale_mean) / source.scale_sd);
    };
    value.score = {on_scale(norm), on_scale(limits.norm_lower95), on_scale(limits.norm_upper95),
                   on_scale(limits.norm_lower90), on_scale(limits.norm_upper90)};
    return value;
}

std::string with_resamples(const std::string& method, int resamples)
{
    return resamples > 0 ? method + ", " + std::to_string(resamples) + " bootstrap resamples" : method;
}

}  // namespace

ManualTable continuous_cells_manual(const std::vector<stats::NormCell>& cells, const ManualCellsSource& source,
                                    const ManualChoices& choices, const std::string& title)
{
    ManualSource manual;
    manual.title = title;
    manual.columns_caption = "age";
    manual.method = source.method;
    if (!cells.empty())
        manual.min_score = static_cast<std::int64_t>(cells.front().raw);
    // Rows other than every whole score from the first (by a step, or listed): each score in
    // units of its last decimal, as the first age's cells have them.
    bool consecutive = source.score_decimals == 0;
    std::vector<std::int64_t> rows;
    const Extended unit = std::pow(10.0L, source.score_decimals);
    for (std::size_t c = 0; c < cells.size() && cells[c].age == cells.front().age; ++c) {
        rows.push_back(std::llround(cells[c].raw * unit));
        consecutive = consecutive && cells[c].raw == cells.front().raw + static_cast<Extended>(c);
    }
    if (!consecutive) {
        manual.score_decimals = source.score_decimals;
        manual.listed_scores = std::move(rows);
    }
    for (std::size_t c = 0; c < cells.size();) {
        ManualColumn column;
        column.title = stats::data_number_text(static_cast<double>(cells[c].age));
        column.sizes = {manual.columns.size() < source.column_sizes.size() ? source.column_sizes[manual.columns.size()]
                                                                           : "n = " + std::to_string(source.cases)};
        for (const Extended age = cells[c].age; c < cells.size() && cells[c].age == age; ++c)
            column.values.push_back(manual_value(cells[c], source, choices.scale));
        manual.columns.push_back(std::move(column));
    }
    ManualChoices shown = choices;
    if (!source.limits)
        shown.interval = ManualInterval::none;
    return build_manual_table(manual, shown);
}

ManualTable continuous_manual(const ContinuousTables& tables, const ManualChoices& choices,
                              const std::string& title)
{
    const std::string method = tables.group_norms
                                   ? std::string("the ranking groups' own norms") +
                                         (tables.resamples > 0 ? ", exact limits by the Bayesian method" : "")
                                   : with_resamples("continuous norm model", tables.resamples);
    return continuous_cells_manual(tables.cells,
                                   {method, tables.model.cases, tables.group_sizes, tables.model.scale_mean,
                                    tables.model.scale_sd, tables.resamples > 0, tables.score_decimals},
                                   choices, title);
}

ManualTable beta_binomial_manual(const BetaBinomialTables& tables, const ManualChoices& choices,
                                 const std::string& title)
{
    return continuous_cells_manual(tables.cells,
                                   {with_resamples("beta-binomial norm model", tables.resamples), tables.model.cases,
                                    {}, tables.model.scale.mean, tables.model.scale.sd, tables.resamples > 0},
                                   choices, title);
}

}  // namespace norms
