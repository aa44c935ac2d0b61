#include "stats/continuous_norms.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "stats/best_subsets.hpp"
#include "stats/continuous_cross_validation.hpp"
#include "stats/continuous_least_squares.hpp"
#include "stats/number_format.hpp"

namespace stats {
namespace {

Extended adjusted(Extended unexplained, std::size_t n, int terms)
{
    return 1 - unexplained * static_cast<Extended>(n - 1) / static_cast<Extended>(n - terms - 1);
}

std::string names_of(const std::vector<PowerTerm>& terms)
{
    std::string text;
    for (const PowerTerm& term : terms)
        text += (text.empty() ? "" : ", ") + term_name(term);
    return text;
}

void check_options(const ContinuousOptions& options)
{
    if (options.k < 0 || options.t < 0 || options.k > max_term_power || options.t > max_term_power ||
        options.k + options.t == 0)
        throw std::invalid_argument("The largest powers of L and A must lie between 0 and 6, and not both be 0.");
    if (options.k == 0)
        throw std::invalid_argument("A model without L cannot give norm scores: the power of L must be at least 1.");
    if (!is_r2_target(options.r2))
        throw std::invalid_argument("The R² to reach must lie above 0 and at most 1.");
    if (options.scale.rule != ScaleRule::Linear)
        throw std::invalid_argument("Continuous norms need a scale of mean and standard deviation, not " +
                                    options.scale.name + ".");
    if (options.kept_per_size < 1)
        throw std::invalid_argument("The search must keep at least one model of each size.");
    const int candidates = candidate_term_count(options.k, options.t);
    if (options.terms < 0 || options.terms > candidates)
        throw std::invalid_argument("A model of " + std::to_string(options.terms) + " terms cannot be made from " +
                                    std::to_string(candidates) + " candidates.");
}

Extended residual_rms(const ContinuousModel& model, const RankedCases& cases)
{
    Extended sum = 0;
    for (std::size_t i = 0; i < cases.score.size(); ++i) {
        const Extended residual = cases.score[i] - ModelAtAge(model, cases.A[i]).raw(cases.L[i]);
        sum += residual * residual;
    }
    return std::sqrt(sum / static_cast<Extended>(cases.score.size()));
}

// The range of the values of the cases drawn at all (every case when counts is empty).
ValueRange range_of(const std::vector<Extended>& values, const std::vector<std::uint32_t>& counts = {})
{
    Extended low = INFINITY;
    Extended high = -INFINITY;
    for (std::size_t c = 0; c < values.size(); ++c)
        if (counts.empty() || counts[c] > 0) {
            low = std::min(low, values[c]);
            high = std::max(high, values[c]);
        }
    return {static_cast<double>(low), static_cast<double>(high)};
}

std::size_t drawn_cases(const RankedCases& cases)
{
    if (cases.counts.empty())
        return cases.score.size();
    std::size_t n = 0;
    for (const std::uint32_t count : cases.counts)
        n += count;
    return n;
}

ContinuousModel with_fit(ContinuousModel model, const TermFit& fit, const std::vector<PowerTerm>& terms)
{
    model.intercept = static_cast<double>(fit.intercept);
    model.terms.clear();
    for (std::size_t s = 0; s < terms.size(); ++s)
        model.terms.push_back({terms[s], static_cast<double>(fit.coefficients[s])});
    return model;
}

// What the search found at one size: the kept subsets in order up to the first whose curves do
// not cross.
struct SizeCheck {
    SizeOfModel size;
    SubsetMembers best = 0;
    std::optional<SubsetMembers> consistent;
    // The better-fitting models that cross, with where they cross left to be found if they are
    // reported.
    std::vector<SkippedModel> skipped;
    std::vector<ContinuousModel> skipped_models;
};

class ModelChoice {
public:
    // With counts, a bootstrap resample: no checks, and only the model.
    ModelChoice(const NormingSample& sample, const ContinuousOptions& options, ContinuousFit& fit,
                Interruption* interruption, std::vector<std::uint32_t> counts = {},
                const std::vector<RivalModel>& rivals = {})
        : sample_(sample), options_(options), fit_(fit), interruption_(interruption), rivals_(rivals),
          ranking_{options.window_width, options.scale.mean, options.scale.sd}, resample_(!counts.empty())
    {
        if (!resample_)
            fit_.warnings = check_norming_sample(sample, ranking_);
        ranked_ = CaseRanker(sample, ranking_).rank(std::move(counts));
        candidates_ = candidate_terms(options.k, options.t);
        regression_.emplace(ranked_, candidates_);

        base_.scale_name = options.scale.name;
        base_.scale_mean = static_cast<double>(options.scale.mean);
        base_.scale_sd = static_cast<double>(options.scale.sd);
        base_.k = options.k;
        base_.t = options.t;
        base_.age = range_of(ranked_.A);
        base_.L = range_of(ranked_.L, ranked_.counts);
        base_.raw = range_of(ranked_.score, ranked_.counts);
        base_.cases = static_cast<long long>(drawn_cases(ranked_));
        std::vector<Extended> group_values;
        if (sample.ages.empty())
            group_values = sample.groups;
        ages_ = consistency_ages(base_, group_values);
    }

