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
// A model's bias is seldom the same everywhere: one too stiff for a floor errs at the low scores
// and hardly in the middle, and one mean bias would widen the middle's intervals too much and the
// floor's too little. So the same estimate is made within each band of the norm scale
// (location_band: the quintiles of z), from the held-out cases and the sample's cases whose
// locations lie in it, and a cell's limits widen by its own band's bias: the estimate of the
// error conditional on where the norm score lies, which coverage at that cell depends on
// (conditional coverage; Vovk 2012, Lei & Wasserman 2014). The accuracy suite measures what is left.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "stats/continuous_norms.hpp"

namespace stats {

struct ModelBias {
    Extended overall = 0;  // b over all cases: the figure a report gives
    BandValues by_band{};  // b within each band, by which a cell's limits widen
};

// The out-of-sample mean squared errors, over all cases and within each band: criteria squared
// less their targets' variance, at least 0.
struct OutOfSampleError {
    Extended overall = 0;
    BandValues by_band{};
};

// Of the fit's chosen model (its criterion cross-validated), or of its rival r.
OutOfSampleError out_of_sample_error(const ContinuousFit& fit);
OutOfSampleError rival_out_of_sample_error(const ContinuousFit& fit, std::size_t r);

// b on the scale: 0 unless the fit's number of terms was cross-validated. `models` are the
// resamples' models.
ModelBias model_bias(const NormingSample& sample, const ContinuousOptions& options, const ContinuousFit& fit,
                    const std::vector<ContinuousModel>& models);

// b on the scale of `options` from a model's out-of-sample mean squared errors and `resamples`
// resampled models, `PR(r, age, raw)` giving resample r's proportion at a raw score and age.
ModelBias bias_beside_resamples(const NormingSample& sample, const ContinuousOptions& options,
                               const OutOfSampleError& error, std::size_t resamples,
                               const std::function<Extended(std::size_t, Extended, Extended)>& PR);

// Moves each cell's finite limits out by its band's bias; its PR limits follow its norm limits on
// a scale of this mean and SD.
void widen_by_bias(std::vector<NormCell>& cells, const ModelBias& bias, Extended scale_mean, Extended scale_sd);

}  // namespace stats
