// Norm scales in vornak-batch's table and in the rounded table of the window.
#include "norms/write/csv_table.hpp"
#include "norms/write/table_cells.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "norms/batch/batch.hpp"
#include "norms/batch/scores_batch.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/norms_files.hpp"

using namespace norms;

namespace {

constexpr Extended inf = std::numeric_limits<Extended>::infinity();

// The CSV as one map from column name to value per row.
std::vector<std::map<std::string, Extended>> parsed_csv(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::vector<std::string> names;
    std::istringstream header(line);
    for (std::string name; std::getline(header, name, ',');)
        names.push_back(name);
    std::vector<std::map<std::string, Extended>> rows;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::map<std::string, Extended>& row = rows.emplace_back();
        std::string field;
        for (const std::string& name : names) {
            std::getline(fields, field, ',');
            row[name] = std::strtold(field.c_str(), nullptr);  // takes "inf" and "-inf"
        }
    }
    return rows;
}

// Φ through the C library's error function, independent of the quantile the program uses.
Extended normal_cdf(Extended z)
{
    return 0.5L * std::erfc(-z / std::sqrt(Extended(2)));
}

// z equals Φ⁻¹(p) to 1e-12 when Φ(z) lies within the density times 1e-12 of p. A limit of
// exactly 0 or 1 has an infinite z.
void expect_z_of(Extended z, Extended p, const std::string& what)
{
    if (p == 0 || p == 1) {
        EXPECT_EQ(z, p == 0 ? -inf : inf) << what;
        return;
    }
    const Extended density = std::exp(-z * z / 2) / std::sqrt(2 * 3.14159265358979323846L);
    EXPECT_NEAR(normal_cdf(z), p, density * 1e-12L) << what;
}

NormsRun classical_n3_run()
{
    NormsRun run;
    run.row_count = 5;
    run.sample_size = 3;
    run.method = stats::IntervalMethod::classical;
    for (int j = 0; j < 5; ++j) {
        run.table[j].RawScore = j;
        run.table[j].Frequency = (j == 0 || j == 4) ? 0 : 1;
    }
    ComputeNormsTable(run.table, run.row_count, run.sample_size, run.method);
    return run;
}

}  // namespace

TEST(ScaleColumns, AreTheRankColumnsTakenToTheScale)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const Outcome outcome = batch({"--csv", "--method", "classical", "--scale", "T", "--scale",
                                   "stanine", "--scale", "-5,0.5", "0", "4", "3", path});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.starts_with(
        std::string(CsvTableHeader) +
        ",T,T_lower95,T_upper95,T_lower90,T_upper90,stanine,stanine_lower95,stanine_upper95,"
        "stanine_lower90,stanine_upper90,scale_-5_0.5,scale_-5_0.5_lower95,scale_-5_0.5_upper95,"
        "scale_-5_0.5_lower90,scale_-5_0.5_upper90\n"))
        << outcome.out;

    const auto rows = parsed_csv(outcome.out);
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        const std::string score = "raw score " + std::to_string(int(row.at("raw_score")));
        expect_z_of((row.at("T") - 50) / 10, row.at("pr") / 100, score + " T");
        for (const std::string limit : {"lower95", "upper95", "lower90", "upper90"}) {
            const Extended z = (row.at("T_" + limit) - 50) / 10;
            expect_z_of(z, row.at(limit), score + " T_" + limit);
            const Extended custom = row.at("scale_-5_0.5_" + limit);
            if (std::isinf(z))
                EXPECT_EQ(custom, z) << score;
            else
                EXPECT_NEAR(custom, -5 + 0.5L * z, 1e-14L) << score;
            const Extended stanine = row.at("stanine_" + limit);
            EXPECT_EQ(stanine, std::clamp(std::floor(2 * z + 5.5L), 1.0L, 9.0L)) << score;
        }
    }
    // Classical limits of exactly 0 and 1 at the ends are open; stanines stay within 1 … 9.
    EXPECT_EQ(rows[0].at("T"), -inf);
    EXPECT_EQ(rows[0].at("T_lower95"), -inf);
    EXPECT_EQ(rows[0].at("stanine_lower95"), 1);
    EXPECT_EQ(rows[4].at("T_upper90"), inf);
    EXPECT_EQ(rows[4].at("stanine"), 9);
    EXPECT_NE(outcome.out.find(",-inf,"), std::string::npos);

    // A Bayesian lower limit of 2^-16, the bisection's first step from 0, is open too.
    const std::string large = write_temp_file("n10000.txt", "0 5\n1 9995\n");
    const auto bayesian = parsed_csv(batch({"--csv", "--scale", "z", "0", "1", "10000", large}).out);
    ASSERT_EQ(bayesian.size(), 2u);
    EXPECT_EQ(bayesian[0].at("lower95"), 0x1p-16L);
    EXPECT_EQ(bayesian[0].at("z_lower95"), -inf);
    expect_z_of(bayesian[0].at("z"), bayesian[0].at("pr") / 100, "z of 0.025%");

    // The scale columns come before the cut-off columns, whatever the order on the line.
    const Outcome both = batch({"--csv", "--cutoff", "5", "--scale", "z", "0", "4", "3", path});
    EXPECT_TRUE(both.out.starts_with(std::string(CsvTableHeader) +
                                     ",z,z_lower95,z_upper95,z_lower90,z_upper90,prob_below_5\n"))
        << both.out;
}

