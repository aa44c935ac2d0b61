#include "stats/beta_binomial.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include <Eigen/Dense>
#include <boost/math/special_functions/digamma.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/trigamma.hpp>

#include "stats/number_format.hpp"

namespace stats {
namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

// Double precision throughout the fit: its rounding lies far below the likelihood's own
// curvature, and the fit runs on every bootstrap resample.
using FastPolicy = boost::math::policies::policy<boost::math::policies::promote_double<false>>;

double lgamma_d(double x)
{
    return boost::math::lgamma(x, FastPolicy());
}
double digamma_d(double x)
{
    return boost::math::digamma(x, FastPolicy());
}
double trigamma_d(double x)
{
    return boost::math::trigamma(x, FastPolicy());
}

constexpr int most_newton_steps = 100;
// A shape beyond e^±30 has run off towards 0 or infinity: the data hold no maximum there.
constexpr double largest_log_shape = 30;
// A maximum with a shape beyond e^±12 at a case's age lies on the way to 0 or infinity, where
// the steps have only become too small to tell: α below 6·10^-6 puts all but a trace of the
// distribution at 0 (β likewise at N), α + β above 3·10^5 makes it a binomial's.
constexpr double largest_fitted_log_shape = 12;

std::string case_text(std::size_t index)
{
    return "case " + std::to_string(index + 1);
}

Extended standardised(const BetaBinomialModel& model, Extended age)
{
    return (age - static_cast<Extended>(model.age_mean)) / static_cast<Extended>(model.age_sd);
}

Extended polynomial(const std::vector<double>& coefficients, Extended x)
{
    Extended value = 0;
    for (std::size_t j = coefficients.size(); j-- > 0;)
        value = value * x + static_cast<Extended>(coefficients[j]);
    return value;
}

// The sample reduced to its distinct ages and, at each, its distinct scores with their summed
// weights: grade groups used as ages leave a few hundred cells of thousands of cases.
class Likelihood {
public:
    Likelihood(const BetaBinomialSample& sample, int items, double age_mean, double age_sd, int alpha_degree,
               int beta_degree)
        : items_(items), alpha_terms_(alpha_degree + 1), beta_terms_(beta_degree + 1)
    {
        const std::size_t n = sample.scores.size();
        Extended weight_sum = 0;
        for (std::size_t i = 0; i < n; ++i)
            weight_sum += sample.weights.empty() ? 1 : sample.weights[i];
        const Extended scale = static_cast<Extended>(n) / weight_sum;  // weights average 1
        std::map<std::pair<double, int>, Extended> cells;
        for (std::size_t i = 0; i < n; ++i) {
            const double x = static_cast<double>((sample.ages[i] - age_mean) / age_sd);
            cells[{x, static_cast<int>(sample.scores[i])}] +=
                sample.weights.empty() ? 1 : sample.weights[i] * scale;
        }
        const int most_terms = std::max(alpha_terms_, beta_terms_);
        for (const auto& [key, weight] : cells) {
            if (ages_.empty() || ages_.back().x != key.first) {
                Age age{key.first, std::vector<double>(static_cast<std::size_t>(most_terms)), {}};
                double power = 1;
                for (double& p : age.powers) {
                    p = power;
                    power *= key.first;
                }
                ages_.push_back(std::move(age));
            }
            ages_.back().scores.push_back({key.second, static_cast<double>(weight)});
            log_choose_sum_ += static_cast<double>(weight) * log_choose(key.second);
        }
    }

    int parameters() const { return alpha_terms_ + beta_terms_; }

    // The log-likelihood; NaN where a shape leaves the range the fit accepts.
    double value(const VectorXd& theta) const
    {
        double sum = log_choose_sum_;
        for (const Age& age : ages_) {
            const auto [log_alpha, log_beta] = log_shapes(theta, age);
            if (!(std::abs(log_alpha) <= largest_log_shape && std::abs(log_beta) <= largest_log_shape))
                return std::numeric_limits<double>::quiet_NaN();
            const double alpha = std::exp(log_alpha);
            const double beta = std::exp(log_beta);
            const double n = items_;
            double at_age = -lgamma_d(n + alpha + beta) - lgamma_d(alpha) - lgamma_d(beta) + lgamma_d(alpha + beta);
            double weight_sum = 0;
            double cell_sum = 0;
            for (const Score& score : age.scores) {
                cell_sum += score.weight * (lgamma_d(score.raw + alpha) + lgamma_d(n - score.raw + beta));
                weight_sum += score.weight;
            }
            sum += cell_sum + weight_sum * at_age;
        }
        return sum;
    }

