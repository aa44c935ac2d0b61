// The model file of a continuous norm model: a JSON object that holds no case, only what it
// takes to score with the model (its scale, terms, coefficients and the ranges it was fitted
// on), so that it can be shared and read back without the data.
//
//   {
//     "program": "Vornak 1.0.0",
//     "scale": {"name": "T", "mean": 50, "sd": 10},
//     "k": 5, "t": 3,
//     "intercept": -3.0512345678901234,
//     "terms": {"L1": 0.21, "L1A1": 0.003, ...},
//     "ranges": {"age": {"min": 6, "max": 16}, "L": {...}, "raw": {...}},
//     "cases": 5000
//   }
//
// Every number is written in the shortest form that reads back as the same double (at most 17
// significant digits), so a model read back gives the fitted model's tables bit for bit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "stats/continuous_model.hpp"

namespace norms {

std::string continuous_model_json(const stats::ContinuousModel& model);

// Throws platform::Failure, saying what is wrong, on a text that is not such a model: not
// JSON, a key missing or unknown, a value of the wrong type, a term name that is not one or that
// the model's k and t do not allow, a number beyond a double's range (JSON has no infinity),
// a range whose ends are inverted, a scale beyond the sensible means and SDs, and a model that
// cannot give norm scores (stats::unusable_model_problem says why). A model whose curves cross
// at some ages is read: model_file_warnings names them.
stats::ContinuousModel parse_continuous_model(std::string_view text);

// The fit's warning when the model's curves cross at some of its ages; none otherwise.
std::vector<std::string> model_file_warnings(const stats::ContinuousModel& model);

// The model in the file at `path`. Throws platform::Failure as parse_continuous_model does, and
// naming the file for one that cannot be read or is too large to be a model.
stats::ContinuousModel read_continuous_model(const std::string& path);

}  // namespace norms
