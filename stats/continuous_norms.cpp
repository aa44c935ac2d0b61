#include "stats/continuous_norms.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "stats/best_subsets.hpp"
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
    if (!(options.r2 > 0 && options.r2 <= 1))
        throw std::invalid_argument("The R² to reach must lie above 0 and at most 1.");
    if (options.scale.rule != ScaleRule::Linear)
        throw std::invalid_argument("Continuous norms need a scale of mean and standard deviation, not " +
                                    options.scale.name + ".");
    if (options.kept_per_size < 1)
        throw std::invalid_argument("The search must keep at least one model of each size.");
    const int candidates = (options.k + 1) * (options.t + 1) - 1;
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

ValueRange range_of(const std::vector<Extended>& values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return {static_cast<double>(*low), static_cast<double>(*high)};
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
    ModelChoice(const NormingSample& sample, const ContinuousOptions& options, ContinuousFit& fit,
                const Interruption* interruption)
        : options_(options), fit_(fit), interruption_(interruption)
    {
        const RankingChoice ranking{options.window_width, options.scale.mean, options.scale.sd};
        fit_.warnings = check_norming_sample(sample, ranking);
        ranked_ = rank_cases(sample, ranking);
        candidates_ = candidate_terms(options.k, options.t);
        regression_.emplace(ranked_, candidates_);

        base_.scale_name = options.scale.name;
        base_.scale_mean = static_cast<double>(options.scale.mean);
        base_.scale_sd = static_cast<double>(options.scale.sd);
        base_.k = options.k;
        base_.t = options.t;
        base_.age = range_of(ranked_.A);
        base_.L = range_of(ranked_.L);
        base_.raw = range_of(ranked_.score);
        base_.cases = static_cast<long long>(ranked_.score.size());
        std::vector<Extended> group_values;
        if (sample.ages.empty())
            group_values = sample.groups;
        ages_ = consistency_ages(base_, group_values);
    }

    void run()
    {
        const std::size_t n = ranked_.score.size();
        const int q = static_cast<int>(candidates_.size());
        if (options_.terms > static_cast<int>(n) - 2)
            throw std::invalid_argument("A model of " + std::to_string(options_.terms) + " terms needs at least " +
                                        std::to_string(options_.terms + 2) + " cases.");
        const int largest = options_.terms > 0 ? options_.terms : std::min(q, static_cast<int>(n) - 2);
        const BestSubsets best = find_best_subsets(regression_->correlations(), q, largest, options_.kept_per_size,
                                                   interruption_);
        if (!best.dependent.empty()) {
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
        for (const SizeCheck& check : checks)
            fit_.search.push_back(check.size);

        const SizeCheck* chosen = choose(checks);
        const SubsetMembers members = chosen->consistent.value_or(chosen->best);
        const std::vector<PowerTerm> terms = terms_of(members, candidates_);
        const TermFit final_fit = regression_->fit_from_columns(members);
        fit_.model = with_fit(base_, final_fit, terms);
        fit_.r2 = 1 - final_fit.unexplained;
        fit_.adjusted_r2 = adjusted(final_fit.unexplained, n, chosen->size.terms);
        fit_.rmse = residual_rms(fit_.model, ranked_);
        fit_.crossings = find_crossings(fit_.model, ages_);
        if (!fit_.crossings.empty() && !chosen->consistent)
            fit_.warnings.push_back("No model of " + std::to_string(chosen->size.terms) +
                                    " terms keeps the raw score from falling as L rises; the best one, " +
                                    names_of(terms) + ", is used. Its curves cross at " +
                                    crossings_text(fit_.crossings, fit_.model.age) + ".");
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
    SizeCheck check_size(int p, const std::vector<FittedSubset>& kept)
    {
        const std::size_t n = ranked_.score.size();
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
            check.skipped.push_back({terms, adjusted(subset.unexplained, n, p), {}});
            check.skipped_models.push_back(model);
        }
        return check;
    }

    const SizeCheck* choose(const std::vector<SizeCheck>& checks) const
    {
        if (options_.terms > 0)
            return &checks.back();
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

    const ContinuousOptions& options_;
    ContinuousFit& fit_;
    const Interruption* interruption_;
    RankedCases ranked_;
    std::vector<PowerTerm> candidates_;
    std::optional<CandidateRegression> regression_;
    ContinuousModel base_;
    std::vector<Extended> ages_;
};

}  // namespace

ContinuousFit fit_continuous_norms(const NormingSample& sample, const ContinuousOptions& options,
                                   const Interruption* interruption)
{
    check_options(options);
    ContinuousFit fit;
    ModelChoice choice(sample, options, fit, interruption);
    choice.run();
    return fit;
}

std::vector<NormCell> continuous_norm_table(const ContinuousModel& model, const std::vector<Extended>& ages,
                                          long long raw_min, long long raw_max)
{
    if (raw_min > raw_max)
        throw std::invalid_argument("The lowest raw score of a table must not lie above the highest.");
    for (const Extended age : ages)
        if (!(age >= model.age.low && age <= model.age.high))
            throw std::invalid_argument("Age " + data_number_text(static_cast<double>(age)) +
                                        " lies outside the norm sample's ages, " + data_number_text(model.age.low) +
                                        " to " + data_number_text(model.age.high) + "; the model does not extrapolate.");
    std::vector<NormCell> cells;
    cells.reserve(ages.size() * static_cast<std::size_t>(raw_max - raw_min + 1));
    for (const Extended age : ages) {
        const ModelAtAge at_age(model, age);
        for (long long raw = raw_min; raw <= raw_max; ++raw) {
            const NormScore score = norm_of_raw(model, at_age, static_cast<Extended>(raw));
            cells.push_back({age, raw, score.L, score.PR, score.side, std::nullopt});
        }
    }
    return cells;
}

}  // namespace stats
