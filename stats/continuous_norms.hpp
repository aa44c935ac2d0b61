// Continuous norming: one model of the raw score over L and age for the whole norm sample, in
// place of a separate table for each age group, and the norm tables it gives at any age within
// the sample's. The method and its sources are in docs/continuous.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/best_subsets.hpp"
#include "stats/continuous_cross_validation.hpp"
#include "stats/continuous_model.hpp"
#include "stats/continuous_ranking.hpp"
#include "stats/interruption.hpp"
#include "stats/norm_scales.hpp"

namespace stats {

// What chooses the number of terms.
enum class ModelRule {
    // The fewest terms with the smallest cross-validated error (continuous_cross_validation.hpp).
    cross_validation,
    // The fewest terms whose adjusted R² exceeds `r2`.
    adjusted_r2,
    // Exactly `terms` terms.
    fixed_terms,
};

struct ContinuousOptions {
    // 0: rank within the groups; above 0: within age windows of this width.
    Extended window_width = 0;
    NormScale scale = StandardNormScales()[1];  // T: 50 + 10z
    int k = 5;  // the largest power of L among the candidates
    int t = 3;  // the largest power of A
    // Unless `terms` is above 0, which fixes the number of terms.
    ModelRule rule = ModelRule::cross_validation;
    // With ModelRule::adjusted_r2, the fewest terms whose adjusted R² exceeds this win.
    Extended r2 = 0.99L;
    // Above 0: exactly this many terms.
    int terms = 0;
    // The best subsets of each size that the search keeps, to be checked for consistency in
    // their order when the best one crosses.
    int kept_per_size = 10;
    // The most nodes the search visits; when it stops there, the fit warns of it.
    std::size_t node_budget = default_node_budget;

    friend bool operator==(const ContinuousOptions&, const ContinuousOptions&) = default;
};

// Whether `r2` is an adjusted R² a model can be asked to reach: above 0 and at most 1.
constexpr bool is_r2_target(Extended r2)
{
    return r2 > 0 && r2 <= 1;
}

// One size of model in the search.
struct SizeOfModel {
    int terms = 0;
    Extended best_adjusted_r2 = 0;
    std::vector<PowerTerm> best;
    // The best of the kept subsets whose curves do not cross, if any.
    std::optional<Extended> consistent_adjusted_r2;
    std::vector<PowerTerm> consistent;
    // Of the consistent model, when the rule cross-validates: its criterion, on the scale.
    std::optional<Extended> cross_validated_error;
};

// A model that fits better than the chosen one of its size but whose curves cross.
struct SkippedModel {
    std::vector<PowerTerm> terms;
    Extended adjusted_r2 = 0;
    std::vector<Crossing> crossings;
};

struct ContinuousFit {
    ContinuousModel model;
    // The rule that chose the number of terms.
    ModelRule rule = ModelRule::cross_validation;
    // With ModelRule::cross_validation: the same criterion for the ranking groups' own ranks, as
    // tables per group would give them; and whether they do at least as well as every model.
    std::optional<Extended> grouped_error;
    bool grouped_better = false;
    // With ModelRule::cross_validation: the chosen model's mean squared error out of sample, on
    // the scale: its criterion squared less the targets' own variance (at least 0).
    std::optional<Extended> out_of_sample_mse;
    // With ModelRule::cross_validation: the criterion of each rival model given to the fit,
    // judged on the same folds; and the chosen model's.
    std::vector<Extended> rival_errors;
    std::optional<Extended> cross_validated_error;
    // The part of each criterion's square that is its targets' own variance.
    std::optional<Extended> target_variance;
    // The standard errors of the chosen model's and each rival's criterion squared less the
    // groups' own (continuous_cross_validation.hpp).
    std::optional<Extended> excess_se;
    std::vector<Extended> rival_excess_se;
    Extended r2 = 0;
    Extended adjusted_r2 = 0;
    // The root mean square of the residuals, raw score less the model's, over the cases.
    Extended rmse = 0;
    // By number of terms, 1 up to the largest searched.
    std::vector<SizeOfModel> search;
    std::vector<SkippedModel> skipped;
    // Of the chosen model: empty unless no consistent model was to be had.
    std::vector<Crossing> crossings;
    std::vector<std::string> warnings;
};

// Ranks the sample, searches the best subsets of the candidate terms and chooses the model.
// Throws std::invalid_argument, with the reason, on a sample or options it cannot use, and
// Interrupted when `interruption` asks it to stop; tells it how far the search has come. With
// ModelRule::cross_validation, `rivals` are judged on the same folds as the sizes.
ContinuousFit fit_continuous_norms(const NormingSample& sample, const ContinuousOptions& options,
                                   Interruption* interruption = nullptr, const std::vector<RivalModel>& rivals = {});

// The rule that `options` choose by: fixed_terms when options.terms is above 0.
ModelRule rule_of(const ContinuousOptions& options);

// The whole procedure again on a bootstrap resample, each case counted as often as it was drawn
// (`counts`, one per case): ranking, search and choice, but neither the checks of the sample
// nor the report's crossings and warnings. The model's ranges of L and raw scores are those of
// the drawn cases, its ages the sample's.
ContinuousModel refit_resample(const NormingSample& sample, const ContinuousOptions& options,
                               std::vector<std::uint32_t> counts);

// The 95% and 90% limits of a cell's norm score and PR from the bootstrap.
struct BootstrapLimits {
    Extended norm_lower95 = 0;
    Extended norm_upper95 = 0;
    Extended norm_lower90 = 0;
    Extended norm_upper90 = 0;
    Extended PR_lower95 = 0;
    Extended PR_upper95 = 0;
    Extended PR_lower90 = 0;
    Extended PR_upper90 = 0;
};

struct NormCell {
    Extended age = 0;
    Extended raw = 0;  // a whole score, or a point of a grid of decimal steps
    Extended norm = 0;  // on the model's scale
    Extended PR = 0;    // in percent
    RangeSide side = RangeSide::within;
    std::optional<BootstrapLimits> limits;
};

// The cells of the raw scores raw_min … raw_max at each age, age by age. Refuses an age outside
// the sample's: the model does not extrapolate.
std::vector<NormCell> continuous_norm_table(const ContinuousModel& model, const std::vector<Extended>& ages,
                                          long long raw_min, long long raw_max);

// The same for the raw scores listed, in their order, at each age.
std::vector<NormCell> continuous_norm_table(const ContinuousModel& model, const std::vector<Extended>& ages,
                                          const std::vector<Extended>& raw_scores);

}  // namespace stats
