#include "norms/count/score_grid.hpp"

#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "norms/batch/batch.hpp"
#include "stats/number_format.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/continuous_samples.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;

namespace {

ScoreGrid grid_of(const std::string& min, const std::string& max, const std::string& step)
{
    const auto grid = ParseScoreGrid(min, max, step);
    if (const std::string* problem = std::get_if<std::string>(&grid))
        ADD_FAILURE() << *problem;
    return std::get<ScoreGrid>(grid);
}

std::string problem_of(const std::string& min, const std::string& max, const std::string& step)
{
    const auto grid = ParseScoreGrid(min, max, step);
    return std::holds_alternative<std::string>(grid) ? std::get<std::string>(grid) : "";
}

std::vector<std::vector<std::string>> csv_rows(const std::string& csv)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string field; std::getline(cells, field, ',');)
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace

TEST(ScoreGrid, RowsAreWholeMultiplesOfTheStepWithoutDrift)
{
    // 0.1 added 610 times gives 61.09999999999994; row 610 must be 61.1 itself.
    const ScoreGrid grid = grid_of("0.1", "61.1", "0.1");
    ASSERT_EQ(grid.rows, 611);
    EXPECT_EQ(grid.text(610), "61.1");
    for (std::int64_t k = 0; k < grid.rows; ++k) {
        const std::string expected = std::to_string((k + 1) / 10) + "." + std::to_string((k + 1) % 10);
        ASSERT_EQ(grid.text(k), expected);
        ASSERT_EQ(grid.score(k), std::strtold(expected.c_str(), nullptr)) << expected;
        ASSERT_EQ(grid.row_of(std::strtod(expected.c_str(), nullptr)), k) << expected;
    }
    EXPECT_EQ(grid_of("7", "8", "0.25").description(), "7.00 to 8.00 by 0.25");
    EXPECT_EQ(grid_of("0", "0.05", "0.01").text(5), "0.05");
}

TEST(ScoreGrid, AValueCountsAtItsGridPointWithinARelativeBillionth)
{
    const ScoreGrid grid = grid_of("7.0", "68.0", "0.1");
    EXPECT_EQ(grid.row_of(15.9), 89);
    EXPECT_EQ(grid.row_of(15.9 * (1 + 5e-10)), 89);
    EXPECT_EQ(grid.row_of(15.9 * (1 + 5e-9)), std::nullopt);
    EXPECT_EQ(grid.row_of(15.95), std::nullopt);
    EXPECT_EQ(grid.row_of(6.9), std::nullopt);
    EXPECT_EQ(grid.row_of(68.1), std::nullopt);
    EXPECT_EQ(grid.row_of(68.0), 610);
}

TEST(ScoreGrid, RefusesRangesThatMakeNoGrid)
{
    EXPECT_EQ(problem_of("7.0", "68.05", "0.1"), "The maximum raw score 68.05 is not on the grid from 7.00 by 0.10.");
    EXPECT_EQ(problem_of("7", "6.9", "0.1"), "The maximum raw score is below the minimum raw score.");
    EXPECT_EQ(problem_of("0", "100", "0.001"),
              "From the minimum raw score to the maximum there are 100001 raw score values: a table from "
              "per-person data takes at most 100000.");
    EXPECT_EQ(problem_of("0", "99.999", "0.001"), "");
    EXPECT_EQ(problem_of("0", "1", "0"),
              "\"0\" is not a step: a decimal number above 0 with at most 6 decimals, such as 0.1");
    // Far beyond the range, before any sum of units could overflow.
    EXPECT_EQ(problem_of("999999999999998", "999999999999999", "0.000001"),
              "The minimum and maximum raw scores must lie from 0 to 999999.");
    EXPECT_EQ(problem_of("0", "1", "999999999999999"),
              "\"999999999999999\" is not a step: a decimal number above 0 with at most 6 decimals, such as 0.1");
    EXPECT_EQ(FittingDecimalStep(15.9), "0.1");
    EXPECT_EQ(FittingDecimalStep(15.25), "0.01");
    EXPECT_EQ(FittingDecimalStep(16), std::nullopt);
}

