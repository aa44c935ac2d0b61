#include "norms/tables/group_norms.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "norms/tables/norms_table.hpp"
#include "norms/tables/scale_columns.hpp"
#include "norms/write/continuous_chart.hpp"

using stats::Extended;

namespace {

// Two grades of a 6-item test: grade 2 has no 0 and no 6, so its ends are open.
stats::NormingSample two_grades()
{
    stats::NormingSample sample;
    for (const int score : {0, 1, 1, 2, 3, 3, 3, 4, 5, 6}) {
        sample.scores.push_back(score);
        sample.groups.push_back(1);
    }
    for (const int score : {1, 2, 2, 3, 4, 4, 5, 5, 5, 5}) {
        sample.scores.push_back(score);
        sample.groups.push_back(2);
    }
    return sample;
}

}  // namespace

TEST(GroupNorms, AGroupsOwnCellsAreItsNormsTableOnTheScaleAndBetweenGroupsTheyMeetHalfWay)
{
    const stats::NormingSample sample = two_grades();
    const stats::ContinuousOptions options;  // T scores, ranked within groups
    ASSERT_TRUE(norms::has_group_norms(sample, options));
    const std::vector<stats::NormCell> cells = norms::group_norm_cells(sample, options, {2, 1.5}, 0, 6, true);
    ASSERT_EQ(cells.size(), 14u);

    // Grade 2's cells are exactly the rows of its norms table, by the Bayesian method.
    norms::NormsTable table{};
    for (int x = 0; x <= 6; ++x) {
        table[x].RawScore = x;
        for (std::size_t c = 10; c < 20; ++c)
            table[x].Frequency += sample.scores[c] == x;
    }
    norms::ComputeNormsTable(table, 7, 10, stats::IntervalMethod::bayesian);
    const stats::NormScale& T = options.scale;
    for (int x = 1; x <= 5; ++x) {
        const norms::ScaleValues values = norms::ScaleValuesOf(T, table[x]);
        const stats::NormCell& cell = cells[static_cast<std::size_t>(x)];
        EXPECT_EQ(cell.side, stats::RangeSide::within) << x;
        EXPECT_EQ(cell.PR, table[x].PR) << x;
        EXPECT_EQ(cell.norm, values.point) << x;
        EXPECT_EQ(cell.limits->norm_lower95, values.lower95) << x;
        EXPECT_EQ(cell.limits->norm_upper90, values.upper90) << x;
    }
    // No one in grade 2 scored 0 or 6: half a case from each end, marked.
    EXPECT_EQ(cells[0].side, stats::RangeSide::below);
    EXPECT_EQ(cells[0].PR, Extended(5));
    EXPECT_EQ(cells[6].side, stats::RangeSide::above);
    EXPECT_EQ(cells[6].PR, Extended(95));

    // Grade 1.5 lies half way: each norm score is the mean of the two grades'.
    const std::vector<stats::NormCell> grade1 = norms::group_norm_cells(sample, options, {1}, 0, 6, false);
    for (std::size_t x = 0; x <= 6; ++x) {
        EXPECT_EQ(cells[7 + x].age, Extended(1.5));
        EXPECT_NEAR(static_cast<double>(cells[7 + x].norm), static_cast<double>((grade1[x].norm + cells[x].norm) / 2),
                    1e-12);
    }
    EXPECT_FALSE(grade1[3].limits);

    EXPECT_THROW(norms::group_norm_cells(sample, options, {2.5}, 0, 6, false), std::invalid_argument);
}

TEST(GroupNorms, AnAgeWindowHoldsTheCasesWithinHalfItsWidth)
{
    stats::NormingSample sample;
    for (int c = 0; c < 40; ++c) {
        sample.ages.push_back(6 + c * 0.1L);  // 6.0 … 9.9
        sample.scores.push_back(c % 5);
        sample.groups.push_back(6 + c / 10);
    }
    stats::ContinuousOptions options;
    options.window_width = 1;
    ASSERT_TRUE(norms::has_group_norms(sample, options));
    // Ages 7.5 … 8.5: 11 cases, scores 0 … 4 from case 15 on, with 15, 20 … counting 0.
    const std::vector<stats::NormCell> cells = norms::group_norm_cells(sample, options, {8}, 0, 0, false);
    EXPECT_EQ(cells[0].PR, 100 * (Extended(3) / 2) / 11);
    options.window_width = 0.05L;
    EXPECT_THROW(norms::group_norm_cells(sample, options, {8.04L}, 0, 4, false), std::invalid_argument);
    // With ages and groups both given, the groups are not the model's ages.
    EXPECT_FALSE(norms::has_group_norms(sample, stats::ContinuousOptions{}));
}

// Rows between whole scores rank among the group as they are, and a manual's column counts the
// cases the cells rank among; the chart's curves are where the cells' PRs reach each rank, at the
// tables' ages alone, and no model's.
TEST(GroupNorms, RowsSizesAndTheChartFollowTheGroupsOwnCases)
{
    const stats::NormingSample sample = two_grades();
    const stats::ContinuousOptions options;
    const std::vector<stats::NormCell> rows = norms::group_norm_cells(sample, options, {1}, 0, 6, false, {2.5L, 3});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].raw, 2.5L);
    EXPECT_EQ(rows[0].PR, Extended(40));  // 4 of grade 1's 10 cases lie below 2.5
    EXPECT_EQ(rows[1].PR, Extended(55));
    std::vector<std::string> sizes;
    norms::group_norm_cells(sample, options, {1, 1.5L}, 0, 6, false, {}, &sizes);
    EXPECT_EQ(sizes, (std::vector<std::string>{"n = 10", "n = 10 and 10"}));

    norms::ContinuousTables tables;
    tables.model.age = {1, 2};
    tables.model.cases = 20;
    tables.ages = {1, 2};
    tables.raw_max = 6;
    tables.group_norms = true;
    tables.cells = norms::group_norm_cells(sample, options, tables.ages, 0, 6, false);
    const norms::ChartModel chart = norms::continuous_chart(tables, &sample, "grades.csv");
    EXPECT_TRUE(chart.title.starts_with("The ranking groups' own norms on the T scale, n = 20")) << chart.title;
    ASSERT_EQ(chart.lines.size(), std::size(norms::curve_ranks));
    const norms::ChartLine& median = chart.lines[3];
    EXPECT_EQ(median.legend, "PR 50");
    // Grade 1's PR is 35 at 2 and 55 at 3; grade 2's is 50 at 4.
    ASSERT_EQ(median.points.size(), 2u);
    EXPECT_EQ(median.points[0].x, 1.0);
    EXPECT_EQ(median.points[0].y, 2.75);
    EXPECT_EQ(median.points[1].x, 2.0);
    EXPECT_EQ(median.points[1].y, 4.0);
    EXPECT_EQ(chart.scatter.size(), 20u);
}
