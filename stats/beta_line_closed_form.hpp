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
// off by at most about 1e-18 (|d_0| + |d_K| + 1) + 3e-17 (h_0 + h_K) + 1e-19 (K + 1), that is
// below 1e-14 at N = 10⁶ even where the ends lie six spreads from p; the error does not grow
// with K beyond the rounding of the whole part
// (tests/beta_line_closed_form_test.cpp).
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
    // term-by-term sum would. A line of one term is that term through `beta`.
    BetaLineClosedForm(tBeta_distribution& beta, Extended a, Extended b, long long last);

    // Requires 0 < p < 1. The error bound covers the distance to the sum of the terms as
    // incomplete_beta evaluates them one by one, which is almost all of it.
    BetaLineSum sum(Extended p);

private:
    tBeta_distribution& beta;
    Extended a;
    Extended b;
    long long last;
    std::optional<PreciseBeta> first_end;
    std::optional<PreciseBeta> last_end;

    // Bound on the sum of the tails that incomplete_beta computes for the terms.
    Extended tails_bound(Extended p, const BetaTails& first, const BetaTails& end,
                         Extended total) const;
};

}  // namespace stats
