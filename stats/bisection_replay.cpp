#include "stats/bisection_replay.hpp"

#include <algorithm>
#include <limits>
#include <numbers>

#include <boost/math/distributions/normal.hpp>

namespace stats {

namespace {

// Grid units per unit of p.
constexpr Extended grid_scale = BisectionGridCells;

// The normal quantile, to the precision of double: it only guides the search. Beyond double's
// range, and at 0 and 1, it is NaN, never an exception.
Extended normal_quantile(Extended probability)
{
    using namespace boost::math::policies;
    using Quiet = policy<overflow_error<ignore_error>, underflow_error<ignore_error>,
                         denorm_error<ignore_error>, evaluation_error<ignore_error>>;
    const double p = double(probability);
    if (!(p > 0 && p < 1))
        return std::numeric_limits<Extended>::quiet_NaN();
    return boost::math::quantile(boost::math::normal_distribution<double, Quiet>(), p);
}

// Where the mixture roughly crosses target, whose normal quantile is z: the quantile of a
// gamma distribution with the mixture's mean and variance (Wilson–Hilferty), taken from the
// nearer end of [0, 1]; or, where the spread of the cases' means outweighs each case's own
// spread, of a uniform block of them.
Extended first_guess(const MixtureOutline& outline, Extended target, Extended z)
{
    const Extended a = outline.first_shape;
    const Extended n = outline.shape_sum;
    const Extended k = outline.last_case;
    const Extended mean_shape = a + k / 2;
    // The cases' means (a + j) / N spread as a uniform block; each case spreads as its beta.
    const Extended block_variance = k * (k + 2) / 12 / (n * n);
    const Extended case_variance =
        std::max(Extended(0), mean_shape * (n - mean_shape) - k * (k + 2) / 12) / (n * n * (n + 1));
    if (block_variance > case_variance)
        return (a - 0.5L + target * (k + 1)) / n;

    const Extended mean = mean_shape / n;
    const Extended variance = block_variance + case_variance;
    const bool from_top = mean > 0.5L;
    const Extended near_mean = from_top ? 1 - mean : mean;
    const Extended shape = near_mean * near_mean / variance;
    const Extended root = 1 - 1 / (9 * shape) + (from_top ? -z : z) / (3 * std::sqrt(shape));
    const Extended quantile = near_mean * std::max(Extended(0), root * root * root);
    return from_top ? 1 - quantile : quantile;
}

}  // namespace

ReplaySearch::ReplaySearch(Extended target, const MixtureOutline& outline)
    : target_(target),
      // Each comparison in record() rounds twice, each time by at most a unit of roundoff of
      // a number below 2: the 4 units added cover both.
      margin_(2 * outline.term_by_term_error + 4 * unit_roundoff),
      target_z_(normal_quantile(target))
{
    // The guess stays inside the grid, where the bisection's midpoints lie.
    const Extended guess = first_guess(outline, target, target_z_) * grid_scale;
    estimate_ = std::isnan(guess) ? grid_scale / 2 : std::clamp(guess, Extended(1), grid_scale - 1);
}

std::optional<long long> ReplaySearch::next() const
{
    if (above_ - below_ <= 1 || count_ == most_evaluations)
        return std::nullopt;
    const auto open = [&](long long g) { return g > below_ && g < above_ && !recorded(g); };
    long long open_points = above_ - below_ - 1;
    for (int i = 0; i < count_; ++i)
        if (evaluated_[i].g > below_ && evaluated_[i].g < above_)
            --open_points;
    if (open_points == 0)
        return std::nullopt;

    // A Newton estimate outside the bracket, or none, gives way to its middle.
    Extended x = estimate_;
    if (!(x > below_ && x < above_))
        x = (Extended(below_) + Extended(above_)) / 2;
    // The open point nearest x: the nearest grid point, or the first open one beyond it,
    // trying the side of x first.
    const long long start = std::clamp(std::llround(x), below_ + 1, above_ - 1);
    const long long toward_x = x >= start ? 1 : -1;
    for (long long d = 0;; ++d) {
        if (open(start + toward_x * d))
            return start + toward_x * d;
        if (open(start - toward_x * d))
            return start - toward_x * d;
    }
}

void ReplaySearch::record(long long g, const BoundedSum& sum)
{
    evaluated_[count_++] = {g, sum};
    const Extended certain = sum.error_bound + margin_;
    if (target_ - sum.value > certain)
        below_ = g;
    else if (sum.value - target_ > certain)
        above_ = g;
    // Newton's step on the normal quantile of the mixture, which is close to a straight line
    // in p wherever the mixture is close to a normal distribution, in its tails too.
    const Extended z = normal_quantile(sum.value);
    const Extended slope =
        sum.slope * std::exp(z * z / 2) * std::sqrt(2 * std::numbers::pi_v<Extended>);
    estimate_ = Extended(g) + (target_z_ - z) / slope * grid_scale;
}

const BoundedSum* ReplaySearch::recorded(long long g) const
{
    for (int i = 0; i < count_; ++i)
        if (evaluated_[i].g == g)
            return &evaluated_[i].sum;
    return nullptr;
}

}  // namespace stats
