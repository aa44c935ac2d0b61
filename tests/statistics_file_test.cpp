#include "norms/read/statistics_file.hpp"

#include <cmath>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "norms/batch/scores_batch.hpp"
#include "norms/count/data_file.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/failure_of.hpp"
#include "tests/support/memory_source.hpp"
#include "tests/support/statistics_writer.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;
using test_files::Cell;
using test_files::Numeric;
using test_files::Text;

namespace {

const double system_missing = std::nan("");

// The scores form's CSV lines of one group, without the group column.
std::string group_rows(const std::string& csv, const std::string& group)
{
    std::istringstream lines(csv);
    std::string rows;
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(group + ","))
            rows += line.substr(group.size() + 1) + "\n";
    return rows;
}

// The frequency form's table for counts made here, without its header line.
std::string frequency_form_rows(const std::vector<int>& frequencies, int min_score)
{
    std::string file;
    int n = 0;
    for (std::size_t j = 0; j < frequencies.size(); ++j) {
        file += std::to_string(min_score + static_cast<int>(j)) + " " + std::to_string(frequencies[j]) + "\n";
        n += frequencies[j];
    }
    const Outcome run = batch({"--method", "classical", "--csv", std::to_string(min_score),
                               std::to_string(min_score + static_cast<int>(frequencies.size()) - 1),
                               std::to_string(n), write_temp_file("counts.txt", file)});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out.substr(run.out.find('\n') + 1);
}

// Runs the scores form on the cases written as a file with the given ending.
Outcome scores_of(const std::string& ending, const std::vector<test_files::Variable>& variables,
                  const std::vector<std::vector<Cell>>& cases, std::vector<std::string> arguments)
{
    const std::string path = write_temp_file("persons" + ending, test_files::StatisticsFile(ending, variables, cases));
    arguments.insert(arguments.begin(), "scores");
    arguments.push_back(path);
    return batch(arguments);
}

}  // namespace

TEST(StatisticsFile, SpssGroupsComeByCodeUnderTheirLabelsAndUserMissingCodesAreMissing)
{
    // Codes 8 to 10 carry labels, whose text order ("10 years" first) differs from the codes';
    // 11 has none. 99 is a missing code and 90 to 95 a missing range of the score.
    const std::vector<test_files::Variable> variables = {
        Numeric("id"),
        Numeric("age_band", {{8, "8 years"}, {9, "9 years"}, {10, "10 years"}}),
        Numeric("raw", {}, {99}, {{90, 95}}),
    };
    const std::vector<std::vector<Cell>> cases = {
        {1.0, 9.0, 3.0},  {2.0, 8.0, 99.0}, {3.0, 10.0, 1.0}, {4.0, 8.0, 2.0},
        {5.0, 11.0, 0.0}, {6.0, 9.0, 92.0}, {7.0, 8.0, 2.0},  {8.0, system_missing, 3.0},
        {9.0, 10.0, 4.0}, {10.0, 9.0, 3.0}, {11.0, 8.0, 0.0}, {12.0, 10.0, system_missing},
        {13.0, 11.0, 4.0}, {14.0, 9.0, 1.0}, {15.0, 10.0, 4.0}, {16.0, 11.0, 4.0},
    };
    for (const std::string ending : {".sav", ".zsav"}) {
        const Outcome run = scores_of(ending, variables, cases,
                                      {"--method", "classical", "--csv", "--group", "age_band", "--score", "raw", "0", "4"});
        ASSERT_EQ(run.status, 0) << ending << run.err;
        EXPECT_EQ(run.err, "1 case with no age_band value skipped\n"
                           "group 8 years: 1 missing score skipped\n"
                           "group 9 years: 1 missing score skipped\n"
                           "group 10 years: 1 missing score skipped\n") << ending;
        EXPECT_EQ(run.out.substr(0, run.out.find("\n8 years")), std::string("group,") + "raw_score,frequency,below,pr,lower95,upper95,lower90,upper90");
        const std::string order = run.out.substr(run.out.find('\n') + 1);
        EXPECT_LT(order.find("8 years,"), order.find("9 years,"));
        EXPECT_LT(order.find("9 years,"), order.find("10 years,"));
        EXPECT_LT(order.find("10 years,"), order.find("\n11,"));
        EXPECT_EQ(group_rows(run.out, "8 years"), frequency_form_rows({1, 0, 2, 0, 0}, 0)) << ending;
        EXPECT_EQ(group_rows(run.out, "9 years"), frequency_form_rows({0, 1, 0, 2, 0}, 0)) << ending;
        EXPECT_EQ(group_rows(run.out, "10 years"), frequency_form_rows({0, 1, 0, 0, 2}, 0)) << ending;
        EXPECT_EQ(group_rows(run.out, "11"), frequency_form_rows({1, 0, 0, 0, 2}, 0)) << ending;
    }
}

