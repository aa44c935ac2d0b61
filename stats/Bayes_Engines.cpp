#include "stats/Bayes_Engines.hpp"

#include "stats/interval_search.hpp"

namespace stats {
namespace {

// The mean over the k + 1 cases of term(x), case j having x = m + j members below.
template <class Term>
Extended case_average(Extended m, Extended k, Term term)
{
    Extended sum = 0;
    for (long long j = 0; j <= last_case(k); ++j)
        sum += term(m + j) / (k + 1);
    return sum;
}

}  // namespace

Extended PR_point_estimate(Extended n, Extended m, Extended k)
{
    return ((k * 0.5L) + m) / n * 100;
}

void Bayesian_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                          Extended& upper)
{
    const TargetLevels levels = target_levels(conf);
    tBeta_distribution beta(0.5L, 0.5L);
    const auto posterior_mixture = [&](Extended p) {
        return case_average(m, k, [&](Extended x) {
            return beta_cdf(beta, x + 0.5L, (n - x) + 0.5L, p);
        });
    };
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
    tBeta_distribution beta(0.5L, 0.5L);

    // P(at least x successes) as a function of p; certain when x = 0.
    const auto lower_tails = [&](Extended p) {
        return case_average(m, k, [&](Extended x) -> Extended {
            return x == 0 ? 1 : beta_cdf(beta, x, (n - x) + 1, p);
        });
    };
    // P(at least x + 1 successes); at x = n the second shape is lifted from 0 to 1.
    const auto upper_tails = [&](Extended p) {
        return case_average(m, k, [&](Extended x) {
            return beta_cdf(beta, x + 1, n - x == 0 ? 1 : n - x, p);
        });
    };
    lower = ends.lower_is_zero ? 0 : bisect(levels.lower_tail, lower_tails);
    upper = ends.upper_is_one ? 1 : bisect(levels.upper_target, upper_tails);
}

void MidP_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                      Extended& upper)
{
    lower = 0;
    upper = 0;
    const TargetLevels levels = target_levels(conf);
    const bool at_bottom = m == 0;
    const bool at_top = m + k == n;
    const long long last_j = last_case(k);
    tBeta_distribution beta(0.5L, 0.5L);

    // Each case contributes the mean of its two adjacent upper tails; at the ends of the
    // score range the missing tail is replaced by its neighbour.
    const auto mid_tails = [&](Extended p) {
        Extended sum = 0;
        const Extended first_half =
            at_bottom ? beta_cdf(beta, 1, n, p) : beta_cdf(beta, m, (n - m) + 1, p);
        sum += 0.5L * first_half / (k + 1);
        for (long long j = 1; j <= last_j; ++j)
            sum += beta_cdf(beta, m + j, (n - m - j) + 1, p) / (k + 1);
        const Extended last_half =
            at_top ? beta_cdf(beta, n, 1, p) : beta_cdf(beta, m + k + 1, n - (m + k), p);
        sum += 0.5L * last_half / (k + 1);
        return sum;
    };
    lower = bisect(levels.lower_tail, mid_tails);
    upper = bisect(levels.upper_target, mid_tails);
}

}  // namespace stats
