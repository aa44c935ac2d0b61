#include "stats/beta_line_closed_form.hpp"

#include <algorithm>
#include <cmath>

namespace stats {
namespace {

// I_p from its two tails, through the smaller one.
Extended distribution_value(const BetaTails& tails)
{
    return tails.lower <= 0.5L ? tails.lower : 1 - tails.upper;
}

// weight · I_p split into a whole part and a part of the size of the smaller tail.
void add_weighted(Extended weight, const BetaTails& tails, Extended& whole, Extended& rest)
{
    if (tails.lower <= 0.5L) {
        rest += weight * tails.lower;
    } else {
        whole += weight;
        rest -= weight * tails.upper;
    }
}

}  // namespace

BetaLineClosedForm::BetaLineClosedForm(tBeta_distribution& beta, Extended a, Extended b,
                                       long long last)
    : a(a), b(b), last(last)
{
    if (last < 0)
        return;
    beta.set_parameters(a, b, 0);
    beta.set_parameters(a + last, b - last, 0);
    first_end.emplace(a, b);
    if (last > 0)
        last_end.emplace(a + last, b - last);
}

BetaLineSum BetaLineClosedForm::sum(Extended p)
{
    if (last < 0)
        return {0, 0, 0, 0, 0, 0, 0};
    const BetaTails first = first_end->at(p);
    const Extended n = a + b;
    const Extended first_density = first.density / (p * (1 - p));
    if (last == 0) {
        const Extended tail = incomplete_beta_takes_lower_tail(p, a, b) ? first.lower : first.upper;
        const Extended only = distribution_value(first);
        // Its own error is the tail's, plus one rounding if it is 1 - upper: twice the tail's
        // error leaves room for that rounding many times over.
        const Extended own_error = 2 * PreciseBeta::tail_error;
        const Extended error = incomplete_beta_tail_error(p, n) * tail + own_error;
        return {only, only, only, error, first_density, first_density, first_density};
    }

    const BetaTails end = last_end->at(p);
    const Extended mu = (n - 1) * p;
    const Extended first_weight = 1 - (a - mu);
    const Extended last_weight = a + Extended(last) - mu;
    Extended whole = 0;
    Extended rest = first.density - end.density;
    add_weighted(first_weight, first, whole, rest);
    add_weighted(last_weight, end, whole, rest);
    const Extended total = whole + rest;

    // Own error: that of each tail and density as PreciseBeta gives them, and a few roundings
    // of the largest part.
    const Extended own_error =
        PreciseBeta::tail_error * (std::fabs(first_weight) + std::fabs(last_weight)) +
        PreciseBeta::density_error * (first.density + end.density) +
        4 * unit_roundoff * (std::fabs(whole) + std::fabs(rest) + first.density + end.density);
    const Extended first_term = distribution_value(first);
    const Extended last_term = distribution_value(end);
    const Extended last_density = end.density / (p * (1 - p));
    return {total,
            first_term,
            last_term,
            incomplete_beta_tail_error(p, n) * tails_bound(p, first, end, total) + own_error,
            line_slope(n, p, first_term, last_term, first_density, last_density),
            first_density,
            last_density};
}

// incomplete_beta computes the upper tail 1 - I_j for the terms before some s and the lower
// tail I_j from s on, as its test (a + j + 1) / (N + 2) > p only grows with j. The tails then
// add up to
//     Σ_(j<s) (1 - I_j) + Σ_(j≥s) I_j.
// The two sums follow from the closed form on the two parts of the line; the term s - 1 or s
// there is near the centre of its distribution, so its I is only bounded by [0, 1]. The closed
// forms are off by PreciseBeta::tail_error times weights up to N and as many roundings, about
// 2e-12 at N = 10^6; the 3 added covers that with a wide margin.
Extended BetaLineClosedForm::tails_bound(Extended p, const BetaTails& first, const BetaTails& end,
                                         Extended total) const
{
    const Extended n = a + b;
    const long long s = first_lower_tail_term(p);
    const Extended split = Extended(s);
    if (s == 0)
        return total + 3;
    if (s == last + 1)
        return Extended(last + 1) - total + 3;

    const Extended mu = (n - 1) * p;
    const Extended h_s = beta_density_factor(p, a + s, b - s);
    const Extended h_before = h_s * (1 - p) * (a + s - 1) / (p * (b - s));
    const Extended d_s = a + s - mu;
    // Σ_(j<s) I_j = (1 - d_0) I_0 + d_(s-1) I_(s-1) + h_0 - h_(s-1), at least …
    const Extended below_at_least = (1 - (a - mu)) * distribution_value(first) +
                                    std::min(Extended(0), d_s - 1) + first.density - h_before;
    // Σ_(j≥s) I_j = (1 - d_s) I_s + d_K I_K + h_s - h_K, at most …
    const Extended above_at_most = std::max(Extended(0), 1 - d_s) +
                                   (a + Extended(last) - mu) * distribution_value(end) + h_s -
                                   end.density;
    return (split - below_at_least) + above_at_most + 3;
}

long long BetaLineClosedForm::first_lower_tail_term(Extended p) const
{
    // p < (a + j + 1) / (N + 2) solved for j gives the guess; incomplete_beta's own test
    // settles the rounding either way.
    const Extended guess = std::ceil(p * (a + b + 2) - a - 1);
    long long s = static_cast<long long>(std::clamp(guess, Extended(0), Extended(last + 1)));
    while (s > 0 && incomplete_beta_takes_lower_tail(p, a + (s - 1), b - (s - 1)))
        --s;
    while (s <= last && !incomplete_beta_takes_lower_tail(p, a + s, b - s))
        ++s;
    return s;
}

}  // namespace stats
