#include "norms/tables/group_norms.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "stats/interval_method.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// Each row's cell among `scores`, which are sorted.
std::vector<stats::NormCell> cells_among(const std::vector<Extended>& scores, Extended age,
                                         const std::vector<Extended>& rows, const stats::NormScale& scale, bool limits)
{
    const auto n = static_cast<Extended>(scores.size());
    const stats::TableIntervalEngine engine =
        stats::interval_method_entry(stats::IntervalMethod::bayesian).table_engine;
    std::vector<stats::NormCell> cells;
    for (const Extended raw : rows) {
        const auto [first, last] = std::equal_range(scores.begin(), scores.end(), raw);
        const auto below = static_cast<Extended>(first - scores.begin());
        const auto tied = static_cast<Extended>(last - first);
        stats::NormCell cell{age, raw, 0, 100 * (below + tied / 2) / n,
                             stats::RangeSide::within, std::nullopt};
        if (below + tied == 0) {
            cell.side = stats::RangeSide::below;
            cell.PR = 50 / n;
        } else if (below == n) {
            cell.side = stats::RangeSide::above;
            cell.PR = 100 - 50 / n;
        }
        cell.norm = scale.of_z(stats::z_of_proportion(cell.PR / 100));
        if (limits) {
            stats::TableLimits bounds;
            engine(n, below, tied, bounds);
            stats::BootstrapLimits& l = cell.limits.emplace();
            l.norm_lower95 = scale.of_z(stats::z_of_lower_limit(bounds.lower[0]));
            l.norm_upper95 = scale.of_z(stats::z_of_upper_limit(bounds.upper[0]));
            l.norm_lower90 = scale.of_z(stats::z_of_lower_limit(bounds.lower[1]));
            l.norm_upper90 = scale.of_z(stats::z_of_upper_limit(bounds.upper[1]));
            l.PR_lower95 = 100 * bounds.lower[0];
            l.PR_upper95 = 100 * bounds.upper[0];
            l.PR_lower90 = 100 * bounds.lower[1];
            l.PR_upper90 = 100 * bounds.upper[1];
        }
        cells.push_back(cell);
    }
    return cells;
}

Extended between(Extended low, Extended high, Extended share)
{
    if (std::isinf(low) || std::isinf(high))
        return share < 0.5L ? low : high;
    return low + share * (high - low);
}

// The cell at a share of the way from `low` to `high`, whose ages bracket it.
stats::NormCell interpolated(const stats::NormCell& low, const stats::NormCell& high, Extended age, Extended share,
                             const stats::NormScale& scale)
{
    stats::NormCell cell = share < 0.5L ? low : high;
    cell.age = age;
    cell.norm = between(low.norm, high.norm, share);
    cell.PR = 100 * stats::proportion_of_z((cell.norm - scale.mean) / scale.sd);
    if (low.limits && high.limits) {
        const auto& a = *low.limits;
        const auto& b = *high.limits;
        stats::BootstrapLimits& l = *cell.limits;
        l.norm_lower95 = between(a.norm_lower95, b.norm_lower95, share);
        l.norm_upper95 = between(a.norm_upper95, b.norm_upper95, share);
        l.norm_lower90 = between(a.norm_lower90, b.norm_lower90, share);
        l.norm_upper90 = between(a.norm_upper90, b.norm_upper90, share);
        const auto PR_of = [&scale](Extended norm) { return 100 * stats::proportion_of_z((norm - scale.mean) / scale.sd); };
        l.PR_lower95 = PR_of(l.norm_lower95);
        l.PR_upper95 = PR_of(l.norm_upper95);
        l.PR_lower90 = PR_of(l.norm_lower90);
        l.PR_upper90 = PR_of(l.norm_upper90);
    }
    return cell;
}

std::string age_text(Extended age)
{
    return stats::data_number_text(static_cast<double>(age));
}

}  // namespace

bool has_group_norms(const stats::NormingSample& sample, const stats::ContinuousOptions& options)
{
    return options.window_width > 0 || sample.ages.empty();
}

std::vector<stats::NormCell> group_norm_cells(const stats::NormingSample& sample,
                                              const stats::ContinuousOptions& options,
                                              const std::vector<Extended>& ages, long long raw_min,
                                              long long raw_max, bool limits, const std::vector<Extended>& raw_scores,
                                              std::vector<std::string>* sizes)
{
    const auto size = [sizes](const std::string& counts) {
        if (sizes)
            sizes->push_back("n = " + counts);
    };
    std::vector<Extended> rows = raw_scores;
    if (rows.empty())
        for (long long raw = raw_min; raw <= raw_max; ++raw)
            rows.push_back(static_cast<Extended>(raw));
    std::vector<stats::NormCell> cells;
    if (options.window_width > 0) {
        // The ranking's own allowance of a billionth of the ages' scale.
        Extended scale = options.window_width;
        for (const Extended age : sample.ages)
            scale = std::max(scale, std::abs(age));
        const Extended half = options.window_width / 2 + 1e-9L * scale;
        for (const Extended age : ages) {
            std::vector<Extended> scores;
            for (std::size_t c = 0; c < sample.ages.size(); ++c)
                if (std::abs(sample.ages[c] - age) <= half)
                    scores.push_back(sample.scores[c]);
            std::sort(scores.begin(), scores.end());
            if (scores.size() < stats::smallest_ranking_group)
                throw std::invalid_argument("The age window around " + age_text(age) + " holds " +
                                            std::to_string(scores.size()) + " cases, too few for norms of its own.");
            size(std::to_string(scores.size()));
            const std::vector<stats::NormCell> at_age = cells_among(scores, age, rows, options.scale, limits);
            cells.insert(cells.end(), at_age.begin(), at_age.end());
        }
        return cells;
    }
    std::map<Extended, std::vector<Extended>> groups;
    for (std::size_t c = 0; c < sample.groups.size(); ++c)
        groups[sample.groups[c]].push_back(sample.scores[c]);
    for (auto& [value, scores] : groups)
        std::sort(scores.begin(), scores.end());
    for (const Extended age : ages) {
        const auto above = groups.lower_bound(age);
        if (above == groups.end() || (above->first != age && above == groups.begin()))
            throw std::invalid_argument("Age " + age_text(age) + " lies outside the norm sample's ages, " +
                                        age_text(groups.begin()->first) + " to " + age_text(groups.rbegin()->first) +
                                        "; the groups' norms do not extrapolate.");
        const std::vector<stats::NormCell> high =
            cells_among(above->second, above->first, rows, options.scale, limits);
        if (above->first == age) {
            size(std::to_string(above->second.size()));
            cells.insert(cells.end(), high.begin(), high.end());
            continue;
        }
        const auto below = std::prev(above);
        size(std::to_string(below->second.size()) + " and " + std::to_string(above->second.size()));
        const std::vector<stats::NormCell> low =
            cells_among(below->second, below->first, rows, options.scale, limits);
        const Extended share = (age - below->first) / (above->first - below->first);
        for (std::size_t r = 0; r < low.size(); ++r)
            cells.push_back(interpolated(low[r], high[r], age, share, options.scale));
    }
    return cells;
}

}  // namespace norms
