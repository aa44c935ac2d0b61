#include "norms/write/weighting_notes.hpp"

#include "platform/printable_text.hpp"
#include "stats/effective_sample.hpp"
#include "stats/number_format.hpp"

namespace norms {

std::string weighting_note(const RunWeighting& weighting)
{
    using stats::format_fixed;
    return "Weighted: " + format_fixed(weighting.cases_total, 0, 0) +
           " cases, weights adding up to " + format_fixed(weighting.total_weight, 0, 1) +
           ", effective sample size " + format_fixed(weighting.effective_size, 0, 1) +
           ", design effect " + format_fixed(weighting.design_effect, 0, 2);
}

std::vector<std::string> weighting_notices(const GroupTables& tables)
{
    std::vector<std::string> notices;
    for (const NormGroup& group : tables.groups) {
        if (!group.run.weighting)
            continue;
        const RunWeighting& weighting = *group.run.weighting;
        const std::string prefix =
            tables.grouped ? "group " + platform::PrintableText(group.counts.name) + ": " : "";
        if (weighting.design_effect_large)
            notices.push_back(prefix + "the weights' design effect is " +
                              stats::format_fixed(weighting.design_effect, 0, 2) + ", above " +
                              stats::format_fixed(stats::large_design_effect, 0, 1) +
                              ": the intervals rest on an effective sample of " +
                              stats::format_fixed(weighting.effective_size, 0, 1));
        if (weighting.weights_wide_apart)
            notices.push_back(prefix + "the largest weight is more than " +
                              stats::format_fixed(stats::wide_weight_ratio, 0, 0) +
                              " times the smallest");
    }
    return notices;
}

}  // namespace norms
