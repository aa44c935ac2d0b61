// Numerical base of Vornak: log-gamma, the regularised incomplete beta function, a small
// family of probability distributions with its beta distribution, and a seeded uniform
// random source. Everything is computed in 80-bit extended precision.
//
// Accuracy, measured against Boost.Math over shapes 0.5 … 5000 (tests/special_functions_test):
//   log_gamma        Lanczos series, gamma = 5, six terms; about 2e-10 absolute for x >= 1.
//   incomplete_beta  continued fraction with a relative stopping tolerance of 5e-12;
//                    worst absolute error over the grid 6.2e-11.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace stats {

using Extended = long double;
#ifdef __EMSCRIPTEN__
// The page's build: WebAssembly's long double is IEEE binary128 (docs/web.md measures what
// that changes).
static_assert(std::numeric_limits<Extended>::digits == 113,
              "Extended must be binary128 in WebAssembly");
#else
static_assert(std::numeric_limits<Extended>::digits == 64,
              "Extended must be the 80-bit type with a 64-bit significand");
#endif

inline constexpr Extended tolerance = 5e-12L;
// Magnitude limit of whole numbers; also stands for an unbounded end of a range.
inline constexpr Extended big_value = 2147483647.0L;

// 2^-64, half the gap between 1 and the next Extended: one correctly rounded operation is off
// by at most this much, relative to its result.
inline constexpr Extended unit_roundoff = std::numeric_limits<Extended>::epsilon() / 2;

// The error of the whole distribution subsystem, raised by check_condition and check_bound.
class EArgumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Special functions and helpers -------------------------------------------------------

Extended log_gamma(Extended x);
// I_x(a, b): probability that a beta(a, b) variable is at most x. Never fails: an invalid
// operation, division by zero or overflow inside it gives 1.
Extended incomplete_beta(Extended x, Extended a, Extended b);
// The tail that incomplete_beta takes from the continued fraction: the lower one, I_x(a, b),
// below x = (a + 1) / (a + b + 2), where the fraction converges fast; otherwise the upper one,
// 1 - I_x(a, b), with the shapes swapped. The error bounds of the line sums follow the same
// choice, so they call this too.
inline bool incomplete_beta_takes_lower_tail(Extended x, Extended a, Extended b)
{
    return x < (a + 1) / (a + b + 2);
}
Extended beta_continued_fraction(Extended x, Extended a, Extended b);
// The same, run until a step changes it by less than relative_change times its value.
Extended beta_continued_fraction(Extended x, Extended a, Extended b, Extended relative_change);

bool nearly_equal(Extended a, Extended b);
bool is_whole_number(Extended x);
// x by the pattern "0.############", with the process-wide decimal separator.
std::string format_number(Extended x);

// Raises EArgumentError with the text of message_number when condition holds.
bool check_condition(bool condition, int message_number);
// Raises EArgumentError, with the message text followed by the bound, when value breaks the
// comparison that message_number stands for; numbers without a comparison never raise.
bool check_bound(int message_number, Extended value, Extended bound);
std::string message_text(int message_number);

// ---- Uniform random source ---------------------------------------------------------------

struct RandomState {
    std::int32_t s1;
    std::int32_t s2;
};
inline constexpr RandomState start_up_random_state{897183450, 1841323562};
// Program-wide; holds start_up_random_state before main runs.
extern RandomState random_state;

// One step of L'Ecuyer's combined multiplicative congruential generator; result in (0, 1).
Extended uniform_random();

// ---- Distributions -----------------------------------------------------------------------

struct ParameterSpec {
    Extended value = 0;
    bool whole = false;
    Extended lower_limit = 0;  // exclusive
    Extended upper_limit = 0;  // exclusive
};

class tDistribution {
public:
    virtual bool set_parameters(Extended p1, Extended p2, Extended p3);
    virtual bool in_support(Extended x);
    virtual Extended density(Extended x);
    virtual Extended point_probability(Extended x);
    virtual Extended cdf(Extended x);
    virtual Extended interval_probability(Extended a, Extended b);
    virtual Extended quantile(Extended p) = 0;
    virtual bool has_mean();
    virtual bool has_variance();
    virtual Extended mean() = 0;
    virtual Extended variance() = 0;
    virtual Extended standard_deviation();
    virtual Extended random_value();
    virtual ~tDistribution() = default;

protected:
    // Validates parameter position i (1 to 3) against its limits.
    void check_parameter(int i);

    std::uint8_t parameter_count = 0;
    ParameterSpec parameters[3];
    Extended support_low = -big_value;
    Extended support_high = big_value;
};

class tContinuous_distribution : public tDistribution {
public:
    // Brackets p around the mean, then refines by safeguarded Newton steps.
    Extended quantile(Extended p) override;
};

class tBeta_distribution : public tContinuous_distribution {
public:
    tBeta_distribution(Extended alpha, Extended beta);

    bool set_parameters(Extended p1, Extended p2, Extended p3) override;
    bool in_support(Extended x) override;
    Extended density(Extended x) override;
    Extended cdf(Extended x) override;
    Extended mean() override;
    Extended variance() override;
    // Cheng's algorithm BA.
    Extended random_value() override;

private:
    Extended alpha = 0;
    Extended beta = 0;
    Extended log_norm = 0;  // ln(1 / B(alpha, beta))
    Extended alpha_plus_beta = 0;
    Extended variate_scale = 0;
    Extended variate_shift = 0;
};

}  // namespace stats
