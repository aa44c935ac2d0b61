// Percentile rank of a raw score in a normative sample, and its interval estimates.
//
// n is the sample size, m the number who scored below the raw score and k the number who
// obtained it; all are whole numbers with m + k <= n. conf is the confidence level in percent
// (95 or 90). The point estimate is in percent; the interval limits are proportions.
//
// Each interval method averages k + 1 equally weighted cases, case j counting j of the k tied
// members as below the individual, and finds each limit by 15 halving steps over [0, 1]. A
// limit found that way is an odd multiple of 2^-16; only the classical shortcuts give an exact
// 0 or 1. Shapes that n, m and k make invalid raise EArgumentError.
#pragma once

#include "stats/distrib.hpp"

namespace stats {

Extended PR_point_estimate(Extended n, Extended m, Extended k);

// Posterior limits under a beta(0.5, 0.5) prior.
void Bayesian_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                          Extended& upper);
// Posterior probability that the percentile rank, as a proportion, lies below `cutoff`
// (0 < cutoff < 1): the mixture whose 2.5% and 97.5% points are the 95% limits above, at
// the cut-off, summed the same way.
Extended Bayesian_cutoff_probability(Extended n, Extended m, Extended k, Extended cutoff);

// Limits from binomial tails; with k = 0 these are the Clopper–Pearson limits.
void Classical_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                           Extended& upper);
// Classical limits with each case averaging its two adjacent binomial tails.
void MidP_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                      Extended& upper);

// A norms table's limits of one row: lower[0] and upper[0] at 95%, lower[1] and upper[1] at
// 90%. Each is the limit that the one-level engine above gives; the two levels only share the
// engine's set-up.
struct TableLimits {
    Extended lower[2];
    Extended upper[2];
};
void Bayesian_PR_intervals(Extended n, Extended m, Extended k, TableLimits& limits);
void Classical_PR_intervals(Extended n, Extended m, Extended k, TableLimits& limits);
void MidP_PR_intervals(Extended n, Extended m, Extended k, TableLimits& limits);

}  // namespace stats
