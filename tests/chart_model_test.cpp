#include "norms/write/chart_model.hpp"

#include <gtest/gtest.h>

#include "norms/tables/norms_table.hpp"
#include "norms/read/frequency_file.hpp"

using namespace norms;

namespace {

std::vector<double> tick_values(const ChartAxis& axis)
{
    std::vector<double> values;
    for (const ChartTick& tick : axis.ticks)
        values.push_back(tick.value);
    return values;
}

NormsRun scores_from(int first, int count)
{
    NormsRun run;
    run.row_count = count;
    for (int j = 0; j < count; ++j)
        run.table[j].RawScore = first + j;
    return run;
}

}  // namespace

TEST(ChartModel, TakesPointsAndBandsInPercentFromTheTable)
{
    // The classical n = 3 table of 0 1 1 1 0; its limits are exact multiples of 2^-16.
    NormsRun run = scores_from(0, 5);
    run.sample_size = 3;
    run.method = stats::IntervalMethod::classical;
    run.data_file_path = "/data/group a/classical.txt";
    const Extended frequency[] = {0, 1, 1, 1, 0};
    const Extended limits[][4] = {{0, 0.7075958251953125L, 0, 0.6316070556640625L},
                                  {0, 0.8679656982421875L, 0, 0.8113861083984375L},
                                  {0.0166778564453125L, 0.9833221435546875L, 0.0333404541015625L,
                                   0.9666595458984375L},
                                  {0.1320343017578125L, 1, 0.1886138916015625L, 1},
                                  {0.2924041748046875L, 1, 0.3683929443359375L, 1}};
    for (int j = 0; j < 5; ++j) {
        NormsRow& row = run.table[j];
        row.Frequency = frequency[j];
        row.PR = (j == 0 ? 0 : j == 4 ? 100 : (j - 0.5L) / 3 * 100);
        row.Lower95 = limits[j][0];
        row.Upper95 = limits[j][1];
        row.Lower90 = limits[j][2];
        row.Upper90 = limits[j][3];
    }

    const ChartModel chart = BuildChartModel(run);
    EXPECT_EQ(chart.title, "Classical method, n = 3, classical.txt");
    ASSERT_EQ(chart.points.size(), 5u);
    EXPECT_EQ(chart.points[2].score, 2);
    EXPECT_EQ(chart.points[2].pr, 50);
    EXPECT_EQ(chart.points[4].pr, 100);
    ASSERT_EQ(chart.band95.size(), 5u);
    ASSERT_EQ(chart.band90.size(), 5u);
    EXPECT_EQ(chart.band95[0].score, 0);
    EXPECT_EQ(chart.band95[0].upper, 70.75958251953125);
    EXPECT_EQ(chart.band90[0].upper, 63.16070556640625);
    EXPECT_EQ(chart.band95[3].lower, 13.20343017578125);
    EXPECT_EQ(chart.band90[4].lower, 36.83929443359375);
    EXPECT_EQ(chart.band90[4].upper, 100);

    // Every score gets a column of its own, so the edge scores are not cut in half.
    EXPECT_EQ(chart.x.min, -0.5);
    EXPECT_EQ(chart.x.max, 4.5);
    EXPECT_EQ(tick_values(chart.x), std::vector<double>({0, 1, 2, 3, 4}));
    EXPECT_EQ(chart.x.ticks[3].label, "3");
    EXPECT_EQ(chart.y.min, 0);
    EXPECT_EQ(chart.y.max, 100);
    EXPECT_EQ(tick_values(chart.y), std::vector<double>({0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST(ChartModel, TickStepsKeepAtMostElevenLabelsOnTheScoreAxis)
{
    EXPECT_EQ(tick_values(BuildChartModel(scores_from(7, 1)).x), std::vector<double>({7}));
    EXPECT_EQ(tick_values(BuildChartModel(scores_from(-3, 31)).x),
              std::vector<double>({0, 5, 10, 15, 20, 25}));
    const ChartModel wide = BuildChartModel(scores_from(-7, 200));
    EXPECT_EQ(tick_values(wide.x),
              std::vector<double>({0, 20, 40, 60, 80, 100, 120, 140, 160, 180}));
    EXPECT_EQ(wide.x.ticks[0].label, "0");  // not "-0"
    EXPECT_EQ(tick_values(BuildChartModel(scores_from(100, 21)).x),
              std::vector<double>({100, 102, 104, 106, 108, 110, 112, 114, 116, 118, 120}));
}

TEST(ChartModel, DecimalTicksKeepTheDigitsTheirStepNeeds)
{
    const auto labels = [](const std::vector<ChartTick>& ticks) {
        std::vector<std::string> texts;
        for (const ChartTick& tick : ticks)
            texts.push_back(tick.label);
        return texts;
    };
    EXPECT_EQ(labels(decimal_ticks(0.87, 1.0, 5)), std::vector<std::string>({"0.90", "0.95", "1.00"}));
    EXPECT_EQ(labels(decimal_ticks(0.9871, 0.9923, 5)), std::vector<std::string>({"0.988", "0.990", "0.992"}));
    EXPECT_EQ(labels(decimal_ticks(-20, 130, 5)), std::vector<std::string>({"0", "50", "100"}));
}

TEST(ChartModel, PictureFormatComesFromTheFileEndingInAnyCase)
{
    EXPECT_EQ(ChartFormatOf("chart.png"), ChartFormat::Png);
    EXPECT_EQ(ChartFormatOf("/tmp/a.b/Chart.SVG"), ChartFormat::Svg);
    EXPECT_EQ(ChartFormatOf("out.Pdf"), ChartFormat::Pdf);
    EXPECT_EQ(ChartFormatOf("chart.jpg"), std::nullopt);
    EXPECT_EQ(ChartFormatOf("png"), std::nullopt);
    EXPECT_EQ(ChartFormatOf("/tmp/x.png/chart"), std::nullopt);
}
