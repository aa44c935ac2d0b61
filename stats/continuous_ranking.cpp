#include "stats/continuous_ranking.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>

#include "stats/Bayes_Engines.hpp"
#include "stats/listed_items.hpp"
#include "stats/norm_scales.hpp"
#include "stats/number_format.hpp"

namespace stats {
namespace {

// L of a mid-rank: m below, k tied (the case included), n in the group.
Extended location(const RankingChoice& ranking, std::size_t n, std::size_t m, std::size_t k)
{
    const Extended proportion = PR_point_estimate(n, m, k) / 100;
    return ranking.scale_mean + ranking.scale_sd * z_of_proportion(proportion);
}

bool all_finite(const std::vector<Extended>& values)
{
    return std::all_of(values.begin(), values.end(), [](Extended x) { return std::isfinite(x); });
}

std::string cases_text(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " case" : " cases");
}

std::map<Extended, std::size_t> group_sizes(const std::vector<Extended>& groups)
{
    std::map<Extended, std::size_t> sizes;
    for (const Extended group : groups)
        ++sizes[group];
    return sizes;
}

// "8 (2 cases), 9 (1 case)" for the groups below `limit`, the first 20 of a longer list.
std::string groups_below(const NormingSample& sample, const std::map<Extended, std::size_t>& sizes,
                         std::size_t limit)
{
    std::vector<std::string> list;
    for (const auto& [group, size] : sizes)
        if (size < limit) {
            const auto name = sample.group_names.find(group);
            const std::string group_name =
                name == sample.group_names.end() ? data_number_text(static_cast<double>(group)) : name->second;
            list.push_back(group_name + " (" + cases_text(size) + ")");
        }
    return listed_text(list);
}

// The first and one-past-last position, in age order, of the window around each case.
struct Window {
    std::size_t first;
    std::size_t last;
};

// Windows over `by_age`, the case indices sorted by age. A rounded difference is monotone in
// either operand, so each window is a run of the sorted cases and both ends only move up.
// Ages W/2 apart to within a billionth of the ages' scale share their windows: ages written in
// decimals, such as 6.2 and 6.7 with W = 1, then do so whichever way their binary values round.
std::vector<Window> age_windows(const std::vector<Extended>& ages, const std::vector<std::size_t>& by_age,
                                Extended width)
{
    Extended scale = width;
    for (const Extended age : ages)
        scale = std::max(scale, std::abs(age));
    const Extended half = width / 2 + 1e-9L * scale;
    std::vector<Window> windows(by_age.size());
    std::size_t first = 0;
    std::size_t last = 0;
    for (std::size_t i = 0; i < by_age.size(); ++i) {
        const Extended age = ages[by_age[i]];
        while (age - ages[by_age[first]] > half)
            ++first;
        while (last < by_age.size() && ages[by_age[last]] - age <= half)
            ++last;
        windows[i] = {first, last};
    }
    return windows;
}

std::vector<std::size_t> sorted_by(const std::vector<Extended>& values)
{
    std::vector<std::size_t> order(values.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
    return order;
}

// Counts of the cases in a window by score rank, with prefix sums in O(log n) (a Fenwick tree).
class RankCounts {
public:
    explicit RankCounts(std::size_t ranks) : tree_(ranks + 1, 0) {}
    void add(std::size_t rank, long long delta)
    {
        for (std::size_t i = rank + 1; i < tree_.size(); i += i & (~i + 1))
            tree_[i] += delta;
    }
    // Cases of rank below `rank`.
    std::size_t below(std::size_t rank) const
    {
        long long sum = 0;
        for (std::size_t i = rank; i > 0; i -= i & (~i + 1))
            sum += tree_[i];
        return static_cast<std::size_t>(sum);
    }

private:
    std::vector<long long> tree_;
};

// Refuses too few ranking groups or too small ones; warns of small ones.
std::vector<std::string> ranking_group_warnings(const NormingSample& sample, const RankingChoice& ranking)
{
    const std::size_t n = sample.scores.size();
    const bool windows = ranking.window_width > 0;
    std::vector<std::string> warnings;
    if (!windows) {
        const auto sizes = group_sizes(sample.groups);
        if (sizes.size() < 3)
            throw std::invalid_argument("Continuous norms need at least 3 ranking groups; the data have " +
                                        std::to_string(sizes.size()) + ".");
        if (const std::string small = groups_below(sample, sizes, smallest_ranking_group); !small.empty())
            throw std::invalid_argument("A ranking group needs at least 3 cases: group " + small + ".");
        if (const std::string small = groups_below(sample, sizes, ranking_group_warned_below); !small.empty())
            warnings.push_back("Ranking groups of fewer than 30 cases give coarse ranks: group " + small + ".");
        return warnings;
    }

    const std::size_t distinct_ages = group_sizes(sample.ages).size();
    if (distinct_ages < 3)
        throw std::invalid_argument("Continuous norms need at least 3 different ages; the data have " +
                                    std::to_string(distinct_ages) + ".");
    const std::vector<std::size_t> by_age = sorted_by(sample.ages);
    const std::vector<Window> windows_of = age_windows(sample.ages, by_age, ranking.window_width);
    std::size_t smallest = 0;
    std::size_t warned = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t size = windows_of[i].last - windows_of[i].first;
        if (size < windows_of[smallest].last - windows_of[smallest].first)
            smallest = i;
        warned += size < ranking_group_warned_below;
    }
    const std::size_t smallest_size = windows_of[smallest].last - windows_of[smallest].first;
    const std::string where = "the age window around age " +
                              data_number_text(static_cast<double>(sample.ages[by_age[smallest]])) + " holds " +
                              cases_text(smallest_size);
    if (smallest_size < smallest_ranking_group)
        throw std::invalid_argument("An age window needs at least 3 cases: " + where + ".");
    if (warned > 0)
        warnings.push_back("Age windows of fewer than 30 cases give coarse ranks: " + cases_text(warned) +
                           " are ranked in one; " + where + ".");
    return warnings;
}

}  // namespace

