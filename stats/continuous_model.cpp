#include "stats/continuous_model.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include <boost/math/distributions/normal.hpp>
#include <boost/math/tools/roots.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include "stats/continuous_ranking.hpp"
#include "stats/number_format.hpp"

namespace stats {
namespace {

// Where the root finder stops: a bracket of 2^-52 relative width, finer than any score is shown.
constexpr int root_bits = 53;
constexpr std::uintmax_t root_iterations = 200;

// The grid of L over which the slope is checked.
constexpr int slope_steps = 100;
// A slope counts as negative beyond this share of its terms' magnitudes, far above their
// rounding errors.
constexpr Extended slope_tolerance = 1e-12L;

Extended proportion_below(Extended z)
{
    return boost::math::cdf(boost::math::normal_distribution<Extended>(), z);
}

Extended evenly_between(Extended low, Extended high, int step, int steps)
{
    return step == steps ? high : low + (high - low) * step / steps;
}

}  // namespace

ModelAtAge::ModelAtAge(const ContinuousModel& model, Extended A) : age_(A)
{
    // Coefficients by power, whatever the order of the terms, so that a model read back from a
    // file evaluates exactly as the fitted one.
    Extended c[max_term_power + 1][max_term_power + 1] = {};
    c[0][0] = model.intercept;
    for (const ModelTerm& term : model.terms)
        c[term.power.L_power][term.power.A_power] = term.coefficient;
    for (int i = 0; i <= max_term_power; ++i) {
        Extended sum = 0;
        Extended magnitude = 0;
        for (int j = max_term_power; j >= 0; --j) {
            sum = sum * A + c[i][j];
            magnitude = magnitude * std::abs(A) + std::abs(c[i][j]);
        }
        coefficients_[i] = sum;
        magnitudes_[i] = magnitude;
    }
}

Extended ModelAtAge::age() const
{
    return age_;
}

Extended ModelAtAge::raw(Extended L) const
{
    Extended sum = 0;
    for (int i = max_term_power; i >= 0; --i)
        sum = sum * L + coefficients_[i];
    return sum;
}

Extended ModelAtAge::slope(Extended L) const
{
    Extended sum = 0;
    for (int i = max_term_power; i >= 1; --i)
        sum = sum * L + i * coefficients_[i];
    return sum;
}

Extended ModelAtAge::slope_magnitude(Extended L) const
{
    Extended sum = 0;
    for (int i = max_term_power; i >= 1; --i)
        sum = sum * std::abs(L) + i * magnitudes_[i];
    return sum;
}

NormScore norm_of_raw(const ContinuousModel& model, const ModelAtAge& at_age, Extended raw)
{
    const Extended low = model.L.low;
    const Extended high = model.L.high;
    const auto gap = [&](Extended L) { return at_age.raw(L) - raw; };
    const Extended gap_low = gap(low);
    const Extended gap_high = gap(high);

    NormScore score;
    if (gap_low >= 0) {
        score.L = low;
        score.side = gap_low > 0 ? RangeSide::below : RangeSide::within;
    } else if (gap_high <= 0) {
        score.L = high;
        score.side = gap_high < 0 ? RangeSide::above : RangeSide::within;
    } else {
        // A raw score that is not a number, at an end or within: the model's terms pass a
        // number's range there, and the root finder's own complaint would say nothing of it.
        const auto no_number = [&at_age] {
            return std::invalid_argument("The model gives no raw score at age " +
                                         data_number_text(static_cast<double>(at_age.age())) +
                                         ": its terms pass the range of a number there.");
        };
        if (!(gap_low < 0 && gap_high > 0))
            throw no_number();
        try {
            std::uintmax_t iterations = root_iterations;
            const auto bracket = boost::math::tools::toms748_solve(
                gap, low, high, gap_low, gap_high, boost::math::tools::eps_tolerance<Extended>(root_bits),
                iterations);
            score.L = (bracket.first + bracket.second) / 2;
        } catch (const std::domain_error&) {
            throw no_number();
        } catch (const boost::math::evaluation_error&) {
            throw no_number();
        }
    }
    score.PR = 100 * proportion_below((score.L - model.scale_mean) / model.scale_sd);
    return score;
}

std::vector<Extended> consistency_ages(const ContinuousModel& model, const std::vector<Extended>& also)
{
    constexpr int steps = 100;
    std::vector<Extended> ages;
    for (int step = 0; step <= steps; ++step)
        ages.push_back(evenly_between(model.age.low, model.age.high, step, steps));
    for (const Extended age : also)
        if (age >= model.age.low && age <= model.age.high)
            ages.push_back(age);
    std::sort(ages.begin(), ages.end());
    ages.erase(std::unique(ages.begin(), ages.end()), ages.end());
    return ages;
}

std::vector<Crossing> find_crossings(const ContinuousModel& model, const std::vector<Extended>& ages,
                                    std::size_t most)
{
    std::vector<Crossing> crossings;
    for (const Extended age : ages) {
        const ModelAtAge at_age(model, age);
        for (int step = 0; step <= slope_steps; ++step) {
            const Extended L = evenly_between(model.L.low, model.L.high, step, slope_steps);
            if (at_age.slope(L) < -slope_tolerance * at_age.slope_magnitude(L)) {
                crossings.push_back({age, L});
                break;
            }
        }
        if (most > 0 && crossings.size() >= most)
            break;
    }
    return crossings;
}

std::string unusable_model_problem(const ContinuousModel& model)
{
    if (std::none_of(model.terms.begin(), model.terms.end(), [](const ModelTerm& term) { return term.power.L_power > 0; }))
        return "it has no term in L";
    if (!(model.L.high > model.L.low))
        return "its range of L has no width";
    if (const std::string problem = age_range_problem(model.age.low, model.age.high); !problem.empty())
        return "its ages " + problem;
    bool rises = false;
    for (const Extended age : consistency_ages(model, {})) {
        const ModelAtAge at_age(model, age);
        const Extended low = at_age.raw(model.L.low);
        const Extended high = at_age.raw(model.L.high);
        if (!std::isfinite(low) || !std::isfinite(high))
            return "its raw score passes the range of a number at age " + data_number_text(static_cast<double>(age));
        rises = rises || high > low;
    }
    if (!rises)
        return "its raw score rises with L at none of its ages, so it gives no norm score";
    return "";
}

std::string crossing_warning(const ContinuousModel& model, const std::vector<Crossing>& crossings)
{
    std::vector<PowerTerm> terms;
    for (const PowerTerm& candidate : candidate_terms(model.k, model.t))
        for (const ModelTerm& term : model.terms)
            if (term.power == candidate)
                terms.push_back(candidate);
    std::string names;
    for (const PowerTerm& term : terms)
        names += (names.empty() ? "" : ", ") + term_name(term);
    return "No model of " + std::to_string(terms.size()) +
           " terms keeps the raw score from falling as L rises; the best one, " + names +
           ", is used. Its curves cross at " + crossings_text(crossings, model.age) + ".";
}

std::string crossings_text(const std::vector<Crossing>& crossings, const ValueRange& ages)
{
    constexpr std::size_t shown = 5;
    const double step = (ages.high - ages.low) / 100;
    const int decimals = step > 0 ? std::clamp(1 - static_cast<int>(std::floor(std::log10(step))), 0, 12) : 12;
    const double scale = std::pow(10.0, decimals);
    const auto age_text = [scale](Extended age) {
        return data_number_text(std::round(static_cast<double>(age) * scale) / scale);
    };
    std::string text;
    for (std::size_t i = 0; i < crossings.size() && i < shown; ++i) {
        char L[32];
        std::snprintf(L, sizeof L, "%.1f", static_cast<double>(crossings[i].L));
        text += (i > 0 ? "; " : "") + std::string("age ") + age_text(crossings[i].age) + ", L " + L;
    }
    if (crossings.size() > shown)
        text += "; and at " + std::to_string(crossings.size() - shown) + " more ages";
    return text;
}

}  // namespace stats
