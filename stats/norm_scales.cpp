#include "stats/norm_scales.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include <boost/math/distributions/normal.hpp>

#include "stats/interval_search.hpp"

namespace stats {
namespace {

constexpr Extended infinity = std::numeric_limits<Extended>::infinity();

// Beyond four standard deviations a rank rests on a handful of cases, even in large samples.
constexpr Extended display_z = 4;

NormScale linear_scale(std::string name, std::string title, Extended mean, Extended sd,
                       int decimals)
{
    return {name, name, std::move(title), ScaleRule::Linear, mean, sd, decimals,
            mean - display_z * sd, mean + display_z * sd};
}

// ⌊2z + offset⌋, exactly: 2z + offset may round up onto a class boundary from just below it,
// while 2z and each boundary k - offset are exact.
Extended class_of(Extended z, Extended offset)
{
    Extended k = std::floor(2 * z + offset);
    if (2 * z < k - offset)
        k -= 1;
    return k;
}

}  // namespace

Extended proportion_of_z(Extended z)
{
    if (std::isinf(z))
        return z < 0 ? 0 : 1;
    return boost::math::cdf(boost::math::normal_distribution<Extended>(), z);
}

Extended z_of_proportion(Extended p)
{
    // Boost reports the infinite ends as an overflow error.
    if (p <= 0)
        return -infinity;
    if (p >= 1)
        return infinity;
    return boost::math::quantile(boost::math::normal_distribution<Extended>(), p);
}

Extended z_of_lower_limit(Extended p)
{
    return p <= BisectionHalfWidth ? -infinity : z_of_proportion(p);
}

Extended z_of_upper_limit(Extended p)
{
    return p >= 1 - BisectionHalfWidth ? infinity : z_of_proportion(p);
}

Extended NormScale::of_z(Extended z) const
{
    switch (rule) {
    case ScaleRule::Stanine:
        return std::clamp(class_of(z, 5.5L), Extended(1), Extended(9));
    case ScaleRule::Sten:
        return std::clamp(class_of(z, 6), Extended(1), Extended(10));
    case ScaleRule::Linear:
        break;
    }
    return mean + sd * z;
}

const std::vector<NormScale>& StandardNormScales()
{
    static const std::vector<NormScale> scales = [] {
        std::vector<NormScale> list = {
            linear_scale("z", "z score", 0, 1, 2),
            linear_scale("T", "T score", 50, 10, 0),
            linear_scale("IQ", "standard score (IQ scale)", 100, 15, 0),
            linear_scale("scaled", "scaled score", 10, 3, 0),
            linear_scale("NCE", "normal curve equivalent", 50, 21.06L, 0),
            {"stanine", "stanine", "stanine", ScaleRule::Stanine, 0, 1, 0, 1, 9},
            {"sten", "sten", "sten", ScaleRule::Sten, 0, 1, 0, 1, 10},
        };
        // The normal curve equivalents are made to run from 1 to 99, which they reach at the
        // 1st and 99th percentiles.
        list[4].display_low = 1;
        list[4].display_high = 99;
        return list;
    }();
    return scales;
}

NormScale CustomNormScale(Extended mean, Extended sd, const std::string& mean_text,
                          const std::string& sd_text)
{
    // Whole numbers once a unit is a third of a standard deviation or less, as on the scaled
    // scores; finer scales keep two decimals, as z does.
    NormScale scale = linear_scale(mean_text + "," + sd_text, "custom scale", mean, sd,
                                   sd >= 3 ? 0 : 2);
    scale.column = "scale_" + mean_text + "_" + sd_text;
    return scale;
}

}  // namespace stats