const std::vector<Extended>& explanatory_values(const NormingSample& sample)
{
    return sample.ages.empty() ? sample.groups : sample.ages;
}

std::vector<std::string> check_norming_sample(const NormingSample& sample, const RankingChoice& ranking)
{
    const std::size_t n = sample.scores.size();
    const bool windows = ranking.window_width > 0;
    if (!std::isfinite(ranking.window_width) || ranking.window_width < 0)
        throw std::invalid_argument("The width of the age window must be a positive number.");
    if (!(ranking.scale_sd > 0) || !std::isfinite(ranking.scale_sd) || !std::isfinite(ranking.scale_mean))
        throw std::invalid_argument("The scale needs a finite mean and a positive standard deviation.");
    if (windows && sample.ages.empty())
        throw std::invalid_argument("Ranking by age windows needs each case's age.");
    if (!windows && sample.groups.empty())
        throw std::invalid_argument("Ranking by groups needs each case's group.");
    if ((!sample.groups.empty() && sample.groups.size() != n) || (!sample.ages.empty() && sample.ages.size() != n))
        throw std::invalid_argument("The scores, groups and ages must be given for the same cases.");
    if (!all_finite(sample.scores) || !all_finite(sample.groups) || !all_finite(sample.ages))
        throw std::invalid_argument("Every score, group and age must be a finite number.");

    std::vector<std::string> warnings = ranking_group_warnings(sample, ranking);
    const auto [low, high] = std::minmax_element(explanatory_values(sample).begin(), explanatory_values(sample).end());
    if (const std::string problem = age_range_problem(*low, *high); !problem.empty())
        throw std::invalid_argument("The ages of the model " + problem + ".");
    return warnings;
}

