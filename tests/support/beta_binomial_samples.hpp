// Samples drawn from a known beta-binomial population whose log-shapes are linear in age: each
// score a beta draw, then a binomial one.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

#include "stats/beta_binomial.hpp"

namespace beta_binomial_samples {

// Ages 6 to 12; to one decimal, or continuous when `decimal_ages` is false.
inline stats::BetaBinomialSample drawn(int items, int cases, std::uint64_t seed, bool decimal_ages = true)
{
    std::mt19937_64 engine(seed);
    std::uniform_real_distribution<double> age_of(6, 12);
    stats::BetaBinomialSample sample;
    for (int i = 0; i < cases; ++i) {
        const double age = decimal_ages ? std::round(age_of(engine) * 10) / 10 : age_of(engine);
        const double alpha = std::exp(0.3 + 0.25 * (age - 9));
        const double beta = std::exp(0.8 - 0.2 * (age - 9));
        std::gamma_distribution<double> a(alpha), b(beta);
        const double x = a(engine), y = b(engine);
        std::binomial_distribution<int> score(items, x / (x + y));
        sample.ages.push_back(age);
        sample.scores.push_back(score(engine));
    }
    return sample;
}

}  // namespace beta_binomial_samples
