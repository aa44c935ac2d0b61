#include "tests/support/reference_engines.hpp"
#include "stats/beta_line_closed_form.hpp"
#include "stats/interval_method.hpp"

#include <boost/math/special_functions/beta.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace stats;
using Precise = boost::multiprecision::cpp_bin_float_50;

namespace {

struct Line {
    Extended a, b;
    long long last;
};

struct PreciseLineSum {
    Precise total, first_term, last_term, first_density, last_density;
};

// Σ_j I_p(a + j, b - j) term by term in 50 digits: the first term from the incomplete beta,
// each next one through I_j - I_(j+1) = h_j / ((a + j)(1 - p)), checked at the end against
// the incomplete beta of the last term.
PreciseLineSum direct_sum(Line line, Extended p)
{
    const Precise x = p, a = line.a, b = line.b;
    Precise term = boost::math::ibeta(a, b, x);
    Precise density = boost::math::ibeta_derivative(a, b, x) * x * (1 - x);
    PreciseLineSum sum{0, term, 0, density, 0};
    for (long long j = 0;; ++j) {
        sum.total += term;
        if (j == line.last)
            break;
        term -= density / ((a + j) * (1 - x));
        density *= x * (b - j - 1) / ((1 - x) * (a + j));
    }
    sum.last_term = term;
    sum.last_density = density;
    EXPECT_LT(abs(term - boost::math::ibeta(a + line.last, b - line.last, x)), 1e-40);
    return sum;
}

}  // namespace

// Lines of every engine: tiny shapes, whole-number tails, the bottom and top rows and a block
// of half the sample at n = 999,999. The trial points put each end in turn near its centre,
// where the expansion works, and in its tails, where the fraction does.
TEST(BetaLineClosedForm, MatchesDirectSumsIn50Digits)
{
    const struct {
        Line line;
        std::vector<Extended> points;
    } cases[] = {
        {{0.5L, 20.5L, 20}, {0.015625L, 0.3L, 0.5L, 0.90625L}},
        {{1, 1000, 998}, {0.0009765625L, 0.5L, 0.998046875L}},
        {{0.5L, 999999.5L, 5000}, {0.0001220703125L, 0.0025L, 0.004974365234375L}},
        {{994999.5L, 5000.5L, 5000}, {0.995025634765625L, 0.99755859375L, 0.99993896484375L}},
        {{250000.5L, 749999.5L, 500000}, {0.250091552734375L, 0.5L, 0.749908447265625L}},
    };
    tBeta_distribution beta(0.5L, 0.5L);
    for (const auto& c : cases) {
        BetaLineClosedForm line(beta, c.line.a, c.line.b, c.line.last);
        for (Extended p : c.points) {
            SCOPED_TRACE(testing::Message() << "a " << double(c.line.a) << ", last " << c.line.last
                                            << ", p " << double(p));
            const PreciseLineSum direct = direct_sum(c.line, p);
            const BetaLineSum sum = line.sum(p);
            // The bound that the header states.
            const Extended mu = (c.line.a + c.line.b - 1) * p;
            const Extended bound =
                PreciseBeta::tail_error *
                    (std::fabs(c.line.a - mu) + std::fabs(c.line.a + c.line.last - mu) + 1) +
                PreciseBeta::density_error * Extended(direct.first_density + direct.last_density) +
                1e-19L * (c.line.last + 1);
            const Extended error = Extended(abs(sum.total - direct.total));
            std::printf("a %.1Lf, last %lld, p %.8Lf: error %.2Lg, bound %.2Lg\n", c.line.a,
                        c.line.last, p, error, bound);
            EXPECT_LE(error, bound);
            EXPECT_LE(Extended(abs(sum.first_term - direct.first_term)), PreciseBeta::tail_error);
            EXPECT_LE(Extended(abs(sum.last_term - direct.last_term)), PreciseBeta::tail_error);
        }
    }
}


// The bound must cover the distance to the terms as incomplete_beta gives them one by one,
// whose errors reach 1e-10 each; it is built from a bound on the tails that incomplete_beta
// computes, so a line crossing the branch point between its two tails is the test.
TEST(BetaLineClosedForm, ErrorBoundCoversTheTermByTermSum)
{
    const Line lines[] = {{0.5L, 2000.5L, 1500}, {1, 5000, 4000}, {300.5L, 1700.5L, 700}};
    tBeta_distribution beta(0.5L, 0.5L);
    Extended closest = INFINITY;  // smallest bound / distance seen
    for (const Line& l : lines) {
        BetaLineClosedForm line(beta, l.a, l.b, l.last);
        const Extended n = l.a + l.b;
        for (Extended p = 0x1p-15L; p < 1; p += 0x1p-6L) {
            const Extended centre = std::ldexp(std::round(std::ldexp(p * l.last / n, 15)), -15);
            const Extended x = std::clamp(centre + l.a / n, 0x1p-15L, 1 - 0x1p-15L);
            Extended term_by_term = 0;
            for (long long j = 0; j <= l.last; ++j)
                term_by_term += incomplete_beta(x, l.a + j, l.b - j);
            const BetaLineSum sum = line.sum(x);
            const Extended distance = std::fabs(sum.total - term_by_term);
            EXPECT_LE(distance, sum.error_bound) << "a " << double(l.a) << ", p " << double(x);
            if (distance > 0)
                closest = std::min(closest, sum.error_bound / distance);
        }
    }
    // Where it comes closest (17.7 times the distance) the bound still keeps a margin, and it
    // is not so loose that the fast sums would seldom decide a step.
    EXPECT_GE(closest, 4);
    EXPECT_LE(closest, 50);
}

// Rows whose mixture meets its target at a midpoint that the bisection visits, closer than
// the term-by-term sum's own error (about 1e-13 here): only replaying that sum takes the step
// its way. With m = 0 and n = 2^15 the lower functions are (n p + c) / (k + 1) up to about
// e^-(n p), c = 1 for the classical method and ½ for the others, so at p = r / 2^15 the row
// k + 1 = (r + c) / τ meets τ to within 1e-15 (r = 21) down to exactly (r = 51).
TEST(ClosedFormEngines, TiesInsideTheTermByTermErrorTakeItsSteps)
{
    const Extended n = 32768;
    for (const IntervalMethodEntry& method : interval_methods) {
        const Extended c = method.method == IntervalMethod::classical ? 1 : 0.5L;
        for (Extended r : {21, 25, 29, 33, 51})
            for (Extended conf : {95, 90}) {
                const Extended k = (r + c) * (200 / (100 - conf)) - 1;
                SCOPED_TRACE(testing::Message() << method.command_line_name << ", r " << double(r)
                                                << ", conf " << double(conf));
                Extended lower, upper, reference_lower, reference_upper;
                method.engine(n, 0, k, conf, lower, upper);
                reference::engine_of(method.method)(n, 0, k, conf, reference_lower, reference_upper);
                EXPECT_EQ(lower, reference_lower);
                EXPECT_EQ(upper, reference_upper);
            }
    }
}