std::string age_range_problem(Extended low, Extended high)
{
    const Extended spread = high - low;
    const Extended size = std::max(std::abs(low), std::abs(high));
    const std::string ages =
        "run from " + data_number_text(static_cast<double>(low)) + " to " + data_number_text(static_cast<double>(high));
    if (!std::isfinite(static_cast<double>(spread)))
        return ages + ", a span beyond the range of a number";
    if (size > largest_age_size)
        return ages + ", too far from 0 for the powers of age a model takes: give them in a unit that keeps "
                      "them within 1e30 of 0";
    if (size < smallest_age_size)
        return ages + ", too near 0 for the powers of age a model takes: give them in a unit that takes "
                      "them beyond 1e-30";
    if (!(spread >= age_precision * size))
        return ages + ", closer together than a million times the precision of numbers of their size";
    return "";
}

RankedCases rank_cases(const NormingSample& sample, const RankingChoice& ranking)
{
    return CaseRanker(sample, ranking).rank({});
}

CaseRanker::CaseRanker(const NormingSample& sample, const RankingChoice& ranking)
    : sample_(sample), ranking_(ranking)
{
    if (ranking.window_width > 0) {
        order_ = sorted_by(sample.ages);
        std::vector<Extended> distinct = sample.scores;
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        distinct_scores_ = distinct.size();
        for (const Extended score : sample.scores)
            score_rank_.push_back(static_cast<std::size_t>(
                std::lower_bound(distinct.begin(), distinct.end(), score) - distinct.begin()));
        return;
    }
    // Cases by group, then by score: each group's equal scores form one run.
    order_.resize(sample.scores.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    std::sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
        if (sample.groups[a] != sample.groups[b])
            return sample.groups[a] < sample.groups[b];
        return sample.scores[a] < sample.scores[b];
    });
}

RankedCases CaseRanker::rank(std::vector<std::uint32_t> counts) const
{
    RankedCases ranked;
    ranked.score = sample_.scores;
    ranked.A = explanatory_values(sample_);
    ranked.L.assign(sample_.scores.size(), 0);
    ranked.counts = std::move(counts);
    const auto count = [&](std::size_t c) -> std::size_t { return ranked.counts.empty() ? 1 : ranked.counts[c]; };

    if (ranking_.window_width > 0) {
        const std::vector<Window> windows = age_windows(sample_.ages, order_, ranking_.window_width);
        RankCounts counts_by_rank(distinct_scores_);
        std::size_t first = 0, last = 0, n = 0;
        for (std::size_t i = 0; i < order_.size(); ++i) {
            for (; last < windows[i].last; ++last) {
                counts_by_rank.add(score_rank_[order_[last]], static_cast<long long>(count(order_[last])));
                n += count(order_[last]);
            }
            for (; first < windows[i].first; ++first) {
                counts_by_rank.add(score_rank_[order_[first]], -static_cast<long long>(count(order_[first])));
                n -= count(order_[first]);
            }
            const std::size_t c = order_[i];
            const std::size_t below = counts_by_rank.below(score_rank_[c]);
            const std::size_t tied = counts_by_rank.below(score_rank_[c] + 1) - below;
            // A case drawn 0 times is ranked as one more case.
            const std::size_t extra = count(c) == 0;
            ranked.L[c] = location(ranking_, n + extra, below, tied + extra);
        }
        return ranked;
    }

    const std::vector<Extended>& groups = sample_.groups;
    std::size_t group_start = 0;
    while (group_start < order_.size()) {
        std::size_t group_end = group_start;
        std::size_t n = 0;
        for (; group_end < order_.size() && groups[order_[group_end]] == groups[order_[group_start]]; ++group_end)
            n += count(order_[group_end]);
        std::size_t below = 0;
        for (std::size_t tie_start = group_start; tie_start < group_end;) {
            std::size_t tie_end = tie_start;
            std::size_t tied = 0;
            for (; tie_end < group_end && sample_.scores[order_[tie_end]] == sample_.scores[order_[tie_start]];
                 ++tie_end)
                tied += count(order_[tie_end]);
            const std::size_t extra = tied == 0;
            const Extended L = location(ranking_, n + extra, below, tied + extra);
            for (std::size_t i = tie_start; i < tie_end; ++i)
                ranked.L[order_[i]] = L;
            below += tied;
            tie_start = tie_end;
        }
        group_start = group_end;
    }
    return ranked;
}

}  // namespace stats
