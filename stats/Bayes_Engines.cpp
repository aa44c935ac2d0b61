#include "stats/Bayes_Engines.hpp"

#include "stats/beta_line_closed_form.hpp"
#include "stats/beta_mixture.hpp"
#include "stats/bisection_replay.hpp"
#include "stats/interval_engines.hpp"
#include "stats/interval_search.hpp"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace stats {

// Every mixture below runs over the cases j = 0 … K of one row, and the shapes of its terms
// move along a line as j grows, so each is the sum of one line, divided by the k + 1 cases.
// Only the classical method's certain term for nobody below and its top term with the second
// shape lifted from 0 to 1 stand off the line.
//
// Each limit takes its bisection steps as the term-by-term sum over the cases would: the fast
// line sum decides a step unless it lies within its error bound of the target, and then the
// term-by-term sum, evaluated as cheaply as it can be without changing it, decides. The
// bisection is replayed from a root found first (bisection_replay.hpp), so that most steps are
// decided without evaluating anything; the limits stay those of the plain bisection.

namespace {

// Bound on |fast mixture - term-by-term mixture| for a mixture of one line over k + 1 cases:
// the line's bound, again for the end terms that the mid-p mixture weighs once more, and one
// rounding for each addition and division of the term-by-term sum.
Extended mixture_error_bound(const BetaLineSum& line, Extended k)
{
    return 2 * line.error_bound / (k + 1) + (k + 8) * unit_roundoff;
}

// Bound on |term-by-term mixture - exact mixture| at every midpoint p of the bisection,
// 2^-15 ≤ p ≤ 1 - 2^-15. Each term is within incomplete_beta's relative error of its tail, a
// tail being at most 1, plus one rounding of 1 - tail; that error grows with the shapes'
// sum, at most n + 2 here, and as p nears 0 or 1, so the outermost midpoint bounds it. The
// weights add up to 1, and the sum rounds once for each of its at most k + 3 additions and
// divisions. Twice all that leaves a wide margin.
Extended term_by_term_mixture_error(Extended n, Extended k)
{
    const Extended outermost_midpoint = 1.0L / BisectionGridCells;
    return 2 * (incomplete_beta_tail_error(outermost_midpoint, n + 2) + (k + 8) * unit_roundoff);
}

// Every mixture's terms lie on a line of shapes adding up to n + 1 from first shape m + c,
// over the k + 1 cases.
MixtureOutline mixture_outline(Extended n, Extended m, Extended k, Extended c)
{
    return {m + c, n + 1, k, term_by_term_mixture_error(n, k)};
}

// Case j: the posterior of a proportion after x = m + j of n fell below, prior beta(½, ½).
template <class Line>
Line posterior_line(tBeta_distribution& beta, Extended n, Extended m, Extended k)
{
    return Line(beta, m + 0.5L, (n - m) + 0.5L, last_case(k));
}

}  // namespace

Extended PR_point_estimate(Extended n, Extended m, Extended k)
{
    return ((k * 0.5L) + m) / n * 100;
}

// Each engine finds the limits of several confidence levels from the same lines, which are
// costly to set up; each limit is found as if it were the only one.
template <class FastLine, LimitSearch search>
void bayesian_intervals(Extended n, Extended m, Extended k, std::span<const Extended> confs,
                        Extended* lower, Extended* upper)
{
    tBeta_distribution beta(0.5L, 0.5L);
    BetaLine posteriors = posterior_line<BetaLine>(beta, n, m, k);
    FastLine fast_posteriors = posterior_line<FastLine>(beta, n, m, k);
    const auto fast = [&](Extended p) {
        const BetaLineSum line = fast_posteriors.sum(p);
        return BoundedSum{line.total / (k + 1), mixture_error_bound(line, k), line.slope / (k + 1)};
    };
    const auto term_by_term = [&](Extended p) {
        Extended sum = 0;
        posteriors.add_terms(p, 0, last_case(k), k + 1, sum);
        return sum;
    };
    const MixtureOutline outline = mixture_outline(n, m, k, 0.5L);
    for (std::size_t i = 0; i < confs.size(); ++i) {
        const TargetLevels levels = target_levels(confs[i]);
        lower[i] = find_limit<search>(levels.lower_tail, outline, fast, term_by_term);
        upper[i] = find_limit<search>(levels.upper_target, outline, fast, term_by_term);
    }
}

Extended Bayesian_cutoff_probability(Extended n, Extended m, Extended k, Extended cutoff)
{
    tBeta_distribution beta(0.5L, 0.5L);
    return posterior_line<BetaLineClosedForm>(beta, n, m, k).sum(cutoff).total / (k + 1);
}

