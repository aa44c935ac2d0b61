// Bootstrap intervals for the cells of a continuous norm table. Each resample draws the cases
// of every ranking group again with replacement, ranks them again, refits the chosen model's
// terms (the search is not repeated) and computes every cell again; a cell's limits are
// percentiles of its values over the resamples.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/continuous_norms.hpp"

namespace stats {

struct BootstrapChoice {
    int resamples = 0;
    std::uint64_t seed = 1;
    // 0: one for each core.
    unsigned threads = 0;
};

// The cells of `model` (fitted to `sample` with `options`), each with its limits when
// choice.resamples > 0. A resample's random stream follows from the seed and the resample's
// number alone, so the limits are the same for any number of threads.
std::vector<NormCell> bootstrap_norm_table(const NormingSample& sample, const ContinuousOptions& options,
                                         const ContinuousModel& model, const std::vector<Extended>& ages,
                                         long long raw_min, long long raw_max, const BootstrapChoice& choice);

// The p-quantile of ascending values, by linear interpolation between the order statistics
// x(1) … x(B) at position 1 + (B - 1)p (Hyndman & Fan's definition 7). Requires values.
Extended sample_quantile(const std::vector<Extended>& ascending, Extended p);

}  // namespace stats
