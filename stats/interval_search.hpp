// What the interval engines share besides their mixtures: the target levels of a confidence
// level, the number of cases, and the fixed bisection that finds a limit.
#pragma once

#include "stats/distrib.hpp"

#include <cmath>

namespace stats {

struct TargetLevels {
    Extended lower_tail;
    Extended upper_target;
};

// Computed in this order so that the targets are always the same extended values.
inline TargetLevels target_levels(Extended conf)
{
    const Extended tail = (100 - conf) / 2;
    return {tail / 100, (tail + conf) / 100};
}

// The highest case index j of the k + 1 cases.
inline long long last_case(Extended k)
{
    return std::llrint(k);
}

inline constexpr int BisectionSteps = 15;
// A limit the bisection gives is the middle of its last bracket, which reaches this far to
// either side: the true crossing lies within it, and nothing finer can be told.
inline constexpr Extended BisectionHalfWidth = 1.0L / (2 << BisectionSteps);
// Every midpoint is a multiple of 1 / BisectionGridCells.
inline constexpr long long BisectionGridCells = 1LL << BisectionSteps;

// Fifteen halving steps over [0, 1], each moving lo up to the midpoint where
// `at_or_below(mid)` holds and hi down to it otherwise. The limit's binary digits record the
// steps: digit s is 1 where step s moved lo up. Every midpoint is exact, as (lo + hi) / 2
// needs at most 16 bits.
template <class AtOrBelow>
Extended bisect_deciding(AtOrBelow at_or_below)
{
    Extended lo = 0;
    Extended hi = 1;
    for (int step = 0; step < BisectionSteps; ++step) {
        const Extended mid = (lo + hi) / 2;
        if (at_or_below(mid))
            lo = mid;
        else
            hi = mid;
    }
    return (lo + hi) / 2;
}

// The bisection towards where the rising function `sum` crosses target.
template <class Sum>
Extended bisect(Extended target, Sum sum)
{
    return bisect_deciding([&](Extended p) { return sum(p) <= target; });
}

// A fast sum with a bound on how far it may lie from the term-by-term sum of the same terms,
// and its slope in p, which only guides a search.
struct BoundedSum {
    Extended value;
    Extended error_bound;
    Extended slope;
};

// One bisection step at p taken as the term-by-term sum would take it, given the fast sum
// there. Where the fast sum lies farther from the target than its error bound, both sums fall
// on the same side of it; only where it lies nearer is the term-by-term sum evaluated.
template <class TermByTermSum>
bool at_or_below_as_term_by_term(Extended target, Extended p, const BoundedSum& fast,
                                 TermByTermSum& term_by_term)
{
    return (std::fabs(fast.value - target) > fast.error_bound ? fast.value : term_by_term(p)) <=
           target;
}

// The bisection of `bisect`, taking every step as the term-by-term sum would.
template <class FastSum, class TermByTermSum>
Extended bisect_as_term_by_term(Extended target, FastSum fast, TermByTermSum term_by_term)
{
    return bisect_deciding([&](Extended p) {
        return at_or_below_as_term_by_term(target, p, fast(p), term_by_term);
    });
}

// The beta distribution function at p, after re-shaping the one object an engine owns.
inline Extended beta_cdf(tBeta_distribution& beta, Extended a, Extended b, Extended p)
{
    beta.set_parameters(a, b, 0);
    return beta.cdf(p);
}

// The classical method's ends: with few enough ties at an end of the range, that limit is the
// end itself.
struct ClassicalShortcuts {
    bool lower_is_zero;
    bool upper_is_one;
};

inline ClassicalShortcuts classical_shortcuts(Extended n, Extended m, Extended k, TargetLevels levels)
{
    const bool few_ties = !(k + 1 > 1 / levels.lower_tail);
    return {m == 0 && few_ties, m + k == n && few_ties};
}

}  // namespace stats