template <class FastLine, LimitSearch search>
void classical_intervals(Extended n, Extended m, Extended k, std::span<const Extended> confs,
                         Extended* lower, Extended* upper)
{
    const long long last_j = last_case(k);
    tBeta_distribution beta(0.5L, 0.5L);
    std::vector<ClassicalShortcuts> ends;
    bool any_lower = false;
    bool any_upper = false;
    for (const Extended conf : confs) {
        ends.push_back(classical_shortcuts(n, m, k, target_levels(conf)));
        any_lower = any_lower || !ends.back().lower_is_zero;
        any_upper = any_upper || !ends.back().upper_is_one;
    }

    if (any_lower) {
        // P(at least x successes) for x = m + j. It is certain for x = 0, which leaves the line
        // to start at x = 1 when m = 0.
        const long long certain_cases = m == 0 ? 1 : 0;
        const long long line_last = last_j - certain_cases;
        BetaLine tails(beta, m + certain_cases, (n - m) + 1 - certain_cases, line_last);
        FastLine fast_tails(beta, m + certain_cases, (n - m) + 1 - certain_cases, line_last);
        const auto fast = [&](Extended p) {
            const BetaLineSum line = fast_tails.sum(p);
            return BoundedSum{(certain_cases + line.total) / (k + 1), mixture_error_bound(line, k),
                              line.slope / (k + 1)};
        };
        const auto term_by_term = [&](Extended p) {
            Extended sum = 0;
            if (certain_cases)
                sum += Extended(1) / (k + 1);
            tails.add_terms(p, 0, line_last, k + 1, sum);
            return sum;
        };
        for (std::size_t i = 0; i < confs.size(); ++i)
            lower[i] = ends[i].lower_is_zero
                           ? 0
                           : find_limit<search>(target_levels(confs[i]).lower_tail,
                                                mixture_outline(n, m, k, 0), fast, term_by_term);
    } else {
        std::fill(lower, lower + confs.size(), Extended(0));
    }

    if (any_upper) {
        // P(at least x + 1 successes); at x = n the second shape is lifted from 0 to 1, which
        // takes that case off the line.
        const bool reaches_top = n - (m + last_j) == 0;
        const long long line_last = reaches_top ? last_j - 1 : last_j;
        BetaLine tails(beta, m + 1, n - m, line_last);
        FastLine fast_tails(beta, m + 1, n - m, line_last);
        const auto fast = [&](Extended p) {
            const Extended top = reaches_top ? beta_cdf(beta, n + 1, 1, p) : 0;
            const Extended top_slope = reaches_top ? (n + 1) * std::pow(p, n) : 0;
            const BetaLineSum line = fast_tails.sum(p);
            return BoundedSum{(line.total + top) / (k + 1), mixture_error_bound(line, k),
                              (line.slope + top_slope) / (k + 1)};
        };
        const auto term_by_term = [&](Extended p) {
            Extended sum = 0;
            tails.add_terms(p, 0, line_last, k + 1, sum);
            if (reaches_top)
                sum += beta_cdf(beta, n + 1, 1, p) / (k + 1);
            return sum;
        };
        for (std::size_t i = 0; i < confs.size(); ++i)
            upper[i] = ends[i].upper_is_one
                           ? 1
                           : find_limit<search>(target_levels(confs[i]).upper_target,
                                                mixture_outline(n, m, k, 1), fast, term_by_term);
    } else {
        std::fill(upper, upper + confs.size(), Extended(1));
    }
}

