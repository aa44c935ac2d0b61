// Bootstrap intervals for the cells of a continuous norm table. Each resample draws the cases
// of every ranking group again with replacement, ranks them again, refits the chosen model's
// terms (the search is not repeated) and computes every cell again; a cell's limits are
// percentiles of its values over the resamples.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/continuous_norms.hpp"
#include "stats/interruption.hpp"
#include "stats/resampling.hpp"

namespace stats {

struct BootstrapChoice {
    int resamples = 0;
    std::uint64_t seed = 1;
    // 0: one for each core.
    unsigned threads = 0;

    friend bool operator==(const BootstrapChoice&, const BootstrapChoice&) = default;
};

// A bootstrap's refitted models, one per resample in the resamples' order: the chosen model's
// terms fitted again to the resample, with the resample's own range of L. Kept, they give the
// limits at any age without drawing again.
struct Resamples {
    BootstrapChoice choice;
    std::vector<ContinuousModel> models;
};

// Draws and refits the resamples of `choice` (at least one). Counts each resample done in the
// interruption, if any, and throws Interrupted when it asks to stop.
Resamples resample_models(const NormingSample& sample, const ContinuousOptions& options, const ContinuousModel& model,
                          const BootstrapChoice& choice, Interruption* interruption = nullptr);

// Gives each cell its limits: percentiles of its norm score and PR under the resamples' models.
void add_bootstrap_limits(std::vector<NormCell>& cells, const Resamples& resamples);

// The cells of `model` (fitted to `sample` with `options`), each with its limits when
// choice.resamples > 0. A resample's random stream follows from the seed and the resample's
// number alone, so the limits are the same for any number of threads.
std::vector<NormCell> bootstrap_norm_table(const NormingSample& sample, const ContinuousOptions& options,
                                         const ContinuousModel& model, const std::vector<Extended>& ages,
                                         long long raw_min, long long raw_max, const BootstrapChoice& choice);

}  // namespace stats