TEST(ScaleColumns, ScoresFormAddsThemAfterTheGroupTable)
{
    const std::string path =
        write_temp_file("people.csv", "id,band,raw\n1,a,0\n2,a,1\n3,a,2\n4,b,1\n5,b,1\n6,b,2\n");
    const Outcome outcome =
        batch({"scores", "--csv", "--scale", "sten", "--group", "band", "--score", "raw", "0", "2", path});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.starts_with("group," + std::string(CsvTableHeader) +
                                        ",sten,sten_lower95,sten_upper95,sten_lower90,sten_upper90\n"))
        << outcome.out;
    // Group b's score 1: PR 100 × (0 + 1) / 3 = 33.3, z = -0.43, sten ⌊5.14⌋ = 5.
    EXPECT_NE(outcome.out.find("\nb,1,2,0,33.333333333333333,"), std::string::npos) << outcome.out;
}

TEST(ScaleColumns, RefusesUnknownScalesAndBadCustomOnes)
{
    const std::string path = write_temp_file("classical.txt", classical_n3_file);
    const std::string unknown =
        "vornak-batch: --scale takes z, T, IQ, scaled, NCE, stanine, sten or M,SD such as 500,100\n";
    const std::string bad_custom = "vornak-batch: --scale M,SD takes a mean and a standard "
                                   "deviation with \".\" as the decimal point, such as 500,100\n";
    const std::string bad_sd = "vornak-batch: --scale M,SD needs a standard deviation above 0\n";
    const std::string needs_csv =
        "vornak-batch: --scale adds columns to the table, which needs --csv or --xlsx\n";
    const struct {
        std::string scale;
        std::string err;
    } refusals[] = {
        {"t", unknown},          {"stanines", unknown},   {"500", unknown},
        {"500,", bad_custom},    {"500,1,2", bad_custom}, {"5 00,100", bad_custom},
        {"500,inf", bad_custom}, {"500;100", unknown},    {"500,0", bad_sd},
        {"500,-100", bad_sd},
    };
    for (const auto& refusal : refusals) {
        const Outcome outcome = batch({"--csv", "--scale", refusal.scale, "0", "4", "3", path});
        EXPECT_EQ(outcome.status, 2) << refusal.scale;
        EXPECT_EQ(outcome.err, refusal.err + BatchUsage + "\n") << refusal.scale;
        EXPECT_EQ(outcome.out, "");
        const Outcome scores =
            batch({"scores", "--csv", "--scale", refusal.scale, "--score", "raw", "0", "4", path});
        EXPECT_EQ(scores.status, 2);
        EXPECT_EQ(scores.err, refusal.err + ScoresUsage + "\n") << refusal.scale;
    }
    const Outcome without_csv = batch({"--scale", "T", "0", "4", "3", path});
    EXPECT_EQ(without_csv.status, 2);
    EXPECT_EQ(without_csv.err, needs_csv + BatchUsage + "\n");
    const Outcome scores_without_csv = batch({"scores", "--scale", "T", "--score", "raw", "0", "4", path});
    EXPECT_EQ(scores_without_csv.status, 2);
    EXPECT_EQ(scores_without_csv.err, needs_csv + ScoresUsage + "\n");
}

