// What every bootstrap of the continuous models shares: a resample's random stream from the seed
// and its number alone, cases drawn with replacement within strata, percentile limits, and the
// resamples spread over threads.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "stats/continuous_norms.hpp"

namespace stats {

// Resample `index`'s stream: a 64-bit Mersenne Twister seeded with
// SplitMix64(seed XOR SplitMix64(index)), so that it follows from the two numbers alone.
std::mt19937_64 resample_engine(std::uint64_t seed, std::size_t index);

// A whole number from 0 to n - 1, every one equally likely: draws above the last whole multiple
// of n are drawn again. Written out, unlike std::uniform_int_distribution, so that the same seed
// gives the same cases with any standard library.
std::size_t uniform_index(std::mt19937_64& engine, std::size_t n);

// The cases of each stratum, by the value of `groups` (one per case); all `cases` together when
// `groups` is empty.
std::vector<std::vector<std::size_t>> strata_of(const std::vector<Extended>& groups, std::size_t cases);

// How often each case is drawn when each stratum is drawn again with replacement.
std::vector<std::uint32_t> drawn_counts(std::mt19937_64& engine, const std::vector<std::vector<std::size_t>>& strata,
                                        std::size_t cases);

// Calls work(0) … work(count - 1), each index once, on `threads` threads (0: one for each
// core) that take the next index from one counter. The first failure ends the others' work and
// is thrown once all have stopped.
void for_each_index(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work);

// A cell's 95% and 90% limits: the sample quantiles of its resamples' norm scores and PRs,
// which it sorts.
BootstrapLimits percentile_limits(std::vector<Extended>& norms, std::vector<Extended>& ranks);

// The p-quantile of ascending values, by linear interpolation between the order statistics
// x(1) … x(B) at position 1 + (B - 1)p (Hyndman & Fan's definition 7); between an infinite
// and a finite value, the infinite one. Requires values.
Extended sample_quantile(const std::vector<Extended>& ascending, Extended p);

}  // namespace stats
