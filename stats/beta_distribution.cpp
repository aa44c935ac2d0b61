#include "stats/distrib.hpp"

#include <cmath>
#include <numbers>

namespace stats {

tBeta_distribution::tBeta_distribution(Extended alpha, Extended beta)
{
    parameter_count = 2;
    for (int i = 0; i < 2; ++i)
        parameters[i] = ParameterSpec{0, false, 0, big_value};
    set_parameters(alpha, beta, 0);
}

bool tBeta_distribution::set_parameters(Extended p1, Extended p2, Extended p3)
{
    const bool valid = tContinuous_distribution::set_parameters(p1, p2, p3);
    alpha = p1;
    beta = p2;
    alpha_plus_beta = alpha + beta;
    log_norm = log_gamma(alpha_plus_beta) - log_gamma(alpha) - log_gamma(beta);
    support_low = 0;
    support_high = 1;
    if (alpha > 1 && beta > 1)
        variate_scale = std::sqrt((2 * alpha * beta - alpha_plus_beta) / (alpha_plus_beta - 2));
    else
        variate_scale = std::min(alpha, beta);
    variate_shift = alpha + variate_scale;
    return valid;
}

bool tBeta_distribution::in_support(Extended x)
{
    const bool above_low = alpha >= 1 ? x >= 0 : x > 0;
    const bool below_high = beta >= 1 ? x <= 1 : x < 1;
    return above_low && below_high;
}

Extended tBeta_distribution::density(Extended x)
{
    if (alpha == 1 && x == 0)
        return beta;
    if (beta == 1 && x == 1)
        return alpha;
    if (x <= 0 || x >= 1)
        return 0;
    return std::exp(std::log(x) * (alpha - 1) + log_norm + std::log(1 - x) * (beta - 1));
}

Extended tBeta_distribution::cdf(Extended x)
{
    // Decided here rather than through in_support and the inherited rule: for x = 0 with
    // alpha < 1 that rule would hand the question straight back to this function.
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    return incomplete_beta(x, alpha, beta);
}

Extended tBeta_distribution::mean()
{
    return alpha / alpha_plus_beta;
}

Extended tBeta_distribution::variance()
{
    return mean() * beta / alpha_plus_beta / (alpha_plus_beta + 1);
}

Extended tBeta_distribution::random_value()
{
    const Extended log4 = 2 * std::numbers::ln2_v<Extended>;
    for (;;) {
        const Extended u1 = uniform_random();
        const Extended v = std::log(u1 / (1 - u1)) / variate_scale;
        const Extended w = alpha * std::exp(v);
        const Extended r =
            alpha_plus_beta * std::log(alpha_plus_beta / (beta + w)) + variate_shift * v - log4;
        const Extended u2 = uniform_random();
        if (r >= std::log(u1 * u1 * u2))
            return w / (beta + w);
    }
}

}  // namespace stats
