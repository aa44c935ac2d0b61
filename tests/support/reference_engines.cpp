#include "tests/support/reference_engines.hpp"

#include "stats/interval_search.hpp"

#include <stdexcept>

namespace reference {
namespace {

using namespace stats;

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

Extended posterior_mixture(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p)
{
    return case_average(m, k, [&](Extended x) {
        return beta_cdf(beta, x + 0.5L, (n - x) + 0.5L, p);
    });
}

Extended classical_lower_tails(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p)
{
    return case_average(m, k, [&](Extended x) -> Extended {
        return x == 0 ? 1 : beta_cdf(beta, x, (n - x) + 1, p);
    });
}

Extended classical_upper_tails(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p)
{
    return case_average(m, k, [&](Extended x) {
        return beta_cdf(beta, x + 1, n - x == 0 ? 1 : n - x, p);
    });
}

Extended mid_tails(tBeta_distribution& beta, Extended n, Extended m, Extended k, Extended p)
{
    Extended sum = 0;
    const Extended first_half = m == 0 ? beta_cdf(beta, 1, n, p) : beta_cdf(beta, m, (n - m) + 1, p);
    sum += 0.5L * first_half / (k + 1);
    for (long long j = 1; j <= last_case(k); ++j)
        sum += beta_cdf(beta, m + j, (n - m - j) + 1, p) / (k + 1);
    const Extended last_half =
        m + k == n ? beta_cdf(beta, n, 1, p) : beta_cdf(beta, m + k + 1, n - (m + k), p);
    sum += 0.5L * last_half / (k + 1);
    return sum;
}

void Bayesian_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                          Extended& upper)
{
    const TargetLevels levels = target_levels(conf);
    tBeta_distribution beta(0.5L, 0.5L);
    const auto sum = [&](Extended p) { return posterior_mixture(beta, n, m, k, p); };
    lower = bisect(levels.lower_tail, sum);
    upper = bisect(levels.upper_target, sum);
}

void Classical_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                           Extended& upper)
{
    lower = 0;
    upper = 0;
    const TargetLevels levels = target_levels(conf);
    const ClassicalShortcuts ends = classical_shortcuts(n, m, k, levels);
    tBeta_distribution beta(0.5L, 0.5L);
    const auto lower_sum = [&](Extended p) { return classical_lower_tails(beta, n, m, k, p); };
    const auto upper_sum = [&](Extended p) { return classical_upper_tails(beta, n, m, k, p); };
    lower = ends.lower_is_zero ? 0 : bisect(levels.lower_tail, lower_sum);
    upper = ends.upper_is_one ? 1 : bisect(levels.upper_target, upper_sum);
}

void MidP_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                      Extended& upper)
{
    lower = 0;
    upper = 0;
    const TargetLevels levels = target_levels(conf);
    tBeta_distribution beta(0.5L, 0.5L);
    const auto sum = [&](Extended p) { return mid_tails(beta, n, m, k, p); };
    lower = bisect(levels.lower_tail, sum);
    upper = bisect(levels.upper_target, sum);
}

stats::IntervalEngine engine_of(stats::IntervalMethod method)
{
    switch (method) {
    case stats::IntervalMethod::bayesian: return Bayesian_PR_interval;
    case stats::IntervalMethod::classical: return Classical_PR_interval;
    case stats::IntervalMethod::mid_p: return MidP_PR_interval;
    }
    throw std::invalid_argument("no such interval method");
}

}  // namespace reference
