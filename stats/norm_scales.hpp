// Normalised scores: a percentile rank taken to the normal deviate z = Φ⁻¹(PR / 100) (an area
// transformation), then to a test's scale, such as T = 50 + 10z or a stanine.
//
// Φ⁻¹ is strictly increasing, so a rank interval maps onto an interval on any of these scales:
// each limit is the image of the rank's limit. A rank of 0 or 1 maps to -inf or +inf, and so
// does a lower limit near 0 or an upper limit near 1 that the bisection could not tell from
// the end (see z_of_lower_limit).
#pragma once

#include <string>
#include <vector>

#include "stats/distrib.hpp"

namespace stats {

// Φ⁻¹(p) for 0 <= p <= 1, through Boost.Math's normal quantile in extended precision; -inf at
// 0 and +inf at 1.
Extended z_of_proportion(Extended p);

// Φ(z), the proportion below z; 0 at -inf and 1 at +inf.
Extended proportion_of_z(Extended z);

// The z of an interval limit found by the bisection. Such a limit is the middle of a last
// bracket 2^-15 wide, so a lower limit of at most 2^-16 comes from a bracket that starts at 0:
// the bisection found nothing to set it off from 0, and its z is -inf, not the finite
// Φ⁻¹(2^-16) = -4.17 that the step size alone would give. Likewise an upper limit of at least
// 1 - 2^-16 is +inf. A lower limit near 1 or an upper limit near 0 bounds the interval on its
// inner side and keeps its finite image.
Extended z_of_lower_limit(Extended p);
Extended z_of_upper_limit(Extended p);

enum class ScaleRule {
    Linear,   // mean + sd·z
    Stanine,  // ⌊2z + 5.5⌋ kept within 1 … 9
    Sten,     // ⌊2z + 6⌋ kept within 1 … 10
};

struct NormScale {
    std::string name;    // as given on the command line: "T", or "500,100" for a custom scale
    std::string column;  // the stem of its CSV columns: "T", or "scale_500_100"
    std::string title;   // "T score"
    ScaleRule rule = ScaleRule::Linear;
    Extended mean = 0;
    Extended sd = 1;
    // How a window prints it: decimals, and the bounds beyond which it shows "<" or ">" with
    // the bound, since so far out a score rests on a handful of cases.
    int decimals = 0;
    Extended display_low = 0;
    Extended display_high = 0;

    // The score of a normal deviate; -inf and +inf stay infinite on a linear scale.
    Extended of_z(Extended z) const;

    friend bool operator==(const NormScale&, const NormScale&) = default;
};

// z, T, IQ, scaled, NCE, stanine and sten, in that order.
const std::vector<NormScale>& StandardNormScales();

// The means and SDs a scale may have: the mean within a million of 0, the SD from 0.001 to a
// million. Beyond them a norm score is a number of more digits than a table can show, and a
// continuous model's powers of L lose the precision of the ranks.
inline constexpr Extended largest_scale_mean = 1e6L;
inline constexpr Extended smallest_scale_sd = 1e-3L;
inline constexpr Extended largest_scale_sd = 1e6L;

// Whether a mean and an SD lie within those bounds.
inline bool sensible_scale_mean(Extended mean)
{
    return mean >= -largest_scale_mean && mean <= largest_scale_mean;
}
inline bool sensible_scale_sd(Extended sd)
{
    return sd >= smallest_scale_sd && sd <= largest_scale_sd;
}

// mean + sd·z, sd > 0, named after the two numbers as they were written.
NormScale CustomNormScale(Extended mean, Extended sd, const std::string& mean_text,
                          const std::string& sd_text);

}  // namespace stats
