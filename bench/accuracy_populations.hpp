// Populations whose norms are known exactly, for judging norming methods: at every age, the
// probability of each raw score 0 … items. A sample drawn from one is normed like any other,
// and each norm score is compared with the population's own: the mid-rank PR in the
// population, P(X < x) + P(X = x)/2, on the scale.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "stats/distrib.hpp"

namespace accuracy {

using stats::Extended;

struct Population {
    std::string name;
    std::string description;
    int items = 0;
    // The groups' ages; with continuous ages, the middles of whole-year bands that the
    // cases' ages fill evenly, and the grouped tables are made for each band.
    std::vector<Extended> ages;
    bool continuous_ages = false;
    // P(X = x) for x = 0 … items at an age.
    std::function<std::vector<Extended>(Extended age)> probabilities;
};

// The suite's populations: floor, ceiling, symmetric, mixture, logistic, windows.
const std::vector<Population>& suite_populations();

// 100 × (P(X < x) + P(X = x)/2) for each x.
std::vector<Extended> mid_rank_PRs(const std::vector<Extended>& probabilities);

// One raw score drawn from the probabilities, by the inverse of their cumulative sums.
int draw_score(const std::vector<Extended>& probabilities, std::mt19937_64& random);

// 53 random bits as a number in [0, 1): the same stream on every platform.
Extended uniform(std::mt19937_64& random);

}  // namespace accuracy