    // The log-likelihood in extended precision, as the report gives it.
    Extended precise_value(const VectorXd& theta) const
    {
        Extended sum = 0;
        const Extended n = items_;
        for (const Age& age : ages_) {
            const auto [log_alpha, log_beta] = log_shapes(theta, age);
            const Extended alpha = std::exp(static_cast<Extended>(log_alpha));
            const Extended beta = std::exp(static_cast<Extended>(log_beta));
            const Extended at_age = boost::math::lgamma(alpha + beta) - boost::math::lgamma(n + alpha + beta) -
                                    boost::math::lgamma(alpha) - boost::math::lgamma(beta);
            for (const Score& score : age.scores) {
                const Extended k = score.raw;
                sum += score.weight * (at_age + boost::math::lgamma(k + alpha) + boost::math::lgamma(n - k + beta) +
                                       boost::math::lgamma(n + 1) - boost::math::lgamma(k + 1) -
                                       boost::math::lgamma(n - k + 1));
            }
        }
        return sum;
    }

    // The gradient and the Hessian with respect to the coefficients. Requires value(theta) to be
    // a number.
    void derivatives(const VectorXd& theta, VectorXd& gradient, MatrixXd& hessian) const
    {
        const int a_terms = alpha_terms_;
        gradient = VectorXd::Zero(parameters());
        hessian = MatrixXd::Zero(parameters(), parameters());
        for (const Age& age : ages_) {
            const auto [log_alpha, log_beta] = log_shapes(theta, age);
            const double alpha = std::exp(log_alpha);
            const double beta = std::exp(log_beta);
            const double n = items_;
            const double psi_total = digamma_d(alpha + beta) - digamma_d(n + alpha + beta);
            const double tri_total = trigamma_d(alpha + beta) - trigamma_d(n + alpha + beta);
            const double psi_alpha = digamma_d(alpha);
            const double psi_beta = digamma_d(beta);
            const double tri_alpha = trigamma_d(alpha);
            const double tri_beta = trigamma_d(beta);
            // Derivatives in log α and log β, summed over the age's cases.
            double g_a = 0, g_b = 0, h_aa = 0, h_bb = 0, weight_sum = 0;
            for (const Score& score : age.scores) {
                const double da = digamma_d(score.raw + alpha) - psi_alpha + psi_total;
                const double db = digamma_d(n - score.raw + beta) - psi_beta + psi_total;
                const double daa = trigamma_d(score.raw + alpha) - tri_alpha + tri_total;
                const double dbb = trigamma_d(n - score.raw + beta) - tri_beta + tri_total;
                g_a += score.weight * alpha * da;
                g_b += score.weight * beta * db;
                h_aa += score.weight * (alpha * alpha * daa + alpha * da);
                h_bb += score.weight * (beta * beta * dbb + beta * db);
                weight_sum += score.weight;
            }
            const double h_ab = weight_sum * alpha * beta * tri_total;
            for (int i = 0; i < a_terms; ++i) {
                gradient[i] += g_a * age.powers[i];
                for (int j = 0; j < a_terms; ++j)
                    hessian(i, j) += h_aa * age.powers[i] * age.powers[j];
                for (int j = 0; j < beta_terms_; ++j) {
                    hessian(i, a_terms + j) += h_ab * age.powers[i] * age.powers[j];
                    hessian(a_terms + j, i) += h_ab * age.powers[i] * age.powers[j];
                }
            }
            for (int i = 0; i < beta_terms_; ++i) {
                gradient[a_terms + i] += g_b * age.powers[i];
                for (int j = 0; j < beta_terms_; ++j)
                    hessian(a_terms + i, a_terms + j) += h_bb * age.powers[i] * age.powers[j];
            }
        }
    }

