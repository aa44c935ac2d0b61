// The interval engines as first written: every term of every mixture is its own incomplete-beta
// evaluation. Slow for large tie blocks, but each term is obviously what it should be, so the
// fast engines are checked against these, limit for limit.
#pragma once

#include "stats/distrib.hpp"
#include "stats/interval_method.hpp"

namespace reference {

using stats::Extended;
using stats::tBeta_distribution;

// The rising functions of p whose crossings of the targets give the limits, each summed term
// by term in case order. `beta` is the engine's one distribution object.
Extended posterior_mixture(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p);
Extended classical_lower_tails(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p);
Extended classical_upper_tails(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p);
Extended mid_tails(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p);

// Same contracts as stats::Bayesian_PR_interval, Classical_PR_interval and MidP_PR_interval.
void Bayesian_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                          Extended& upper);
void Classical_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                           Extended& upper);
void MidP_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                      Extended& upper);

// The reference twin of the method's engine.
stats::IntervalEngine engine_of(stats::IntervalMethod method);

}  // namespace reference
