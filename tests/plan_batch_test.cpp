// vornak-batch plan, checked against the ordinary form run on the expected frequencies.
#include "norms/batch/plan_batch.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "norms/batch/batch.hpp"
#include "stats/sample_size.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/temp_files.hpp"

namespace {

const std::string pilot =
    (std::filesystem::path(VORNAK_SOURCE_DIR) / "examples/memory_test_n250.txt").string();
const std::vector<long double> pilot_counts = {0,  0,  0,  0,  0,  1,  1,  2,  2,  4, 5,
                                               7,  10, 12, 15, 17, 19, 20, 20, 20, 19, 17,
                                               14, 12, 10, 7,  6,  4,  3,  2,  1};

Outcome plan(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "plan");
    return batch(arguments);
}

// The half-width at each rank, from the table that the ordinary form prints for a frequency
// file of the pilot's shape at n: the raw score whose PR lies nearest (the lower on a tie),
// then the larger distance from its PR to its 95% limits.
std::vector<long double> ordinary_form_half_widths(long long n, const std::vector<long double>& ranks)
{
    std::string file;
    const std::vector<long long> counts = stats::LargestRemainderCounts(pilot_counts, n);
    for (std::size_t score = 0; score < counts.size(); ++score)
        file += std::to_string(score) + " " + std::to_string(counts[score]) + "\r\n";
    const Outcome table = batch({"--csv", "0", "30", std::to_string(n),
                                 write_temp_file("expected.txt", file)});
    EXPECT_EQ(table.status, 0) << table.err;

    struct Row {
        long double pr, lower, upper;
    };
    std::vector<Row> rows;
    std::istringstream lines(table.out);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::vector<long double> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            fields.push_back(std::strtold(cell.c_str(), nullptr));
        rows.push_back({fields[3], fields[4] * 100, fields[5] * 100});
    }
    std::vector<long double> half_widths;
    for (const long double rank : ranks) {
        const auto nearest = std::min_element(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
            return std::fabs(a.pr - rank) < std::fabs(b.pr - rank);
        });
        half_widths.push_back(std::max(nearest->pr - nearest->lower, nearest->upper - nearest->pr));
    }
    return half_widths;
}

}  // namespace

