// The continuous norm tables of a run: a model fitted to the cases, or read from its file, and
// its norm scores for the raw scores MIN … MAX at each age asked for, with bootstrap limits
// when resamples are asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/continuous_bootstrap.hpp"
#include "stats/continuous_norms.hpp"

namespace norms {

using stats::Extended;

// What the tables were made from, as the outputs describe it.
struct ContinuousSource {
    std::string data_file;   // its full name; empty for a model read from its file
    std::string model_file;  // the model's file, when the model was read from one
    std::string score_variable;
    std::string age_variable;    // empty: the model's age is the group's value
    std::string group_variable;  // empty: the cases were ranked within age windows
    Extended window_width = 0;
    std::int64_t cases_skipped = 0;  // for a missing score, age or group value
};

struct ContinuousTables {
    std::optional<stats::ContinuousFit> fit;  // none for a model read from its file
    stats::ContinuousOptions options;         // of the fit
    stats::ContinuousModel model;
    std::vector<Extended> ages;
    long long raw_min = 0;
    long long raw_max = 0;
    // The rows' raw scores when they are not the whole scores raw_min … raw_max (a grid of
    // decimal steps, which raw_min and raw_max then enclose).
    std::vector<Extended> raw_scores;
    // The decimals with which the workbook, the manual table and the chart show those rows: a
    // step's, or the most that a listed score has; 0 for whole scores.
    int score_decimals = 0;
    int resamples = 0;  // the cells have limits when above 0
    std::uint64_t seed = 0;
    Extended bias = 0;  // by which the limits were widened
    // The cells are the ranking groups' own norms, their limits exact (group_norms.hpp).
    bool group_norms = false;
    std::vector<std::string> group_sizes;  // then each age's cases, "n = 97" (group_norm_cells)
    std::vector<stats::NormCell> cells;  // age by age, each age's raw scores ascending
};

// The ages of a table when none are asked for: each ranking group's value when those are the
// model's ages, else about 13 ages evenly over the sample's, at round steps (1, 2, 2.5 or 5
// times a power of ten), such as 5, 6, … 16 for ages 4.2 to 16.9.
std::vector<Extended> default_norm_ages(const stats::NormingSample& sample);

// Ages at round steps over a range, about `steps` steps apart (12 for default_norm_ages); each
// is the double nearest to its decimal value.
std::vector<Extended> evenly_spaced_ages(double low, double high, double steps = 12);

// Ages separated by commas, such as "6,7.5,9", each taken as the nearest double, in the order
// given and each once; none for any other text.
std::optional<std::vector<Extended>> parse_age_list(const std::string& text);

// Fits the model and makes its tables at `ages` (the default ages when empty), for the raw
// scores raw_min … raw_max, or those of `raw_scores` when it lists any. Throws
// std::invalid_argument, with the reason, for a sample or choices the model cannot use and for
// ages outside the sample's, and stats::Interrupted when `interruption` asks it to stop.
ContinuousTables fit_continuous_tables(const stats::NormingSample& sample, const stats::ContinuousOptions& options,
                                       std::vector<Extended> ages, long long raw_min, long long raw_max,
                                       const stats::BootstrapChoice& bootstrap,
                                       stats::Interruption* interruption = nullptr,
                                       const std::vector<Extended>& raw_scores = {});

// The tables of a fitted model at `ages`, with limits from the resampled models when there are
// any. Throws std::invalid_argument for ages outside the sample's.
ContinuousTables fitted_tables(const stats::ContinuousFit& fit, const stats::ContinuousOptions& options,
                               std::vector<Extended> ages, long long raw_min, long long raw_max,
                               const stats::Resamples* resamples, const std::vector<Extended>& raw_scores = {});

// The tables of a model read from its file, without limits.
ContinuousTables model_tables(const stats::ContinuousModel& model, std::vector<Extended> ages, long long raw_min,
                              long long raw_max, const std::vector<Extended>& raw_scores = {});

}  // namespace norms
