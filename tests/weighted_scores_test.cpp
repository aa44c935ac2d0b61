// Weighted norms through vornak-batch scores: a weight variable, raking to margins, and what
// the outputs say of the weighting.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/batch_outcome.hpp"
#include "tests/support/statistics_writer.hpp"
#include "tests/support/temp_files.hpp"

namespace {

// Fields of the CSV's lines, by column name, the header's names in order.
struct Csv {
    std::vector<std::string> names;
    std::vector<std::map<std::string, std::string>> rows;
};

Csv parsed(const std::string& text)
{
    Csv csv;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::istringstream header(line);
    for (std::string name; std::getline(header, name, ',');)
        csv.names.push_back(name);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::map<std::string, std::string> row;
        std::string field;
        for (const std::string& name : csv.names) {
            std::getline(fields, field, ',');
            row[name] = field;
        }
        csv.rows.push_back(std::move(row));
    }
    return csv;
}

// 60 children of two regions and two sexes, north over-represented, scores 0 to 9; `weight`
// gives each child's weight from its index.
std::string children(const std::function<std::string(int)>& weight)
{
    std::string text = "id,region,zone,sex,w,raw\n";
    for (int i = 0; i < 60; ++i) {
        const std::string region = i % 4 == 3 ? "south" : "north";
        text += std::to_string(i) + "," + region + "," + region + "," + (i % 3 == 0 ? "f" : "m") +
                "," + weight(i) + "," + std::to_string((i * 7 + i / 10) % 10) + "\n";
    }
    return text;
}

Outcome scores(std::vector<std::string> more, const std::string& file)
{
    std::vector<std::string> arguments = {"scores", "--score", "raw", "--csv"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.insert(arguments.end(), {"0", "9", file});
    return batch(arguments);
}

// The file's bytes with the double `from` replaced by `to`, as no writer would put it there:
// an infinity, a NaN, or a number beyond the format's range.
std::string with_double(std::string bytes, double from, double to)
{
    const std::string pattern(reinterpret_cast<const char*>(&from), sizeof from);
    const std::size_t at = bytes.find(pattern);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos)
        bytes.replace(at, sizeof to, reinterpret_cast<const char*>(&to), sizeof to);
    return bytes;
}

Outcome weighted_statistics(const std::string& name, const std::string& bytes)
{
    return batch({"scores", "--score", "raw", "--weight", "w", "--csv", "0", "9", write_temp_file(name, bytes)});
}

std::string not_a_weight(const std::string& place, const std::string& shown)
{
    return place + ", variable \"w\": " + shown + " is not a weight: a weight is a finite number above 0.\n";
}

}  // namespace

TEST(WeightedScores, EqualWeightsGiveTheUnweightedTableAndScalingChangesNothing)
{
    const std::string ones = write_temp_file("ones.csv", children([](int) { return "1"; }));
    const std::string threes = write_temp_file("threes.csv", children([](int) { return "3"; }));
    const std::string mixed = write_temp_file("mixed.csv", children([](int i) { return i % 4 == 3 ? "3" : "1"; }));
    const std::string doubled = write_temp_file("doubled.csv", children([](int i) { return i % 4 == 3 ? "6" : "2"; }));
    const Outcome plain = scores({}, ones);
    ASSERT_EQ(plain.status, 0) << plain.err;
    const Csv unweighted = parsed(plain.out);
    for (const std::string& file : {ones, threes}) {
        const Outcome weighted = scores({"--weight", "w"}, file);
        ASSERT_EQ(weighted.status, 0) << weighted.err;
        const Csv csv = parsed(weighted.out);
        ASSERT_EQ(csv.rows.size(), unweighted.rows.size());
        EXPECT_EQ(csv.names[1], "frequency");
        EXPECT_EQ(csv.names[2], "weighted_frequency");
        EXPECT_EQ(csv.names[3], "effective_frequency");
        for (std::size_t r = 0; r < csv.rows.size(); ++r)
            for (const std::string column : {"frequency", "below", "pr", "lower95", "upper95", "lower90", "upper90"})
                EXPECT_EQ(csv.rows[r].at(column), unweighted.rows[r].at(column)) << file << r << column;
        EXPECT_EQ(csv.rows[4].at("effective_frequency"), unweighted.rows[4].at("frequency"));
        EXPECT_EQ(csv.rows[0].at("design_effect"), "1");
    }
    const Outcome once = scores({"--weight", "w"}, mixed);
    const Outcome twice = scores({"--weight", "w"}, doubled);
    ASSERT_EQ(once.status, 0) << once.err;
    // Only the sum of the weights tells the two apart.
    Csv doubled_csv = parsed(twice.out);
    for (auto& row : doubled_csv.rows) {
        EXPECT_EQ(row.at("sum_of_weights"), "180");
        row["sum_of_weights"] = "90";
    }
    EXPECT_EQ(doubled_csv.rows, parsed(once.out).rows);
    EXPECT_NE(once.out, plain.out);
    // 45 cases of weight 1 and 15 of 3: n_eff = 90² / 180 = 45, design effect 60 / 45.
    const Csv csv = parsed(once.out);
    EXPECT_EQ(csv.rows[0].at("effective_size"), "45");
    EXPECT_EQ(csv.rows[0].at("design_effect"), "1.3333333333333333");
    int effective = 0;
    for (const auto& row : csv.rows)
        effective += std::stoi(row.at("effective_frequency"));
    EXPECT_EQ(effective, 45);
}

