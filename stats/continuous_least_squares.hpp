// Least-squares fits of the raw score on subsets of the candidate terms L^i A^j, with an
// intercept, for the model search and the bootstrap.
//
// The columns are centred on their means and scaled to length 1 before any product is taken:
// centring is the intercept's part of the fit, and the scaling leaves each subset's span alone,
// so the coefficients on the raw terms follow from the scaled ones by a division. With L near
// 50 and ages near 10, L^5 A^3 is some 10^12 times L, and the unscaled cross products would
// lose to that the digits that the scaled ones keep. All of it is in 80-bit arithmetic.
#pragma once

#include <vector>

#include "stats/best_subsets.hpp"
#include "stats/continuous_ranking.hpp"
#include "stats/continuous_terms.hpp"

namespace stats {

struct TermFit {
    Extended intercept = 0;
    std::vector<Extended> coefficients;  // of the subset's terms, in the candidates' order
    Extended unexplained = 1;            // 1 - R²
};

// Each case weighs as often as cases.counts says (once each when it is empty), which makes a
// bootstrap resample a weighting of the sample's own cases.
class CandidateRegression {
public:
    // Requires scores that vary. Keeps a reference to `cases`.
    CandidateRegression(const RankedCases& cases, std::vector<PowerTerm> candidates);

    const std::vector<PowerTerm>& candidates() const;
    // The (q + 1)² correlations of the candidates and then the score, row by row.
    const std::vector<Extended>& correlations() const;
    // From the correlations (the normal equations, solved by Cholesky): quick, and precise to
    // about the square of the subset's condition number times 2^-64.
    TermFit fit_from_correlations(SubsetMembers members) const;
    // From the columns themselves by Householder QR: precise to about the condition number
    // times 2^-64. Takes each case once.
    TermFit fit_from_columns(SubsetMembers members) const;

private:
    TermFit raw_terms(const std::vector<Extended>& scaled_coefficients, const std::vector<int>& members) const;

    const RankedCases& cases_;
    std::vector<PowerTerm> candidates_;
    // Of each candidate's column and then the score's: the mean and the centred length.
    std::vector<Extended> mean_;
    std::vector<Extended> length_;
    std::vector<Extended> correlations_;
};

// Every candidate of the list: the subset of all of them.
SubsetMembers all_candidates(std::size_t candidates);

// The candidates of a subset, in the candidates' order.
std::vector<PowerTerm> terms_of(SubsetMembers members, const std::vector<PowerTerm>& candidates);

}  // namespace stats
