#include "norms/batch/continuous_batch.hpp"

#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "norms/tables/continuous_tables.hpp"
#include "norms/write/continuous_chart.hpp"
#include "norms/write/csv_table.hpp"
#include "stats/continuous_bootstrap.hpp"
#include "stats/number_format.hpp"
#include "tests/support/batch_executable.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/continuous_samples.hpp"
#include "tests/support/decimal_separator.hpp"
#include "tests/support/statistics_writer.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;
using stats::Extended;

namespace {

Outcome continuous(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "continuous");
    return batch(arguments);
}

std::string exact(Extended x)
{
    return stats::data_number_text(static_cast<double>(x));
}

// Five age groups of 60 children (ages 6 to 11, groups 6.5 … 10.5), then a case without a
// score, one without an age and one without a group, which has the age and score below.
const stats::NormingSample& sample()
{
    static const stats::NormingSample cases = continuous_samples::age_trend(5, 60, 7);
    return cases;
}
constexpr double groupless_age = 8.125;
constexpr int groupless_score = 17;

std::string sample_csv()
{
    std::string text = "id,age,band,raw\n";
    for (std::size_t i = 0; i < sample().scores.size(); ++i)
        text += std::to_string(i + 1) + "," + exact(sample().ages[i]) + "," + exact(sample().groups[i]) + "," +
                exact(sample().scores[i]) + "\n";
    return text + "301,7.5,7.5,\n302,NA,8.5,12\n303,8.125,,17\n";
}

// The same cases as an SPSS or Stata file: the groups as labelled codes, the missing score as
// a user-missing code (SPSS) or an extended missing value (Stata), the others system-missing.
std::string sample_statistics_file(const std::string& ending)
{
    const bool spss = ending == ".sav";
    const std::vector<test_files::Variable> variables = {
        test_files::Numeric("id"), test_files::Numeric("age"),
        test_files::Numeric("band", {{6.5, "6 years"}, {7.5, "7 years"}, {8.5, "8 years"}}),
        test_files::Numeric("raw", {}, spss ? std::vector<double>{99} : std::vector<double>{})};
    std::vector<std::vector<test_files::Cell>> cases;
    for (std::size_t i = 0; i < sample().scores.size(); ++i)
        cases.push_back({double(i + 1), double(sample().ages[i]), double(sample().groups[i]),
                         double(sample().scores[i])});
    const double none = std::nan("");
    cases.push_back({301.0, 7.5, 7.5, spss ? test_files::Cell(99.0) : test_files::Cell('a')});
    cases.push_back({302.0, none, 8.5, 12.0});
    cases.push_back({303.0, groupless_age, none, double(groupless_score)});
    return test_files::StatisticsFile(ending, variables, cases);
}

