#include "stats/distrib.hpp"

#include <algorithm>
#include <cmath>

namespace stats {

bool tDistribution::set_parameters(Extended p1, Extended p2, Extended p3)
{
    parameters[0].value = p1;
    parameters[1].value = p2;
    parameters[2].value = p3;
    for (int i = 1; i <= parameter_count; ++i)
        check_parameter(i);
    support_low = -big_value;
    support_high = big_value;
    return true;
}

void tDistribution::check_parameter(int i)
{
    const ParameterSpec& parameter = parameters[i - 1];
    const int first_message = 1296 + 4 * i;
    if (!parameter.whole) {
        check_bound(first_message + 1, parameter.value, parameter.lower_limit);
        check_bound(first_message + 3, parameter.value, parameter.upper_limit);
    } else {
        check_bound(first_message + 3, parameter.value, parameter.upper_limit);
        check_condition(!is_whole_number(parameter.value), first_message + 4);
    }
}

bool tDistribution::in_support(Extended x)
{
    return support_low <= x && x <= support_high;
}

Extended tDistribution::density(Extended)
{
    return 0;
}

Extended tDistribution::point_probability(Extended)
{
    return 0;
}

Extended tDistribution::cdf(Extended x)
{
    if (x < support_low)
        return 0;
    if (x >= support_high)
        return 1;
    return interval_probability(support_low, x);
}

Extended tDistribution::interval_probability(Extended a, Extended b)
{
    if (a < support_low)
        a = support_low;
    if (b > support_high)
        b = support_high;
    Extended result;
    if (b >= big_value)
        result = 1 - cdf(a) + point_probability(a);
    else if (a <= -big_value)
        result = cdf(b);
    else
        result = cdf(b) - cdf(a) + point_probability(a);
    return std::clamp(result, Extended{0}, Extended{1});
}

bool tDistribution::has_mean()
{
    return true;
}

bool tDistribution::has_variance()
{
    return true;
}

Extended tDistribution::standard_deviation()
{
    check_condition(!has_variance(), 1363);
    return std::sqrt(variance());
}

Extended tDistribution::random_value()
{
    return quantile(uniform_random());
}

Extended tContinuous_distribution::quantile(Extended p)
{
    check_bound(1302, p, 0);
    if (nearly_equal(p, 0))
        return support_low;
    check_bound(1315, p, 1);
    if (nearly_equal(p, 1))
        return support_high;

    Extended low = support_low;
    Extended high = support_high;
    const Extended centre = has_mean() ? mean() : (low + high) / 2;
    const Extended step = has_variance() ? 2 * standard_deviation() : 8;
    if (high > centre + step)
        high = centre + step;
    if (low < centre - step)
        low = centre - step;

    while (cdf(high) < p) {
        low = high;
        high = std::min(centre + 8 * (high - centre), support_high);
    }
    // After widening upward cdf(low) < p already holds, so this only runs when p lies below
    // the first bracket, even when the support has cut its upper end short.
    while (cdf(low) > p) {
        high = low;
        low = std::max(centre + 8 * (low - centre), support_low);
    }

    Extended x = (low + high) / 2;
    Extended x_old;
    do {
        const Extended d = cdf(x) - p;
        const Extended f = density(x);
        x_old = x;
        if (d <= 0)
            low = x;
        if (d >= 0)
            high = x;
        if (std::fabs(2 * d) < (high - low) * f)
            x = x - d / f;
        else
            x = (low + high) / 2;
    } while (std::fabs(x - x_old) >= tolerance);
    return x;
}

}  // namespace stats
