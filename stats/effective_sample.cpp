#include "stats/effective_sample.hpp"

#include <algorithm>
#include <cmath>

#include "stats/Bayes_Engines.hpp"
#include "stats/sample_size.hpp"

namespace stats {

void ScoreWeightCounter::add(std::size_t score_index, Extended weight)
{
    sums_.at(score_index).add(weight);
    squares_.add(weight * weight);
    smallest_ = cases_ == 0 ? weight : std::min(smallest_, weight);
    largest_ = cases_ == 0 ? weight : std::max(largest_, weight);
    ++cases_;
}

ScoreWeights ScoreWeightCounter::totals() const
{
    ScoreWeights totals;
    for (const CompensatedSum& sum : sums_)
        totals.sums.push_back(sum.value());
    totals.sum_of_squares = squares_.value();
    totals.cases = cases_;
    totals.smallest = smallest_;
    totals.largest = largest_;
    return totals;
}

EffectiveSample effective_sample(const ScoreWeights& weights)
{
    EffectiveSample sample;
    CompensatedSum total;
    for (Extended sum : weights.sums)
        total.add(sum);
    sample.total_weight = total.value();
    sample.effective_size = sample.total_weight * sample.total_weight / weights.sum_of_squares;
    sample.design_effect = weights.cases / sample.effective_size;
    sample.effective_total = std::llround(sample.effective_size);
    sample.effective_counts = LargestRemainderCounts(weights.sums, sample.effective_total);

    CompensatedSum below;
    for (Extended sum : weights.sums) {
        sample.ranks.push_back(PR_point_estimate(sample.total_weight, below.value(), sum));
        below.add(sum);
    }
    sample.design_effect_large = sample.design_effect > large_design_effect;
    sample.weights_wide_apart = weights.largest > wide_weight_ratio * weights.smallest;
    return sample;
}

}  // namespace stats
