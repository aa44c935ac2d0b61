#include "stats/incomplete_beta_large.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace stats {
namespace {

constexpr Extended pi = std::numbers::pi_v<Extended>;

// ln(1 + x) - x, to a relative error of a few units in the last place. Near 0 through
// ln(1 + x) = 2 atanh(y), y = x / (2 + x), so that 2y - x = -x y leaves nothing to cancel.
Extended log1p_minus_x(Extended x)
{
    if (std::fabs(x) > 0.5L)
        return std::log1p(x) - x;
    const Extended y = x / (2 + x);
    const Extended y2 = y * y;
    static constexpr auto reciprocals = [] {
        std::array<Extended, 24> r{};
        for (int k = 0; k < 24; ++k)
            r[k] = 1.0L / (2 * k + 3);
        return r;
    }();
    Extended power = 1;
    Extended series = 0;  // Σ_k y^(2k) / (2k + 3); |y| ≤ 1/3
    for (Extended reciprocal : reciprocals) {
        const Extended term = power * reciprocal;
        series += term;
        if (term < 1e-21L * series)
            break;
        power *= y2;
    }
    return -x * y + 2 * y * y2 * series;
}

// s(x) = ln Γ(x) - ((x - ½) ln x - x + ½ ln 2π). From x ≥ 10 the Bernoulli series to
// x^-19 is within 1.4e-20; below, s(x) = s(x + 1) + (x + ½) ln(1 + 1/x) - 1 climbs there.
Extended stirling_correction(Extended x)
{
    Extended climbed = 0;
    for (; x < 10; x += 1)
        climbed += (x + 0.5L) * std::log1p(1 / x) - 1;
    static constexpr Extended bernoulli_terms[] = {
        1.0L / 12,           -1.0L / 360,         1.0L / 1260,           -1.0L / 1680,
        1.0L / 1188,         -691.0L / 360360,    1.0L / 156,            -3617.0L / 122400,
        43867.0L / 244188,   -174611.0L / 125400,
    };
    const Extended inverse_square = 1 / (x * x);
    Extended series = 0;
    for (int k = std::size(bernoulli_terms) - 1; k >= 0; --k)
        series = series * inverse_square + bernoulli_terms[k];
    return climbed + series / x;
}

// The continued fraction of I_x(a, b) without its factor h / a, for x < (a + 1) / (a + b + 2),
// until a step changes it by less than one unit in the last place (modified Lentz method).
// With the usual partial numerators d_j, the value is 1 / F,
//     F = 1 + d_1 / (1 + d_2 / (1 + d_3 / (1 + …))),
//     d_(2m+1) = -(a + m)(N + m) x / ((a + 2m)(a + 2m + 1)),  d_(2m) = m (b - m) x / ((a + 2m - 1)(a + 2m)).
// When one shape is small and the other huge, every 1 + d_(2m+1) is a small difference of
// numbers near 1, and formed that way it would cost up to six digits. So F is taken in its
// odd contraction
//     F = (1 + d_1) - d_1 d_2 / ((1 + d_3) + d_2 - d_3 d_4 / ((1 + d_5) + d_4 - …)),
// with each 1 + d_(2m+1) from the identity
//     (a + 2m)(a + 2m + 1)(1 + d_(2m+1)) = (a + m)((N + m) x̄ + 2m + 1 - b) + m (m + 1),
// x̄ = 1 - x, in which nothing cancels on this side of the centre.
Extended lower_tail_fraction(Extended x, Extended x_bar, Extended a, Extended b)
{
    constexpr Extended tiny = 1e-4000L;
    constexpr Extended epsilon = std::numeric_limits<Extended>::epsilon();
    const Extended n = a + b;
    const auto odd = [&](Extended m) {
        return -(a + m) * (n + m) * x / ((a + 2 * m) * (a + 2 * m + 1));
    };
    const auto one_plus_odd = [&](Extended m) {
        return ((a + m) * ((n + m) * x_bar + (2 * m + 1) - b) + m * (m + 1)) /
               ((a + 2 * m) * (a + 2 * m + 1));
    };
    const auto even = [&](Extended m) {
        return m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m));
    };

    Extended f = one_plus_odd(0);
    if (f == 0)
        f = tiny;
    Extended c = f;
    Extended d = 0;
    for (int m = 1; m < 1000000; ++m) {
        const Extended numerator = -odd(m - 1) * even(m);
        const Extended denominator = one_plus_odd(m) + even(m);
        d = denominator + numerator * d;
        if (std::fabs(d) < tiny)
            d = tiny;
        d = 1 / d;
        c = denominator + numerator / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        const Extended delta = c * d;
        f *= delta;
        if (std::fabs(delta - 1) <= epsilon)
            break;
    }
    return 1 / f;
}

// d = N p - a, taken from the nearer end so that a p close to 1 keeps the digits of 1 - p.
Extended deviation(Extended p, Extended a, Extended b)
{
    const Extended n = a + b;
    return p <= 0.5L ? n * p - a : b - n * (1 - p);
}

