#include "stats/continuous_model_bias.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include <boost/math/distributions/normal.hpp>

#include "stats/continuous_cross_validation.hpp"
#include "stats/norm_scales.hpp"

namespace stats {
namespace {

// Enough cases for a mean variance, few enough to keep the look-ups quick with continuous ages.
constexpr std::size_t most_cases = 1000;

const boost::math::normal_distribution<Extended> standard_normal;

// How far a limit at `distance` from the norm score moves out: √(d² + (z b)²) - |d|.
Extended widening(Extended distance, Extended z, Extended bias)
{
    return std::hypot(distance, z * bias) - std::abs(distance);
}

}  // namespace

Extended model_bias(const NormingSample& sample, const ContinuousOptions& options, const ContinuousFit& fit,
                    const std::vector<ContinuousModel>& models)
{
    if (!fit.out_of_sample_mse)
        return 0;
    return bias_beside_resamples(sample, options, *fit.out_of_sample_mse, models.size(),
                                 [&models](std::size_t r, Extended age, Extended raw) {
                                     return norm_of_raw(models[r], ModelAtAge(models[r], age), raw).PR / 100;
                                 });
}

Extended bias_beside_resamples(const NormingSample& sample, const ContinuousOptions& options,
                               Extended out_of_sample_mse, std::size_t resamples,
                               const std::function<Extended(std::size_t, Extended, Extended)>& PR_of)
{
    if (resamples < 2)
        return 0;
    const RankingChoice ranking{options.window_width, options.scale.mean, options.scale.sd};
    const RankedCases ranked = rank_cases(sample, ranking);
    const std::size_t step = std::max<std::size_t>(1, ranked.score.size() / most_cases);
    // The resamples' variance of the PR at each case, weighted as the criterion weighs it.
    std::map<std::pair<Extended, Extended>, Extended> variance_at;
    Extended sum = 0;
    std::size_t cases = 0;
    for (std::size_t c = 0; c < ranked.score.size(); c += step) {
        auto [at, added] = variance_at.try_emplace({ranked.A[c], ranked.score[c]}, 0);
        if (added) {
            Extended mean = 0, squares = 0;
            for (std::size_t r = 0; r < resamples; ++r) {
                const Extended PR = PR_of(r, ranked.A[c], ranked.score[c]);
                const Extended deviation = PR - mean;
                mean += deviation / static_cast<Extended>(r + 1);
                squares += deviation * (PR - mean);
            }
            at->second = squares / static_cast<Extended>(resamples - 1);
        }
        const Extended z = std::clamp((ranked.L[c] - ranking.scale_mean) / ranking.scale_sd, -1.96L, 1.96L);
        const Extended density = boost::math::pdf(standard_normal, z);
        sum += at->second * ranking.scale_sd * ranking.scale_sd / (density * density);
        ++cases;
    }
    const Extended folds = cross_validation_folds;
    const Extended squared_bias = out_of_sample_mse - sum / static_cast<Extended>(cases) * folds / (folds - 1);
    return squared_bias > 0 ? std::sqrt(squared_bias) : 0;
}

void widen_by_bias(std::vector<NormCell>& cells, Extended bias, Extended scale_mean, Extended scale_sd)
{
    if (!(bias > 0))
        return;
    const auto PR_of = [scale_mean, scale_sd](Extended norm) {
        return 100 * proportion_of_z((norm - scale_mean) / scale_sd);
    };
    for (NormCell& cell : cells) {
        if (!cell.limits)
            continue;
        BootstrapLimits& limits = *cell.limits;
        for (const auto& [lower, upper, z] : {std::tuple{&limits.norm_lower95, &limits.norm_upper95, 1.959963984540054L},
                                              std::tuple{&limits.norm_lower90, &limits.norm_upper90, 1.644853626951473L}}) {
            if (std::isfinite(*lower))
                *lower -= widening(cell.norm - *lower, z, bias);
            if (std::isfinite(*upper))
                *upper += widening(*upper - cell.norm, z, bias);
        }
        limits.PR_lower95 = PR_of(limits.norm_lower95);
        limits.PR_upper95 = PR_of(limits.norm_upper95);
        limits.PR_lower90 = PR_of(limits.norm_lower90);
        limits.PR_upper90 = PR_of(limits.norm_upper90);
    }
}

}  // namespace stats