TEST(StatisticsFile, StataStringGroupsSortAsTextAndExtendedMissingIsMissing)
{
    const std::vector<test_files::Variable> variables = {Numeric("raw"), Text("school")};
    const std::vector<std::vector<Cell>> cases = {
        {5.0, std::string("north")}, {6.0, std::string("East")},  {'a', std::string("north")},
        {7.0, std::string("north")}, {5.0, std::string("East")},  {7.0, std::string("")},
        {'z', std::string("East")},  {6.0, std::string("north")}, {7.0, std::string("East")},
        {6.0, std::string("north")},
    };
    const Outcome run = scores_of(".DTA", variables, cases,
                                  {"--method", "classical", "--csv", "--group", "school", "--score", "raw", "5", "7"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "1 case with no school value skipped\n"
                       "group East: 1 missing score skipped\n"
                       "group north: 1 missing score skipped\n");
    EXPECT_LT(run.out.find("\nEast,"), run.out.find("\nnorth,"));
    EXPECT_EQ(group_rows(run.out, "East"), frequency_form_rows({1, 1, 1}, 5));
    EXPECT_EQ(group_rows(run.out, "north"), frequency_form_rows({1, 2, 1}, 5));
}

TEST(StatisticsFile, BadFilesAndScoresStopTheRunWithTheirCaseOrFile)
{
    const std::vector<test_files::Variable> variables = {Numeric("id"), Numeric("raw")};
    const std::string sav = test_files::StatisticsFile(".sav", variables, {{1.0, 3.0}, {2.0, 4.5}, {3.0, 2.0}});
    const std::string whole = test_files::StatisticsFile(".sav", variables, {{1.0, 3.0}, {2.0, 4.0}, {3.0, 2.0}});
    const PersonScoreLayout layout{',', "raw", "", 0, 5, ""};
    const auto failure = [&](const std::string& bytes, const PersonScoreLayout& l) {
        return failure_of([&] {
            MemorySource source(bytes);
            count_person_file(source, person_data_file("x.sav", l), l);
        });
    };
    EXPECT_EQ(failure(sav, layout), "case 2, variable \"raw\": 4.5 is not a whole number from 0 to 5; "
              "for scores with decimals choose a step, such as 0.1");
    EXPECT_EQ(failure(sav, {',', "raw", "", 3, 5, ""}), "case 2, variable \"raw\": 4.5 is not a whole number from 3 to 5; "
              "for scores with decimals choose a step, such as 0.1");
    EXPECT_EQ(failure(sav, {',', "score", "", 0, 5, ""}),
              "The file has no variable named \"score\"; its variables are: id, raw");
    EXPECT_EQ(failure(sav, {',', "raw", "band", 0, 5, ""}),
              "The file has no variable named \"band\"; its variables are: id, raw");

    // Cut inside the cases, and inside the dictionary: both name the file, and standard
    // output stays empty.
    for (const std::size_t size : {whole.size() - 5, std::size_t{100}}) {
        const std::string path = write_temp_file("cut.sav", whole.substr(0, size));
        const Outcome run = batch({"scores", "--score", "raw", "0", "5", path});
        EXPECT_EQ(run.status, 1) << size;
        EXPECT_TRUE(run.err.starts_with("\"" + path + "\" cannot be read as an SPSS file: ")) << run.err;
        EXPECT_EQ(run.out, "");
    }

    // A damaged dictionary where ReadStat gives a variable no name, found by the fuzzer.
    const std::string nameless = file_content(VORNAK_SOURCE_DIR "/tests/data/nameless_variable.sav");
    ASSERT_FALSE(nameless.empty());
    EXPECT_EQ(failure(nameless, {',', "raw", "age_band", 0, 30, ""}),
              "The file has no variable named \"age_band\"; its variables are: age_bad, SEX, raw");

    const Outcome spreadsheet = batch({"scores", "--score", "raw", "0", "5", "norms.XLSX"});
    EXPECT_EQ(spreadsheet.status, 2);
    EXPECT_TRUE(spreadsheet.err.starts_with("vornak-batch: norms.XLSX: this kind of file cannot be read"));
    EXPECT_EQ(spreadsheet.out, "");
}

// Every reader hands its cases to the one counter, so the limit on groups and the way values
// are shown in messages are the same for delimited text and for statistics files.
TEST(StatisticsFile, EveryReaderMeetsTheSameCounter)
{
    const std::vector<std::string> score = {"--score", "raw", "0", "5"};
    const auto run = [&](const std::string& path, std::vector<std::string> more) {
        more.insert(more.begin(), "scores");
        more.insert(more.end(), score.begin(), score.end());
        more.push_back(path);
        return batch(more);
    };
    // An id picked as the group: 1,001 distinct values, one score each.
    std::string csv = "id,raw\n";
    std::vector<std::vector<Cell>> cases;
    for (int id = 0; id <= 1000; ++id) {
        csv += std::to_string(id) + ",3\n";
        cases.push_back({double(id), 3.0});
    }
    const std::vector<test_files::Variable> variables = {Numeric("id"), Numeric("raw")};
    const std::string limit =
        "The group column \"id\" has 1001 distinct values, more than the 1000 norm "
        "groups a run takes; check that it is the group column.\n";
    for (const std::string ending : {".sav", ".dta"}) {
        const Outcome many = run(write_temp_file("many" + ending, test_files::StatisticsFile(ending, variables, cases)),
                                 {"--group", "id"});
        EXPECT_EQ(many.status, 1) << ending;
        EXPECT_EQ(many.err, limit) << ending;
        EXPECT_EQ(many.out, "");
    }
    EXPECT_EQ(run(write_temp_file("many.csv", csv), {"--group", "id"}).err, limit);

    // A group value, a score and a variable's name with a terminal's escape and a line end are
    // shown escaped; a long value is cut.
    const std::vector<test_files::Variable> texts = {Text("grp"), Text("raw")};
    const std::string escape = "\x1b[2J\nx";
    const std::string wide_score = write_temp_file(
        "long_score.sav",
        test_files::StatisticsFile(".sav", {Text("grp"), Text("raw", 32000)},
                                   {{escape, std::string("1")}, {std::string("b"), std::string(32000, '7')}}));
    const Outcome long_score = run(wide_score, {"--group", "grp"});
    EXPECT_EQ(long_score.err, "case 2, variable \"raw\": \"" + std::string(80, '7') +
                                  "…\" is not a whole number from 0 to 5.\n");
    const std::string small = write_temp_file(
        "small.dta", test_files::StatisticsFile(".dta", texts, {{escape, std::string("1")},
                                                                {std::string("b"), std::string("2")}}));
    EXPECT_EQ(run(small, {"--group", "grp"}).err,
              "group \\x1B[2J\\x0Ax: only 1 score; a norm group needs at least 3.\n"
              "group b: only 1 score; a norm group needs at least 3.\n");
    EXPECT_EQ(batch({"scores", "--score", escape, "0", "5", small}).err,
              "The file has no variable named \"\\x1B[2J\\x0Ax\"; its variables are: grp, raw.\n");

    // Of a file with many variables, the message lists the first twenty.
    std::vector<test_files::Variable> wide;
    for (int v = 0; v < 5000; ++v)
        wide.push_back(Numeric("v" + std::to_string(v)));
    const std::string wide_file = write_temp_file(
        "wide.sav", test_files::StatisticsFile(".sav", wide, {std::vector<Cell>(5000, 1.0)}));
    EXPECT_EQ(batch({"scores", "--score", "raw", "0", "5", wide_file}).err,
              "The file has no variable named \"raw\"; its variables are: v0, v1, v2, "
              "v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14, v15, v16, v17, v18, v19 … and "
              "4980 more.\n");

    const std::string cut = write_temp_file("cut\x1b.sav", test_files::StatisticsFile(".sav", texts, {}).substr(0, 100));
    EXPECT_TRUE(batch({"scores", "--score", "raw", "0", "5", cut}).err.starts_with(
        "\"" + testing::TempDir() + "cut\\x1B.sav\" cannot be read as an SPSS file: "));
}

TEST(StatisticsFile, GroupCodesAreNamedSoThatEveryGroupCanBeToldApart)
{
    // Whole codes in digits; a label that two codes share, or an empty one, shows its code.
    const std::vector<test_files::Variable> variables = {
        Numeric("band", {{2, "adults"}, {3, "adults"}, {4, ""}, {5, "youths"}}), Numeric("raw")};
    std::vector<std::vector<Cell>> cases;
    for (double code : {2.0, 3.0, 4.0, 5.0, 100000.0, 2000000.0, 2.5})
        for (int i = 0; i < 3; ++i)
            cases.push_back({code, 1.0});
    const std::string sav = write_temp_file("codes.sav", test_files::StatisticsFile(".sav", variables, cases));
    const Outcome run = batch({"scores", "--group", "band", "--score", "raw", "--csv", "0", "1", sav});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> groups;  // each group's name, in the order of the tables
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line))
        if (const std::string name = line.substr(0, line.find(',')); groups.empty() || groups.back() != name)
            groups.push_back(name);
    EXPECT_EQ(groups, (std::vector<std::string>{"adults (2)", "2.5", "adults (3)", "4", "youths",
                                                "100000", "2000000"}));
}

