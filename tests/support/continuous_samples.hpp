// Norm samples for the continuous-norming tests, made with fixed seeds.
#pragma once

#include <cmath>
#include <random>

#include "stats/continuous_ranking.hpp"

namespace continuous_samples {

// `groups` one-year age groups from age 6, `per_group` children each, the group's value its
// middle; a raw score of 0 to 40 that grows with age and ability and levels off at both ends.
inline stats::NormingSample age_trend(int groups, int per_group, unsigned seed)
{
    std::mt19937_64 engine(seed);
    std::normal_distribution<double> ability;
    std::uniform_real_distribution<double> within_year(0, 1);
    stats::NormingSample sample;
    for (int group = 0; group < groups; ++group)
        for (int i = 0; i < per_group; ++i) {
            const double age = 6 + group + within_year(engine);
            const double logit = 0.9 * ability(engine) + 0.35 * (age - 11);
            sample.scores.push_back(std::round(40 / (1 + std::exp(-logit))));
            sample.groups.push_back(6.5 + group);
            sample.ages.push_back(age);
        }
    return sample;
}

}  // namespace continuous_samples
