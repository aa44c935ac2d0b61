#include "stats/continuous_cross_validation.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <random>

#include <boost/math/distributions/normal.hpp>

#include "stats/continuous_least_squares.hpp"

namespace stats {
namespace {

constexpr std::uint64_t fold_seed = 20240611;

// Beyond ±1.96 the weight would let a few cases in the tails outweigh the rest.
constexpr Extended weight_z_limit = 1.96L;

Extended normal_cdf(Extended z)
{
    return boost::math::cdf(boost::math::normal_distribution<Extended>(), z);
}

// (SD / φ(z))²: a difference in PR near z, squared, times this is about the squared difference
// on the scale.
Extended scale_weight(Extended L, const RankingChoice& ranking)
{
    const Extended z = std::clamp((L - ranking.scale_mean) / ranking.scale_sd, -weight_z_limit, weight_z_limit);
    const Extended density = boost::math::pdf(boost::math::normal_distribution<Extended>(), z);
    return ranking.scale_sd * ranking.scale_sd / (density * density);
}

// The cases that rank a case: those of its group, or those whose ages lie within W/2 of its own
// (with the ranking's allowance of a billionth of the ages' scale).
class Neighbours {
public:
    Neighbours(const NormingSample& sample, const RankingChoice& ranking)
        : key_(ranking.window_width > 0 ? sample.ages : sample.groups)
    {
        if (ranking.window_width > 0) {
            Extended scale = ranking.window_width;
            for (const Extended age : sample.ages)
                scale = std::max(scale, std::abs(age));
            half_ = ranking.window_width / 2 + 1e-9L * scale;
        }
    }
    Extended key(std::size_t c) const { return key_[c]; }
    // The range of `sorted` (cases in order of key) that ranks case c.
    std::pair<std::size_t, std::size_t> of(std::size_t c, const std::vector<std::size_t>& sorted) const
    {
        const auto first = std::lower_bound(sorted.begin(), sorted.end(), key_[c] - half_,
                                            [&](std::size_t s, Extended k) { return key_[s] < k; });
        const auto last = std::upper_bound(first, sorted.end(), key_[c] + half_,
                                           [&](Extended k, std::size_t s) { return k < key_[s]; });
        return {static_cast<std::size_t>(first - sorted.begin()), static_cast<std::size_t>(last - sorted.begin())};
    }

private:
    const std::vector<Extended>& key_;
    Extended half_ = 0;
};

ValueRange drawn_L_range(const RankedCases& ranked, const std::vector<std::uint32_t>& counts)
{
    Extended low = std::numeric_limits<Extended>::infinity();
    Extended high = -low;
    for (std::size_t c = 0; c < ranked.L.size(); ++c)
        if (counts[c] > 0) {
            low = std::min(low, ranked.L[c]);
            high = std::max(high, ranked.L[c]);
        }
    return {static_cast<double>(low), static_cast<double>(high)};
}

}  // namespace

CrossValidation cross_validate(const NormingSample& sample, const RankingChoice& ranking,
                               const std::vector<std::uint32_t>& counts, const RankedCases& whole,
                               const std::vector<PowerTerm>& candidates,
                               const std::vector<std::optional<SubsetMembers>>& subsets, const ContinuousModel& base,
                               const Interruption* interruption, const std::vector<RivalModel>& rivals)
{
    const std::size_t n = sample.scores.size();
    const auto count = [&](std::size_t c) -> std::uint32_t { return counts.empty() ? 1 : counts[c]; };
    const Neighbours neighbours(sample, ranking);
    const std::vector<Extended>& A = explanatory_values(sample);

    // Random folds, dealt out in turn within each ranking group (or over all cases with windows)
    // after a shuffle with a fixed seed: a random split of cases drawn independently gives
    // folds drawn independently, so a fold's ranks share no sampling error with the others'.
    std::vector<std::size_t> drawn;
    for (std::size_t c = 0; c < n; ++c)
        if (count(c) > 0)
            drawn.push_back(c);
    std::mt19937_64 engine(fold_seed);
    std::vector<std::uint64_t> shuffle(n);
    for (std::uint64_t& key : shuffle)
        key = engine();
    const bool by_group = ranking.window_width <= 0;
    std::sort(drawn.begin(), drawn.end(), [&](std::size_t a, std::size_t b) {
        if (by_group && sample.groups[a] != sample.groups[b])
            return sample.groups[a] < sample.groups[b];
        return shuffle[a] < shuffle[b];
    });
    std::vector<int> fold_of(n, -1);
    for (std::size_t position = 0; position < drawn.size(); ++position)
        fold_of[drawn[position]] = static_cast<int>(position % cross_validation_folds);
    // The held-out cases are looked up by their ranking key.
    std::sort(drawn.begin(), drawn.end(), [&](std::size_t a, std::size_t b) {
        return neighbours.key(a) != neighbours.key(b) ? neighbours.key(a) < neighbours.key(b) : a < b;
    });

    const CaseRanker ranker(sample, ranking);
    std::vector<Extended> model_sums(subsets.size(), 0);
    std::vector<Extended> rival_sums(rivals.size(), 0);
    // Of each size, then each rival: the sums of its cases' excesses over the groups' own
    // squared differences, and of their squares.
    std::vector<Extended> excess_sums(subsets.size() + rivals.size(), 0);
    std::vector<Extended> excess_squares(subsets.size() + rivals.size(), 0);
    Extended grouped_sum = 0;
    Extended weight_sum = 0;
    Extended held_out_cases = 0;
    Extended variance_sum = 0;
    for (int fold = 0; fold < cross_validation_folds; ++fold) {
        check(interruption);
        std::vector<std::uint32_t> training(n, 0);
        std::vector<std::size_t> held_out;  // in order of key, as `drawn` is
        for (const std::size_t c : drawn) {
            if (fold_of[c] == fold)
                held_out.push_back(c);
            else
                training[c] = count(c);
        }
        const RankedCases trained = ranker.rank(training);
        const CandidateRegression regression(trained, candidates);
        ContinuousModel fold_base = base;
        fold_base.L = drawn_L_range(trained, trained.counts);
        std::vector<std::optional<ContinuousModel>> models(subsets.size());
        for (std::size_t p = 0; p < subsets.size(); ++p)
            if (subsets[p]) {
                const TermFit fit = regression.fit_from_correlations(*subsets[p]);
                ContinuousModel& model = models[p].emplace(fold_base);
                model.intercept = static_cast<double>(fit.intercept);
                model.terms.clear();
                const std::vector<PowerTerm> terms = terms_of(*subsets[p], candidates);
                for (std::size_t s = 0; s < terms.size(); ++s)
                    model.terms.push_back({terms[s], static_cast<double>(fit.coefficients[s])});
            }

        std::vector<FoldPrediction> rival_predictions;
        for (const RivalModel& rival : rivals)
            rival_predictions.push_back(rival(training));

        std::map<std::pair<Extended, Extended>, std::vector<Extended>> predictions;
        for (const std::size_t c : held_out) {
            // The case's mid-rank among the other held-out cases that rank it.
            const auto [first, last] = neighbours.of(c, held_out);
            Extended below = 0, tied = 0, others = 0;
            for (std::size_t i = first; i < last; ++i) {
                const std::size_t other = held_out[i];
                if (other == c)
                    continue;
                others += count(other);
                if (sample.scores[other] < sample.scores[c])
                    below += count(other);
                else if (sample.scores[other] == sample.scores[c])
                    tied += count(other);
            }
            if (others == 0)
                continue;
            const Extended target = (below + tied / 2) / others;
            const Extended weight = count(c) * scale_weight(whole.L[c], ranking);
            if (others > 1)
                variance_sum += weight * std::max(Extended(0), below / others + tied / others / 4 - target * target) /
                                (others - 1);
            weight_sum += weight;
            held_out_cases += count(c);
            const Extended grouped = normal_cdf((trained.L[c] - ranking.scale_mean) / ranking.scale_sd);
            const Extended grouped_squares = weight * (grouped - target) * (grouped - target);
            grouped_sum += grouped_squares;
            const auto add_excess = [&](std::size_t slot, Extended squares) {
                const Extended excess = (squares - grouped_squares) / count(c);
                excess_sums[slot] += count(c) * excess;
                excess_squares[slot] += count(c) * excess * excess;
            };
            // Cases of one age and score share their predictions: with groups, most cases do.
            auto [cached, added] = predictions.try_emplace({A[c], sample.scores[c]});
            if (added) {
                for (std::size_t p = 0; p < models.size(); ++p)
                    cached->second.push_back(
                        models[p] ? norm_of_raw(*models[p], ModelAtAge(*models[p], A[c]), sample.scores[c]).PR / 100
                                  : 0);
                for (const FoldPrediction& predict : rival_predictions)
                    cached->second.push_back(predict(A[c], sample.scores[c]));
            }
            for (std::size_t p = 0; p < models.size(); ++p)
                if (models[p]) {
                    const Extended difference = cached->second[p] - target;
                    model_sums[p] += weight * difference * difference;
                    add_excess(p, weight * difference * difference);
                }
            for (std::size_t r = 0; r < rivals.size(); ++r) {
                const Extended difference = cached->second[models.size() + r] - target;
                rival_sums[r] += weight * difference * difference;
                add_excess(models.size() + r, weight * difference * difference);
            }
        }
    }

    // The standard error of a mean of the cases' excesses.
    const auto excess_se = [&](std::size_t slot) {
        const Extended mean = excess_sums[slot] / held_out_cases;
        const Extended variance = excess_squares[slot] / held_out_cases - mean * mean;
        return held_out_cases > 1 ? std::sqrt(std::max(Extended(0), variance) / (held_out_cases - 1)) : Extended(0);
    };
    CrossValidation result;
    result.error_by_terms.resize(subsets.size());
    result.excess_se_by_terms.resize(subsets.size());
    if (weight_sum > 0) {
        for (std::size_t p = 0; p < subsets.size(); ++p)
            if (subsets[p]) {
                result.error_by_terms[p] = std::sqrt(model_sums[p] / held_out_cases);
                result.excess_se_by_terms[p] = excess_se(p);
            }
        result.grouped_error = std::sqrt(grouped_sum / held_out_cases);
        for (std::size_t r = 0; r < rivals.size(); ++r) {
            result.rival_errors.push_back(std::sqrt(rival_sums[r] / held_out_cases));
            result.rival_excess_se.push_back(excess_se(subsets.size() + r));
        }
        result.target_variance = variance_sum / held_out_cases;
    }
    return result;
}

}  // namespace stats