// The CSV lines of cells as the form prints them.
std::string csv_of(const std::vector<stats::NormCell>& cells, bool limits)
{
    std::string text = limits ? "age,raw_score,norm,pr,norm_lower95,norm_upper95,norm_lower90,norm_upper90,"
                                "pr_lower95,pr_upper95,pr_lower90,pr_upper90\n"
                              : "age,raw_score,norm,pr\n";
    for (const stats::NormCell& cell : cells) {
        const bool below = cell.side == stats::RangeSide::below;
        const bool above = cell.side == stats::RangeSide::above;
        text += exact(cell.age) + "," + exact(cell.raw) + "," +
                (below ? "-inf" : above ? "inf" : CsvNumber(cell.norm)) + "," +
                (below ? "0" : above ? "100" : CsvNumber(cell.PR));
        if (limits)
            for (const Extended limit : {cell.limits->norm_lower95, cell.limits->norm_upper95,
                                         cell.limits->norm_lower90, cell.limits->norm_upper90, cell.limits->PR_lower95,
                                         cell.limits->PR_upper95, cell.limits->PR_lower90, cell.limits->PR_upper90})
                text += "," + CsvNumber(limit);
        text += "\n";
    }
    return text;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(ContinuousBatch, TheTablesAreTheModelsOfTheCompleteCases)
{
    const std::string path = write_temp_file("continuous.csv", sample_csv());

    // Ranked by group, ages as A: the case without a group is skipped with the others.
    const Outcome grouped = continuous({"--score", "raw", "--group", "band", "--age", "age", "--terms", "3", "--ages",
                                        "10,7.1,8.25,7.1", "--csv", "0", "40", path});
    ASSERT_EQ(grouped.status, 0) << grouped.err;
    EXPECT_EQ(grouped.err, "3 cases skipped for a missing score, age or group\n");
    stats::ContinuousOptions options;
    options.terms = 3;
    const stats::ContinuousFit fit = stats::fit_continuous_norms(sample(), options);
    // In the order given, each age once.
    const std::vector<stats::NormCell> cells = stats::continuous_norm_table(fit.model, {10, 7.1, 8.25L}, 0, 40);
    EXPECT_EQ(grouped.out, csv_of(cells, false));
    EXPECT_NE(grouped.out.find("\n7.1,0,"), std::string::npos) << "ages as the data file writes them";
    // Raw scores beyond the model's at the data's lowest and highest L are among them.
    EXPECT_NE(grouped.out.find(",-inf,0\n"), std::string::npos);
    EXPECT_NE(grouped.out.find(",inf,100\n"), std::string::npos);

    // Ranked within age windows, the group is not asked for, so its missing value skips no
    // case; the default ages are round steps over the sample's, and the seed is the one given.
    const Outcome windows = continuous({"--score", "raw", "--age", "age", "--width", "1.5", "--terms", "2",
                                        "--bootstrap", "20", "--seed", "5", "--csv", "0", "40", path});
    ASSERT_EQ(windows.status, 0) << windows.err;
    EXPECT_EQ(windows.err, "2 cases skipped for a missing score or age\n");
    stats::NormingSample by_age = sample();
    by_age.groups.clear();
    by_age.ages.push_back(groupless_age);
    by_age.scores.push_back(groupless_score);
    options.terms = 2;
    options.window_width = 1.5L;
    const stats::ContinuousFit window_fit = stats::fit_continuous_norms(by_age, options);
    const std::vector<Extended> ages = {6.5L, 7, 7.5L, 8, 8.5L, 9, 9.5L, 10, 10.5L};
    EXPECT_EQ(windows.out,
              csv_of(stats::bootstrap_norm_table(by_age, options, window_fit.model, ages, 0, 40, {20, 5, 1}), true));
}

TEST(ContinuousBatch, TheFitsWarningsGoToStandardErrorBesideTheCsv)
{
    const stats::NormingSample small = continuous_samples::age_trend(3, 20, 2);
    std::string text = "band,raw\n";
    for (std::size_t i = 0; i < small.scores.size(); ++i)
        text += exact(small.groups[i]) + "," + exact(small.scores[i]) + "\n";
    const Outcome run =
        continuous({"--score", "raw", "--group", "band", "--k", "2", "--csv", "0", "40",
                    write_temp_file("small_groups.csv", text)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "Ranking groups of fewer than 30 cases give coarse ranks: group 6.5 (20 cases), 7.5 (20 cases), "
                       "8.5 (20 cases).\nTerms left out of the search, as these data cannot tell them from a sum of "
                       "the terms before them: A3, L1A3, L2A3.\n");
    EXPECT_TRUE(run.out.starts_with("age,raw_score,norm,pr\n6.5,0,")) << run.out.substr(0, 100);
}

TEST(ContinuousBatch, ASavedModelGivesTheSameTablesWithoutTheData)
{
    const std::string path = write_temp_file("continuous.csv", sample_csv());
    const std::string model = testing::TempDir() + "continuous_model.json";
    std::remove(model.c_str());
    const Outcome fitted = continuous({"--score", "raw", "--group", "band", "--scale", "IQ", "--save-model", model,
                                       "--csv", "0", "40", path});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    ASSERT_TRUE(fitted.out.starts_with("age,raw_score,norm,pr\n6.5,0,")) << fitted.out.substr(0, 100);
    const Outcome saved = continuous({"--model", model, "--ages", "6.5,7.5,8.5,9.5,10.5", "--csv", "0", "40"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, fitted.out);
    EXPECT_EQ(saved.err, "");

    const std::string damaged = write_temp_file("damaged_model.json", "{\"cases\": 12}");
    const Outcome refused = continuous({"--model", damaged, "--ages", "7", "0", "40"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "The model file is damaged: \"program\" is missing.\n");
    EXPECT_EQ(refused.out, "");
    const Outcome missing = continuous({"--model", model + "x", "--ages", "7", "0", "40"});
    EXPECT_EQ(missing.err, "\"" + model + "x\": File not found.\n");
    // Ages beyond the model's: no extrapolation.
    const Outcome beyond = continuous({"--model", model, "--ages", "6,7", "0", "40"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_EQ(beyond.err, "Age 6 lies outside the norm sample's ages, 6.5 to 10.5; the model does not extrapolate.\n");
}

TEST(ContinuousBatch, StatisticsFilesGiveWhatTheTextFileGives)
{
    const std::vector<std::string> options = {"--score", "raw", "--group", "band", "--age", "age", "--csv", "0", "40"};
    std::vector<std::string> text_run = options;
    text_run.push_back(write_temp_file("continuous.csv", sample_csv()));
    const Outcome text = continuous(text_run);
    ASSERT_EQ(text.status, 0) << text.err;
    for (const std::string ending : {".sav", ".dta"}) {
        std::vector<std::string> arguments = options;
        arguments.push_back(write_temp_file("continuous" + ending, sample_statistics_file(ending)));
        const Outcome statistics = continuous(arguments);
        EXPECT_EQ(statistics.status, 0) << ending << statistics.err;
        EXPECT_EQ(statistics.err, text.err) << ending;
        EXPECT_EQ(statistics.out, text.out) << ending;
    }
}

TEST(ContinuousBatch, RefusalsNameWhatIsWrong)
{
    const std::string two_groups = write_temp_file("two_groups.csv", "band,raw\n1,3\n1,4\n1,5\n2,3\n2,4\n2,6\n");
    const std::string small_text_group = write_temp_file(
        "small_text_group.csv", "band,age,raw\nx,6,3\nx,6.2,4\nx,6.5,5\ny,7.1,3\ny,7.2,4\nz,8,3\nz,8.1,4\nz,8.3,6\n");
    const std::string bad_values = write_temp_file("bad_values.csv", "band,age,raw\n1,6,3\n2,seven,4\n3,8,12.5\n");
    const std::string empty = write_temp_file("empty.csv", "band,raw\n1,\n2,\n");
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"--score", "raw", "--group", "band", "0", "10", two_groups},
         "Continuous norms need at least 3 ranking groups; the data have 2.\n"},
        {{"--score", "raw", "--group", "band", "--age", "age", "0", "10", small_text_group},
         "A ranking group needs at least 3 cases: group \"y\" (2 cases).\n"},
        {{"--score", "raw", "--group", "band", "0", "10", small_text_group},
         "The group variable \"band\" holds \"x\", which is not a number: without an age variable, the groups' "
         "values are the ages of the model.\n"},
        {{"--score", "raw", "--group", "band", "--age", "age", "0", "10", bad_values},
         "line 3, column \"age\": \"seven\" is not a number.\n"},
        {{"--score", "raw", "--group", "band", "0", "10", bad_values},
         "line 4, column \"raw\": \"12.5\" is not a number from 0 to 10.\n"},
        {{"--score", "raw", "--group", "band", "0", "10", empty},
         "No case in the file has all of its values: 2 cases skipped for a missing score or group.\n"},
        {{"--score", "points", "--group", "band", "0", "10", empty},
         "The header line has no column named \"points\"\n"},
        {{"--score", "raw", "--group", "band", "10", "0", empty},
         "The maximum raw score is below the minimum raw score.\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = continuous(c.arguments);
        EXPECT_EQ(run.status, 1) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

TEST(ContinuousBatch, UsageErrorsGiveTheReasonThenTheUsage)
{
    const std::string file = "people.csv";
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{"--score", "raw", "0", "10", file},
         "one of --group and --width is needed: the cases are ranked within groups or within age windows"},
        {{"--score", "raw", "--group", "g", "--age", "a", "--width", "1", "0", "10", file},
         "--group and --width exclude each other: the cases are ranked within groups or within age windows"},
        {{"--score", "raw", "--width", "1", "0", "10", file},
         "--width needs --age: the windows slide along the cases' ages"},
        {{"--group", "g", "0", "10", file}, "--score is required"},
        {{"--score", "raw", "--group", "g", "0", "10"}, "FILE is required"},
        {{"--score", "raw", "--group", "g", "--k", "0", "0", "10", file}, "--k takes a whole number from 1 to 6"},
        {{"--score", "raw", "--group", "g", "--t", "7", "0", "10", file}, "--t takes a whole number from 0 to 6"},
        {{"--score", "raw", "--group", "g", "--k", "2", "--t", "1", "--terms", "6", "0", "10", file},
         "--terms 6 is more than the 5 candidate terms of --k 2 and --t 1"},
        {{"--score", "raw", "--group", "g", "--terms", "2", "--r2", "0.9", "0", "10", file},
         "--terms and --r2 exclude each other: a fixed number of terms has no R² to reach"},
        {{"--score", "raw", "--group", "g", "--r2", "1.5", "0", "10", file},
         "--r2 takes a number above 0 and at most 1, such as 0.99"},
        {{"--score", "raw", "--group", "g", "--scale", "stanine", "0", "10", file},
         "--scale takes a scale of a mean and an SD: z, T, IQ, scaled, NCE or M,SD"},
        {{"--score", "raw", "--group", "g", "--ages", "6,,7", "0", "10", file},
         "--ages takes ages separated by commas, such as 6,7.5,9"},
        {{"--score", "raw", "--group", "g", "--bootstrap", "1", "0", "10", file},
         "--bootstrap takes a whole number from 2 to 100000"},
        {{"--score", "raw", "--group", "g", "--seed", "3", "0", "10", file},
         "--seed needs --bootstrap: it seeds the resamples"},
        {{"--model", "m.json", "--ages", "7", "0", "10", file},
         "--model takes no FILE: the model is read instead of the data"},
        {{"--model", "m.json", "--ages", "7", "--score", "raw", "0", "10"},
         "--score has no use with --model, whose model is fitted already"},
        {{"--model", "m.json", "--ages", "7", "--delimiter", ";", "0", "10"},
         "--delimiter has no use with --model, whose model is fitted already"},
        {{"--model", "m.json", "0", "10"}, "--model needs --ages: the model file holds no ages to make tables for"},
        // Run here, without Qt to draw a PDF, the form takes workbooks alone.
        {{"--score", "raw", "--group", "g", "--manual", "m.pdf", "0", "10", file},
         "--manual takes a file name ending in .xlsx"},
        {{"--score", "raw", "--group", "g", "--manual", "m.xlsx", "--manual-interval", "95", "0", "10", file},
         "--manual-interval shows the bootstrap's intervals, which need --bootstrap"},
        {{"--score", "raw", "--group", "g", "--reversals", "increasing", "0", "10", file},
         "--reversals tells whether the two ranks' intervals overlap, which needs --bootstrap"},
    };
    for (const auto& c : cases) {
        const Outcome run = continuous(c.arguments);
        EXPECT_EQ(run.status, 2) << c.reason;
        EXPECT_EQ(run.err, "vornak-batch: " + c.reason + "\n" + ContinuousUsage + "\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(ContinuousBatch, TheReportShowsTheFitAndATablePerAge)
{
    const ScopedDecimalSeparator comma(",");
    const std::string path = write_temp_file("continuous.csv", sample_csv());
    const Outcome report = continuous(
        {"--score", "raw", "--group", "band", "--age", "age", "--terms", "3", "--ages", "8.25", "0", "40", path});
    ASSERT_EQ(report.status, 0) << report.err;
    const std::vector<std::string> lines = lines_of(report.out);

    stats::ContinuousOptions options;
    options.terms = 3;
    const stats::ContinuousFit fit = stats::fit_continuous_norms(sample(), options);
    for (const std::string& line :
         {std::string(" Cases: 300 used, 3 skipped for a missing value"),
          std::string(" Ranking: within the groups of \"band\"; the model's age is \"age\""),
          " R² " + stats::format_fixed(fit.r2, 0, 5) + ", adjusted R² " + stats::format_fixed(fit.adjusted_r2, 0, 5) +
              ", RMSE " + stats::format_fixed(fit.rmse, 0, 3) + " raw score points",
          std::string(" Norms at age 8,25:")})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\n" << report.out;
    // The search's curve: one row per number of terms, up to the three asked for.
    const auto search = std::find(lines.begin(), lines.end(), "  Terms  Adjusted R²  Without crossing");
    ASSERT_NE(search, lines.end()) << report.out;
    for (int terms = 1; terms <= 3; ++terms)
        EXPECT_TRUE(search[terms].starts_with("      " + std::to_string(terms) + "      0,")) << search[terms];

    // The table: a raw score below the model's range as "<" and the bound, as the CSV's -inf.
    const std::vector<stats::NormCell> cells = stats::continuous_norm_table(fit.model, {8.25L}, 0, 40);
    ASSERT_EQ(cells.front().side, stats::RangeSide::below);
    EXPECT_EQ(lines_of(std::regex_replace(lines[lines.size() - 41], std::regex(" +"), "\n")),
              (std::vector<std::string>{"", "0", "<" + stats::format_fixed(cells.front().norm, 0, 1),
                                        "<" + stats::format_fixed(cells.front().PR, 0, 1)}));
    EXPECT_TRUE(lines.back().starts_with("         40  >")) << lines.back();
}

// By default the number of terms is chosen by cross-validation, and the report says so, with
// each size's error and the groups' own; --r2 keeps the adjusted R² rule and its lines.
TEST(ContinuousBatch, TheReportSaysWhichRuleChoseTheModel)
{
    const std::string path = write_temp_file("continuous.csv", sample_csv());
    const Outcome report = continuous({"--score", "raw", "--group", "band", "--age", "age", "--ages", "8.5",
                                       "--bootstrap", "20", "0", "40", path});
    ASSERT_EQ(report.status, 0) << report.err;
    const std::vector<std::string> lines = lines_of(report.out);
    const stats::ContinuousFit fit = stats::fit_continuous_norms(sample(), {});
    const std::size_t terms = fit.model.terms.size();
    Extended error = 0;
    for (const stats::SizeOfModel& size : fit.search)
        if (size.terms == static_cast<int>(terms))
            error = *size.cross_validated_error;
    for (const std::string& line :
         {" Model: " + std::to_string(terms) + (terms == 1 ? " term" : " terms") +
              ", the least error in 5-fold cross-validation among the models without crossing",
          std::string("  Terms  Adjusted R²  Without crossing  CV error"),
          " Cross-validated error (norm scale): " + stats::format_fixed(error, 0, 3) + " for this model, " +
              stats::format_fixed(*fit.grouped_error, 0, 3) + " for ranks within the ranking groups alone"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\n" << report.out;
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) {
                               return line.starts_with(" Each resample repeats the ranking, the search and the "
                                                       "choice of the model.");
                           }),
              lines.end())
        << report.out;

    const Outcome by_r2 =
        continuous({"--score", "raw", "--group", "band", "--age", "age", "--r2", "0.99", "--ages", "8.5", "0", "40", path});
    ASSERT_EQ(by_r2.status, 0) << by_r2.err;
    EXPECT_NE(by_r2.out.find(" Model search: the best adjusted R² of each number of terms\n  Terms  Adjusted R²  "
                             "Without crossing\n"),
              std::string::npos)
        << by_r2.out;
    EXPECT_NE(by_r2.out.find(" adjusted R² "), std::string::npos);
    EXPECT_EQ(by_r2.out.find("Cross-validated"), std::string::npos) << by_r2.out;
}

TEST(ContinuousBatch, PlotDrawsTheCurvesOverEveryCaseUsed)
{
    const std::string path = write_temp_file("continuous.csv", sample_csv());
    const std::string picture = testing::TempDir() + "continuous.svg";
    std::remove(picture.c_str());
    const Outcome plotted =
        run_executable("", "continuous --score raw --age age --width 1 --plot '" + picture + "' 0 40 '" + path + "'");
    ASSERT_EQ(plotted.status, 0) << plotted.err;
    const std::string svg = file_content(picture);
    ASSERT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 100);
    std::size_t dots = 0;
    for (std::size_t at = svg.find("<circle"); at != std::string::npos; at = svg.find("<circle", at + 1))
        ++dots;
    EXPECT_EQ(dots, 301u + 1) << "each case used, and one in the legend";
    EXPECT_NE(svg.find("PR 97.5"), std::string::npos);
}

TEST(ContinuousTables, DefaultAgesAreRoundStepsWithinTheSample)
{
    EXPECT_EQ(evenly_spaced_ages(4.01, 16.99), (std::vector<Extended>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(evenly_spaced_ages(4, 17), (std::vector<Extended>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
    // Steps of 0.05 from the double nearest 6.2, each age the double nearest its decimal value.
    const std::vector<Extended> tenths = evenly_spaced_ages(6.2, 6.9);
    ASSERT_EQ(tenths.size(), 15u);
    EXPECT_EQ(tenths.front(), 6.2);
    EXPECT_EQ(tenths[3], 6.35);
    EXPECT_EQ(tenths.back(), 6.9);
    EXPECT_EQ(evenly_spaced_ages(20, 80), (std::vector<Extended>{20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80}));

    stats::NormingSample grouped;
    grouped.groups = {9, 7, 9, 8, 7};
    EXPECT_EQ(default_norm_ages(grouped), (std::vector<Extended>{7, 8, 9}));
    EXPECT_EQ(parse_age_list("9,7.5,+7.5,1e1"), (std::vector<Extended>{9, 7.5, 10}));
    EXPECT_FALSE(parse_age_list("7,").has_value());
}

TEST(ContinuousChart, EachCurveGivesTheRawScoreWhoseNormIsItsRank)
{
    ContinuousTables tables;
    stats::ContinuousOptions options;
    options.terms = 4;
    tables.model = stats::fit_continuous_norms(sample(), options).model;
    tables.raw_min = 0;
    tables.raw_max = 40;
    const ChartModel chart = continuous_chart(tables, &sample(), "sample");
    ASSERT_EQ(chart.lines.size(), 7u);
    EXPECT_EQ(chart.scatter.size(), sample().scores.size());
    for (const ChartLine& line : chart.lines) {
        const Extended rank = std::stold(line.legend.substr(3));
        for (const ChartXY& point : line.points) {
            const stats::ModelAtAge at_age(tables.model, point.x);
            const stats::NormScore norm = stats::norm_of_raw(tables.model, at_age, point.y);
            if (norm.side == stats::RangeSide::within) {
                EXPECT_NEAR(100 * std::erfc(-(norm.L - 50) / 10 / std::sqrt(Extended(2))) / 2, rank, 1e-6L)
                    << line.legend << " at age " << point.x;
            }
        }
    }

    // A sample too large to draw whole shows every k-th case.
    stats::NormingSample large;
    large.scores.assign(2 * most_chart_cases + 1, 3);
    large.ages.assign(large.scores.size(), 7);
    const ChartModel thinned = continuous_chart(tables, &large, "large");
    EXPECT_EQ(thinned.scatter.size(), large.scores.size() / 3 + 1);
    EXPECT_EQ(thinned.scatter_legend, "Cases (one in 3)");
    EXPECT_TRUE(chart.alerts.empty()) << "this model does not cross";
}

// A model whose curves cross has the places marked, from its fit or, read from its file, by the
// chart itself.
TEST(ContinuousChart, MarksWhereTheCurvesCross)
{
    stats::ContinuousOptions options;
    options.terms = 5;
    options.kept_per_size = 2;
    ContinuousTables tables;
    tables.fit = stats::fit_continuous_norms(continuous_samples::age_trend(10, 300, 5), options);
    tables.model = tables.fit->model;
    tables.raw_max = 40;
    const ChartModel fitted = continuous_chart(tables, nullptr, "fitted");
    ASSERT_FALSE(fitted.alerts.empty());
    EXPECT_EQ(fitted.alerts.size(), tables.fit->crossings.size());
    EXPECT_EQ(fitted.alerts_legend, "Curves cross");
    for (std::size_t i = 0; i < fitted.alerts.size(); ++i)
        EXPECT_EQ(fitted.alerts[i].x, static_cast<double>(tables.fit->crossings[i].age));
    tables.fit.reset();
    const ChartModel read = continuous_chart(tables, nullptr, "read");
    ASSERT_EQ(read.alerts.size(), fitted.alerts.size());
    EXPECT_EQ(read.alerts.front().x, fitted.alerts.front().x);
    EXPECT_EQ(read.alerts.back().y, fitted.alerts.back().y);
}
