#include "norms/tables/continuous_tables.hpp"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "norms/read/frequency_file.hpp"

namespace norms {
namespace {

// A round step: units × 10^exponent, so that its multiples are computed from whole numbers
// and each age is the double nearest to its decimal value.
struct RoundStep {
    long long units = 1;
    int exponent = 0;

    double multiple(long long k) const
    {
        double power = 1;
        for (int e = 0; e < std::abs(exponent); ++e)
            power *= 10;
        const double whole = static_cast<double>(k * units);
        return exponent >= 0 ? whole * power : whole / power;
    }
    double size() const { return multiple(1); }
};

// The step of 1, 2, 2.5 or 5 times a power of ten nearest to `wanted`, by ratio.
RoundStep round_step(double wanted)
{
    const int power = static_cast<int>(std::floor(std::log10(wanted)));
    RoundStep best;
    double best_distance = INFINITY;
    for (int p = power - 1; p <= power + 1; ++p)
        for (const RoundStep step : {RoundStep{1, p}, RoundStep{2, p}, RoundStep{25, p - 1}, RoundStep{5, p}}) {
            const double distance = std::abs(std::log(step.size() / wanted));
            if (distance < best_distance) {
                best = step;
                best_distance = distance;
            }
        }
    return best;
}

void add_limits(ContinuousTables& tables, const stats::Resamples& resamples)
{
    tables.resamples = resamples.choice.resamples;
    tables.seed = resamples.choice.seed;
    tables.bias = resamples.bias;
    stats::add_bootstrap_limits(tables.cells, resamples);
}

}  // namespace

std::vector<Extended> evenly_spaced_ages(double low, double high, double steps)
{
    // A span beyond a double has no round step (the fit refuses such ages before).
    if (!(high > low) || !std::isfinite(high - low) || !(steps >= 1))
        return {low};
    const RoundStep step = round_step((high - low) / steps);
    auto k = static_cast<long long>(std::ceil(low / step.size()));
    while (step.multiple(k - 1) >= low)
        --k;
    while (step.multiple(k) < low)
        ++k;
    std::vector<Extended> ages;
    for (; step.multiple(k) <= high; ++k)
        ages.push_back(step.multiple(k));
    return ages;
}

std::vector<Extended> default_norm_ages(const stats::NormingSample& sample)
{
    if (sample.ages.empty()) {
        const std::set<Extended> groups(sample.groups.begin(), sample.groups.end());
        return {groups.begin(), groups.end()};
    }
    const auto [low, high] = std::minmax_element(sample.ages.begin(), sample.ages.end());
    return evenly_spaced_ages(static_cast<double>(*low), static_cast<double>(*high));
}

std::optional<std::vector<Extended>> parse_age_list(const std::string& text)
{
    std::vector<Extended> ages;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::optional<double> age = parse_decimal_double(std::string_view(text).substr(start, comma - start));
        if (!age)
            return std::nullopt;
        if (std::find(ages.begin(), ages.end(), *age) == ages.end())
            ages.push_back(*age);
        if (comma == text.size())
            return ages;
        start = comma + 1;
    }
}

ContinuousTables fit_continuous_tables(const stats::NormingSample& sample, const stats::ContinuousOptions& options,
                                       std::vector<Extended> ages, long long raw_min, long long raw_max,
                                       const stats::BootstrapChoice& bootstrap, stats::Interruption* interruption,
                                       const std::vector<Extended>& raw_scores)
{
    if (bootstrap.resamples < 0)
        throw std::invalid_argument("The number of bootstrap resamples must not be negative.");
    const stats::ContinuousFit fit = stats::fit_continuous_norms(sample, options, interruption);
    if (ages.empty())
        ages = default_norm_ages(sample);
    ContinuousTables tables = fitted_tables(fit, options, std::move(ages), raw_min, raw_max, nullptr, raw_scores);
    if (bootstrap.resamples > 0)
        add_limits(tables, stats::resample_models(sample, options, bootstrap, interruption, &fit));
    return tables;
}

ContinuousTables fitted_tables(const stats::ContinuousFit& fit, const stats::ContinuousOptions& options,
                               std::vector<Extended> ages, long long raw_min, long long raw_max,
                               const stats::Resamples* resamples, const std::vector<Extended>& raw_scores)
{
    ContinuousTables tables = model_tables(fit.model, std::move(ages), raw_min, raw_max, raw_scores);
    tables.fit = fit;
    tables.options = options;
    if (resamples)
        add_limits(tables, *resamples);
    return tables;
}

ContinuousTables model_tables(const stats::ContinuousModel& model, std::vector<Extended> ages, long long raw_min,
                              long long raw_max, const std::vector<Extended>& raw_scores)
{
    ContinuousTables tables;
    tables.model = model;
    tables.ages = std::move(ages);
    tables.raw_min = raw_min;
    tables.raw_max = raw_max;
    tables.raw_scores = raw_scores;
    tables.cells = raw_scores.empty() ? stats::continuous_norm_table(model, tables.ages, raw_min, raw_max)
                                      : stats::continuous_norm_table(model, tables.ages, raw_scores);
    return tables;
}

}  // namespace norms
