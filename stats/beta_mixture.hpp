// Sums of beta distribution functions whose shapes move along a line: term j is
// I_p(a + j, b - j) for j = 0 … last, with a + b fixed. Every mixture of the interval engines
// is such a sum, give or take a fixed term at an end of the score range.
#pragma once

#include "stats/distrib.hpp"

namespace stats {

struct BetaLineSum {
    Extended total;       // the terms j = 0 … last added up
    Extended first_term;  // j = 0
    Extended last_term;   // j = last
    // Bound on |total - Σ_j t_j|, where t_j is term j as incomplete_beta evaluates it on its
    // own; it covers both the error of this sum and that of every t_j.
    Extended error_bound;
    // d total / dp, about as accurate as the two end terms; it guides searches only.
    Extended slope;
    // The densities of the end terms' beta distributions at p, their slopes in p.
    Extended first_density;
    Extended last_density;
};

// The slope of a line whose shapes add up to shape_sum, from its ends alone. Differentiating
// the closed form of beta_line_closed_form.hpp, the weights' and the densities' derivatives
// cancel down to
//     d/dp Σ_j I_j = (N - 1)(I_0 - I_K) + (1 - p) f_0 + p f_K,
// f_j being the beta density of term j; every part is positive.
Extended line_slope(Extended shape_sum, Extended p, Extended first_term, Extended last_term,
                    Extended first_density, Extended last_density);

// Bound on the relative error of the tail that incomplete_beta computes for I_p(a, b) with
// a + b = shape_sum, against the true tail.
Extended incomplete_beta_tail_error(Extended p, Extended shape_sum);

class BetaLine {
public:
    // A line without terms when last < 0. Otherwise `beta` is re-shaped to both end terms here,
    // so that shapes out of range raise EArgumentError before any sum, as the first
    // term-by-term sum would.
    BetaLine(tBeta_distribution& beta, Extended a, Extended b, long long last);

    // Only one term is evaluated in full, the one next to the largest step between
    // neighbours; the others follow from it by the exact recurrence
    //     I_p(a + 1, b - 1) = I_p(a, b) - Γ(a + b) / (Γ(a + 1) Γ(b)) · p^a (1 - p)^(b - 1),
    // walking up and down from there until the steps still ahead are too small to count.
    // The cost therefore grows with the spread of beta(a, b), about √(a + b), and not with
    // the number of terms. Requires 0 < p < 1.
    BetaLineSum sum(Extended p);

    // Term j as incomplete_beta evaluates it, through `beta`.
    Extended term(Extended p, long long j);

    // sum += t_j / divisor for j = from … to in this order, with t_j as term() gives it: the
    // same rounded result as evaluating every term, but terms that cannot change it are not
    // evaluated. Requires 0 <= from and to <= last.
    void add_terms(Extended p, long long from, long long to, Extended divisor, Extended& sum);

private:
    // Bound on |sum - Σ_j t_j| for `terms` terms whose computed tails add up to at most
    // `tails`, `walked` of them reached by the walk.
    Extended error_bound(Extended p, Extended tails, long long terms, long long walked) const;

    tBeta_distribution& beta;
    Extended a;
    Extended b;
    long long last;
};

}  // namespace stats