    // The first standardised age at which a log-shape lies beyond ±limit, if any.
    std::optional<double> age_beyond(const VectorXd& theta, double limit) const
    {
        for (const Age& age : ages_) {
            const auto [log_alpha, log_beta] = log_shapes(theta, age);
            if (!(std::abs(log_alpha) <= limit && std::abs(log_beta) <= limit))
                return age.x;
        }
        return std::nullopt;
    }

private:
    struct Score {
        int raw;
        double weight;
    };
    struct Age {
        double x;
        std::vector<double> powers;  // x^0 … x^max(A, B)
        std::vector<Score> scores;
    };

    double log_choose(int k) const
    {
        return lgamma_d(items_ + 1.0) - lgamma_d(k + 1.0) - lgamma_d(items_ - k + 1.0);
    }

    std::pair<double, double> log_shapes(const VectorXd& theta, const Age& age) const
    {
        double log_alpha = 0, log_beta = 0;
        for (int j = 0; j < alpha_terms_; ++j)
            log_alpha += theta[j] * age.powers[j];
        for (int j = 0; j < beta_terms_; ++j)
            log_beta += theta[alpha_terms_ + j] * age.powers[j];
        return {log_alpha, log_beta};
    }

    int items_;
    int alpha_terms_;
    int beta_terms_;
    double log_choose_sum_ = 0;
    std::vector<Age> ages_;
};

// A start for constant shapes: the method of moments on the pooled scores.
VectorXd moment_start(const BetaBinomialSample& sample, int items, int alpha_degree, int beta_degree)
{
    Extended weight_sum = 0, sum = 0, square_sum = 0;
    for (std::size_t i = 0; i < sample.scores.size(); ++i) {
        const Extended w = sample.weights.empty() ? 1 : sample.weights[i];
        weight_sum += w;
        sum += w * sample.scores[i];
        square_sum += w * sample.scores[i] * sample.scores[i];
    }
    const double n = items;
    const double mean = static_cast<double>(sum / weight_sum);
    const double variance = std::max(0.0, static_cast<double>(square_sum / weight_sum) - mean * mean);
    const double edge = 1 / (2 * n + 2);
    const double p = std::clamp(mean / n, edge, 1 - edge);
    // Var X = N p (1 - p) (1 + (N - 1) ρ) with ρ = 1 / (α + β + 1).
    const double rho = items > 1 ? std::clamp((variance / (n * p * (1 - p)) - 1) / (n - 1), 1e-3, 0.9) : 0.5;
    const double total = 1 / rho - 1;
    VectorXd theta = VectorXd::Zero(alpha_degree + beta_degree + 2);
    theta[0] = std::log(p * total);
    theta[alpha_degree + 1] = std::log((1 - p) * total);
    return theta;
}

std::string age_message(double x, double age_mean, double age_sd)
{
    return data_number_text(x * age_sd + age_mean);
}

std::string runs_off(const std::string& what, double x, double age_mean, double age_sd)
{
    return "The beta-binomial fit " + what + " did not converge: α or β runs off towards 0 or infinity near age " +
           age_message(x, age_mean, age_sd) + ".";
}

struct Maximum {
    VectorXd theta;
    MatrixXd hessian;
    double log_likelihood = 0;
    int steps = 0;
};

Maximum maximise(const Likelihood& likelihood, VectorXd theta, const std::string& what, double age_mean,
                 double age_sd)
{
    double value = likelihood.value(theta);
    if (std::isnan(value))
        throw FitNotConverged("The beta-binomial fit " + what + " did not converge: its start lies outside the range "
                              "of the shapes α and β.");
    VectorXd gradient;
    MatrixXd hessian;
    for (int step = 1; step <= most_newton_steps; ++step) {
        likelihood.derivatives(theta, gradient, hessian);
        // The Newton direction on -H, made positive definite by a shift where it is not.
        const MatrixXd information = -hessian;
        VectorXd direction;
        double shift = 0;
        const double diagonal = std::max(1e-12, information.diagonal().cwiseAbs().maxCoeff());
        for (int attempt = 0; attempt < 40; ++attempt) {
            const Eigen::LLT<MatrixXd> factor(information +
                                              shift * MatrixXd::Identity(information.rows(), information.cols()));
            if (factor.info() == Eigen::Success) {
                direction = factor.solve(gradient);
                break;
            }
            shift = shift == 0 ? 1e-8 * diagonal : shift * 10;
        }
        if (direction.size() == 0 || !direction.allFinite())
            break;
        const double decrement = gradient.dot(direction);  // twice the predicted rise
        double step_size = 1;
        bool improved = false;
        for (int halving = 0; halving < 60; ++halving, step_size /= 2) {
            const VectorXd trial = theta + step_size * direction;
            const double trial_value = likelihood.value(trial);
            if (!std::isnan(trial_value) && trial_value >= value + 1e-4 * step_size * decrement) {
                theta = trial;
                value = trial_value;
                improved = true;
                break;
            }
        }
        // Converged: the rise Newton's step promises is below a billionth of a log-likelihood
        // unit, or lies within the rounding of the log-likelihood itself.
        const bool flat = decrement < 2e-9 || (!improved && decrement < 1e-12 * std::max(1.0, std::abs(value)));
        // The Hessian of the last step serves the standard errors: the step was too small to
        // change it in any digit that matters.
        if (flat) {
            if (const std::optional<double> x = likelihood.age_beyond(theta, largest_fitted_log_shape))
                throw FitNotConverged(runs_off(what, *x, age_mean, age_sd));
            return {theta, hessian, value, step};
        }
        if (!improved) {
            if (const std::optional<double> x = likelihood.age_beyond(theta + direction, largest_log_shape))
                throw FitNotConverged(runs_off(what, *x, age_mean, age_sd));
            break;
        }
    }
    throw FitNotConverged("The beta-binomial fit " + what + " did not converge within " +
                          std::to_string(most_newton_steps) + " Newton steps.");
}

std::string degrees_text(int alpha_degree, int beta_degree)
{
    return "of degrees " + std::to_string(alpha_degree) + " and " + std::to_string(beta_degree);
}

struct AgeStandard {
    double mean = 0;
    double sd = 1;
};

AgeStandard age_standard(const BetaBinomialSample& sample)
{
    const std::size_t n = sample.ages.size();
    Extended sum = 0;
    for (const Extended age : sample.ages)
        sum += age;
    const Extended mean = sum / static_cast<Extended>(n);
    Extended squares = 0;
    for (const Extended age : sample.ages)
        squares += (age - mean) * (age - mean);
    return {static_cast<double>(mean), static_cast<double>(std::sqrt(squares / static_cast<Extended>(n - 1)))};
}

BetaBinomialFit fit_from(const BetaBinomialSample& sample, int items, int alpha_degree, int beta_degree,
                         const NormScale& scale, const AgeStandard& standard, const VectorXd* start)
{
    if (alpha_degree < 0 || alpha_degree > most_beta_binomial_degree || beta_degree < 0 ||
        beta_degree > most_beta_binomial_degree)
        throw std::invalid_argument("The degrees of log α and log β must lie from 0 to " +
                                    std::to_string(most_beta_binomial_degree) + ".");
    const Likelihood likelihood(sample, items, standard.mean, standard.sd, alpha_degree, beta_degree);
    const Maximum maximum =
        maximise(likelihood, start ? *start : moment_start(sample, items, alpha_degree, beta_degree),
                 degrees_text(alpha_degree, beta_degree), standard.mean, standard.sd);

    BetaBinomialFit fit;
    BetaBinomialModel& model = fit.model;
    model.items = items;
    model.age_mean = standard.mean;
    model.age_sd = standard.sd;
    model.scale = scale;
    model.cases = static_cast<long long>(sample.scores.size());
    const auto [low, high] = std::minmax_element(sample.ages.begin(), sample.ages.end());
    model.age = {static_cast<double>(*low), static_cast<double>(*high)};
    const Eigen::LLT<MatrixXd> information(-maximum.hessian);
    const MatrixXd covariance =
        information.info() == Eigen::Success
            ? information.solve(MatrixXd::Identity(maximum.hessian.rows(), maximum.hessian.cols())).eval()
            : MatrixXd::Constant(maximum.hessian.rows(), maximum.hessian.cols(),
                                 std::numeric_limits<double>::quiet_NaN());
    for (int j = 0; j < maximum.theta.size(); ++j) {
        const bool of_alpha = j <= alpha_degree;
        (of_alpha ? model.alpha : model.beta).push_back(maximum.theta[j]);
        (of_alpha ? fit.alpha_se : fit.beta_se).push_back(std::sqrt(covariance(j, j)));
    }
    const Extended parameters = likelihood.parameters();
    fit.log_likelihood = likelihood.precise_value(maximum.theta);
    fit.aic = -2 * fit.log_likelihood + 2 * parameters;
    fit.bic = -2 * fit.log_likelihood + parameters * std::log(static_cast<Extended>(sample.scores.size()));
    fit.newton_steps = maximum.steps;
    return fit;
}

// A smaller fit's coefficients with a 0 for each new power: a start near the larger maximum.
VectorXd widened(const BetaBinomialFit& fit, int alpha_degree, int beta_degree)
{
    VectorXd theta = VectorXd::Zero(alpha_degree + beta_degree + 2);
    for (std::size_t j = 0; j < fit.model.alpha.size(); ++j)
        theta[static_cast<Eigen::Index>(j)] = fit.model.alpha[j];
    for (std::size_t j = 0; j < fit.model.beta.size(); ++j)
        theta[alpha_degree + 1 + static_cast<Eigen::Index>(j)] = fit.model.beta[j];
    return theta;
}

}  // namespace