TEST(WeightedScores, WeightsAreCheckedAndAMissingOneSkipsTheCase)
{
    const std::string missing = write_temp_file("missing_w.csv", children([](int i) { return i == 5 ? "" : "1"; }));
    const Outcome run = scores({"--weight", "w"}, missing);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "1 missing weight skipped\n");
    for (const std::string bad : {"0", "-1", "x", "inf"}) {
        const std::string file = write_temp_file("bad_w.csv", children([&](int i) { return i == 7 ? bad : "1"; }));
        const Outcome refused = scores({"--weight", "w"}, file);
        EXPECT_EQ(refused.status, 1) << bad;
        EXPECT_EQ(refused.err, "line 9, column \"w\": \"" + bad +
                                   "\" is not a weight: a weight is a finite number above 0.\n");
        EXPECT_EQ(refused.out, "");
    }
    const Outcome files = batch({"scores", "--score", "raw", "--weight", "w", "--write-frequencies",
                                 testing::TempDir() + "never", "0", "9", missing});
    EXPECT_EQ(files.status, 2);
    EXPECT_TRUE(files.err.starts_with(
        "vornak-batch: --write-frequencies writes counts, which weighted cases do not give\n"));
}

TEST(WeightedScores, RakingMeetsTheMarginsAndItsRefusalsNameTheCause)
{
    const std::string data = write_temp_file("rake.csv", children([](int) { return "1"; }));
    const std::string margins = write_temp_file("margins.csv",
                                                "variable,value,share\nregion,north,0.5\nregion,south,0.5\n"
                                                "sex,f,0.5\nsex,m,0.5\n");
    const std::string weights = testing::TempDir() + "weights.csv";
    const Outcome raked = scores({"--rake", margins, "--write-weights", weights}, data);
    ASSERT_EQ(raked.status, 0) << raked.err;
    // The weights written make each margin's weighted share what the margins say.
    std::istringstream lines(file_content(weights));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "case,weight");
    std::map<std::string, double> region, sex;
    double total = 0;
    for (int i = 0; std::getline(lines, line); ++i) {
        const double w = std::stod(line.substr(line.find(',') + 1));
        EXPECT_EQ(line.substr(0, line.find(',')), std::to_string(i + 1));
        region[i % 4 == 3 ? "south" : "north"] += w;
        sex[i % 3 == 0 ? "f" : "m"] += w;
        total += w;
    }
    EXPECT_NEAR(total, 60, 1e-9);  // a mean of 1
    for (const auto* shares : {&region, &sex})
        for (const auto& [level, weight] : *shares)
            EXPECT_NEAR(weight / total, 0.5, 1e-9) << level;
    EXPECT_TRUE(parsed(raked.out).rows[0].at("design_effect") > "1");

    const auto refusal = [&](const std::string& text) {
        return scores({"--rake", write_temp_file("bad_margins.csv", text)}, data).err;
    };
    EXPECT_EQ(refusal("variable,value,share\nregion,north,0.5\nregion,south,0.4\n"),
              "The shares of \"region\" in the margins add up to 0.9, not 1.\n");
    EXPECT_EQ(refusal("variable,value,share\nregion,north,0.5\nregion,east,0.5\n"),
              "line 5, column \"region\": \"south\" has no share in the margins.\n");
    EXPECT_EQ(refusal("variable,value,share\nregion,north,0.4\nregion,south,0.3\nregion,east,0.3\n"),
              "The margins give \"region\" = \"east\" a share, but no case has it.\n");
    const std::string school = write_temp_file("school_margins.csv", "variable,value,share\nschool,a,1\n");
    const std::string lacking = "The margins file \"" + school + "\" has the variable \"school\", which the data "
                                "file does not have.\n";
    EXPECT_EQ(scores({"--rake", school}, data).err, lacking);
    const std::string sav = write_temp_file(
        "rake.sav", test_files::StatisticsFile(".sav", {test_files::Numeric("raw")}, {{1.0}, {2.0}, {3.0}}));
    EXPECT_EQ(scores({"--rake", school}, sav).err, lacking);
    // The same division of the cases, under two names, with other shares each.
    EXPECT_EQ(refusal("variable,value,share\nregion,north,0.5\nregion,south,0.5\nsex,f,0.5\nsex,m,0.5\n"
                      "zone,north,0.8\nzone,south,0.2\n"),
              "Raking to the margins of \"region\", \"zone\" did not converge in 1000 passes; the "
              "margins may be impossible to meet together.\n");
}