    void run()
    {
        const std::size_t n = drawn_cases(ranked_);
        const int q = static_cast<int>(candidates_.size());
        if (options_.terms > static_cast<int>(n) - 2)
            throw std::invalid_argument("A model of " + std::to_string(options_.terms) + " terms needs at least " +
                                        std::to_string(options_.terms + 2) + " cases.");
        const int largest = options_.terms > 0 ? options_.terms : std::min(q, static_cast<int>(n) - 2);
        const BestSubsets best = find_best_subsets(regression_->correlations(), q, largest, options_.kept_per_size,
                                                   interruption_, options_.node_budget);
        if (best.budget_reached && !resample_)
            fit_.warnings.push_back("The model search stopped at its limit of " + std::to_string(best.nodes) +
                                    " nodes before it was through: the models below are the best it found, and "
                                    "lower powers of L or of age give it fewer candidates to search.");
        if (!best.dependent.empty() && !resample_) {
            std::vector<PowerTerm> left_out;
            for (const int c : best.dependent)
                left_out.push_back(candidates_[c]);
            fit_.warnings.push_back("Terms left out of the search, as these data cannot tell them from a sum of "
                                    "the terms before them: " + names_of(left_out) + ".");
        }
        std::vector<SizeCheck> checks;
        for (int p = 1; p < static_cast<int>(best.by_size.size()); ++p)
            if (!best.by_size[p].empty())
                checks.push_back(check_size(p, best.by_size[p]));
        if (options_.terms > 0 && (checks.empty() || checks.back().size.terms != options_.terms))
            throw std::invalid_argument("No model of " + std::to_string(options_.terms) +
                                        " terms can be fitted: these data tell only " +
                                        std::to_string(q - static_cast<int>(best.dependent.size())) +
                                        " candidate terms apart.");
        if (checks.empty())
            throw std::invalid_argument("No model can be fitted to these data.");
        fit_.rule = rule_of(options_);
        if (fit_.rule == ModelRule::cross_validation)
            cross_validate_sizes(checks);
        for (const SizeCheck& check : checks)
            fit_.search.push_back(check.size);

        const SizeCheck* chosen = choose(checks);
        const SubsetMembers members = chosen->consistent.value_or(chosen->best);
        const std::vector<PowerTerm> terms = terms_of(members, candidates_);
        if (resample_) {
            fit_.model = with_fit(base_, regression_->fit_from_correlations(members), terms);
            return;
        }
        const TermFit final_fit = regression_->fit_from_columns(members);
        fit_.model = with_fit(base_, final_fit, terms);
        fit_.r2 = 1 - final_fit.unexplained;
        fit_.adjusted_r2 = adjusted(final_fit.unexplained, n, chosen->size.terms);
        fit_.rmse = residual_rms(fit_.model, ranked_);
        fit_.crossings = find_crossings(fit_.model, ages_);
        if (!fit_.crossings.empty() && !chosen->consistent)
            fit_.warnings.push_back(crossing_warning(fit_.model, fit_.crossings));
        else if (!fit_.crossings.empty())
            // The search checks each model as solved from its cross products; the final fit by QR
            // may tip one whose slope only just stays up.
            fit_.warnings.push_back("The chosen model, " + names_of(terms) + ", only just keeps its curves from "
                                    "crossing, and its final fit crosses at " +
                                    crossings_text(fit_.crossings, fit_.model.age) + ".");
        for (const SizeCheck& check : checks)
            if (check.size.terms <= chosen->size.terms)
                for (std::size_t s = 0; s < check.skipped.size(); ++s) {
                    fit_.skipped.push_back(check.skipped[s]);
                    fit_.skipped.back().crossings = find_crossings(check.skipped_models[s], ages_);
                }
    }

private:
    // Each size's consistent model's cross-validated error, and the groups' own.
    void cross_validate_sizes(std::vector<SizeCheck>& checks)
    {
        std::vector<std::optional<SubsetMembers>> subsets(checks.back().size.terms + 1);
        for (const SizeCheck& check : checks)
            subsets[check.size.terms] = check.consistent;
        const CrossValidation validation = cross_validate(sample_, ranking_, ranked_.counts, ranked_, candidates_,
                                                          subsets, base_, interruption_, rivals_);
        for (SizeCheck& check : checks)
            check.size.cross_validated_error = validation.error_by_terms[check.size.terms];
        fit_.grouped_error = validation.grouped_error;
        fit_.rival_errors = validation.rival_errors;
        fit_.target_variance = validation.target_variance;
        fit_.rival_excess_se = validation.rival_excess_se;
        excess_se_by_terms_ = validation.excess_se_by_terms;
        target_variance_ = validation.target_variance;
    }

