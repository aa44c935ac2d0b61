#include "stats/beta_mixture.hpp"

#include <algorithm>
#include <cmath>

namespace stats {
namespace {

// A walk stops once the steps still ahead of it add up to less than this; every term beyond
// is then within this distance of the last term walked, far below the accuracy of the term
// evaluated in full.
constexpr Extended negligible_step = 1e-20L;

// I_p(a, b) - I_p(a + 1, b - 1), through logarithms: for large shapes the factors overflow
// and underflow long before their product does.
Extended step_after(Extended p, Extended a, Extended b)
{
    return std::exp(std::lgamma(a + b) - std::lgamma(a + 1) - std::lgamma(b) + a * std::log(p) +
                    (b - 1) * std::log1p(-p));
}

}  // namespace

BetaLine::BetaLine(tBeta_distribution& beta, Extended a, Extended b, long long last)
    : beta(beta), a(a), b(b), last(last)
{
    if (last < 0)
        return;
    beta.set_parameters(a, b, 0);
    beta.set_parameters(a + last, b - last, 0);
}

BetaLineSum BetaLine::sum(Extended p)
{
    if (last < 0)
        return {0, 0, 0};
    if (last == 0) {
        beta.set_parameters(a, b, 0);
        const Extended term = beta.cdf(p);
        return {term, term, term};
    }

    // Step j, from term j to term j + 1, is largest where the mean (a + j) / (a + b - 1) of
    // its beta density is nearest p. Starting there keeps the walk clear of underflow however
    // far the line reaches into either tail.
    const Extended centre = std::clamp(p * (a + b - 1) - a, Extended{0}, Extended(last - 1));
    const long long start = std::llround(centre);
    beta.set_parameters(a + start, b - start, 0);
    const Extended start_term = beta.cdf(p);
    const Extended start_step = step_after(p, a + start, b - start);
    const Extended odds = p / (1 - p);

    // Upwards the terms fall towards 0. `step` is term j minus term j + 1; each step is the
    // one before times `ratio`, which only falls as j grows, so once ratio < 1 the steps
    // still ahead add up to at most step / (1 - ratio).
    Extended total = start_term;
    Extended term = start_term;
    Extended step = start_step;
    long long j = start;
    while (j < last) {
        const Extended ratio = odds * (b - j - 1) / (a + j + 1);
        if (ratio < 1 && step < negligible_step * (1 - ratio))
            break;
        term -= step;
        total += term;
        step *= ratio;
        ++j;
    }
    total += Extended(last - j) * term;
    const Extended last_term = term;

    // Downwards the terms rise towards 1, by steps that shrink likewise.
    term = start_term;
    step = start_step;
    j = start;
    while (j > 0) {
        const Extended ratio = (a + j) / (odds * (b - j));
        step *= ratio;
        if (ratio < 1 && step < negligible_step * (1 - ratio))
            break;
        term += step;
        total += term;
        --j;
    }
    total += Extended(j) * term;
    return {total, term, last_term};
}

}  // namespace stats