void check_beta_binomial_sample(const BetaBinomialSample& sample, int items)
{
    if (items < 1)
        throw std::invalid_argument("The number of items must be at least 1.");
    const std::size_t n = sample.scores.size();
    if (sample.ages.size() != n || (!sample.weights.empty() && sample.weights.size() != n))
        throw std::invalid_argument("The scores, ages and weights must be given for every case.");
    for (std::size_t i = 0; i < n; ++i) {
        const Extended score = sample.scores[i];
        if (!(score >= 0 && score <= items && score == std::trunc(score)))
            throw std::invalid_argument("The score of " + case_text(i) + ", " +
                                        data_number_text(static_cast<double>(score)) +
                                        ", is not a whole number from 0 to the " + std::to_string(items) +
                                        " items.");
        if (!std::isfinite(sample.ages[i]))
            throw std::invalid_argument("The age of " + case_text(i) + " is not a finite number.");
        if (!sample.weights.empty() && !(std::isfinite(sample.weights[i]) && sample.weights[i] > 0))
            throw std::invalid_argument("The weight of " + case_text(i) + " is not a finite number above 0.");
    }
    if (n < 2 || std::all_of(sample.ages.begin(), sample.ages.end(),
                             [&](Extended age) { return age == sample.ages.front(); }))
        throw std::invalid_argument("The ages must vary: the model follows the scores over age.");
}

