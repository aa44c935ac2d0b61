// A weighted group's table: the unweighted table when the weights are equal, and otherwise
// the table of its effective counts with the weighted ranks in place of theirs.
#include "norms/tables/weighted_table.hpp"

#include <gtest/gtest.h>

#include "norms/tables/norms_table.hpp"

namespace {

void expect_same_rows(const norms::NormsTable& a, const norms::NormsTable& b, int row_count)
{
    for (int j = 0; j < row_count; ++j) {
        SCOPED_TRACE("row " + std::to_string(j));
        EXPECT_EQ(a[j].Frequency, b[j].Frequency);
        EXPECT_EQ(a[j].Below, b[j].Below);
        EXPECT_EQ(a[j].PR, b[j].PR);
        EXPECT_EQ(a[j].Lower95, b[j].Lower95);
        EXPECT_EQ(a[j].Upper95, b[j].Upper95);
        EXPECT_EQ(a[j].Lower90, b[j].Lower90);
        EXPECT_EQ(a[j].Upper90, b[j].Upper90);
    }
}

}  // namespace

TEST(WeightedTable, IsTheEffectiveCountsTableWithTheWeightedRanks)
{
    const std::vector<long long> frequencies = {2, 0, 5, 11, 9, 3};
    stats::ScoreWeightCounter equal(frequencies.size());
    stats::ScoreWeightCounter unequal(frequencies.size());
    for (std::size_t score = 0; score < frequencies.size(); ++score) {
        for (long long i = 0; i < frequencies[score]; ++i) {
            equal.add(score, 0.75L);
            unequal.add(score, 1 + (score % 3) * 0.5L + (i % 2));
        }
    }
    for (const stats::IntervalMethodEntry& method : stats::interval_methods) {
        SCOPED_TRACE(std::string(method.command_line_name));
        norms::NormsTable weighted{};
        norms::NormsTable unweighted{};
        for (std::size_t j = 0; j < frequencies.size(); ++j)
            unweighted[j].Frequency = frequencies[j];
        norms::compute_weighted_norms_table(weighted, 6, stats::effective_sample(equal.totals()),
                                            method.method);
        norms::ComputeNormsTable(unweighted, 6, 30, method.method);
        expect_same_rows(weighted, unweighted, 6);

        const stats::EffectiveSample sample = stats::effective_sample(unequal.totals());
        norms::compute_weighted_norms_table(weighted, 6, sample, method.method);
        for (std::size_t j = 0; j < frequencies.size(); ++j)
            unweighted[j].Frequency = sample.effective_counts[j];
        norms::ComputeNormsTable(unweighted, 6, sample.effective_total, method.method);
        for (std::size_t j = 0; j < frequencies.size(); ++j) {
            EXPECT_NE(unweighted[j].PR, sample.ranks[j]);
            unweighted[j].PR = sample.ranks[j];
        }
        expect_same_rows(weighted, unweighted, 6);
    }
}
