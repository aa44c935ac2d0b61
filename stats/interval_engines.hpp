// The three interval engines with their fast line sum and their search for a limit as
// parameters. The program's engines (Bayes_Engines.hpp) sum each line in closed form
// (BetaLineClosedForm) and replay the bisection (bisection_replay.hpp). Bayes_Engines.cpp
// instantiates, for benchmarks and tests to set beside them, the line walk (BetaLine) with the
// replay, and the closed form with the plain bisection, each also with lines that count their
// sums (CountedLine<BetaLineClosedForm>). Either way every limit is the one that the
// term-by-term sums give.
#pragma once

#include "stats/beta_line_closed_form.hpp"
#include "stats/beta_mixture.hpp"
#include "stats/bisection_replay.hpp"
#include "stats/interval_method.hpp"

namespace stats {

template <class FastLine, LimitSearch search>
void bayesian_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                       Extended& upper);
template <class FastLine, LimitSearch search>
void classical_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                        Extended& upper);
template <class FastLine, LimitSearch search>
void mid_p_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                    Extended& upper);

// The engine of `method` with the given line sum and search.
template <class FastLine, LimitSearch search>
IntervalEngine interval_engine(IntervalMethod method)
{
    switch (method) {
    case IntervalMethod::bayesian: return bayesian_interval<FastLine, search>;
    case IntervalMethod::classical: return classical_interval<FastLine, search>;
    case IntervalMethod::mid_p: return mid_p_interval<FastLine, search>;
    }
    return nullptr;
}

// A fast line that counts its sums in this thread; each is one evaluation of a mixture.
template <class Line>
class CountedLine : public Line {
public:
    using Line::Line;
    static inline thread_local long long sums = 0;

    BetaLineSum sum(Extended p)
    {
        ++sums;
        return Line::sum(p);
    }
};

}  // namespace stats