BetaBinomialFit fit_beta_binomial(const BetaBinomialSample& sample, int items, int alpha_degree, int beta_degree,
                                  const NormScale& scale)
{
    check_beta_binomial_sample(sample, items);
    const AgeStandard standard = age_standard(sample);
    try {
        return fit_from(sample, items, alpha_degree, beta_degree, scale, standard, nullptr);
    } catch (const FitNotConverged& failure) {
        // Again through the constant shapes' maximum, a start nearer the larger one.
        try {
            const BetaBinomialFit constant = fit_from(sample, items, 0, 0, scale, standard, nullptr);
            const VectorXd start = widened(constant, alpha_degree, beta_degree);
            return fit_from(sample, items, alpha_degree, beta_degree, scale, standard, &start);
        } catch (const FitNotConverged&) {
            throw failure;
        }
    }
}

ChosenBetaBinomial choose_beta_binomial(const BetaBinomialSample& sample, int items, const NormScale& scale,
                                        int most_degree)
{
    check_beta_binomial_sample(sample, items);
    const AgeStandard standard = age_standard(sample);
    const int size = most_degree + 1;
    std::vector<std::optional<BetaBinomialFit>> fits(static_cast<std::size_t>(size * size));
    const auto at = [&](int a, int b) -> std::optional<BetaBinomialFit>& {
        return fits[static_cast<std::size_t>(a * size + b)];
    };
    ChosenBetaBinomial chosen;
    std::optional<FitNotConverged> first_failure;
    for (int a = 0; a <= most_degree; ++a)
        for (int b = 0; b <= most_degree; ++b) {
            // Started from the better of the fits one degree smaller.
            const BetaBinomialFit* smaller = nullptr;
            for (const std::optional<BetaBinomialFit>* neighbour :
                 {a > 0 ? &at(a - 1, b) : nullptr, b > 0 ? &at(a, b - 1) : nullptr})
                if (neighbour && neighbour->has_value() &&
                    (!smaller || (*neighbour)->log_likelihood > smaller->log_likelihood))
                    smaller = &**neighbour;
            const std::optional<VectorXd> start =
                smaller ? std::optional<VectorXd>(widened(*smaller, a, b)) : std::nullopt;
            try {
                at(a, b) = fit_from(sample, items, a, b, scale, standard, start ? &*start : nullptr);
                chosen.trials.push_back({a, b, at(a, b)->bic});
                if (chosen.trials.size() == 1 || at(a, b)->bic < chosen.fit.bic)
                    chosen.fit = *at(a, b);
            } catch (const FitNotConverged& failure) {
                if (!first_failure)
                    first_failure = failure;
            }
        }
    if (chosen.trials.empty())
        throw *first_failure;
    return chosen;
}

