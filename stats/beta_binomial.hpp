// Continuous norms for a test that counts correct items: at every age the raw score follows a
// beta-binomial distribution on 0 … N, whose shapes α and β change smoothly with age,
//   log α = a0 + a1 x + … + aA x^A,   log β = b0 + b1 x + … + bB x^B,
// with x the age standardised on the sample's (age less the mean age, divided by the SD). The
// floor at 0 and the ceiling at N are built in. The coefficients are fitted by maximum
// likelihood; the norm score of a raw score is the model's mid-rank PR on the scale. The
// method and its sources are in docs/continuous.md.
//
// Every number of a model is held as a double, as its file writes it, and the tables are
// computed from those alone, so a model read back from its file gives the same cells, bit for bit.
#pragma once

#include <cmath>
#include <stdexcept>
#include <vector>

#include "stats/continuous_norms.hpp"
#include "stats/norm_scales.hpp"

namespace stats {

inline constexpr int most_beta_binomial_degree = 4;

struct BetaBinomialModel {
    int items = 0;  // N
    double age_mean = 0;
    double age_sd = 1;
    std::vector<double> alpha;  // of log α: the constant first, then x, x², …
    std::vector<double> beta;   // of log β
    ValueRange age;             // the sample's ages; the model does not extrapolate
    long long cases = 0;
    NormScale scale = StandardNormScales()[1];
};

// The cases: raw scores 0 … N and ages, with case weights when `weights` is not empty.
struct BetaBinomialSample {
    std::vector<Extended> scores;
    std::vector<Extended> ages;
    std::vector<Extended> weights;
};

struct BetaBinomialFit {
    BetaBinomialModel model;
    // From the observed information at the maximum, in the order of the coefficients.
    std::vector<double> alpha_se;
    std::vector<double> beta_se;
    Extended log_likelihood = 0;
    Extended aic = 0;
    Extended bic = 0;
    int newton_steps = 0;
};

// The degrees tried by choose_beta_binomial, each with its BIC.
struct DegreeTrial {
    int alpha_degree = 0;
    int beta_degree = 0;
    Extended bic = 0;
};

struct ChosenBetaBinomial {
    BetaBinomialFit fit;
    std::vector<DegreeTrial> trials;
};

// A fit that stops without reaching the maximum: the likelihood rises without bound or the steps
// stall. No table is to be made from it.
class FitNotConverged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Refuses, with std::invalid_argument and a message that names the case (counted from 1), a
// score that is not a whole number from 0 to `items`, an age or weight that is not finite (a
// weight must be above 0), vectors of different lengths, and a sample whose ages do not vary.
void check_beta_binomial_sample(const BetaBinomialSample& sample, int items);

// The maximum-likelihood fit at fixed degrees (0 … 4 each): Newton's method on the analytic
// gradient and Hessian of the (weighted) log-likelihood, with a line search. Case weights are
// scaled to average 1, so the information and the criteria count cases. Throws FitNotConverged.
BetaBinomialFit fit_beta_binomial(const BetaBinomialSample& sample, int items, int alpha_degree, int beta_degree,
                                  const NormScale& scale);

// The degrees 0 … most_degree of each shape with the lowest BIC, each fit started from a
// smaller one's maximum.
ChosenBetaBinomial choose_beta_binomial(const BetaBinomialSample& sample, int items, const NormScale& scale,
                                        int most_degree = most_beta_binomial_degree);

// α and β at an age.
struct BetaBinomialShapes {
    Extended alpha = 0;
    Extended beta = 0;
};
BetaBinomialShapes shapes_at(const BetaBinomialModel& model, Extended age);

// P(X = 0) … P(X = N) at an age, from log-probabilities.
std::vector<Extended> beta_binomial_probabilities(const BetaBinomialModel& model, Extended age);

// Takes log-probabilities to probabilities that sum to 1, scaled by the largest before leaving
// log space so that none under- or overflows.
template <class Real>
void probabilities_from_logs(std::vector<Real>& values)
{
    Real largest = values.front();
    for (const Real value : values)
        largest = value > largest ? value : largest;
    Real sum = 0;
    for (Real& value : values) {
        value = std::exp(value - largest);
        sum += value;
    }
    for (Real& value : values)
        value /= sum;
}

// A raw score's mid-rank from each end: below = P(X < x) + P(X = x)/2, above = 1 - below =
// P(X > x) + P(X = x)/2, each summed from its own end so that neither loses its small values.
struct MidRank {
    Extended below = 0;
    Extended above = 0;

    // The smaller tail gives the proportion and its normal deviate: near the ceiling, 1 - below
    // would round to 1 where `above` still holds its digits.
    Extended proportion() const { return below <= above ? below : 1 - above; }
    Extended z() const;
};

// The mid-ranks of the raw scores 0 … N.
std::vector<MidRank> mid_ranks(const std::vector<Extended>& probabilities);

// The cells of the raw scores 0 … N at each age, age by age. An age outside the sample's is
// taken too: the shapes' polynomials go on smoothly, and the floor and ceiling hold there as well.
std::vector<NormCell> beta_binomial_norm_table(const BetaBinomialModel& model, const std::vector<Extended>& ages);

}  // namespace stats
