#include "stats/incomplete_beta_large.hpp"

#include <boost/math/special_functions/beta.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace stats;
using Precise = boost::multiprecision::cpp_bin_float_50;

namespace {

struct Shapes {
    Extended a, b;
};

struct Worst {
    Extended tail = 0;     // absolute, either tail
    Extended density = 0;  // relative
    int expanded = 0;
    int points = 0;
};

// Both tails and the density at p = mean + z standard deviations for z over ±20, against
// 50-digit values. p is a multiple of 2^-30, so that N p is exact as at a bisection midpoint.
Worst worst_errors(Shapes s)
{
    const PreciseBeta beta(s.a, s.b);
    const Extended n = s.a + s.b;
    const Extended spread = std::sqrt(s.a * s.b / n) / n;
    Worst worst;
    for (Extended z = -20; z <= 20; z += 0.25L) {
        const Extended p = std::ldexp(std::round(std::ldexp(s.a / n + z * spread, 30)), -30);
        if (p <= 0 || p >= 1)
            continue;
        const BetaTails tails = beta.at(p);
        const Precise a = s.a, b = s.b, x = p;
        const Precise lower = boost::math::ibeta(a, b, x);
        const Precise upper = boost::math::ibetac(a, b, x);
        const Precise density = boost::math::ibeta_derivative(a, b, x) * x * (1 - x);
        worst.tail = std::max({worst.tail, Extended(abs(tails.lower - lower)),
                               Extended(abs(tails.upper - upper))});
        // The logarithm of the density, about -z²/2, carries a rounding of its own. Far out
        // a density of 0 stands for one below 1e-38.
        const Precise error = tails.density == 0 && density < 1e-38
                                  ? Precise(0)
                                  : abs(tails.density - density) / (density * (1 + z * z / 100));
        worst.density = std::max(worst.density, Extended(error));
        worst.expanded += beta.uses_expansion_at(p);
        ++worst.points;
    }
    std::printf("shapes %.1Lf, %.1Lf: worst tail error %.2Lg, worst relative density error %.2Lg\n",
                s.a, s.b, worst.tail, worst.density);
    return worst;
}

}  // namespace

// Shapes at the threshold in every direction, and the largest a norms table can ask for.
TEST(PreciseBeta, ExpansionHoldsFromItsThresholdShapesUp)
{
    for (Shapes s : {Shapes{100, 100}, {100, 999900}, {999900, 100}, {3000.5L, 996999.5L},
                     {500000.5L, 499999.5L}}) {
        const Worst worst = worst_errors(s);
        EXPECT_LE(worst.tail, PreciseBeta::tail_error);
        EXPECT_LE(worst.density, PreciseBeta::density_error);
        // The expansion covers the centre; the fraction takes over beyond its reach.
        EXPECT_GT(worst.expanded, 40);
        EXPECT_LT(worst.expanded, worst.points);
    }
}

// Below the threshold the continued fraction holds full precision. The expansion would not:
// at shapes (20, 999980) it misses by 1e-17 and at (15, 15) by 1e-16, so lowering the
// threshold that far fails here.
TEST(PreciseBeta, BelowTheThresholdTheFractionKeepsFullPrecision)
{
    for (Shapes s : {Shapes{20, 999980}, {15, 15}, {99.5L, 99.5L}, {0.5L, 999999.5L},
                     {999999.5L, 0.5L}, {3.5L, 40}, {1, 1}}) {
        const Worst worst = worst_errors(s);
        EXPECT_LE(worst.tail, PreciseBeta::tail_error);
        EXPECT_LE(worst.density, PreciseBeta::density_error);
    }
}