TEST(ScoreSteps, EachRowOfADecimalGridIsTheFrequencyFormOnTheDirectCount)
{
    // BMI-like values with one decimal; the frequency form on the counts per tenth, whole scores
    // 0 ... 40, is the reference for every rank and limit.
    std::string data = "age,bmi\n";
    std::map<int, int> tenths;
    int cases = 0;
    for (int age = 2; age <= 4; ++age)
        for (int i = 0; i < 30; ++i) {
            const int tenth = (i * 7 + age * 3) % 41;
            if (age == 3) {
                ++tenths[tenth];
                ++cases;
            }
            data += std::to_string(age) + "," + std::to_string(12 + tenth / 10) + "." + std::to_string(tenth % 10) +
                    "\n";
        }
    const std::string people = write_temp_file("bmi.csv", data);
    std::string frequencies;
    for (int t = 0; t <= 40; ++t)
        frequencies += std::to_string(t) + " " + std::to_string(tenths[t]) + "\n";
    const std::string reference_file = write_temp_file("bmi_age3.txt", frequencies);

    const Outcome stepped =
        batch({"scores", "--csv", "--group", "age", "--score", "bmi", "--step", "0.1", "12.0", "16.0", people});
    ASSERT_EQ(stepped.status, 0) << stepped.err;
    const Outcome reference = batch({"--csv", "0", "40", std::to_string(cases), reference_file});
    ASSERT_EQ(reference.status, 0) << reference.err;

    std::vector<std::vector<std::string>> age3;
    for (const auto& row : csv_rows(stepped.out))
        if (row.front() == "3")
            age3.push_back(row);
    const auto expected = csv_rows(reference.out);
    ASSERT_EQ(age3.size(), 41u);
    for (std::size_t k = 0; k < age3.size(); ++k) {
        EXPECT_EQ(age3[k][1], std::to_string(12 + k / 10) + "." + std::to_string(k % 10));
        EXPECT_EQ(std::vector(age3[k].begin() + 2, age3[k].end()), std::vector(expected[k].begin() + 1, expected[k].end()))
            << "row " << k;
    }
}

TEST(ScoreSteps, RefusalsNameTheCaseAndTheGridOrSuggestAStep)
{
    const std::string off_grid = write_temp_file("off_grid.csv", "age,bmi\n2,15.9\n2,16.0\n3,15.95\n");
    const Outcome off = batch({"scores", "--score", "bmi", "--step", "0.1", "7.0", "68.0", off_grid});
    EXPECT_EQ(off.status, 1);
    EXPECT_EQ(off.err, "line 4, column \"bmi\": \"15.95\" is not a raw score on the grid 7.0 to 68.0 by 0.1.\n");

    const std::string decimals = write_temp_file("decimals.csv", "age,bmi\n2,16\n2,15.25\n");
    const Outcome whole = batch({"scores", "--score", "bmi", "7", "68", decimals});
    EXPECT_EQ(whole.status, 1);
    EXPECT_EQ(whole.err, "line 3, column \"bmi\": \"15.25\" is not a whole number from 7 to 68; for scores with "
                         "decimals choose a step, such as 0.01.\n");
    // Beyond the range the message is the one it always was.
    const Outcome beyond = batch({"scores", "--score", "bmi", "7", "10", decimals});
    EXPECT_EQ(beyond.err, "line 2, column \"bmi\": \"16\" is not a whole number from 7 to 10.\n");
}