    SizeCheck check_size(int p, const std::vector<FittedSubset>& kept)
    {
        const std::size_t n = drawn_cases(ranked_);
        SizeCheck check;
        check.size.terms = p;
        check.best = kept.front().members;
        check.size.best_adjusted_r2 = adjusted(kept.front().unexplained, n, p);
        check.size.best = terms_of(check.best, candidates_);
        for (const FittedSubset& subset : kept) {
            stats::check(interruption_);
            const std::vector<PowerTerm> terms = terms_of(subset.members, candidates_);
            const ContinuousModel model = with_fit(base_, regression_->fit_from_correlations(subset.members), terms);
            if (find_crossings(model, ages_, 1).empty()) {
                check.consistent = subset.members;
                check.size.consistent_adjusted_r2 = adjusted(subset.unexplained, n, p);
                check.size.consistent = terms;
                break;
            }
            if (resample_)
                continue;
            check.skipped.push_back({terms, adjusted(subset.unexplained, n, p), {}});
            check.skipped_models.push_back(model);
        }
        return check;
    }

    const SizeCheck* choose(const std::vector<SizeCheck>& checks)
    {
        if (options_.terms > 0)
            return &checks.back();
        if (options_.rule == ModelRule::cross_validation)
            if (const SizeCheck* best = least_cross_validated_error(checks)) {
                const Extended error = *best->size.cross_validated_error;
                fit_.cross_validated_error = error;
                fit_.excess_se = excess_se_by_terms_[best->size.terms];
                fit_.out_of_sample_mse = std::max(Extended(0), error * error - target_variance_);
                fit_.grouped_better = !resample_ && *fit_.grouped_error <= error;
                if (fit_.grouped_better)
                    fit_.warnings.push_back(
                        "No model predicts held-out cases' norm scores better than their ranks within their ranking "
                        "groups (cross-validated error " + format_fixed(*best->size.cross_validated_error, 0, 3) +
                        " against " + format_fixed(*fit_.grouped_error, 0, 3) +
                        "): norms tables for each group (vornak-batch scores) are recommended.");
                return best;
            }
        const SizeCheck* highest = nullptr;
        for (const SizeCheck& check : checks) {
            if (!check.consistent)
                continue;
            if (*check.size.consistent_adjusted_r2 > options_.r2)
                return &check;
            if (!highest || *check.size.consistent_adjusted_r2 > *highest->size.consistent_adjusted_r2)
                highest = &check;
        }
        if (highest)
            return highest;
        // Every kept model crosses: the best fit, with its crossings as a warning.
        return &*std::max_element(checks.begin(), checks.end(), [](const SizeCheck& a, const SizeCheck& b) {
            return a.size.best_adjusted_r2 < b.size.best_adjusted_r2;
        });
    }

