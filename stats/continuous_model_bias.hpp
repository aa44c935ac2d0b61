// Widening the bootstrap's intervals by the chosen model's bias. The resamples show how much a
// model's norm scores vary from sample to sample, not how far the model's shape lies from the
// population's: a polynomial too stiff for a floor is wrong the same way in every resample. That
// error is estimated out of sample. The cross-validated criterion squared, less its targets'
// own variance, is the mean squared error of models fitted to (K - 1)/K of the cases; less the
// variance the resamples show at the sample's cases, scaled to that size by K/(K - 1), what is
// left estimates the mean squared bias b². Each limit then moves out by what adding (z b)² to the
// square of its distance from the norm score adds (z = 1.96 for 95%, 1.645 for 90%): intervals
// for an estimate with an error of variance V + b², in the spirit of the bias-adjusted intervals
// of prediction (Efron & Tibshirani 1997; Hastie, Tibshirani & Friedman 2009, section 7.10).
// The bias is one mean over the cases, so cells where the model is worse than average are still
// held less often than the level says; the accuracy suite measures what is left.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "stats/continuous_norms.hpp"

namespace stats {

// b on the scale: 0 unless the fit's number of terms was cross-validated. `models` are the
// resamples' models.
Extended model_bias(const NormingSample& sample, const ContinuousOptions& options, const ContinuousFit& fit,
                    const std::vector<ContinuousModel>& models);

// b on the scale of `options` from a model's out-of-sample mean squared error and `resamples`
// resampled models, `PR(r, age, raw)` giving resample r's proportion at a raw score and age.
Extended bias_beside_resamples(const NormingSample& sample, const ContinuousOptions& options,
                               Extended out_of_sample_mse, std::size_t resamples,
                               const std::function<Extended(std::size_t, Extended, Extended)>& PR);

// Moves each cell's finite limits out by the bias; its PR limits follow its norm limits on a
// scale of this mean and SD.
void widen_by_bias(std::vector<NormCell>& cells, Extended bias, Extended scale_mean, Extended scale_sd);

}  // namespace stats
