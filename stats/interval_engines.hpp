// The three interval engines with their fast line sum as a parameter. The program's engines
// (Bayes_Engines.hpp) sum each line in closed form (BetaLineClosedForm); the line walk
// (BetaLine) is instantiated as well, so that benchmarks can set the two side by side. Either
// way every limit is the one that the term-by-term sums give.
#pragma once

#include "stats/distrib.hpp"

namespace stats {

template <class FastLine>
void bayesian_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                       Extended& upper);
template <class FastLine>
void classical_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                        Extended& upper);
template <class FastLine>
void mid_p_interval(Extended n, Extended m, Extended k, Extended conf, Extended& lower,
                    Extended& upper);

class BetaLine;
extern template void bayesian_interval<BetaLine>(Extended, Extended, Extended, Extended,
                                                 Extended&, Extended&);
extern template void classical_interval<BetaLine>(Extended, Extended, Extended, Extended,
                                                  Extended&, Extended&);
extern template void mid_p_interval<BetaLine>(Extended, Extended, Extended, Extended, Extended&,
                                              Extended&);

}  // namespace stats