TEST(ScoreSteps, PerPersonFormsTakeUpTo100000ScoresAndTheFrequencyFormStill200)
{
    const std::string people = write_temp_file("wide.csv", "raw\n7\n100\n221\n");
    const Outcome wide = batch({"scores", "--csv", "--score", "raw", "7", "221", people});
    ASSERT_EQ(wide.status, 0) << wide.err;
    EXPECT_EQ(csv_rows(wide.out).size(), 215u);

    const Outcome too_many = batch({"scores", "--score", "raw", "0", "100000", people});
    EXPECT_EQ(too_many.status, 1);
    EXPECT_EQ(too_many.err, "From the minimum raw score to the maximum there are 100001 raw score values: a table "
                            "from per-person data takes at most 100000.\n");
    const Outcome continuous_too_many =
        batch({"continuous", "--score", "raw", "--group", "raw", "0", "100000", people});
    EXPECT_EQ(continuous_too_many.err, too_many.err);

    const std::string frequencies = write_temp_file("wide.txt", "0 1\n");
    const Outcome frequency_form = batch({"0", "300", "250", frequencies});
    EXPECT_EQ(frequency_form.status, 1);
    EXPECT_EQ(frequency_form.err, " Based on the minimum and maximum scores you provided, there are over 200 "
                                  "different raw score values: The maximum allowed is 200. \n");
}

// A sample of 5 bands of 60 cases with whole scores 0 … 40, each divided by `divisor`, as a CSV
// file's text.
std::string points_divided_by(double divisor)
{
    const stats::NormingSample sample = continuous_samples::age_trend(5, 60, 7);
    std::string text = "band,raw\n";
    for (std::size_t i = 0; i < sample.scores.size(); ++i)
        text += stats::data_number_text(static_cast<double>(sample.groups[i])) + "," +
                stats::data_number_text(static_cast<double>(sample.scores[i]) / divisor) + "\n";
    return text;
}

// The sample's whole scores, and the same with every score divided by 4.
std::pair<std::string, std::string> whole_and_quarter_points()
{
    return {points_divided_by(1), points_divided_by(4)};
}

TEST(ScoreSteps, ContinuousNormsFitScoresWithDecimalsAsTheyAre)
{
    // Quarter points: the regression of the raw score on L and age scales by 1/4 with them, and
    // so does every coefficient; rounding or truncating the scores would break that.
    const auto [whole, quarters] = whole_and_quarter_points();
    const auto model_of = [](const std::string& data, const std::string& name, const std::string& max) {
        const std::string model = testing::TempDir() + name + ".json";
        const Outcome run = batch({"continuous", "--score", "raw", "--group", "band", "--terms", "3", "--save-model",
                                   model, "--csv", "0", max, write_temp_file(name + ".csv", data)});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(file_content(model));
    };
    const nlohmann::json by_points = model_of(whole, "whole_points", "60");
    const nlohmann::json by_quarters = model_of(quarters, "quarter_points", "15");
    EXPECT_EQ(by_quarters["ranges"]["raw"]["min"].get<double>(), by_points["ranges"]["raw"]["min"].get<double>() / 4);
    EXPECT_EQ(by_quarters["ranges"]["raw"]["max"].get<double>(), by_points["ranges"]["raw"]["max"].get<double>() / 4);
    EXPECT_NEAR(by_quarters["intercept"].get<double>(), by_points["intercept"].get<double>() / 4, 1e-9);
    ASSERT_EQ(by_quarters["terms"].size(), by_points["terms"].size());
    for (const auto& [term, coefficient] : by_points["terms"].items())
        EXPECT_NEAR(by_quarters["terms"][term].get<double>(), coefficient.get<double>() / 4,
                    1e-9 * std::fabs(coefficient.get<double>()))
            << term;
}