    // The fewest terms of the least error; none when no size has a consistent model.
    static const SizeCheck* least_cross_validated_error(const std::vector<SizeCheck>& checks)
    {
        const SizeCheck* best = nullptr;
        for (const SizeCheck& check : checks)
            if (check.size.cross_validated_error &&
                (!best || *check.size.cross_validated_error < *best->size.cross_validated_error))
                best = &check;
        return best;
    }

    const NormingSample& sample_;
    const ContinuousOptions& options_;
    ContinuousFit& fit_;
    Interruption* interruption_;
    std::vector<RivalModel> rivals_;
    RankingChoice ranking_;
    bool resample_;
    Extended target_variance_ = 0;
    std::vector<std::optional<Extended>> excess_se_by_terms_;
    RankedCases ranked_;
    std::vector<PowerTerm> candidates_;
    std::optional<CandidateRegression> regression_;
    ContinuousModel base_;
    std::vector<Extended> ages_;
};

}  // namespace

ModelRule rule_of(const ContinuousOptions& options)
{
    return options.terms > 0 ? ModelRule::fixed_terms : options.rule;
}

ContinuousModel refit_resample(const NormingSample& sample, const ContinuousOptions& options,
                               std::vector<std::uint32_t> counts)
{
    ContinuousFit fit;
    ModelChoice choice(sample, options, fit, nullptr, std::move(counts));
    choice.run();
    return fit.model;
}

ContinuousFit fit_continuous_norms(const NormingSample& sample, const ContinuousOptions& options,
                                   Interruption* interruption, const std::vector<RivalModel>& rivals)
{
    check_options(options);
    ContinuousFit fit;
    ModelChoice choice(sample, options, fit, interruption, {}, rivals);
    choice.run();
    return fit;
}

std::vector<NormCell> continuous_norm_table(const ContinuousModel& model, const std::vector<Extended>& ages,
                                          long long raw_min, long long raw_max)
{
    if (raw_min > raw_max)
        throw std::invalid_argument("The lowest raw score of a table must not lie above the highest.");
    std::vector<Extended> raw_scores;
    raw_scores.reserve(static_cast<std::size_t>(raw_max - raw_min + 1));
    for (long long raw = raw_min; raw <= raw_max; ++raw)
        raw_scores.push_back(static_cast<Extended>(raw));
    return continuous_norm_table(model, ages, raw_scores);
}

std::vector<NormCell> continuous_norm_table(const ContinuousModel& model, const std::vector<Extended>& ages,
                                          const std::vector<Extended>& raw_scores)
{
    for (const Extended age : ages)
        if (!(age >= model.age.low && age <= model.age.high))
            throw std::invalid_argument("Age " + data_number_text(static_cast<double>(age)) +
                                        " lies outside the norm sample's ages, " + data_number_text(model.age.low) +
                                        " to " + data_number_text(model.age.high) + "; the model does not extrapolate.");
    std::vector<NormCell> cells;
    cells.reserve(ages.size() * raw_scores.size());
    for (const Extended age : ages) {
        const ModelAtAge at_age(model, age);
        for (const Extended raw : raw_scores) {
            const NormScore score = norm_of_raw(model, at_age, raw);
            cells.push_back({age, raw, score.L, score.PR, score.side, std::nullopt});
        }
    }
    return cells;
}

}  // namespace stats
