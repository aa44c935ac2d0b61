// The three interval methods, and in one table what the program shows and does for each.
#pragma once

#include "stats/Bayes_Engines.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace stats {

enum class IntervalMethod { bayesian, classical, mid_p };

using IntervalEngine = void (*)(Extended n, Extended m, Extended k, Extended conf,
                                Extended& lower, Extended& upper);

// Both levels of a norms table's row at once.
using TableIntervalEngine = void (*)(Extended n, Extended m, Extended k, TableLimits& limits);

struct IntervalMethodEntry {
    IntervalMethod method;
    std::string_view command_line_name;  // the value of vornak-batch --method
    std::string_view caption;            // the worksheet's choice and the chart's title
    IntervalEngine engine;
    TableIntervalEngine table_engine;
};

// In the order of the enumerators.
inline constexpr std::array<IntervalMethodEntry, 3> interval_methods{{
    {IntervalMethod::bayesian, "bayesian", "Bayesian method", Bayesian_PR_interval,
     Bayesian_PR_intervals},
    {IntervalMethod::classical, "classical", "Classical method", Classical_PR_interval,
     Classical_PR_intervals},
    {IntervalMethod::mid_p, "mid-p", "Classical method: Mid-p variant", MidP_PR_interval,
     MidP_PR_intervals},
}};

static_assert([] {
    for (std::size_t i = 0; i < interval_methods.size(); ++i)
        if (interval_methods[i].method != static_cast<IntervalMethod>(i))
            return false;
    return true;
}());

constexpr const IntervalMethodEntry& interval_method_entry(IntervalMethod method)
{
    return interval_methods.at(static_cast<std::size_t>(method));
}

// The method of a command-line name; none for a name that is not in the table.
constexpr std::optional<IntervalMethod> interval_method_named(std::string_view command_line_name)
{
    for (const IntervalMethodEntry& entry : interval_methods)
        if (entry.command_line_name == command_line_name)
            return entry.method;
    return std::nullopt;
}

}  // namespace stats
