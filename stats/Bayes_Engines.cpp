#include "stats/Bayes_Engines.hpp"

#include "stats/beta_mixture.hpp"
#include "stats/interval_search.hpp"

namespace stats {

// Every mixture below runs over the cases j = 0 … K of one row, and the shapes of its terms
// move along a line as j grows, so each is the sum of one BetaLine, divided by the k + 1
// cases. Only the classical method's certain term for nobody below and its top term with
// the second shape lifted from 0 to 1 stand off the line.

Extended PR_point_estimate(Extended n, Extended m, Extended k)
{
    return ((k * 0.5L) + m) / n * 100;
}

void Bayesian_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                          Extended& upper)
{
    const TargetLevels levels = target_levels(conf);
    tBeta_distribution beta(0.5L, 0.5L);
    // Case j: the posterior of a proportion after x = m + j of n fell below, prior beta(½, ½).
    BetaLine posteriors(beta, m + 0.5L, (n - m) + 0.5L, last_case(k));
    const auto posterior_mixture = [&](Extended p) { return posteriors.sum(p).total / (k + 1); };
    lower = bisect(levels.lower_tail, posterior_mixture);
    upper = bisect(levels.upper_target, posterior_mixture);
}

void Classical_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                           Extended& upper)
{
    lower = 0;
    upper = 0;
    const TargetLevels levels = target_levels(conf);
    const ClassicalShortcuts ends = classical_shortcuts(n, m, k, levels);
    const long long last_j = last_case(k);
    tBeta_distribution beta(0.5L, 0.5L);

    if (ends.lower_is_zero) {
        lower = 0;
    } else {
        // P(at least x successes) for x = m + j. It is certain for x = 0, which leaves the line
        // to start at x = 1 when m = 0.
        const long long certain_cases = m == 0 ? 1 : 0;
        BetaLine tails(beta, m + certain_cases, (n - m) + 1 - certain_cases, last_j - certain_cases);
        lower = bisect(levels.lower_tail, [&](Extended p) {
            return (certain_cases + tails.sum(p).total) / (k + 1);
        });
    }

    if (ends.upper_is_one) {
        upper = 1;
    } else {
        // P(at least x + 1 successes); at x = n the second shape is lifted from 0 to 1, which
        // takes that case off the line.
        const bool reaches_top = n - (m + last_j) == 0;
        BetaLine tails(beta, m + 1, n - m, reaches_top ? last_j - 1 : last_j);
        upper = bisect(levels.upper_target, [&](Extended p) {
            const Extended top = reaches_top ? beta_cdf(beta, n + 1, 1, p) : 0;
            return (tails.sum(p).total + top) / (k + 1);
        });
    }
}

void MidP_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                      Extended& upper)
{
    lower = 0;
    upper = 0;
    const TargetLevels levels = target_levels(conf);
    const bool at_bottom = m == 0;
    const bool at_top = m + k == n;
    tBeta_distribution beta(0.5L, 0.5L);

    // Each case contributes the mean of its two adjacent upper tails P(at least x successes),
    // x = m + j and m + j + 1: half a tail at each end of the line j = 0 … K + 1, whole tails
    // between. At the ends of the score range the missing tail is replaced by its neighbour:
    // the line then starts at j = 1 or stops at j = K, and its end tail counts one and a half.
    const long long first_j = at_bottom ? 1 : 0;
    const long long last_j = at_top ? last_case(k) : last_case(k) + 1;
    const Extended first_weight = at_bottom ? 0.5L : -0.5L;
    const Extended last_weight = at_top ? 0.5L : -0.5L;
    BetaLine tails(beta, m + first_j, (n - m) + 1 - first_j, last_j - first_j);
    const auto mid_tails = [&](Extended p) {
        const BetaLineSum line = tails.sum(p);
        return (line.total + first_weight * line.first_term + last_weight * line.last_term) /
               (k + 1);
    };
    lower = bisect(levels.lower_tail, mid_tails);
    upper = bisect(levels.upper_target, mid_tails);
}

}  // namespace stats
