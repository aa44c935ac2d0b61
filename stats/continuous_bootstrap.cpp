#include "stats/continuous_bootstrap.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <stdexcept>
#include <thread>

#include "stats/continuous_least_squares.hpp"
#include "stats/resampling.hpp"

namespace stats {
namespace {

class Bootstrap {
public:
    Bootstrap(const NormingSample& sample, const ContinuousOptions& options, const ContinuousModel& model,
              std::uint64_t seed)
        : sample_(sample), ranker_(sample, {options.window_width, options.scale.mean, options.scale.sd}),
          model_(model), seed_(seed), strata_(strata_of(sample.groups, sample.scores.size()))
    {
        for (const ModelTerm& term : model.terms)
            terms_.push_back(term.power);
    }

    // Resample `index`'s model.
    ContinuousModel refit(std::size_t index) const
    {
        // The resample as the number of times each case is drawn.
        std::mt19937_64 engine = resample_engine(seed_, index);
        const RankedCases ranked = ranker_.rank(drawn_counts(engine, strata_, sample_.scores.size()));
        const TermFit fit = CandidateRegression(ranked, terms_).fit_from_correlations(all_candidates(terms_.size()));

        ContinuousModel refitted = model_;
        refitted.intercept = static_cast<double>(fit.intercept);
        for (std::size_t s = 0; s < terms_.size(); ++s)
            refitted.terms[s].coefficient = static_cast<double>(fit.coefficients[s]);
        Extended L_low = std::numeric_limits<Extended>::infinity();
        Extended L_high = -L_low;
        for (std::size_t c = 0; c < ranked.L.size(); ++c)
            if (ranked.counts[c] > 0) {
                L_low = std::min(L_low, ranked.L[c]);
                L_high = std::max(L_high, ranked.L[c]);
            }
        refitted.L = {static_cast<double>(L_low), static_cast<double>(L_high)};
        return refitted;
    }

private:
    const NormingSample& sample_;
    CaseRanker ranker_;
    const ContinuousModel& model_;
    std::uint64_t seed_;
    std::vector<std::vector<std::size_t>> strata_;
    std::vector<PowerTerm> terms_;
};

}  // namespace

Resamples resample_models(const NormingSample& sample, const ContinuousOptions& options, const ContinuousModel& model,
                          const BootstrapChoice& choice, Interruption* interruption)
{
    if (choice.resamples < 1)
        throw std::invalid_argument("A bootstrap needs at least one resample.");
    check_norming_sample(sample, {options.window_width, options.scale.mean, options.scale.sd});
    const Bootstrap bootstrap(sample, options, model, choice.seed);
    Resamples resamples{choice, std::vector<ContinuousModel>(static_cast<std::size_t>(choice.resamples))};
    for_each_index(resamples.models.size(), choice.threads, [&](std::size_t r) {
        check(interruption);
        resamples.models[r] = bootstrap.refit(r);
        if (interruption)
            ++interruption->done;
    });
    return resamples;
}

void add_bootstrap_limits(std::vector<NormCell>& cells, const Resamples& resamples)
{
    const std::size_t count = resamples.models.size();
    const std::size_t width = cells.size();
    if (count == 0 || width == 0)
        return;
    std::vector<Extended> norms(count * width);
    std::vector<Extended> ranks(count * width);
    for_each_index(count, resamples.choice.threads, [&](std::size_t r) {
        const ContinuousModel& model = resamples.models[r];
        for (std::size_t c = 0; c < width;) {
            const Extended age = cells[c].age;
            const ModelAtAge at_age(model, age);
            for (; c < width && cells[c].age == age; ++c) {
                const NormScore score = norm_of_raw(model, at_age, static_cast<Extended>(cells[c].raw));
                norms[r * width + c] = score.L;
                ranks[r * width + c] = score.PR;
            }
        }
    });
    std::vector<Extended> cell_norms(count);
    std::vector<Extended> cell_ranks(count);
    for (std::size_t c = 0; c < width; ++c) {
        for (std::size_t r = 0; r < count; ++r) {
            cell_norms[r] = norms[r * width + c];
            cell_ranks[r] = ranks[r * width + c];
        }
        cells[c].limits = percentile_limits(cell_norms, cell_ranks);
    }
}

std::vector<NormCell> bootstrap_norm_table(const NormingSample& sample, const ContinuousOptions& options,
                                         const ContinuousModel& model, const std::vector<Extended>& ages,
                                         long long raw_min, long long raw_max, const BootstrapChoice& choice)
{
    std::vector<NormCell> cells = continuous_norm_table(model, ages, raw_min, raw_max);
    if (choice.resamples < 0)
        throw std::invalid_argument("The number of bootstrap resamples must not be negative.");
    if (choice.resamples > 0)
        add_bootstrap_limits(cells, resample_models(sample, options, model, choice));
    return cells;
}

}  // namespace stats
