// Sums of beta distribution functions along a line of shapes, in closed form: term j is
// I_j = I_p(a + j, b - j) for j = 0 … K, with N = a + b fixed. Write h(α, β) for
// p^α (1 - p)^β / B(α, β), h_j = h(a + j, b - j) and μ = (N - 1) p. Two exact relations
//     I_j - I_(j+1) = h_j / ((a + j)(1 - p)),
//     h_(j+1) - h_j = (μ - a - j) (I_j - I_(j+1)),
// the second because h_(j+1) / h_j = p (b - j - 1) / ((1 - p)(a + j)), sum by parts to
//     Σ_j I_j = (1 - d_0) I_0 + d_K I_K + h_0 - h_K,   d_0 = a - μ,  d_K = a + K - μ,
// so a sum of any length costs two incomplete betas and two densities (PreciseBeta).
//
// Each end's I_j is taken as its smaller tail T, I = T or I = 1 - T. The sum then splits into
// a whole part made of the weights 1 - d_0 and d_K, which is exact when p has at most
// 64 - log2(N) significant bits (every bisection midpoint has at most 16), and the terms
// ±weight · T and h_0 - h_K. With T and h as accurate as PreciseBeta gives them, the total is
// off by at most 1e-18 (|d_0| + |d_K|) + 3e-17 (h_0 + h_K) and a few roundings of the whole
// part, about 1e-19 (K + 1); the first part is pessimistic where an end lies far from p, as
// its tail is then tiny and nearly exact. Against 50-digit direct sums at N = 10⁶ the error
// stays below 2e-20 per term, for K up to 500,000 (tests/beta_line_closed_form_test.cpp).
//
// `sum` also bounds its distance from the terms as incomplete_beta evaluates them one by one:
// that distance is almost all incomplete_beta's own error, at most its relative bound times
// the tails it computes, and those tails add up to what the same closed form gives on the two
// parts of the line on either side of where incomplete_beta changes tail.
#pragma once

#include "stats/beta_mixture.hpp"
#include "stats/incomplete_beta_large.hpp"

#include <optional>

namespace stats {

// The same contract as BetaLine, which walks the terms one by one instead.
class BetaLineClosedForm {
public:
    // A line without terms when last < 0. Otherwise `beta` is re-shaped to both end terms
    // here, so that shapes out of range raise EArgumentError before any sum, as the first
    // term-by-term sum would; it is not used afterwards.
    BetaLineClosedForm(tBeta_distribution& beta, Extended a, Extended b, long long last);

    // Requires 0 < p < 1.
    BetaLineSum sum(Extended p);

private:
    Extended a;
    Extended b;
    long long last;
    std::optional<PreciseBeta> first_end;
    std::optional<PreciseBeta> last_end;

    // Bound on the sum of the tails that incomplete_beta computes for the terms.
    Extended tails_bound(Extended p, const BetaTails& first, const BetaTails& end,
                         Extended total) const;
    // The first term whose lower tail incomplete_beta computes; last + 1 when none.
    long long first_lower_tail_term(Extended p) const;
};

}  // namespace stats
