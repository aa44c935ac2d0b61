// Bootstrap intervals for the cells of a continuous norm table. Each resample draws the cases
// of every ranking group again with replacement and repeats the whole procedure on them: ranks
// them again, searches the subsets and chooses the model by the same rule (so the intervals
// show the uncertainty of the choice too), and computes every cell again; a cell's limits are
// percentiles of its values over the resamples.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/continuous_norms.hpp"
#include "stats/interruption.hpp"
#include "stats/resampling.hpp"

namespace stats {

// The most resamples a bootstrap takes.
inline constexpr int max_bootstrap_resamples = 100000;

struct BootstrapChoice {
    int resamples = 0;
    std::uint64_t seed = 1;
    // 0: one for each core.
    unsigned threads = 0;

    friend bool operator==(const BootstrapChoice&, const BootstrapChoice&) = default;
};

// A bootstrap's refitted models, one per resample in the resamples' order: each chosen and
// fitted again on the resample, with the resample's own range of L. Kept, they give the
// limits at any age without drawing again.
struct Resamples {
    BootstrapChoice choice;
    std::vector<ContinuousModel> models;
    // The chosen model's bias as cross-validation estimates it, by which the limits are widened
    // (continuous_model_bias.hpp); 0 when the number of terms is not cross-validated.
    Extended bias = 0;
};

// Draws and refits the resamples of `choice` (at least one). Counts each resample done in the
// interruption, if any, and throws Interrupted when it asks to stop.
// `fitted`, the whole sample's fit when the caller has it, spares fitting it again for the bias.
Resamples resample_models(const NormingSample& sample, const ContinuousOptions& options, const BootstrapChoice& choice,
                          Interruption* interruption = nullptr, const ContinuousFit* fitted = nullptr);

// Gives each cell its limits: percentiles of its norm score and PR under the resamples' models. A
// resample's score beyond its model's range counts as -inf (PR 0) for the lower limits when
// below, and +inf (PR 100) for the upper limits when above: a cell beyond the range gets a
// one-sided interval with its bound.
void add_bootstrap_limits(std::vector<NormCell>& cells, const Resamples& resamples);

// The cells of `model` (fitted to `sample` with `options`), each with its limits when
// choice.resamples > 0. A resample's random stream follows from the seed and the resample's
// number alone, so the limits are the same for any number of threads.
std::vector<NormCell> bootstrap_norm_table(const NormingSample& sample, const ContinuousOptions& options,
                                         const ContinuousModel& model, const std::vector<Extended>& ages,
                                         long long raw_min, long long raw_max, const BootstrapChoice& choice);

}  // namespace stats
