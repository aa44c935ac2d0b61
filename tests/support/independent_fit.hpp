// Least squares with an intercept on raw columns, by Eigen's column-pivoting Householder QR:
// a fit independent of the model search's centred, scaled cross products.
#pragma once

#include <vector>

#include <Eigen/Dense>

#include "stats/continuous_ranking.hpp"
#include "stats/continuous_terms.hpp"

namespace independent_fit {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::Matrix<long double, Eigen::Dynamic, 1>;

struct Fit {
    Vector coefficients;  // the intercept first, then the terms'
    Vector fitted;
    long double r2 = 0;
};

inline Fit least_squares(const stats::RankedCases& cases, const std::vector<stats::PowerTerm>& terms)
{
    const Eigen::Index n = static_cast<Eigen::Index>(cases.score.size());
    Matrix columns(n, static_cast<Eigen::Index>(terms.size()) + 1);
    Vector scores(n);
    for (Eigen::Index row = 0; row < n; ++row) {
        columns(row, 0) = 1;
        for (std::size_t s = 0; s < terms.size(); ++s)
            columns(row, static_cast<Eigen::Index>(s) + 1) =
                std::pow(cases.L[row], static_cast<long double>(terms[s].L_power)) *
                std::pow(cases.A[row], static_cast<long double>(terms[s].A_power));
        scores(row) = cases.score[row];
    }
    Fit fit;
    fit.coefficients = columns.colPivHouseholderQr().solve(scores);
    fit.fitted = columns * fit.coefficients;
    const long double mean = scores.mean();
    fit.r2 = 1 - (scores - fit.fitted).squaredNorm() / (scores.array() - mean).matrix().squaredNorm();
    return fit;
}

}  // namespace independent_fit
