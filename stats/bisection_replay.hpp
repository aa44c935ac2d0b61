// The fixed bisection of interval_search.hpp, replayed from a root found first.
//
// Every midpoint of the bisection is a grid point p = g · 2^-15, 0 < g < 2^15, and each step
// asks only on which side of its target the mixture lies there. The exact mixture F rises with
// p, and at every midpoint the term-by-term sum T, which takes the steps, lies within a bound E
// of it. So where the fast sum S at a grid point g, itself within its bound B of T, lies below
// the target by more than B + 2E,
//     T(q) ≤ F(q) + E ≤ F(g) + E ≤ T(g) + 2E ≤ S(g) + B + 2E < target   for every q ≤ g,
// and every step at or below g moves lo up, however T's roundings wander; likewise above. A
// search first evaluates grid points near the root, by safeguarded Newton steps, until two such
// certain points lie one cell apart, or two cells apart with the point between evaluated. The
// bisection then runs as it always does, except that it takes the steps at or beyond the
// certain points without evaluating anything and those between from the sums the search
// already has. Its decisions are therefore the plain bisection's, and so is its result, bit for
// bit, whatever the search did; the search only decides how many sums are evaluated.
#pragma once

#include "stats/interval_search.hpp"

#include <array>
#include <cmath>
#include <optional>

namespace stats {

// What the replay knows of a mixture besides its sums. Its terms are close to the beta
// distributions beta(a + j, N - a - j), j = 0 … K, which give a first guess at a limit.
struct MixtureOutline {
    Extended first_shape;  // a
    Extended shape_sum;    // N
    Extended last_case;    // K
    // E: bound on |term-by-term sum - exact mixture| at every midpoint of the bisection.
    Extended term_by_term_error;
};

// Grid point g is p = g · 2^-15.
inline Extended grid_point(long long g)
{
    return std::ldexp(Extended(g), -BisectionSteps);
}

inline long long grid_index(Extended p)
{
    return std::llrint(std::ldexp(p, BisectionSteps));
}

// The search before the replay: which grid points to evaluate, and what they settle.
class ReplaySearch {
public:
    static constexpr int most_evaluations = 8;

    ReplaySearch(Extended target, const MixtureOutline& outline);

    // The grid point to evaluate next; none once the certain points are one cell apart, every
    // point between them is evaluated, or the search has used its evaluations.
    std::optional<long long> next() const;
    // The fast sum at grid point g, which next() gave.
    void record(long long g, const BoundedSum& sum);

    // Every step at or below grid point below() moves lo up, every one at or above above()
    // moves hi down.
    long long below() const { return below_; }
    long long above() const { return above_; }
    // The fast sum recorded at grid point g, if any.
    const BoundedSum* recorded(long long g) const;

private:
    struct Evaluated {
        long long g;
        BoundedSum sum;
    };

    Extended target_;
    Extended margin_;  // 2E and the roundings of the comparisons
    long long below_ = 0;
    long long above_ = BisectionGridCells;
    Extended target_z_;  // the target's normal quantile
    Extended estimate_;  // where the root is thought to be, in grid units
    std::array<Evaluated, most_evaluations> evaluated_{};
    int count_ = 0;
};

// The limit that bisect_as_term_by_term gives, with fewer evaluations of `fast`.
template <class FastSum, class TermByTermSum>
Extended replay_bisection(Extended target, const MixtureOutline& outline, FastSum fast,
                          TermByTermSum term_by_term)
{
    ReplaySearch search(target, outline);
    while (const std::optional<long long> g = search.next())
        search.record(*g, fast(grid_point(*g)));
    return bisect_deciding([&](Extended p) {
        const long long g = grid_index(p);
        if (g <= search.below())
            return true;
        if (g >= search.above())
            return false;
        const BoundedSum* known = search.recorded(g);
        return at_or_below_as_term_by_term(target, p, known ? *known : fast(p), term_by_term);
    });
}

enum class LimitSearch { plain_bisection, replay };

template <LimitSearch search, class FastSum, class TermByTermSum>
Extended find_limit(Extended target, const MixtureOutline& outline, FastSum fast,
                    TermByTermSum term_by_term)
{
    if constexpr (search == LimitSearch::replay)
        return replay_bisection(target, outline, fast, term_by_term);
    else
        return bisect_as_term_by_term(target, fast, term_by_term);
}

}  // namespace stats
