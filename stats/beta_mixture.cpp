#include "stats/beta_mixture.hpp"

#include "stats/incomplete_beta_large.hpp"

#include <algorithm>
#include <cmath>

namespace stats {
namespace {

// Error bounds, u = 2^-64 being the unit roundoff of Extended.
//
// A term t_j as incomplete_beta evaluates it is front · fraction, or 1 minus that, where
// front = exp(E) and E = ln Γ(a + b) - ln Γ(a) - ln Γ(b) + a ln p + b ln(1 - p). Call the
// product its tail y_j; what it computes deviates from the true tail by at most ε_term · y_j,
// and the subtraction from 1 adds u:
//   - log_gamma's own error is at most 1.1e-10 for every argument from 0.5 up (largest near
//     28, tested against an independent log-gamma); three of them enter E;
//   - the continued fraction stops once a step changes it by less than `tolerance` relative;
//     what the steps after that would still add is at most a few such steps, bounded by
//     4 · tolerance (tested over shapes up to 10^6);
//   - rounding: each piece of E is exact to a few units in the last place of its magnitude,
//     so E is off by at most 8 u · M, M bounding the sum of the pieces' magnitudes.
// That gives ε_term = 3.3e-10 + 4 · tolerance + 8 u M.
//
// The walk evaluates its start term with beta_density_factor, whose logarithm is written so
// that nothing cancels, and the continued fraction run to the last bit: relative error a few u
// times the distance p (a + b) - a plus 64 u, well inside 8 u M. Each step carries the same from
// its logarithm, and each product of the recurrence one u more per term walked, so the walked
// terms are off by at most the start's error plus 8 u M + 3 u W for W terms walked, plus the
// negligible step left out at each end.
//
// Over a line of n terms, then, |total - Σ_j t_j| <= ε_term Σ_j y_j + n (16 u M + 4 u W + 66 u
// + 2 · negligible_step), the u W and 66 u also covering the additions and the rounding of
// 1 - y. The tests check the parts and the whole on the hardest lines found; where the whole
// comes closest, at moderate shapes, it is 11 times the distance.
constexpr Extended log_gamma_error = 1.1e-10L;
constexpr Extended fraction_error = 4 * tolerance;

// A walk stops once the steps still ahead of it add up to less than this; every term beyond
// is then within this distance of the last term walked, far below the accuracy of the term
// evaluated in full.
constexpr Extended negligible_step = 1e-20L;

// Bound on the summed magnitudes of the pieces of E for any term of a line with a + b = s.
Extended exponent_magnitude(Extended p, Extended s)
{
    return s * (3 * std::log(s) + std::max(-std::log(p), -std::log1p(-p))) + 3;
}

// The continued fraction of incomplete_beta, run until a step changes it by no more than
// rounding does, a few units of roundoff (it reaches that within about 1,100 steps for shapes
// up to 10^6).
Extended converged_fraction(Extended x, Extended a, Extended b)
{
    return beta_continued_fraction(x, a, b, 4 * unit_roundoff);
}

struct Tails {
    Extended lower;  // I_p(a, b)
    Extended upper;  // 1 - I_p(a, b)
};

// Both tails of beta(a, b) at p, each to nearly full precision, given
// front = beta_density_factor(p, a, b). The branch is that of incomplete_beta, so that the tail
// computed first is the one incomplete_beta computes.
Tails accurate_tails(Extended p, Extended a, Extended b, Extended front)
{
    if (incomplete_beta_takes_lower_tail(p, a, b)) {
        const Extended lower = front * converged_fraction(p, a, b) / a;
        return {lower, 1 - lower};
    }
    const Extended upper = front * converged_fraction(1 - p, b, a) / b;
    return {1 - upper, upper};
}

// True when incomplete_beta certainly gives exactly 1 for I_p(a, b): it computes 1 minus the
// upper tail, and 1 - t rounds to 1 for any t below half the gap under 1, 2^-65. The accurate
// tail is off by far less than a factor 2, so one of at most 2^-66 leaves that room.
bool certainly_one(Extended p, Extended a, Extended b)
{
    return !incomplete_beta_takes_lower_tail(p, a, b) &&
           accurate_tails(p, a, b, beta_density_factor(p, a, b)).upper <= unit_roundoff / 4;
}

}  // namespace

Extended line_slope(Extended shape_sum, Extended p, Extended first_term, Extended last_term,
                    Extended first_density, Extended last_density)
{
    return (shape_sum - 1) * (first_term - last_term) + (1 - p) * first_density + p * last_density;
}

Extended incomplete_beta_tail_error(Extended p, Extended shape_sum)
{
    return 3 * log_gamma_error + fraction_error + 8 * unit_roundoff * exponent_magnitude(p, shape_sum);
}

BetaLine::BetaLine(tBeta_distribution& beta, Extended a, Extended b, long long last)
    : beta(beta), a(a), b(b), last(last)
{
    if (last < 0)
        return;
    beta.set_parameters(a, b, 0);
    beta.set_parameters(a + last, b - last, 0);
}

Extended BetaLine::term(Extended p, long long j)
{
    beta.set_parameters(a + j, b - j, 0);
    return beta.cdf(p);
}

BetaLineSum BetaLine::sum(Extended p)
{
    if (last < 0)
        return {0, 0, 0, 0, 0, 0, 0};
    const Extended first_front = beta_density_factor(p, a, b);
    const Extended first_density = first_front / (p * (1 - p));
    if (last == 0) {
        const Tails only = accurate_tails(p, a, b, first_front);
        const Extended tail = incomplete_beta_takes_lower_tail(p, a, b) ? only.lower : only.upper;
        const Extended error = error_bound(p, tail, 1, 0);
        return {only.lower,    only.lower,    only.lower, error,
                first_density, first_density, first_density};
    }

    // Step j, from term j to term j + 1, is largest where the mean (a + j) / (a + b - 1) of
    // its beta density is nearest p. Starting there keeps the walk clear of underflow however
    // far the line reaches into either tail.
    const Extended centre = std::clamp(p * (a + b - 1) - a, Extended{0}, Extended(last - 1));
    const long long start = std::llround(centre);
    // The step from the start, I_p(a, b) - I_p(a + 1, b - 1), is front / (a (1 - p)).
    const Extended start_front = beta_density_factor(p, a + start, b - start);
    const Extended start_term = accurate_tails(p, a + start, b - start, start_front).lower;
    const Extended start_step = start_front / ((a + start) * (1 - p));
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
    const Extended above_start = total - start_term;
    long long walked = j - start;

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
    const Extended below_start = total - above_start - start_term;
    walked += start - j;

    // incomplete_beta computes the lower tail of a term with p below about its mean and the
    // upper tail of the others. The means pass p within two terms of the start, so the tails
    // it computes add up to at most the lower tails above the start, the upper tails below
    // it, and 1 for each of the five terms around it.
    const Extended tails =
        std::min(Extended(last + 1), above_start + (Extended(start) - below_start) + 5);

    const Extended last_density = beta_density_factor(p, a + last, b - last) / (p * (1 - p));
    return {total,
            term,
            last_term,
            error_bound(p, tails, last + 1, walked),
            line_slope(a + b, p, term, last_term, first_density, last_density),
            first_density,
            last_density};
}

Extended BetaLine::error_bound(Extended p, Extended tails, long long terms, long long walked) const
{
    const Extended u = unit_roundoff;
    const Extended magnitude_error = 8 * u * exponent_magnitude(p, a + b);
    const Extended term_error = incomplete_beta_tail_error(p, a + b);
    const Extended walk_error =
        2 * magnitude_error + 4 * u * Extended(walked) + 66 * u + 2 * negligible_step;
    return term_error * tails + Extended(terms) * walk_error;
}

void BetaLine::add_terms(Extended p, long long from, long long to, Extended divisor, Extended& sum)
{
    // A leading run of terms comes out as exactly 1; their upper tails grow with j, so the
    // run's end is found by halving.
    long long evaluated_from = from;
    if (from <= to && certainly_one(p, a + from, b - from)) {
        long long one = from;
        long long not_one = to + 1;
        while (not_one - one > 1) {
            const long long mid = one + (not_one - one) / 2;
            (certainly_one(p, a + mid, b - mid) ? one : not_one) = mid;
        }
        evaluated_from = one + 1;
    }
    const Extended share_of_one = Extended(1) / divisor;
    for (long long j = from; j < evaluated_from; ++j)
        sum += share_of_one;

    // The terms fall with j, and each evaluated one is within a factor 1 ± 1e-9 of its true
    // value, so no later one exceeds twice the last. Once that is below a quarter of the
    // sum's last place, adding them all leaves the sum as it is.
    for (long long j = evaluated_from; j <= to; ++j) {
        const Extended t = term(p, j);
        sum += t / divisor;
        const Extended quarter_place = sum > 0 ? std::ldexp(Extended(1), std::ilogb(sum) - 65) : 0;
        if (2 * t / divisor <= quarter_place)
            break;
    }
}

}  // namespace stats
