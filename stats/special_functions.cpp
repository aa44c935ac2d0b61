#include "stats/distrib.hpp"

#include <cfenv>
#include <cmath>

namespace stats {

Extended log_gamma(Extended x)
{
    static constexpr Extended lanczos[6] = {
        76.18009172947146L,    -86.50532032941677L,     24.01409824083091L,
        -1.231739572450155L,   0.001208650973866179L,  -0.000005395239384953L,
    };
    Extended y = x - 1;
    Extended t = y + 5.5L;
    t = (y + 0.5L) * std::log(t) - t;
    Extended series = 1;
    for (Extended c : lanczos) {
        y += 1;
        series += c / y;
    }
    return std::log(2.5066282746310005L * series) + t;
}

Extended beta_continued_fraction(Extended x, Extended a, Extended b)
{
    return beta_continued_fraction(x, a, b, tolerance);
}

Extended beta_continued_fraction(Extended x, Extended a, Extended b, Extended relative_change)
{
    const Extended qab = a + b;
    const Extended qap = a + 1;
    const Extended qam = a - 1;
    Extended am = 1;
    Extended bm = 1;
    Extended az = 1;
    Extended bz = 1 - qab * x / qap;
    for (Extended m = 1;; m += 1) {
        const Extended tem = 2 * m;
        Extended d = m * (b - m) * x / ((qam + tem) * (a + tem));
        const Extended ap = az + d * am;
        const Extended bp = bz + d * bm;
        d = -(a + m) * (qab + m) * x / ((qap + tem) * (a + tem));
        const Extended app = ap + d * az;
        const Extended bpp = bp + d * bz;
        const Extended aold = az;
        am = ap / bpp;
        bm = bp / bpp;
        az = app / bpp;
        bz = 1;
        if (std::fabs(az - aold) < relative_change * std::fabs(az))
            return az;
        // A NaN never satisfies the test above; without this the loop would never end.
        if (std::isnan(az))
            return az;
    }
}

namespace {

// Kept out of line so that all of its arithmetic has happened before the flags are read.
[[gnu::noinline]] Extended incomplete_beta_series(Extended x, Extended a, Extended b)
{
    const Extended bt = std::exp(log_gamma(a + b) + a * std::log(x) + b * std::log(1 - x) -
                                 log_gamma(a) - log_gamma(b));
    if (incomplete_beta_takes_lower_tail(x, a, b))
        return bt * beta_continued_fraction(x, a, b) / a;
    return 1 - bt * beta_continued_fraction(1 - x, b, a) / b;
}

}  // namespace

Extended incomplete_beta(Extended x, Extended a, Extended b)
{
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;

#ifdef __EMSCRIPTEN__
    // WebAssembly keeps no floating-point exception flags: a fault shows only in the result.
    const Extended result = incomplete_beta_series(x, a, b);
    return std::isfinite(result) ? result : 1;
#else
    // Arithmetic faults become the result 1; the caller's flags are left as they were.
    constexpr int faults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
    std::fexcept_t caller_flags;
    std::fegetexceptflag(&caller_flags, FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
    const volatile Extended result = incomplete_beta_series(x, a, b);
    const bool faulted = std::fetestexcept(faults) != 0 || std::isnan(result);
    std::fesetexceptflag(&caller_flags, FE_ALL_EXCEPT);
    return faulted ? 1 : result;
#endif
}

bool nearly_equal(Extended a, Extended b)
{
    return std::fabs(a - b) < tolerance;
}

bool is_whole_number(Extended x)
{
    return std::fabs(x) < big_value && nearly_equal(x, std::nearbyint(x));
}

}  // namespace stats