TEST(ScoreSteps, ContinuousTablesHaveARowForEveryStepAndAQuarterPointIsItsWholePoint)
{
    const auto [whole, quarters] = whole_and_quarter_points();
    const Outcome by_points = batch({"continuous", "--score", "raw", "--group", "band", "--terms", "3", "--csv", "0",
                                     "60", write_temp_file("step_whole.csv", whole)});
    const Outcome by_quarters =
        batch({"continuous", "--score", "raw", "--group", "band", "--terms", "3", "--step", "0.25", "--csv", "0", "15",
               write_temp_file("step_quarters.csv", quarters)});
    ASSERT_EQ(by_points.status, 0) << by_points.err;
    ASSERT_EQ(by_quarters.status, 0) << by_quarters.err;
    const auto points = csv_rows(by_points.out);
    const auto quarter_rows = csv_rows(by_quarters.out);
    ASSERT_EQ(quarter_rows.size(), points.size());  // 61 rows an age either way
    EXPECT_EQ(quarter_rows[59][1], "14.75");
    for (std::size_t r = 0; r < points.size(); ++r) {
        EXPECT_EQ(std::stod(quarter_rows[r][1]), std::stod(points[r][1]) / 4) << r;
        const double point = std::stod(points[r][2]);
        if (std::isinf(point))
            EXPECT_EQ(std::stod(quarter_rows[r][2]), point) << r;  // beyond the model's range alike
        else
            EXPECT_NEAR(std::stod(quarter_rows[r][2]), point, 1e-6) << r;
    }
    // Rows listed are the same rows, bit for bit, in ascending order.
    const Outcome listed =
        batch({"continuous", "--score", "raw", "--group", "band", "--terms", "3", "--raw-scores", "14.75,2.5", "--csv",
               "0", "15", write_temp_file("listed_quarters.csv", quarters)});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto listed_rows = csv_rows(listed.out);
    ASSERT_EQ(listed_rows.size(), 2 * quarter_rows.size() / 61);
    for (std::size_t age = 0; age < listed_rows.size() / 2; ++age) {
        EXPECT_EQ(listed_rows[2 * age], quarter_rows[61 * age + 10]);
        EXPECT_EQ(listed_rows[2 * age + 1], quarter_rows[61 * age + 59]);
    }
    const Outcome refused = batch({"continuous", "--family", "betabinomial", "--items", "15", "--score", "raw",
                                   "--group", "band", "--step", "0.25", "0", "15",
                                   write_temp_file("step_beta_binomial.csv", quarters)});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--step has no use with --family betabinomial, whose raw scores are whole counts"),
              std::string::npos)
        << refused.err;
}

TEST(ScoreSteps, ContinuousChartAndManualTableByATenthShowEveryDecimalRow)
{
    // Scores with one decimal, 0.0 to 4.0, as a measurement has them.
    const std::string data = write_temp_file("step_tenths.csv", points_divided_by(10));
    ChartModel chart;
    ManualTable manual;
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunBatch(
        {"continuous", "--score", "raw", "--group", "band", "--terms", "3", "--step", "0.1", "--ages", "7,9", "--plot",
         testing::TempDir() + "step_tenths.png", "--manual", testing::TempDir() + "step_tenths.pdf", "0", "4", data},
        out, err,
        [&chart](ChartFormat, const ChartModel& drawn) {
            chart = drawn;
            return std::string("picture");
        },
        [&manual](const ManualTable& table) {
            manual = table;
            return std::string("%PDF");
        });
    ASSERT_EQ(status, 0) << err.str();

    // The manual's rows run 0.0, 0.1, … 4.0, each next row a tenth after the last one's end, and
    // each end written with its one decimal; a row rounded to a whole score breaks the chain.
    const std::regex tenths("([0-9]+)\\.([0-9])(?:\u2013([0-9]+)\\.([0-9]))?");
    std::int64_t next = 0;
    for (const ManualRow& row : manual.rows) {
        std::smatch ends;
        ASSERT_TRUE(std::regex_match(row.raw, ends, tenths)) << row.raw;
        const auto units = [&ends](int whole) { return std::stoll(ends[whole]) * 10 + std::stoll(ends[whole + 1]); };
        EXPECT_EQ(units(1), next) << row.raw;
        next = (ends[3].matched ? units(3) : units(1)) + 1;
        EXPECT_EQ(row.cells.size(), 2U);
    }
    EXPECT_EQ(next, 41);
    EXPECT_GT(manual.rows.size(), 10U);

    // The raw-score axis holds 0.0 to 4.0 with half a tenth of room, its ticks with their decimal.
    EXPECT_EQ(chart.y.min, -0.05);
    EXPECT_EQ(chart.y.max, 4.05);
    std::vector<std::string> ticks;
    for (const ChartTick& tick : chart.y.ticks)
        ticks.push_back(tick.label);
    EXPECT_EQ(ticks, (std::vector<std::string>{"0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "3.5", "4.0"}));
}
