// The model file of a beta-binomial norm model: a JSON object that holds no case, only what it
// takes to score with the model, so that it can be shared and read back without the data.
//
//   {
//     "family": "betabinomial",
//     "items": 28,
//     "age_standardisation": {"mean": 9.2, "sd": 1.4},
//     "alpha": [0.41, 0.52, -0.03, 0.01],     log α's coefficients of x^0, x^1, …
//     "beta": [1.12, -0.37, 0.02, 0.004],     log β's
//     "ages": {"min": 6, "max": 12},
//     "scale": {"name": "T", "mean": 50, "sd": 10},
//     "cases": 1400,
//     "program": "Vornak 1.0.0"
//   }
//
// Every number is written in the shortest form that reads back as the same double, so a model
// read back gives the fitted model's tables bit for bit.
#pragma once

#include <string>
#include <string_view>

#include "stats/beta_binomial.hpp"

namespace norms {

std::string beta_binomial_model_json(const stats::BetaBinomialModel& model);

// Whether the text is a JSON object whose "family" is "betabinomial".
bool is_beta_binomial_model(std::string_view text);

// Throws platform::Failure, saying what is wrong, on a text that is not such a model: not JSON,
// a key missing or unknown, a value of the wrong type, no coefficient or more than five of a
// shape, items below 1, an age SD of 0 or less, an age range whose ends are inverted.
stats::BetaBinomialModel parse_beta_binomial_model(std::string_view text);

}  // namespace norms
