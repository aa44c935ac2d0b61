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

// The terms' values at one case, then its score: L^i A^j from the powers of L and A.
void values_of(const RankedCases& cases, std::size_t row, const std::vector<PowerTerm>& terms, Extended* values)
{
    Extended L_power[max_term_power + 1];
    Extended A_power[max_term_power + 1];
    L_power[0] = A_power[0] = 1;
    for (int i = 1; i <= max_term_power; ++i) {
        L_power[i] = L_power[i - 1] * cases.L[row];
        A_power[i] = A_power[i - 1] * cases.A[row];
    }
    for (std::size_t t = 0; t < terms.size(); ++t)
        values[t] = L_power[terms[t].L_power] * A_power[terms[t].A_power];
    values[terms.size()] = cases.score[row];
}

}  // namespace

SubsetMembers all_candidates(std::size_t candidates)
{
    return candidates >= 64 ? ~SubsetMembers{0} : (SubsetMembers{1} << candidates) - 1;
}

std::vector<PowerTerm> terms_of(SubsetMembers members, const std::vector<PowerTerm>& candidates)
{
    std::vector<PowerTerm> terms;
    for (const int c : members_of(members, candidates.size()))
        terms.push_back(candidates[c]);
    return terms;
}

CandidateRegression::CandidateRegression(const RankedCases& cases, std::vector<PowerTerm> candidates)
    : cases_(cases), candidates_(std::move(candidates))
{
    // The cases drawn at all, each weighted by its count: their values column by column, the
    // means, then the centred cross products, each summed down a column pair in a register.
    const std::size_t width = candidates_.size() + 1;
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < cases.score.size(); ++row)
        if (cases.counts.empty() || cases.counts[row] > 0)
            rows.push_back(row);
    const std::size_t n = rows.size();
    std::vector<Extended> weight(n, 1);
    std::vector<Extended> columns(width * n);
    std::vector<Extended> values(width);
    Extended total = 0;
    for (std::size_t r = 0; r < n; ++r) {
        if (!cases.counts.empty())
            weight[r] = cases.counts[rows[r]];
        total += weight[r];
        values_of(cases, rows[r], candidates_, values.data());
        for (std::size_t c = 0; c < width; ++c)
            columns[c * n + r] = values[c];
    }
    mean_.assign(width, 0);
    for (std::size_t c = 0; c < width; ++c) {
        Extended* column = &columns[c * n];
        Extended sum = 0;
        for (std::size_t r = 0; r < n; ++r)
            sum += weight[r] * column[r];
        mean_[c] = sum / total;
        for (std::size_t r = 0; r < n; ++r)
            column[r] -= mean_[c];
    }
    std::vector<Extended> products(width * width, 0);
    std::vector<Extended> weighted(n);
    for (std::size_t a = 0; a < width; ++a) {
        for (std::size_t r = 0; r < n; ++r)
            weighted[r] = weight[r] * columns[a * n + r];
        for (std::size_t b = a; b < width; ++b) {
            const Extended* y = &columns[b * n];
            Extended sum = 0;
            for (std::size_t r = 0; r < n; ++r)
                sum += weighted[r] * y[r];
            products[a * width + b] = sum;
        }
    }
    length_.resize(width);
    for (std::size_t c = 0; c < width; ++c)
        length_[c] = std::sqrt(products[c * width + c]);
    if (!(length_.back() > 0))
        throw std::invalid_argument("The raw scores do not vary, so no model can be fitted.");
    // A constant column keeps length 0 and so a correlation of 0 with everything: the search
    // leaves it out as dependent.
    correlations_.assign(width * width, 0);
    for (std::size_t a = 0; a < width; ++a)
        for (std::size_t b = a; b < width; ++b)
            if (length_[a] > 0 && length_[b] > 0)
                correlations_[a * width + b] = correlations_[b * width + a] =
                    products[a * width + b] / (length_[a] * length_[b]);
}

const std::vector<PowerTerm>& CandidateRegression::candidates() const
{
    return candidates_;
}

const std::vector<Extended>& CandidateRegression::correlations() const
{
    return correlations_;
}

TermFit CandidateRegression::raw_terms(const std::vector<Extended>& scaled_coefficients,
                                       const std::vector<int>& members) const
{
    // The scaled columns were fitted to the centred score divided by its length.
    TermFit fit;
    fit.intercept = mean_.back();
    for (std::size_t s = 0; s < members.size(); ++s) {
        const int c = members[s];
        const Extended coefficient = length_.back() * scaled_coefficients[s] / length_[c];
        fit.coefficients.push_back(coefficient);
        fit.intercept -= coefficient * mean_[c];
    }
    return fit;
}

TermFit CandidateRegression::fit_from_correlations(SubsetMembers members) const
{
    const std::vector<int> list = members_of(members, candidates_.size());
    const Eigen::Index p = static_cast<Eigen::Index>(list.size());
    const std::size_t width = candidates_.size() + 1;
    const std::size_t score = candidates_.size();
    Matrix products(p, p);
    Vector with_score(p);
    for (Eigen::Index a = 0; a < p; ++a) {
        for (Eigen::Index b = 0; b < p; ++b)
            products(a, b) = correlations_[list[a] * width + list[b]];
        with_score(a) = correlations_[list[a] * width + score];
    }
    const Eigen::LLT<Matrix> cholesky(products);
    if (cholesky.info() != Eigen::Success)
        throw std::runtime_error("The model's terms are collinear in these data, so it cannot be fitted.");
    const Vector beta = cholesky.solve(with_score);
    TermFit fit = raw_terms({beta.data(), beta.data() + p}, list);
    fit.unexplained = 1 - with_score.dot(beta);
    return fit;
}

TermFit CandidateRegression::fit_from_columns(SubsetMembers members) const
{
    if (!cases_.counts.empty())
        throw std::logic_error("A fit from the columns takes each case once.");
    const std::vector<int> list = members_of(members, candidates_.size());
    const std::size_t width = candidates_.size() + 1;
    const Eigen::Index n = static_cast<Eigen::Index>(cases_.score.size());
    const Eigen::Index p = static_cast<Eigen::Index>(list.size());
    Matrix columns(n, p);
    Vector score(n);
    std::vector<Extended> values(width);
    for (Eigen::Index row = 0; row < n; ++row) {
        values_of(cases_, static_cast<std::size_t>(row), candidates_, values.data());
        for (Eigen::Index s = 0; s < p; ++s)
            columns(row, s) = (values[list[s]] - mean_[list[s]]) / length_[list[s]];
        score(row) = (values.back() - mean_.back()) / length_.back();
    }
    const Vector beta = columns.householderQr().solve(score);
    TermFit fit = raw_terms({beta.data(), beta.data() + p}, list);
    fit.unexplained = (score - columns * beta).squaredNorm();
    return fit;
}

}  // namespace stats