TEST(WeightedScores, AnSpssFilesOwnWeightIsNamedButNotApplied)
{
    using namespace test_files;
    Variable weight = Numeric("wt");
    weight.file_weight = true;
    std::vector<std::vector<Cell>> cases;
    for (int i = 0; i < 6; ++i)
        cases.push_back({double(i % 3), double(1 + i % 2)});
    const std::string sav = write_temp_file("fweight.sav", StatisticsFile(".sav", {Numeric("raw"), weight}, cases));
    const Outcome plain = batch({"scores", "--score", "raw", "--csv", "0", "2", sav});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err, "the file names \"wt\" as its weight variable, which is not applied unless "
                         "chosen as the weight (--weight wt)\n");
    const Outcome weighted = batch({"scores", "--score", "raw", "--weight", "wt", "--csv", "0", "2", sav});
    ASSERT_EQ(weighted.status, 0) << weighted.err;
    EXPECT_EQ(weighted.err, "");
    // The report's notes give the weighting.
    const Outcome report = batch({"scores", "--score", "raw", "--weight", "wt", "0", "2", sav});
    EXPECT_NE(report.out.find("Weighted: 6 cases, weights adding up to 9.0, effective sample size 5.4, "
                              "design effect 1.11"),
              std::string::npos)
        << report.out;
}

