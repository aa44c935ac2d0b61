#include "stats/continuous_ranking.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "stats/Bayes_Engines.hpp"
#include "stats/norm_scales.hpp"

using namespace stats;

namespace {

Extended T_of(Extended proportion)
{
    return 50 + 10 * z_of_proportion(proportion);
}

NormingSample grouped(std::vector<Extended> groups, std::vector<Extended> scores)
{
    NormingSample sample;
    sample.groups = std::move(groups);
    sample.scores = std::move(scores);
    return sample;
}

std::string refusal(const NormingSample& sample, Extended width = 0)
{
    try {
        check_norming_sample(sample, {width, 50, 10});
    } catch (const std::invalid_argument& refused) {
        return refused.what();
    }
    return "accepted";
}

}  // namespace

TEST(ContinuousRanking, EachCaseTakesTheMidRankOfItsScoreWithinItsGroup)
{
    // Groups given out of order, ties within a group, and equal scores in different groups.
    const NormingSample sample = grouped({2, 1, 1, 3, 1, 2, 3, 1, 2, 3}, {5, 2, 1, 0, 3, 5, 1, 2, 5, 2});
    const RankedCases ranked = rank_cases(sample, {});
    const std::vector<Extended> expected = {T_of(0.5L),     T_of(0.5L), T_of(0.125L), T_of(1 / 6.0L), T_of(0.875L),
                                            T_of(0.5L),     T_of(0.5L), T_of(0.5L),   T_of(0.5L),     T_of(5 / 6.0L)};
    EXPECT_EQ(ranked.L, expected);
    EXPECT_EQ(ranked.A, sample.groups);  // no ages: A is the group's value
    EXPECT_EQ(rank_cases(sample, {0, 100, 15}).L[2], 100 + 15 * z_of_proportion(0.125L));
}

// Ages in tenths of a year, scores with many ties: each window counted case by case on whole
// tenths, where "within W/2" is exact.
TEST(ContinuousRanking, AnAgeWindowHoldsTheCasesWithinHalfItsWidth)
{
    std::mt19937_64 engine(7);
    std::uniform_int_distribution<int> tenths(60, 120);
    std::uniform_int_distribution<int> score(0, 8);
    NormingSample sample;
    std::vector<int> age_tenths;
    for (int i = 0; i < 400; ++i) {
        age_tenths.push_back(tenths(engine));
        sample.ages.push_back(age_tenths.back() / 10.0L);
        sample.scores.push_back(score(engine));
    }
    for (const int width_tenths : {10, 7}) {
        const RankedCases ranked = rank_cases(sample, {width_tenths / 10.0L, 50, 10});
        for (std::size_t i = 0; i < sample.scores.size(); ++i) {
            std::size_t n = 0, below = 0, tied = 0;
            for (std::size_t j = 0; j < sample.scores.size(); ++j) {
                if (2 * std::abs(age_tenths[j] - age_tenths[i]) > width_tenths)
                    continue;
                ++n;
                below += sample.scores[j] < sample.scores[i];
                tied += sample.scores[j] == sample.scores[i];
            }
            ASSERT_EQ(ranked.L[i], T_of(PR_point_estimate(n, below, tied) / 100)) << "case " << i << ", width " << width_tenths;
        }
    }
}

TEST(ContinuousRanking, RefusesSamplesThatCannotBeRankedAndWarnsOfSmallGroups)
{
    EXPECT_EQ(refusal(grouped({1, 1, 1, 2, 2, 2}, {1, 2, 3, 1, 2, 3})),
              "Continuous norms need at least 3 ranking groups; the data have 2.");
    EXPECT_EQ(refusal(grouped({1, 1, 1, 2, 2, 3, 3, 3, 4}, {1, 2, 3, 1, 2, 1, 2, 3, 1})),
              "A ranking group needs at least 3 cases: group 2 (2 cases), 4 (1 case).");
    EXPECT_EQ(refusal(grouped({1, 1, 1}, {1, 2})), "The scores, groups and ages must be given for the same cases.");
    EXPECT_EQ(refusal(grouped({1, 2, 3}, {1, 2, NAN})), "Every score, group and age must be a finite number.");
    EXPECT_EQ(refusal(grouped({1, 2, 3}, {1, 2, 3}), 1), "Ranking by age windows needs each case's age.");

    NormingSample windows;
    windows.scores = {1, 2, 3, 4, 5, 6};
    windows.ages = {6, 6, 6, 7, 7, 7};
    EXPECT_EQ(refusal(windows, 1), "Continuous norms need at least 3 different ages; the data have 2.");
    windows.scores = {1, 2, 3, 4, 5, 6, 7, 8};
    windows.ages = {6, 6.2L, 6.4L, 8, 8.2L, 8.4L, 10, 10.3L};
    EXPECT_EQ(refusal(windows, 1), "An age window needs at least 3 cases: the age window around age 10 holds 2 cases.");

    NormingSample small = grouped({}, {});
    for (int group = 1; group <= 3; ++group)
        for (int i = 0; i < (group == 2 ? 29 : 30); ++i) {
            small.groups.push_back(group);
            small.scores.push_back(i);
        }
    EXPECT_EQ(check_norming_sample(small, {}),
              std::vector<std::string>{"Ranking groups of fewer than 30 cases give coarse ranks: group 2 (29 cases)."});
}

// A bootstrap resample counts each case as often as it is drawn; ranking those counts must give
// what ranking the drawn copies themselves gives, by groups and by windows.
TEST(ContinuousRanking, CountedCasesRankAsTheirCopiesWould)
{
    std::mt19937_64 engine(9);
    std::uniform_int_distribution<int> score(0, 6);
    std::uniform_int_distribution<std::uint32_t> drawn(0, 3);
    NormingSample sample;
    std::vector<std::uint32_t> counts;
    for (int i = 0; i < 150; ++i) {
        sample.groups.push_back(1 + i % 3);
        sample.ages.push_back(6 + (i % 3) + (i % 7) / 10.0L);
        sample.scores.push_back(score(engine));
        counts.push_back(drawn(engine));
    }
    NormingSample copies;
    std::vector<std::size_t> copied_from;
    for (std::size_t c = 0; c < counts.size(); ++c)
        for (std::uint32_t k = 0; k < counts[c]; ++k) {
            copies.groups.push_back(sample.groups[c]);
            copies.ages.push_back(sample.ages[c]);
            copies.scores.push_back(sample.scores[c]);
            copied_from.push_back(c);
        }
    for (const Extended width : {0.0L, 0.5L}) {
        const RankingChoice ranking{width, 50, 10};
        const RankedCases counted = CaseRanker(sample, ranking).rank(counts);
        const RankedCases copied = rank_cases(copies, ranking);
        for (std::size_t i = 0; i < copied_from.size(); ++i)
            ASSERT_EQ(copied.L[i], counted.L[copied_from[i]]) << "copy " << i << ", width " << width;
    }
}
