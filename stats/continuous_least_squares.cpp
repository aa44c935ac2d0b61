#include "stats/continuous_least_squares.hpp"

#include <cmath>
#include <stdexcept>

#include <Eigen/Dense>

namespace stats {
namespace {

using Matrix = Eigen::Matrix<Extended, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::Matrix<Extended, Eigen::Dynamic, 1>;

std::vector<int> members_of(SubsetMembers members, std::size_t candidates)
{
    std::vector<int> list;
    for (std::size_t c = 0; c < candidates; ++c)
        if (members >> c & 1)
            list.push_back(static_cast<int>(c));
    return list;
}

}  // namespace

struct CandidateRegression::Columns {
    Matrix scaled;                // n × q, centred and of length 1 (or 0 for a constant column)
    std::vector<Extended> mean;   // of each raw column
    std::vector<Extended> length; // of each centred column
    Vector score;                 // centred
    Extended score_mean = 0;
    Extended score_length = 0;
};

SubsetMembers AllOf(std::size_t candidates)
{
    return candidates >= 64 ? ~SubsetMembers{0} : (SubsetMembers{1} << candidates) - 1;
}

CandidateRegression::CandidateRegression(const RankedCases& cases, std::vector<PowerTerm> candidates)
    : columns_(std::make_unique<Columns>()), candidates_(std::move(candidates))
{
    const Eigen::Index n = static_cast<Eigen::Index>(cases.score.size());
    const Eigen::Index q = static_cast<Eigen::Index>(candidates_.size());
    Columns& c = *columns_;
    c.scaled.resize(n, q);
    for (Eigen::Index row = 0; row < n; ++row) {
        Extended L_power[MaxTermPower + 1];
        Extended A_power[MaxTermPower + 1];
        L_power[0] = A_power[0] = 1;
        for (int i = 1; i <= MaxTermPower; ++i) {
            L_power[i] = L_power[i - 1] * cases.L[row];
            A_power[i] = A_power[i - 1] * cases.A[row];
        }
        for (Eigen::Index col = 0; col < q; ++col)
            c.scaled(row, col) = L_power[candidates_[col].L_power] * A_power[candidates_[col].A_power];
    }
    for (Eigen::Index col = 0; col < q; ++col) {
        const Extended mean = c.scaled.col(col).mean();
        c.scaled.col(col).array() -= mean;
        const Extended length = c.scaled.col(col).norm();
        if (length > 0)
            c.scaled.col(col) /= length;
        c.mean.push_back(mean);
        c.length.push_back(length);
    }
    c.score = Eigen::Map<const Vector>(cases.score.data(), n);
    c.score_mean = c.score.mean();
    c.score.array() -= c.score_mean;
    c.score_length = c.score.norm();
    if (!(c.score_length > 0))
        throw std::invalid_argument("The raw scores do not vary, so no model can be fitted.");

    Matrix augmented(n, q + 1);
    augmented << c.scaled, c.score / c.score_length;
    const Matrix products = augmented.transpose() * augmented;
    correlations_.resize(static_cast<std::size_t>((q + 1) * (q + 1)));
    for (Eigen::Index i = 0; i <= q; ++i)
        for (Eigen::Index j = 0; j <= q; ++j)
            correlations_[static_cast<std::size_t>(i * (q + 1) + j)] = products(i, j);
}

CandidateRegression::~CandidateRegression() = default;

const std::vector<PowerTerm>& CandidateRegression::candidates() const
{
    return candidates_;
}

const std::vector<Extended>& CandidateRegression::correlations() const
{
    return correlations_;
}

namespace {

// Raw-term coefficients from those of the scaled columns, which were fitted to the centred
// score divided by `score_scale`.
TermFit raw_terms(const Vector& scaled_coefficients, const std::vector<int>& members, Extended score_scale,
                  Extended score_mean, const std::vector<Extended>& mean, const std::vector<Extended>& length)
{
    TermFit fit;
    fit.intercept = score_mean;
    for (Eigen::Index s = 0; s < scaled_coefficients.size(); ++s) {
        const int c = members[static_cast<std::size_t>(s)];
        const Extended coefficient = score_scale * scaled_coefficients(s) / length[c];
        fit.coefficients.push_back(coefficient);
        fit.intercept -= coefficient * mean[c];
    }
    return fit;
}

}  // namespace

TermFit CandidateRegression::fit_from_correlations(SubsetMembers members) const
{
    const std::vector<int> list = members_of(members, candidates_.size());
    const Eigen::Index p = static_cast<Eigen::Index>(list.size());
    const std::size_t q = candidates_.size();
    Matrix products(p, p);
    Vector with_score(p);
    for (Eigen::Index a = 0; a < p; ++a) {
        for (Eigen::Index b = 0; b < p; ++b)
            products(a, b) = correlations_[list[a] * (q + 1) + list[b]];
        with_score(a) = correlations_[list[a] * (q + 1) + q];
    }
    const Eigen::LLT<Matrix> cholesky(products);
    if (cholesky.info() != Eigen::Success)
        throw std::runtime_error("The model's terms are collinear in these data, so it cannot be fitted.");
    const Vector beta = cholesky.solve(with_score);
    const Columns& c = *columns_;
    TermFit fit = raw_terms(beta, list, c.score_length, c.score_mean, c.mean, c.length);
    fit.unexplained = 1 - with_score.dot(beta);
    return fit;
}

TermFit CandidateRegression::fit_from_columns(SubsetMembers members) const
{
    const std::vector<int> list = members_of(members, candidates_.size());
    const Columns& c = *columns_;
    Matrix chosen(c.scaled.rows(), static_cast<Eigen::Index>(list.size()));
    for (std::size_t s = 0; s < list.size(); ++s)
        chosen.col(static_cast<Eigen::Index>(s)) = c.scaled.col(list[s]);
    const Eigen::HouseholderQR<Matrix> qr(chosen);
    const Vector beta = qr.solve(c.score);
    TermFit fit = raw_terms(beta, list, 1, c.score_mean, c.mean, c.length);
    fit.unexplained = (c.score - chosen * beta).squaredNorm() / (c.score_length * c.score_length);
    return fit;
}

}  // namespace stats
