#include "stats/beta_binomial_group_fit.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include <boost/math/special_functions/gamma.hpp>

namespace stats {
namespace {

// P(X = 0) … P(X = N) by the ratio of neighbouring probabilities,
// P(x + 1) / P(x) = (N - x)(x + α) / ((x + 1)(N - x - 1 + β)), summed in log space: a few
// operations a score, for a sample whose every case has an age of its own. Its rounding, some
// N units in the last place of a double, is far below what a fit line shows.
std::vector<double> probabilities_by_ratio(const BetaBinomialModel& model, Extended age)
{
    const auto [alpha, beta] = shapes_at(model, age);
    const double a = static_cast<double>(alpha), b = static_cast<double>(beta), n = model.items;
    std::vector<double> p(static_cast<std::size_t>(model.items) + 1);
    // P(0) = B(α, N + β) / B(α, β).
    double log_p = boost::math::lgamma(n + b) + boost::math::lgamma(a + b) - boost::math::lgamma(n + a + b) -
                   boost::math::lgamma(b);
    p[0] = log_p;
    for (int x = 0; x < model.items; ++x) {
        log_p += std::log((n - x) * (x + a) / ((x + 1) * (n - x - 1 + b)));
        p[static_cast<std::size_t>(x) + 1] = log_p;
    }
    probabilities_from_logs(p);
    return p;
}

}  // namespace

std::vector<GroupFitLine> beta_binomial_group_fit(const BetaBinomialModel& model, const BetaBinomialSample& sample,
                                                  const std::vector<Extended>& groups)
{
    const std::size_t n = sample.scores.size();
    const std::size_t size = static_cast<std::size_t>(model.items) + 1;
    Extended weight_sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        weight_sum += sample.weights.empty() ? 1 : sample.weights[i];
    const Extended scale = static_cast<Extended>(n) / weight_sum;
    struct Counts {
        std::vector<Extended> observed, expected;
        Extended cases = 0;
    };
    std::map<Extended, Counts> by_group;
    std::map<Extended, std::vector<double>> probabilities_at;  // cases often share an age
    for (std::size_t i = 0; i < n; ++i) {
        Counts& counts = by_group[groups[i]];
        if (counts.observed.empty()) {
            counts.observed.assign(size, 0);
            counts.expected.assign(size, 0);
        }
        const Extended weight = (sample.weights.empty() ? 1 : sample.weights[i]) * scale;
        auto [at, added] = probabilities_at.try_emplace(sample.ages[i]);
        if (added)
            at->second = probabilities_by_ratio(model, sample.ages[i]);
        counts.observed[static_cast<std::size_t>(sample.scores[i])] += weight;
        for (std::size_t x = 0; x < size; ++x)
            counts.expected[x] += weight * at->second[x];
        counts.cases += weight;
    }
    std::vector<GroupFitLine> lines;
    for (const auto& [group, counts] : by_group) {
        GroupFitLine line{group, counts.cases, 0, 0};
        Extended observed_below = 0, expected_below = 0;
        for (std::size_t x = 0; x < size; ++x) {
            const Extended observed_mid = observed_below + counts.observed[x] / 2;
            const Extended expected_mid = expected_below + counts.expected[x] / 2;
            line.largest_PR_difference =
                std::max(line.largest_PR_difference, 100 * std::abs(expected_mid - observed_mid) / counts.cases);
            const Extended residual = counts.observed[x] - counts.expected[x];
            if (counts.expected[x] > 0)
                line.chi_square += residual * residual / counts.expected[x];
            observed_below += counts.observed[x];
            expected_below += counts.expected[x];
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace stats
