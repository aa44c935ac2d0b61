#include "norms/write/continuous_manual.hpp"

#include <cmath>

#include "stats/number_format.hpp"

namespace norms {
namespace {

// The column's value of one cell: on the scale, or the percentile rank, with the rank's 95%
// limits for the reversal check.
ManualValue manual_value(const stats::NormCell& cell, const stats::ContinuousModel& model,
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
    const auto on_scale = [&](Extended model_score) {
        return scale->of_z((model_score - model.scale_mean) / model.scale_sd);
    };
    value.score = {on_scale(norm), on_scale(limits.norm_lower95), on_scale(limits.norm_upper95),
                   on_scale(limits.norm_lower90), on_scale(limits.norm_upper90)};
    return value;
}

}  // namespace

ManualTable continuous_manual(const ContinuousTables& tables, const ManualChoices& choices,
                              const std::string& title)
{
    ManualSource source;
    source.title = title;
    source.columns_caption = "age";
    source.method = tables.resamples > 0
                        ? "continuous norm model, " + std::to_string(tables.resamples) + " bootstrap resamples"
                        : "continuous norm model";
    source.min_score = tables.raw_min;
    std::size_t per_age = static_cast<std::size_t>(tables.raw_max - tables.raw_min + 1);
    if (!tables.raw_scores.empty()) {
        // Rows by a step or listed: each score in units of its last decimal.
        per_age = tables.raw_scores.size();
        source.score_decimals = tables.score_decimals;
        const Extended unit = std::pow(10.0L, tables.score_decimals);
        for (const Extended score : tables.raw_scores)
            source.listed_scores.push_back(std::llround(score * unit));
    }
    for (std::size_t first = 0; first + per_age <= tables.cells.size(); first += per_age) {
        ManualColumn column;
        column.title = stats::data_number_text(static_cast<double>(tables.cells[first].age));
        column.sizes = {"n = " + std::to_string(tables.model.cases)};
        for (std::size_t c = first; c < first + per_age; ++c)
            column.values.push_back(manual_value(tables.cells[c], tables.model, choices.scale));
        source.columns.push_back(std::move(column));
    }
    ManualChoices shown = choices;
    if (tables.resamples == 0)
        shown.interval = ManualInterval::none;
    return build_manual_table(source, shown);
}

}  // namespace norms
