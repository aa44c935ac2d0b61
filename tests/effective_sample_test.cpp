// The effective sample of a weighted group, checked against Kish's formula on weights small
// enough to work by hand, and against the unweighted table that equal weights must give.
#include "stats/effective_sample.hpp"

#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "stats/Bayes_Engines.hpp"
#include "stats/sample_size.hpp"

using stats::Extended;

namespace {

// score_of_case[i] and weight_of_case[i] describe case i.
stats::ScoreWeights gathered(std::size_t score_count, const std::vector<std::size_t>& score_of_case,
                             const std::vector<Extended>& weight_of_case)
{
    stats::ScoreWeightCounter counter(score_count);
    for (std::size_t i = 0; i < score_of_case.size(); ++i)
        counter.add(score_of_case[i], weight_of_case[i]);
    return counter.totals();
}

stats::ScoreWeights equal_weights(const std::vector<long long>& frequencies, Extended weight)
{
    stats::ScoreWeightCounter counter(frequencies.size());
    for (std::size_t score = 0; score < frequencies.size(); ++score)
        for (long long i = 0; i < frequencies[score]; ++i)
            counter.add(score, weight);
    return counter.totals();
}

// Cases spread over 31 scores with weights of 53 random bits between 0.2 and 5.
void random_cases(std::size_t count, std::vector<std::size_t>& scores, std::vector<Extended>& weights)
{
    std::mt19937_64 random(7);
    for (std::size_t i = 0; i < count; ++i) {
        scores.push_back(random() % 31);
        weights.push_back(0.2L + 4.8L * static_cast<double>(random() >> 11) * 0x1p-53);
    }
}

}  // namespace

TEST(EffectiveSample, KishSizeDesignEffectAndWeightedRanksByHand)
{
    // Scores 0, 0, 1, 2 weighing 1, 1, 2, 4: W = 8, Σw² = 22, n_eff = 64/22 = 32/11.
    const stats::EffectiveSample sample = stats::effective_sample(gathered(3, {0, 0, 1, 2}, {1, 1, 2, 4}));
    EXPECT_EQ(sample.total_weight, 8);
    EXPECT_EQ(sample.effective_size, 32.0L / 11);
    EXPECT_EQ(sample.design_effect, 4 / (32.0L / 11));
    EXPECT_EQ(sample.ranks, (std::vector<Extended>{12.5L, 37.5L, 75}));
    // Quotas 0.75, 0.75, 1.5 of 3: one each.
    EXPECT_EQ(sample.effective_total, 3);
    EXPECT_EQ(sample.effective_counts, (std::vector<long long>{1, 1, 1}));

    // Weights 2, 1, 1, 1, 1: n_eff = 36/8 = 4.5 rounds up.
    EXPECT_EQ(stats::effective_sample(gathered(2, {0, 1, 1, 1, 1}, {2, 1, 1, 1, 1})).effective_total, 5);

    // The warnings start above their bounds: a design effect of 3·18/36 = 1.5, weights 10 apart.
    const auto warned = [](std::vector<Extended> weights) {
        return stats::effective_sample(gathered(1, std::vector<std::size_t>(weights.size()), weights));
    };
    EXPECT_FALSE(warned({1, 1, 4}).design_effect_large);
    EXPECT_TRUE(warned({1, 1, 4.01L}).design_effect_large);
    EXPECT_FALSE(warned({1, 10}).weights_wide_apart);
    EXPECT_TRUE(warned({10.01L, 1}).weights_wide_apart);
}

TEST(EffectiveSample, EqualWeightsGiveTheUnweightedTable)
{
    const std::vector<long long> bell =
        stats::LargestRemainderCounts(stats::DiscretisedNormal(50, 15, 0, 99), 999999);
    // 1,023 cases: sums of any double weight, and their halves, stay exact.
    const std::vector<long long> small = {0, 3, 0, 1, 7, 12, 300, 500, 159, 40, 0, 0, 0, 1, 0};
    const double tenth = 0.1;
    for (const auto& [frequencies, weight] : {std::pair{bell, 1.0L}, std::pair{bell, 3.25L},
                                              std::pair{small, Extended(tenth)}, std::pair{small, 1.0L}}) {
        const long long n = std::accumulate(frequencies.begin(), frequencies.end(), 0LL);
        SCOPED_TRACE("n = " + std::to_string(n) + ", weight " + std::to_string(double(weight)));
        const stats::EffectiveSample sample = stats::effective_sample(equal_weights(frequencies, weight));
        EXPECT_EQ(sample.effective_total, n);
        EXPECT_EQ(sample.effective_counts, frequencies);
        long long below = 0;
        for (std::size_t j = 0; j < frequencies.size(); ++j) {
            EXPECT_EQ(sample.ranks[j], stats::PR_point_estimate(n, below, frequencies[j])) << "score " << j;
            below += frequencies[j];
        }
        EXPECT_FALSE(sample.design_effect_large || sample.weights_wide_apart);
    }
}

TEST(EffectiveSample, DoubledOrReorderedWeightsChangeNothing)
{
    std::vector<std::size_t> scores;
    std::vector<Extended> weights;
    random_cases(100000, scores, weights);
    const stats::ScoreWeights forward = gathered(31, scores, weights);
    const stats::EffectiveSample once = stats::effective_sample(forward);
    EXPECT_EQ(std::accumulate(once.effective_counts.begin(), once.effective_counts.end(), 0LL),
              std::llround(once.effective_size));

    // Backwards, the compensated sums stay the same; plain running sums would not.
    std::reverse(scores.begin(), scores.end());
    std::reverse(weights.begin(), weights.end());
    const stats::ScoreWeights backward = gathered(31, scores, weights);
    EXPECT_EQ(backward.sums, forward.sums);
    EXPECT_EQ(backward.sum_of_squares, forward.sum_of_squares);

    for (Extended& weight : weights)
        weight *= 2;
    const stats::EffectiveSample twice = stats::effective_sample(gathered(31, scores, weights));
    EXPECT_EQ(twice.total_weight, 2 * once.total_weight);
    EXPECT_EQ(twice.effective_size, once.effective_size);
    EXPECT_EQ(twice.design_effect, once.design_effect);
    EXPECT_EQ(twice.effective_counts, once.effective_counts);
    EXPECT_EQ(twice.ranks, once.ranks);
}