TEST(PlanBatch, AtTheReportedSizeEveryRankIsWithinAndOneStepBelowSomeRankIsNot)
{
    const Outcome outcome = plan({"--half-width", "3", "--at", "2", "--at", "5", "--at", "16",
                                  "--at", "50", "--pilot", pilot, "0", "30"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // The pilot puts 8% of its sample on each of the scores around the median: those ties
    // alone keep the interval at PR 50 wider than ±3 points, however large the sample.
    EXPECT_NE(outcome.out.find("\n              50          18         3.80   over 999999\n"),
              std::string::npos)
        << outcome.out;
    EXPECT_GT(ordinary_form_half_widths(999999, {50})[0], 3);

    const Outcome without_50 = plan({"--half-width", "3", "--at", "2", "--at", "5", "--at", "16",
                                     "--pilot", pilot, "0", "30"});
    const std::string overall_line = " Required n for every rank above= ";
    const std::size_t at = without_50.out.find(overall_line);
    ASSERT_NE(at, std::string::npos) << without_50.out;
    const long long n = std::stoll(without_50.out.substr(at + overall_line.size()));
    const std::vector<long long>& grid = stats::PlanGrid();
    const auto point = std::find(grid.begin(), grid.end(), n);
    ASSERT_TRUE(point != grid.end() && point != grid.begin()) << n;

    const std::vector<long double> ranks = {2, 5, 16};
    for (const long double half_width : ordinary_form_half_widths(n, ranks))
        EXPECT_LE(half_width, 3);
    const std::vector<long double> below = ordinary_form_half_widths(*(point - 1), ranks);
    EXPECT_TRUE(std::any_of(below.begin(), below.end(), [](long double w) { return w > 3; }))
        << "n = " << *(point - 1);
}

TEST(PlanBatch, WrongArgumentsGiveTheUsageLineAndRefusalsTheirMessage)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"--normal", "15,5", "0", "30"},                                   // no --half-width
        {"--half-width", "0", "--normal", "15,5", "0", "30"},
        {"--half-width", "nan", "--normal", "15,5", "0", "30"},
        {"--half-width", "3", "0", "30"},                                  // no shape
        {"--half-width", "3", "--normal", "15,5", "--pilot", pilot, "0", "30"},
        {"--half-width", "3", "--normal", "15", "0", "30"},
        {"--half-width", "3", "--normal", "15,0", "0", "30"},
        {"--half-width", "3", "--at", "100", "--normal", "15,5", "0", "30"},
        {"--half-width", "3", "--at", "0", "--normal", "15,5", "0", "30"},
        {"--half-width", "3", "--level", "99", "--normal", "15,5", "0", "30"},
        {"--half-width", "3", "--method", "exact", "--normal", "15,5", "0", "30"},
        {"--half-width", "3", "--plot", "p.png", "--normal", "15,5", "0", "30"},  // no saver
        {"--half-width", "3", "--normal", "15,5", "30"},
        {"--half-width", "1e308", "--normal", "15,5", "0", "30"},
        {"--half-width", "0.0099", "--normal", "15,5", "0", "30"},
        {"--half-width", "50.01", "--normal", "15,5", "0", "30"},
        {"--half-width", "3", "--normal", "15,1e-300", "0", "30"},
        {"--half-width", "3", "--normal", "15,0.00000099", "0", "30"},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        const Outcome outcome = plan(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments[1] << " " << arguments[2];
        EXPECT_EQ(outcome.out, "");
        EXPECT_TRUE(outcome.err.starts_with("vornak-batch: ") &&
                    outcome.err.ends_with(std::string(norms::PlanUsage) + "\n"))
            << outcome.err;
    }

    // A pilot that goes on past the maximum would lose its last rows from the shape unseen.
    const Outcome cut = plan({"--half-width", "3", "--pilot", pilot, "0", "29"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.out, "");
    EXPECT_EQ(cut.err, "The pilot file goes on after the row of the maximum raw score.\n");
    const Outcome empty = plan({"--half-width", "3", "--pilot",
                                write_temp_file("zeros.txt", "0 0\n1 0\n2 0\n"), "0", "2"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "The pilot's frequencies are all 0, so they give no shape.\n");
}

TEST(PlanBatch, HalfWidthsAndDeviationsAreTakenWithinBoundsThatTheReportShows)
{
    EXPECT_EQ(plan({"--half-width", "1e308", "--normal", "15,5", "0", "30"}).err,
              "vornak-batch: --half-width takes a number of percentile points from 0.01 to 50, such "
              "as 3\n" + norms::PlanUsage + "\n");
    EXPECT_EQ(plan({"--half-width", "3", "--normal", "15,1e-300", "0", "30"}).err,
              "vornak-batch: --normal takes MEAN,SD with an SD of at least 0.000001, such as 15,5\n" +
                  norms::PlanUsage + "\n");

    // At the bounds, the report shows the numbers as taken.
    const Outcome narrow = plan({"--half-width", "0.01", "--at", "50", "--normal", "15,0.000001", "0", "30"});
    ASSERT_EQ(narrow.status, 0) << narrow.err;
    EXPECT_NE(narrow.out.find(" Expected shape: a normal distribution with mean 15 and standard "
                              "deviation 0.000001, in whole scores\n"),
              std::string::npos)
        << narrow.out;
    EXPECT_NE(narrow.out.find(" Wanted half-width of the interval: 0.01 percentile points\n"),
              std::string::npos);
    const Outcome wide = plan({"--half-width", "50", "--at", "50", "--normal", "15,5", "0", "30"});
    ASSERT_EQ(wide.status, 0) << wide.err;
    EXPECT_NE(wide.out.find(" Wanted half-width of the interval: 50 percentile points\n"), std::string::npos);
}

TEST(PlanBatch, APilotOfMoreCasesThanASampleMayHaveIsRefusedForThat)
{
    const std::string message =
        "The pilot's frequencies add up to more than the 999,999 cases a sample may have.\n";
    for (const std::string& counts : {std::string("0 1\n1 10000000000000000000\n2 3\n"),
                                      std::string("0 999999\n1 1\n2 0\n")}) {
        const Outcome outcome = plan({"--half-width", "3", "--pilot",
                                      write_temp_file("big_pilot.txt", counts), "0", "2"});
        EXPECT_EQ(outcome.status, 1) << counts;
        EXPECT_EQ(outcome.err, message) << counts;
        EXPECT_EQ(outcome.out, "");
    }
    // A count that is no whole number keeps the frequency file's message.
    const Outcome fraction = plan({"--half-width", "3", "--pilot",
                                   write_temp_file("fraction_pilot.txt", "0 1\n1 1000000.5\n2 3\n"), "0", "2"});
    EXPECT_EQ(fraction.status, 1);
    EXPECT_TRUE(fraction.err.starts_with(" The frequencies in column two of the data file must all be positive integers"))
        << fraction.err;
}