BetaBinomialShapes shapes_at(const BetaBinomialModel& model, Extended age)
{
    const Extended x = standardised(model, age);
    return {std::exp(polynomial(model.alpha, x)), std::exp(polynomial(model.beta, x))};
}

std::vector<Extended> beta_binomial_probabilities(const BetaBinomialModel& model, Extended age)
{
    const auto [alpha, beta] = shapes_at(model, age);
    const Extended n = model.items;
    const Extended constant = boost::math::lgamma(n + 1) + boost::math::lgamma(alpha + beta) -
                              boost::math::lgamma(n + alpha + beta) - boost::math::lgamma(alpha) -
                              boost::math::lgamma(beta);
    std::vector<Extended> log_p(static_cast<std::size_t>(model.items) + 1);
    for (int x = 0; x <= model.items; ++x)
        log_p[static_cast<std::size_t>(x)] =
            constant + boost::math::lgamma(x + alpha) + boost::math::lgamma(n - x + beta) -
            boost::math::lgamma(static_cast<Extended>(x) + 1) - boost::math::lgamma(n - x + 1);
    probabilities_from_logs(log_p);
    return log_p;
}

Extended MidRank::z() const
{
    return below <= above ? z_of_proportion(below) : -z_of_proportion(above);
}

std::vector<MidRank> mid_ranks(const std::vector<Extended>& probabilities)
{
    const std::size_t size = probabilities.size();
    std::vector<Extended> below(size, 0), above(size, 0);
    for (std::size_t x = 1; x < size; ++x)
        below[x] = below[x - 1] + probabilities[x - 1];
    for (std::size_t x = size - 1; x-- > 0;)
        above[x] = above[x + 1] + probabilities[x + 1];
    std::vector<MidRank> mid(size);
    for (std::size_t x = 0; x < size; ++x)
        mid[x] = {below[x] + probabilities[x] / 2, above[x] + probabilities[x] / 2};
    return mid;
}

std::vector<NormCell> beta_binomial_norm_table(const BetaBinomialModel& model, const std::vector<Extended>& ages)
{
    std::vector<NormCell> cells;
    for (const Extended age : ages) {
        const std::vector<MidRank> mid = mid_ranks(beta_binomial_probabilities(model, age));
        for (int x = 0; x <= model.items; ++x) {
            const MidRank& rank = mid[static_cast<std::size_t>(x)];
            cells.push_back(
                {age, static_cast<Extended>(x), model.scale.of_z(rank.z()), 100 * rank.proportion(), RangeSide::within, std::nullopt});
        }
    }
    return cells;
}

}  // namespace stats
