// A weighted group's table: the unweighted table when the weights are equal, and otherwise
// the table of its effective counts with the weighted ranks in place of theirs.
#include "norms/tables/weighted_table.hpp"

#include <gtest/gtest.h>

#include "norms/tables/norms_table.hpp"

TEST(WeightedTable, IsTheEffectiveCountsTableWithTheWeightedRanks)
{
    const std::vector<long long> frequencies = {2, 0, 5, 11, 9, 3};
    stats::ScoreWeightCounter equal(6);
    stats::ScoreWeightCounter unequal(6);
    for (std::size_t score = 0; score < 6; ++score) {
        for (long long i = 0; i < frequencies[score]; ++i) {
            equal.add(score, 0.75L);
            unequal.add(score, 1 + (score % 3) * 0.5L + (i % 2));
        }
    }
    const stats::EffectiveSample sample = stats::effective_sample(unequal.totals());
    for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
        norms::NormsTable weighted{}, weighted_equally{}, unweighted{}, effective{};
        for (std::size_t j = 0; j < 6; ++j) {
            unweighted[j].Frequency = frequencies[j];
            effective[j].Frequency = sample.effective_counts[j];
        }
        norms::ComputeNormsTable(unweighted, 6, 30, method.method);
        norms::ComputeNormsTable(effective, 6, sample.effective_total, method.method);
        norms::compute_weighted_norms_table(weighted_equally, 6,
                                            stats::effective_sample(equal.totals()), method.method);
        norms::compute_weighted_norms_table(weighted, 6, sample, method.method);
        for (int j = 0; j < 6; ++j) {
            SCOPED_TRACE(std::string(method.command_line_name) + ", row " + std::to_string(j));
            const auto row = [](const norms::NormsRow& r, stats::Extended pr) {
                return std::vector{r.Frequency, r.Below, pr, r.Lower95, r.Upper95, r.Lower90, r.Upper90};
            };
            EXPECT_EQ(row(weighted_equally[j], weighted_equally[j].PR), row(unweighted[j], unweighted[j].PR));
            EXPECT_EQ(row(weighted[j], weighted[j].PR), row(effective[j], sample.ranks[j]));
        }
    }
}