TEST(WeightedScores, EveryReaderSkipsAMissingWeightApartFromMissingScoresAndRefusesAnyOther)
{
    using namespace test_files;
    std::string text = "raw,w\n1,1\n,1\n2,\n3,NA\n4,2\n5,1\n6,1\n";
    Outcome run = batch({"scores", "--score", "raw", "--weight", "w", "--csv", "0", "9",
                         write_temp_file("gaps.csv", text)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "1 missing score skipped\n2 missing weights skipped\n");

    // System-missing, user-missing (SPSS) and extended missing (Stata) weights are missing.
    const std::vector<std::vector<Cell>> gaps = {{1.0, 1.0}, {NAN, 1.0}, {2.0, NAN}, {3.0, 9.0},
                                                 {4.0, 2.0}, {5.0, 1.0}, {6.0, 1.0}};
    run = weighted_statistics("gaps.sav", StatisticsFile(".sav", {Numeric("raw"), Numeric("w", {}, {9})}, gaps));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "1 missing score skipped\n2 missing weights skipped\n");
    std::vector<std::vector<Cell>> stata_gaps = gaps;
    stata_gaps[3][1] = 'a';
    run = weighted_statistics("gaps.dta", StatisticsFile(".dta", {Numeric("raw"), Numeric("w")}, stata_gaps));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "1 missing score skipped\n2 missing weights skipped\n");
    std::vector<std::vector<Cell>> sas_gaps = gaps;
    sas_gaps[3][1] = 'A';  // SAS's special missing values are capitals
    run = weighted_statistics("gaps.xpt", StatisticsFile(".xpt", {Numeric("raw"), Numeric("w")}, sas_gaps));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "1 missing score skipped\n2 missing weights skipped\n");

    // A weight that is there but no finite number above 0 is refused in every reader alike.
    const std::vector<std::vector<Cell>> placeholder = {{1.0, 1.0}, {2.0, 1001.0}};
    const std::string sav = StatisticsFile(".sav", {Numeric("raw"), Numeric("w")}, placeholder);
    const std::string dta = StatisticsFile(".dta", {Numeric("raw"), Numeric("w")}, placeholder);
    EXPECT_EQ(weighted_statistics("inf.sav", with_double(sav, 1001, INFINITY)).err, not_a_weight("case 2", "inf"));
    EXPECT_EQ(weighted_statistics("ninf.sav", with_double(sav, 1001, -INFINITY)).err, not_a_weight("case 2", "-inf"));
    // Stata reads a double beyond its largest number as a missing code, but none of these is one.
    for (const double beyond : {double(INFINITY), double(NAN), DBL_MAX}) {
        run = weighted_statistics("beyond.dta", with_double(dta, 1001, beyond));
        EXPECT_EQ(run.status, 1) << beyond;
        EXPECT_EQ(run.err, not_a_weight("case 2", "inf")) << beyond;
    }
    for (const std::string string_weight : {"", "NA", "x"}) {
        run = weighted_statistics("text_w.sav", StatisticsFile(".sav", {Numeric("raw"), Text("w")},
                                                               {{1.0, std::string("1")}, {2.0, string_weight}}));
        EXPECT_EQ(run.status, 1) << string_weight;
        EXPECT_EQ(run.err, not_a_weight("case 2", "\"" + string_weight + "\"")) << string_weight;
    }
}

TEST(WeightedScores, WeightsWhoseSumPassesTheRangeOfADoubleAreRefusedWhenRead)
{
    const std::string huge = write_temp_file("huge.csv", children([](int i) { return i < 3 ? "1e308" : "1"; }));
    const std::string sum_refused =
        "line 3, column \"w\": with this weight the weights of \"w\" add up to more than 1.8e308, beyond the "
        "range of a number.\n";
    const Outcome counted = scores({"--weight", "w"}, huge);
    EXPECT_EQ(counted.status, 1);
    EXPECT_EQ(counted.err, sum_refused);
    EXPECT_EQ(counted.out, "");
    const std::string margins =
        write_temp_file("huge_margins.csv", "variable,value,share\nregion,north,0.5\nregion,south,0.5\n");
    EXPECT_EQ(scores({"--weight", "w", "--rake", margins}, huge).err, sum_refused);
    // One weight alone beyond a double, which the extended precision of the reading still holds.
    EXPECT_EQ(scores({"--weight", "w"},
                     write_temp_file("one_huge.csv", children([](int i) { return i == 4 ? "1.8e308" : "1"; })))
                  .err,
              "line 6, column \"w\": with this weight the weights of \"w\" add up to more than 1.8e308, beyond "
              "the range of a number.\n");
    // Just below the limit the sums, and the workbook, hold.
    const Outcome below = scores({"--weight", "w"}, write_temp_file("below.csv", children([](int i) {
                                                                        return i < 2 ? "8e307" : "1";
                                                                    })));
    ASSERT_EQ(below.status, 0) << below.err;
    EXPECT_EQ(parsed(below.out).rows[0].at("sum_of_weights"), "1.6e+308");
}
