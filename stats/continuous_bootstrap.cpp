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
#include "stats/continuous_model_bias.hpp"
#include "stats/resampling.hpp"

namespace stats {
namespace {

class Bootstrap {
public:
    Bootstrap(const NormingSample& sample, const ContinuousOptions& options, std::uint64_t seed)
        : sample_(sample), options_(options), seed_(seed), strata_(strata_of(sample.groups, sample.scores.size()))
    {
    }

    // Resample `index`'s model.
    ContinuousModel refit(std::size_t index) const
    {
        // The resample as the number of times each case is drawn.
        std::mt19937_64 engine = resample_engine(seed_, index);
        return refit_resample(sample_, options_, drawn_counts(engine, strata_, sample_.scores.size()));
    }

private:
    const NormingSample& sample_;
    const ContinuousOptions& options_;
    std::uint64_t seed_;
    std::vector<std::vector<std::size_t>> strata_;
};

// A resample's score of a cell beyond its model's range is only known to lie beyond the bound: it
// may lie anywhere below (or above) it. So the lower limits count a score below the range as
// -inf (PR 0) and the upper limits count a score above it as +inf (PR 100), and a cell beyond the
// range of most resamples gets a one-sided interval that ends at their bounds, not a zero-width
// one at the bound.
struct ResampledScores {
    std::vector<Extended> norms;
    std::vector<Extended> ranks;
    std::vector<RangeSide> sides;
};

BootstrapLimits limits_of(const ResampledScores& scores)
{
    const std::size_t count = scores.norms.size();
    std::vector<Extended> low_norms(count), high_norms(count), low_ranks(count), high_ranks(count);
    const Extended infinity = std::numeric_limits<Extended>::infinity();
    for (std::size_t r = 0; r < count; ++r) {
        const bool below = scores.sides[r] == RangeSide::below;
        const bool above = scores.sides[r] == RangeSide::above;
        low_norms[r] = below ? -infinity : scores.norms[r];
        low_ranks[r] = below ? 0 : scores.ranks[r];
        high_norms[r] = above ? infinity : scores.norms[r];
        high_ranks[r] = above ? 100 : scores.ranks[r];
    }
    for (std::vector<Extended>* values : {&low_norms, &high_norms, &low_ranks, &high_ranks})
        std::sort(values->begin(), values->end());
    return {sample_quantile(low_norms, 0.025L),  sample_quantile(high_norms, 0.975L),
            sample_quantile(low_norms, 0.05L),   sample_quantile(high_norms, 0.95L),
            sample_quantile(low_ranks, 0.025L),  sample_quantile(high_ranks, 0.975L),
            sample_quantile(low_ranks, 0.05L),   sample_quantile(high_ranks, 0.95L)};
}

}  // namespace

Resamples resample_models(const NormingSample& sample, const ContinuousOptions& options, const BootstrapChoice& choice,
                          Interruption* interruption, const ContinuousFit* fitted)
{
    if (choice.resamples < 1)
        throw std::invalid_argument("A bootstrap needs at least one resample.");
    check_norming_sample(sample, {options.window_width, options.scale.mean, options.scale.sd});
    const Bootstrap bootstrap(sample, options, choice.seed);
    Resamples resamples{choice, std::vector<ContinuousModel>(static_cast<std::size_t>(choice.resamples))};
    for_each_index(resamples.models.size(), choice.threads, [&](std::size_t r) {
        check(interruption);
        resamples.models[r] = bootstrap.refit(r);
        if (interruption)
            ++interruption->done;
    });
    if (rule_of(options) == ModelRule::cross_validation)
        resamples.bias = model_bias(sample, options, fitted ? *fitted : fit_continuous_norms(sample, options, interruption),
                                    resamples.models);
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
    std::vector<RangeSide> sides(count * width);
    for_each_index(count, resamples.choice.threads, [&](std::size_t r) {
        const ContinuousModel& model = resamples.models[r];
        for (std::size_t c = 0; c < width;) {
            const Extended age = cells[c].age;
            const ModelAtAge at_age(model, age);
            for (; c < width && cells[c].age == age; ++c) {
                const NormScore score = norm_of_raw(model, at_age, cells[c].raw);
                norms[r * width + c] = score.L;
                ranks[r * width + c] = score.PR;
                sides[r * width + c] = score.side;
            }
        }
    });
    ResampledScores cell{std::vector<Extended>(count), std::vector<Extended>(count), std::vector<RangeSide>(count)};
    for (std::size_t c = 0; c < width; ++c) {
        for (std::size_t r = 0; r < count; ++r) {
            cell.norms[r] = norms[r * width + c];
            cell.ranks[r] = ranks[r * width + c];
            cell.sides[r] = sides[r * width + c];
        }
        cells[c].limits = limits_of(cell);
    }
    const ContinuousModel& model = resamples.models.front();
    widen_by_bias(cells, resamples.bias, model.scale_mean, model.scale_sd);
}

std::vector<NormCell> bootstrap_norm_table(const NormingSample& sample, const ContinuousOptions& options,
                                         const ContinuousModel& model, const std::vector<Extended>& ages,
                                         long long raw_min, long long raw_max, const BootstrapChoice& choice)
{
    std::vector<NormCell> cells = continuous_norm_table(model, ages, raw_min, raw_max);
    if (choice.resamples < 0)
        throw std::invalid_argument("The number of bootstrap resamples must not be negative.");
    if (choice.resamples > 0)
        add_bootstrap_limits(cells, resample_models(sample, options, choice));
    return cells;
}

}  // namespace stats
