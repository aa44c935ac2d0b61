// The out-of-sample error of continuous norm models, by K-fold cross-validation: how far the
// norm scores that a model fitted without a fold gives the fold's cases lie from the norm scores
// those cases have among themselves.
//
// The cases are parted into K folds at random (with a fixed seed), within each ranking group.
// For each fold, the
// model of each size is fitted again to the other folds' cases, ranked among themselves. A held-out
// case's target is its mid-rank among the other held-out cases of its ranking group (or age
// window): (below + tied/2) / others, which estimates the population's mid-rank PR without
// bias, and independently of the training cases. So the expected squared difference of a
// prediction from the target is the prediction's own squared error plus the target's variance,
// which is the same for every model: the sizes are compared by their predictions alone.
//
// The differences are taken on the PR's scale and weighted by (SD / φ(z))², z the case's
// location in the whole sample (within ±1.96), so that they count as on the norm scale; the
// criterion is the root of their weighted mean, in the scale's units. The groups' own ranks
// (a table per ranking group, from the training cases) are judged the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "stats/best_subsets.hpp"
#include "stats/continuous_model.hpp"
#include "stats/continuous_ranking.hpp"
#include "stats/interruption.hpp"

namespace stats {

inline constexpr int cross_validation_folds = 5;

// A model of another kind, judged on the same folds by the same criterion: given the training
// cases' counts (one per case, 0 for the held-out ones), it fits itself to them and gives the
// proportion (mid-rank PR / 100) it predicts for a raw score at an age.
using FoldPrediction = std::function<Extended(Extended age, Extended raw)>;
using RivalModel = std::function<FoldPrediction(const std::vector<std::uint32_t>& training)>;

struct CrossValidation {
    // By number of terms (index 0 unused): the criterion of that size's model, if it has one.
    std::vector<std::optional<Extended>> error_by_terms;
    // The same criterion for the ranks within the ranking groups (or windows) themselves.
    Extended grouped_error = 0;
    // The criterion of each rival model, in the order given.
    std::vector<Extended> rival_errors;
    // The standard error of each size's and each rival's criterion squared less the groups' own:
    // of the mean over held-out cases of their weighted squared differences' excess.
    std::vector<std::optional<Extended>> excess_se_by_terms;
    std::vector<Extended> rival_excess_se;
    // The part of each criterion's square that is the targets' own variance, estimated from
    // each target's counts as (p + q/4 - PR²) / (others - 1), p the share below and q the share
    // tied among the others (the variance of a trinomial's below + tied/2), weighted alike.
    Extended target_variance = 0;
};

// `subsets[p]` is the subset of `candidates` that stands for p terms, if any; `base` holds the
// model's scale, powers and ranges; `whole` is the sample ranked with `counts` (empty: each case
// once), whose locations weigh the cases; `rivals` are judged beside the sizes.
CrossValidation cross_validate(const NormingSample& sample, const RankingChoice& ranking,
                               const std::vector<std::uint32_t>& counts, const RankedCases& whole,
                               const std::vector<PowerTerm>& candidates,
                               const std::vector<std::optional<SubsetMembers>>& subsets, const ContinuousModel& base,
                               const Interruption* interruption = nullptr, const std::vector<RivalModel>& rivals = {});

}  // namespace stats
