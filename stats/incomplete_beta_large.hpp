// The regularised incomplete beta function I_p(a, b) to full extended precision, both tails
// at once, with its density factor h(a, b) = p^a (1 - p)^b / B(a, b). Meant for sums whose
// accuracy must not depend on the number of terms; incomplete_beta keeps the classic
// continued fraction with its stopping tolerance.
//
// Density factor, for all shapes: with N = a + b and d = N p - a,
//     ln h = N φ + ½ ln(a b / (2π N)) + s(N) - s(a) - s(b),
//     N φ  = a (ln(1 + d/a) - d/a) + b (ln(1 - d/b) + d/b)   (≤ 0),
// s being the Stirling correction ln Γ(x) - (x - ½) ln x + x - ½ ln 2π. Every piece is small
// or computed to a relative error of a few units in the last place, so h is within
// 3e-17 (1 + z²/100) relative at z spreads from the mean (worst seen 6e-18). Differences of
// ln Γ would lose six digits at N ≈ 10⁶. Where h falls below about e^-90 both h and the far
// tail are taken as 0.
//
// Large shapes (both at least `expansion_min_shape`; |w| up to 4.25, about six spreads from
// the mean, at the smallest shapes and up to `max_reach` for larger ones), a uniform
// asymptotic expansion
//     I_p(a, b) = ½ erfc(-w) - h / √(a b) · G(η),   η = sign(d) √(-2φ),  w = η √(N/2).
// Where it comes from: substituting -η²/2 = p0 ln(t/p0) + q0 ln((1-t)/q0), p0 = a/N, turns the
// integrand t^(a-1) (1-t)^(b-1) dt into a Gaussian in η times g(η) = √(p0 q0) η / (t - p0),
// g(0) = 1. Integrating g - g(0) by parts again and again gives
//     G = Σ_k N^-k h_k,   h_k = (g_k - g_k(0)) / η,   g_(k+1) = h_k',   g_0 = g,
// while the complete integral, which is 1, fixes the Gaussian part to exactly ½ erfc(-w).
// u = (t - p0) / √(p0 q0) as a function of η solves u u' = η (1 + c u - u²) with
// c = (q0 - p0) / √(p0 q0); that recurrence gives the Taylor coefficients of u, hence of
// g = η / u and of G, once per shape pair. The Taylor series of g converges within
// |η| < √(4π min(p0, q0)), that is |w| < √(2π min(a, b)); the reach stays within 0.17 of that.
// With the orders that the constructor picks, both tails are within 2e-19 absolute of
// 50-digit values over the expansion's whole range (worst seen 9e-20); below shapes of about
// 25 the expansion misses by 1e-17 and more (tests/incomplete_beta_large_test.cpp).
//
// Elsewhere: the continued fraction of the smaller tail, run until it no longer changes in
// extended precision, in a form that keeps its digits when one shape is small and the other
// huge; both tails within 1e-18 absolute (worst seen 5e-19).
#pragma once

#include "stats/distrib.hpp"

#include <array>

namespace stats {

// h(a, b) at p, as PreciseBeta gives it, for 0 < p < 1 and positive shapes.
Extended beta_density_factor(Extended p, Extended a, Extended b);

struct BetaTails {
    Extended lower;    // I_p(a, b)
    Extended upper;    // 1 - I_p(a, b), as accurate as a small number as the lower tail is
    Extended density;  // h(a, b) at p
};

// One pair of shapes, evaluated at many p. Preparing the expansion's coefficients costs about
// as much as a few evaluations, so keep one object per shape pair.
class PreciseBeta {
public:
    static constexpr Extended expansion_min_shape = 100;
    // The expansion serves |w| up to 4.25 at the smallest shapes, about six spreads, and
    // further for larger ones, up to this.
    static constexpr Extended max_reach = 12;
    // What the line sums count on, tested in tests/incomplete_beta_large_test.cpp: each tail
    // within tail_error absolute (worst seen 9e-20 from the expansion, 5e-19 from the
    // fraction), the density within density_error relative near the mean, growing as
    // 1 + z²/100 at z spreads from it.
    static constexpr Extended tail_error = 1e-18L;
    static constexpr Extended density_error = 3e-17L;

    PreciseBeta(Extended a, Extended b);
    // Requires 0 < p < 1.
    BetaTails at(Extended p) const;
    bool uses_expansion_at(Extended p) const;

private:
    static constexpr int max_terms = 64;

    Extended a;
    Extended b;
    Extended n;
    Extended log_scale;  // ½ ln(a b / (2π N)) + s(N) - s(a) - s(b)
    bool large;
    Extended reach = 0;  // largest |w| served by the expansion
    int terms = 0;       // Taylor coefficients of G kept
    std::array<Extended, max_terms> g_series{};

    BetaTails by_fraction(Extended p, Extended density) const;
};

}  // namespace stats