namespace {

// The shown table of the run with one scale, each row's cells as the window shows them.
std::vector<std::vector<std::string>> shown_with(const stats::NormScale& scale, ShownTable* table = nullptr)
{
    TableChoices choices;
    choices.scales = {scale};
    const ShownTable shown = build_shown_table(classical_n3_run(), choices);
    if (table)
        *table = shown;
    std::vector<std::vector<std::string>> rows;
    for (const auto& cells : shown.rows) {
        rows.emplace_back();
        for (const ShownCell& cell : cells)
            rows.back().push_back(cell.shown);
    }
    return rows;
}

}  // namespace

TEST(ShownTable, RoundsAsAManualPrintsAndShowsTheBoundsBeyond)
{
    // Score 2 (PR 50): T 50, 95% ranks 1.7 - 98.3 → z ∓2.12 → T 28.8 - 71.2.
    ShownTable shown;
    const auto t = shown_with(stats::StandardNormScales()[1], &shown);
    EXPECT_EQ(shown.header.size(), 12u);
    EXPECT_EQ(shown.header[7], "T");
    EXPECT_EQ(shown.header[11], "T 90% upper");
    const std::vector<std::string> row0 = {"0", "0", "0.0", "0.0", "70.8", "0.0", "63.2",
                                           "<10", "<10", "55", "<10", "53"};
    EXPECT_EQ(t[0], row0);
    const std::vector<std::string> row2 = {"2", "1", "50", "1.7", "98.3", "3.3", "96.7",
                                           "50", "29", "71", "32", "68"};
    EXPECT_EQ(t[2], row2);
    EXPECT_EQ(t[4][7], ">90");
    // Each cell also holds the value the CSV prints.
    EXPECT_EQ(shown.rows[2][2].csv, "50");
    EXPECT_EQ(shown.rows[2][7].csv, "50");
    EXPECT_EQ(shown.rows[0][8].csv, "-inf");
    // Normal curve equivalents are bounded at 1 and 99: 50 + 21.06 × -2.12 = 5.3 at 1.7%.
    const auto nce = shown_with(stats::StandardNormScales()[4]);
    EXPECT_EQ(nce[2][8], "5");
    EXPECT_EQ(nce[4][8], "38");  // 95% lower 29.2: z = -0.548
    EXPECT_EQ(nce[4][7], ">99");
    EXPECT_EQ(nce[0][8], "<1");

    ShownTable z;
    const auto z_rows = shown_with(stats::StandardNormScales()[0], &z);
    EXPECT_EQ(z_rows[1][7], "-0.97");  // PR 16.7
    EXPECT_EQ(z_rows[4][8], "-0.55");  // 95% lower 29.2
    EXPECT_EQ(z_rows[4][9], ">4.00");
    EXPECT_EQ(TabSeparated(z, {3, 1}),
              "Raw score\tFrequency\tPR\tPR 95% lower\tPR 95% upper\tPR 90% lower\tPR 90% upper\tz\t"
              "z 95% lower\tz 95% upper\tz 90% lower\tz 90% upper\n"
              "3\t1\t83\t13.2\t100.0\t18.9\t100.0\t0.97\t-1.12\t>4.00\t-0.88\t>4.00\n"
              "1\t1\t17\t0.0\t86.8\t0.0\t81.1\t-0.97\t<-4.00\t1.12\t<-4.00\t0.88\n");
}