// N φ of the header.
Extended scaled_phi(Extended d, Extended a, Extended b)
{
    return a * log1p_minus_x(d / a) + b * log1p_minus_x(-d / b);
}

// ln h - N φ, which depends on the shapes alone.
Extended log_density_scale(Extended a, Extended b)
{
    const Extended n = a + b;
    return 0.5L * std::log(a * b / (2 * pi * n)) + stirling_correction(n) -
           stirling_correction(a) - stirling_correction(b);
}

}  // namespace

Extended beta_density_factor(Extended p, Extended a, Extended b)
{
    return std::exp(scaled_phi(deviation(p, a, b), a, b) + log_density_scale(a, b));
}

PreciseBeta::PreciseBeta(Extended a, Extended b)
    : a(a), b(b), n(a + b), log_scale(log_density_scale(a, b)),
      large(std::min(a, b) >= expansion_min_shape)
{
    if (!large)
        return;
    // The Taylor series of G converges within |η| < √(4π min(p0, q0)), that is within
    // |w| < √(2π min(a, b)); the reach stays at 0.17 of that or less, so that each term is at
    // most 0.17 times the one before. Each order of 1/N gains a factor of about 1 / min(a, b).
    const Extended smaller = std::min(a, b);
    reach = std::min(max_reach, 0.17L * std::sqrt(2 * pi * smaller));
    const int orders = smaller >= 1e5L ? 3 : smaller >= 1e4L ? 4 : smaller >= 1e3L ? 6 : 9;
    const Extended ratio = reach / std::sqrt(2 * pi * smaller);
    terms = std::min(max_terms - 2 * orders - 2, int(std::ceil(-44 / std::log(ratio))) + 2);
    const int size = terms + 2 * orders + 2;

    // u = Σ_(i≥1) u_i η^i from u u' = η (1 + c u - u²); the coefficient of η^k on the left
    // holds u_k with the factor k + 1.
    const Extended p0 = a / n;
    const Extended q0 = b / n;
    const Extended c = (q0 - p0) / std::sqrt(p0 * q0);
    std::array<Extended, max_terms + 1> u{};
    u[1] = 1;
    for (int k = 2; k <= size; ++k) {
        Extended rhs = c * u[k - 1];
        for (int i = 1; i <= k - 2; ++i)
            rhs -= u[i] * u[k - 1 - i];
        for (int i = 2; i <= k - 1; ++i)
            rhs -= (k + 1 - i) * u[i] * u[k + 1 - i];
        u[k] = rhs / (k + 1);
    }
    // g = η / u = 1 / Σ_i u_(i+1) η^i.
    std::array<Extended, max_terms> g{};
    g[0] = 1;
    for (int k = 1; k < size - 1; ++k) {
        Extended sum = 0;
        for (int i = 1; i <= k; ++i)
            sum += u[i + 1] * g[k - i];
        g[k] = -sum;
    }
    // G_j = Σ_k N^-k g_(j+2k+1) (j+2)(j+4)…(j+2k).
    for (int j = 0; j < terms; ++j) {
        Extended factor = 1;
        Extended sum = 0;
        for (int k = 0; k <= orders; ++k) {
            sum += factor * g[j + 2 * k + 1];
            factor *= (j + 2 * k + 2) / n;
        }
        g_series[j] = sum;
    }
}

bool PreciseBeta::uses_expansion_at(Extended p) const
{
    return large && -scaled_phi(deviation(p, a, b), a, b) <= reach * reach;
}

BetaTails PreciseBeta::at(Extended p) const
{
    const Extended d = deviation(p, a, b);
    const Extended phi_n = scaled_phi(d, a, b);
    // Where |d| ≥ 1 the far tail is at most 1.5 h by its power series, or h / (a (1 - p)) for
    // the lower tail and h / (b p) for the upper one when the other shape is below 1, under
    // 2^17 h at every bisection midpoint. Beyond this it is below 1e-34, and taken as 0 it
    // leaves every line sum as it is, even times weights of 10⁶.
    if (phi_n + log_scale < -90 && std::fabs(d) >= 1)
        return d > 0 ? BetaTails{1, 0, 0} : BetaTails{0, 1, 0};
    const Extended density = std::exp(phi_n + log_scale);
    if (!large || -phi_n > reach * reach)
        return by_fraction(p, density);

    const Extended w = std::copysign(std::sqrt(-phi_n), d);
    const Extended eta = w * std::sqrt(2 / n);
    Extended series = 0;
    for (int j = terms - 1; j >= 0; --j)
        series = series * eta + g_series[j];
    const Extended correction = density / std::sqrt(a * b) * series;
    return {std::erfc(-w) / 2 - correction, std::erfc(w) / 2 + correction, density};
}

BetaTails PreciseBeta::by_fraction(Extended p, Extended density) const
{
    if (incomplete_beta_takes_lower_tail(p, a, b)) {
        const Extended lower = density * lower_tail_fraction(p, 1 - p, a, b) / a;
        return {lower, 1 - lower, density};
    }
    const Extended upper = density * lower_tail_fraction(1 - p, p, b, a) / b;
    return {1 - upper, upper, density};
}

}  // namespace stats