TEST(StatisticsFile, TextsAreUtf8OrTheirEncodingIsNamed)
{
    const std::vector<test_files::Variable> variables = {Text("school"), Numeric("raw")};
    std::vector<std::vector<Cell>> cases;
    for (int i = 0; i < 3; ++i)
        cases.push_back({std::string("M\xE4nner"), 1.0});
    // A Stata file from format 118 on declares UTF-8, which these bytes are not.
    const std::string dta = write_temp_file("latin.dta", test_files::StatisticsFile(".dta", variables, cases));
    const Outcome refused = batch({"scores", "--group", "school", "--score", "raw", "--csv", "0", "1", dta});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "case 1, variable \"school\": the text is not UTF-8; name "
                           "the file's encoding with --encoding, for example --encoding windows-1252.\n");
    const Outcome named = batch({"scores", "--group", "school", "--score", "raw", "--csv",
                                 "--encoding", "windows-1252", "0", "1", dta});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(named.out.find("\nM\u00E4nner,0,0,") != std::string::npos) << named.out;
}

// Stata's format 114 keeps a value-label set's name in a slot of 33 bytes, which ReadStat hands
// over as it stands: a name that fills the slot has no NUL after it.
TEST(StatisticsFile, ALabelSetNameThatFillsItsSlotIsReadWithinIt)
{
    const std::string name(32, 'L');
    const std::vector<test_files::Variable> variables = {
        Numeric("raw"), {"grp", false, {{1, "one"}}, {}, {}, name}};
    std::string bytes =
        test_files::StatisticsFile(".dta", variables, {{1.0, 1.0}, {2.0, 1.0}, {3.0, 1.0}}, 114);
    const std::size_t slot = bytes.find(name + '\0');
    ASSERT_NE(slot, std::string::npos);
    bytes[slot + name.size()] = 'L';
    const std::string path = write_temp_file("full_slot.dta", bytes);
    const Outcome run = batch({"scores", "--group", "grp", "--score", "raw", "--csv", "0", "3", path});
    ASSERT_EQ(run.status, 0) << run.err;
    // The set's name no longer matches its labels' table, so the code names the group.
    EXPECT_TRUE(run.out.starts_with("group,raw_score,") && run.out.find("\n1,0,") != std::string::npos)
        << run.out;
}
