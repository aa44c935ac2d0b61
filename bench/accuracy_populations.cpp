#include "accuracy_populations.hpp"

#include <algorithm>
#include <cmath>

#include <boost/math/distributions/normal.hpp>

namespace accuracy {
namespace {

// The beta-binomial probabilities of 0 … items correct for a mean share p of items solved and
// a precision φ = α + β (the smaller, the more the people differ), in log space.
std::vector<Extended> beta_binomial(int items, Extended p, Extended precision)
{
    const Extended a = p * precision;
    const Extended b = (1 - p) * precision;
    const auto log_beta = [](Extended x, Extended y) { return std::lgamma(x) + std::lgamma(y) - std::lgamma(x + y); };
    std::vector<Extended> probabilities(static_cast<std::size_t>(items) + 1);
    for (int x = 0; x <= items; ++x) {
        const Extended log_choose = std::lgamma(Extended(items + 1)) - std::lgamma(Extended(x + 1)) -
                                    std::lgamma(Extended(items - x + 1));
        probabilities[x] = std::exp(log_choose + log_beta(x + a, items - x + b) - log_beta(a, b));
    }
    return probabilities;
}

// A normal ability of mean μ and SD σ rounded to whole scores, the ends taking what lies
// beyond them.
std::vector<Extended> rounded_normal(int items, Extended mean, Extended sd)
{
    const boost::math::normal_distribution<Extended> normal(mean, sd);
    std::vector<Extended> probabilities(static_cast<std::size_t>(items) + 1);
    for (int x = 0; x <= items; ++x) {
        const Extended below = x == 0 ? 0 : boost::math::cdf(normal, x - 0.5L);
        const Extended up_to = x == items ? 1 : boost::math::cdf(normal, x + 0.5L);
        probabilities[x] = up_to - below;
    }
    return probabilities;
}

std::vector<Extended> whole_years(int first, int last)
{
    std::vector<Extended> ages;
    for (int age = first; age <= last; ++age)
        ages.push_back(age);
    return ages;
}

// -1 at age 6, 1 at age 12.
Extended standard_age(Extended age)
{
    return (age - 9) / 3;
}

}  // namespace

const std::vector<Population>& suite_populations()
{
    static const std::vector<Population> populations = {
        {"floor", "28 items, a fifth of the youngest at 0 or 1", 28, whole_years(6, 12), false,
         [](Extended age) { return beta_binomial(28, 0.12L + 0.25L * (standard_age(age) + 1), 6); }},
        {"ceiling", "30 items, the oldest crowding the top", 30, whole_years(6, 12), false,
         [](Extended age) { return beta_binomial(30, 0.55L + 0.17L * (standard_age(age) + 1), 7); }},
        {"symmetric", "40 items, bell-shaped around the middle", 40, whole_years(6, 12), false,
         [](Extended age) { return beta_binomial(40, 0.35L + 0.15L * (standard_age(age) + 1), 20); }},
        {"mixture", "36 items, a quarter from a subgroup 11 items ahead", 36, whole_years(6, 12), false,
         [](Extended age) {
             const Extended p = 0.25L + 0.15L * (standard_age(age) + 1);
             std::vector<Extended> mixed = beta_binomial(36, p, 12);
             const std::vector<Extended> ahead = beta_binomial(36, p + 0.30L, 12);
             for (std::size_t x = 0; x < mixed.size(); ++x)
                 mixed[x] = 0.75L * mixed[x] + 0.25L * ahead[x];
             return mixed;
         }},
        {"logistic", "50 items, logistic growth, the SD growing from 3 to 10", 50, whole_years(6, 12), false,
         [](Extended age) {
             return rounded_normal(50, 5 + 40 / (1 + std::exp(-1.5L * (age - 8.5L))), 3 + 1.2L * (age - 6));
         }},
        {"windows", "32 items, ages spread evenly over 5.5 to 12.5, ranked in windows 1 year wide", 32,
         whole_years(6, 12), true,
         [](Extended age) { return beta_binomial(32, 0.2L + 0.5L * (age - 5.5L) / 7, 8); }},
    };
    return populations;
}

std::vector<Extended> mid_rank_PRs(const std::vector<Extended>& probabilities)
{
    std::vector<Extended> ranks;
    Extended below = 0;
    for (const Extended p : probabilities) {
        ranks.push_back(100 * (below + p / 2));
        below += p;
    }
    return ranks;
}

Extended uniform(std::mt19937_64& random)
{
    return static_cast<Extended>(random() >> 11) * 0x1p-53L;
}

int draw_score(const std::vector<Extended>& probabilities, std::mt19937_64& random)
{
    Extended u = uniform(random);
    for (std::size_t x = 0; x + 1 < probabilities.size(); ++x) {
        if (u < probabilities[x])
            return static_cast<int>(x);
        u -= probabilities[x];
    }
    return static_cast<int>(probabilities.size()) - 1;
}

}  // namespace accuracy
