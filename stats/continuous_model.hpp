// A continuous norm model: the raw score as a polynomial in the location L and the explanatory
// variable A (age), raw = intercept + Σ c_ij L^i A^j, and what follows from it: the norm score
// of a raw score at an age, and whether the model's raw score ever falls as L rises.
//
// Every number is held as a double, as the model file writes it, and the model is evaluated in
// extended precision from those numbers alone, so a model read back from its file gives the same
// scores as the fitted one, bit for bit.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "stats/continuous_terms.hpp"
#include "stats/distrib.hpp"

namespace stats {

struct ModelTerm {
    PowerTerm power;
    double coefficient = 0;
};

struct ValueRange {
    double low = 0;
    double high = 0;
};

struct ContinuousModel {
    std::string scale_name = "T";
    double scale_mean = 50;
    double scale_sd = 10;
    int k = 5;  // the largest power of L among the candidates
    int t = 3;  // the largest power of A
    double intercept = 0;
    std::vector<ModelTerm> terms;
    // The data's ranges: ages (or group values), locations and raw scores.
    ValueRange age;
    ValueRange L;
    ValueRange raw;
    long long cases = 0;
};

// The model at one age: a polynomial in L of degree at most max_term_power.
class ModelAtAge {
public:
    ModelAtAge(const ContinuousModel& model, Extended A);
    Extended age() const;
    Extended raw(Extended L) const;
    // d raw / d L.
    Extended slope(Extended L) const;
    // The sum of the slope's terms' magnitudes, the scale of its rounding errors.
    Extended slope_magnitude(Extended L) const;

private:
    Extended age_ = 0;
    std::array<Extended, max_term_power + 1> coefficients_{};  // of L^0 … L^6
    std::array<Extended, max_term_power + 1> magnitudes_{};    // the sums of their terms' magnitudes
};

enum class RangeSide {
    within,
    below,  // the raw score lies below what the model gives at the lowest L of the data
    above,  // above what it gives at the highest
};

struct NormScore {
    Extended L = 0;   // the norm score on the model's scale
    Extended PR = 0;  // 100 Φ((L - mean) / sd)
    RangeSide side = RangeSide::within;
};

// The L at which the model gives `raw` at this age, found by TOMS 748 within the data's range
// of L; a raw score beyond the model's raw scores at the ends of that range takes the end.
// Throws std::invalid_argument where the model's raw score at an end is not a number.
NormScore norm_of_raw(const ContinuousModel& model, const ModelAtAge& at_age, Extended raw);

// Where the model's raw score falls as L rises: at an age, the first L of the grid at which
// its slope is negative.
struct Crossing {
    Extended age = 0;
    Extended L = 0;
};

// The ages a model is checked at: 101 evenly spaced over the data's ages, and `also` (each
// ranking group's own value) within them, ascending.
std::vector<Extended> consistency_ages(const ContinuousModel& model, const std::vector<Extended>& also);

// The ages at which the model's raw score falls somewhere as L runs over the data's range, each
// with the first such L of a grid of 101 values; at most `most` of them (0: every one).
std::vector<Crossing> find_crossings(const ContinuousModel& model, const std::vector<Extended>& ages,
                                    std::size_t most = 0);

// Why a model cannot give norm scores, if it cannot: it has no term in L, its range of L has no
// width, its ages are ones age_range_problem refuses, its raw score is not a number at an end of
// that range, or the raw score rises from the lowest L to the highest at none of the ages
// consistency_ages checks. Empty when it can.
std::string unusable_model_problem(const ContinuousModel& model);

// The fit's warning for a model whose curves cross: its terms in the candidates' order and
// where they cross.
std::string crossing_warning(const ContinuousModel& model, const std::vector<Crossing>& crossings);

// "age 7.5, L 31.2" for a report or warning; the first few of a list and their count. An age
// is rounded to one digit finer than the check's grid over `ages` resolves (4.44, not
// 4.4367999999999999).
std::string crossings_text(const std::vector<Crossing>& crossings, const ValueRange& ages);

}  // namespace stats