template <class FastLine, LimitSearch search>
void mid_p_intervals(Extended n, Extended m, Extended k, std::span<const Extended> confs,
                     Extended* lower, Extended* upper)
{
    const bool at_bottom = m == 0;
    const bool at_top = m + k == n;
    tBeta_distribution beta(0.5L, 0.5L);

    // Each case contributes the mean of its two adjacent upper tails P(at least x successes),
    // x = m + j and m + j + 1: half a tail at each end of the line j = 0 … K + 1, whole tails
    // between. At the ends of the score range the missing tail is replaced by its neighbour:
    // the line then starts at j = 1 or stops at j = K, and its end tail counts one and a half.
    const long long first_j = at_bottom ? 1 : 0;
    const long long last_j = at_top ? last_case(k) : last_case(k) + 1;
    const Extended first_weight = at_bottom ? 0.5L : -0.5L;
    const Extended last_weight = at_top ? 0.5L : -0.5L;
    const long long line_last = last_j - first_j;
    BetaLine tails(beta, m + first_j, (n - m) + 1 - first_j, line_last);
    FastLine fast_tails(beta, m + first_j, (n - m) + 1 - first_j, line_last);
    const auto fast = [&](Extended p) {
        const BetaLineSum line = fast_tails.sum(p);
        return BoundedSum{
            (line.total + first_weight * line.first_term + last_weight * line.last_term) / (k + 1),
            mixture_error_bound(line, k),
            (line.slope + first_weight * line.first_density + last_weight * line.last_density) /
                (k + 1)};
    };
    // Half of each end tail, whole tails between; a replaced end tail is also the line's end,
    // so it comes once as a half and once whole.
    const auto term_by_term = [&](Extended p) {
        Extended sum = 0.5L * tails.term(p, 0) / (k + 1);
        tails.add_terms(p, 1 - first_j, last_case(k) - first_j, k + 1, sum);
        sum += 0.5L * tails.term(p, line_last) / (k + 1);
        return sum;
    };
    const MixtureOutline outline = mixture_outline(n, m, k, 0.5L);
    for (std::size_t i = 0; i < confs.size(); ++i) {
        const TargetLevels levels = target_levels(confs[i]);
        lower[i] = find_limit<search>(levels.lower_tail, outline, fast, term_by_term);
        upper[i] = find_limit<search>(levels.upper_target, outline, fast, term_by_term);
    }
}

template <class FastLine, LimitSearch search>
void bayesian_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                       Extended& upper)
{
    bayesian_intervals<FastLine, search>(n, m, k, {&conf, 1}, &lower, &upper);
}

template <class FastLine, LimitSearch search>
void classical_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                        Extended& upper)
{
    classical_intervals<FastLine, search>(n, m, k, {&conf, 1}, &lower, &upper);
}

template <class FastLine, LimitSearch search>
void mid_p_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                    Extended& upper)
{
    mid_p_intervals<FastLine, search>(n, m, k, {&conf, 1}, &lower, &upper);
}

// The engines that benchmarks and tests set beside the program's (interval_engines.hpp).
#define VORNAK_INSTANTIATE_ENGINES(Line, search)                                                  \
    template void bayesian_interval<Line, search>(Extended, Extended, Extended, Extended,         \
                                                  Extended&, Extended&);                          \
    template void classical_interval<Line, search>(Extended, Extended, Extended, Extended,        \
                                                   Extended&, Extended&);                         \
    template void mid_p_interval<Line, search>(Extended, Extended, Extended, Extended, Extended&, \
                                               Extended&);
VORNAK_INSTANTIATE_ENGINES(BetaLine, LimitSearch::replay)
VORNAK_INSTANTIATE_ENGINES(BetaLineClosedForm, LimitSearch::replay)
VORNAK_INSTANTIATE_ENGINES(BetaLineClosedForm, LimitSearch::plain_bisection)
VORNAK_INSTANTIATE_ENGINES(CountedLine<BetaLineClosedForm>, LimitSearch::replay)
VORNAK_INSTANTIATE_ENGINES(CountedLine<BetaLineClosedForm>, LimitSearch::plain_bisection)
#undef VORNAK_INSTANTIATE_ENGINES

void Bayesian_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                          Extended& upper)
{
    bayesian_interval<BetaLineClosedForm, LimitSearch::replay>(n, m, k, conf, lower, upper);
}

void Classical_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                           Extended& upper)
{
    classical_interval<BetaLineClosedForm, LimitSearch::replay>(n, m, k, conf, lower, upper);
}

void MidP_PR_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                      Extended& upper)
{
    mid_p_interval<BetaLineClosedForm, LimitSearch::replay>(n, m, k, conf, lower, upper);
}

namespace {

constexpr Extended table_levels[] = {95, 90};

}  // namespace

void Bayesian_PR_intervals(Extended n, Extended m, Extended k, TableLimits& limits)
{
    bayesian_intervals<BetaLineClosedForm, LimitSearch::replay>(n, m, k, table_levels, limits.lower,
                                                                limits.upper);
}

void Classical_PR_intervals(Extended n, Extended m, Extended k, TableLimits& limits)
{
    classical_intervals<BetaLineClosedForm, LimitSearch::replay>(n, m, k, table_levels, limits.lower,
                                                                 limits.upper);
}

void MidP_PR_intervals(Extended n, Extended m, Extended k, TableLimits& limits)
{
    mid_p_intervals<BetaLineClosedForm, LimitSearch::replay>(n, m, k, table_levels, limits.lower,
                                                             limits.upper);
}

}  // namespace stats
