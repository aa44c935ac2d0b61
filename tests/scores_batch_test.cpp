#include "norms/batch/scores_batch.hpp"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "norms/batch/batch.hpp"
#include "norms/tables/norms_table.hpp"
#include "norms/write/group_files.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;

namespace {

Outcome scores(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "scores");
    return batch(arguments);
}

// The lines of `text` that start with `prefix`, without it.
std::string lines_after(const std::string& text, const std::string& prefix)
{
    std::istringstream lines(text);
    std::string result;
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(prefix))
            result += line.substr(prefix.size()) + "\n";
    return result;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(ScoresBatch, EachGroupIsTheExistingFormRunOnItsWrittenFrequencyFile)
{
    // Group "y/z" needs its file name made safe; text order puts "10" first.
    const std::string path = write_temp_file(
        "persons.csv", "id,band,raw\n1,x,3\n2,y/z,1\n3,10,6\n4,x,3\n5,y/z,NA\n6,10,6\n7,x,5\n"
                       "8,y/z,2\n9,10,1\n10,x,\n11,y/z,6\n12,10,4.0\n13,x,1\n");
    const std::string folder = testing::TempDir() + "frequencies/";
    std::filesystem::create_directories(folder);
    write_temp_file("frequencies/x.txt", "an older file");

    const std::vector<std::string> options = {"--method", "mid-p", "--group", "band", "--score",
                                              "raw", "--write-frequencies", folder};
    std::vector<std::string> csv_arguments = options;
    csv_arguments.insert(csv_arguments.end(), {"--csv", "1", "6", path});
    const Outcome csv = scores(csv_arguments);
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.err, "group x: 1 missing score skipped\ngroup y/z: 1 missing score skipped\n");
    EXPECT_TRUE(csv.out.starts_with("group,raw_score,frequency,below,pr,"));

    std::vector<std::string> text_arguments = options;
    text_arguments.insert(text_arguments.end(), {"--notes", "Spring norms\n", "1", "6", path});
    const Outcome text = scores(text_arguments);
    ASSERT_EQ(text.status, 0);

    std::string expected_text;
    for (const auto& [group, file, n] : {std::tuple{"10", "10.txt", "4"}, {"x", "x.txt", "4"},
                                        {"y/z", "y_z.txt", "3"}}) {
        const Outcome existing = batch({"--method", "mid-p", "--csv", "1", "6", n, folder + file});
        ASSERT_EQ(existing.status, 0) << group << existing.err;
        EXPECT_EQ(lines_after(csv.out, std::string(group) + ","), existing.out.substr(existing.out.find('\n') + 1))
            << group;
        const Outcome report = batch({"--method", "mid-p", "--notes",
                                  "Group: band = " + std::string(group) + "\nSpring norms", "1",
                                  "6", n, folder + file});
        expected_text += (expected_text.empty() ? "" : std::string(36, '-') + "\n") +
                         replaced(report.out, " " + folder + file + "\n", " " + path + "\n");
    }
    EXPECT_EQ(text.out, expected_text);
    EXPECT_EQ(file_content(folder + "x.txt"), "1 1\r\n2 0\r\n3 2\r\n4 0\r\n5 1\r\n6 0\r\n");

    // Without --group: one table, no group column, one file.
    const Outcome whole = scores({"--score", "raw", "--csv", "--write-frequencies", folder, "1", "6", path});
    EXPECT_EQ(whole.err, "2 missing scores skipped\n");
    EXPECT_TRUE(whole.out.starts_with("raw_score,frequency,below,pr,"));
    EXPECT_EQ(file_content(folder + "frequencies.txt"), "1 3\r\n2 1\r\n3 2\r\n4 1\r\n5 1\r\n6 3\r\n");
}

TEST(ScoresBatch, RefusalsAndFailuresLeaveStandardOutputEmpty)
{
    const std::string small = write_temp_file(
        "small.csv", "band;raw\na;1\na;2\na;3\nb;1\nb;NA\nb;2\nb;.\nc;4\n");
    const std::string clash = write_temp_file("clash.csv", "band,raw\na/b,1\na:b,1\na/b,1\na:b,1\n"
                                                           "a/b,1\na:b,1\n");
    const std::string accents = write_temp_file("accents.csv", "band,raw\n\u00C9,1\n\u00E9,1\n\u00C9,1\n"
                                                               "\u00E9,1\n\u00C9,1\n\u00E9,1\n");
    const std::string clash_folder = testing::TempDir() + "clash/";
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"--delimiter", ";", "--group", "band", "--score", "raw", "1", "6", small},
         "group b: 2 missing scores skipped\n"
         "group b: only 2 scores; a norm group needs at least 3.\n"
         "group c: only 1 score; a norm group needs at least 3.\n"},
        {{"--group", "band", "--score", "raw", "1", "6", small},
         "The header line has no column named \"raw\"\n"},
        {{"--group", "band", "--score", "raw", "--write-frequencies", clash_folder, "1", "6", clash},
         "Groups \"a/b\" and \"a:b\" would both be written to \"a_b.txt\"\n"},
        {{"--group", "band", "--score", "raw", "--write-frequencies", clash_folder, "1", "6", accents},
         "Groups \"\u00C9\" and \"\u00E9\" would both be written to \"\u00E9.txt\"\n"},
        {{"--score", "raw", "6", "1", small}, "The maximum raw score is below the minimum raw score.\n"},
        {{"--score", "raw", "0", "100000", small},
         "From the minimum raw score to the maximum there are 100001 raw score values: a table from per-person "
         "data takes at most 100000.\n"},
        {{"--score", "raw", "1", "6", small + "x"}, "File not found.\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = scores(c.arguments);
        EXPECT_EQ(run.status, 1) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(clash_folder));

    for (const auto& [arguments, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"1", "6", small}, "--score"},
             {{"--score", "raw", "1", small}, "FILE"},
             {{"--score", "raw", "--plot", "chart.svg", "1", "6", small}, "--plot"},
             {{"--delimiter", "|", "--score", "raw", "1", "6", small},
              "vornak-batch: --delimiter takes \",\", \";\" or a tab\n"},
             {{"--score", "", "1", "6", small}, "vornak-batch: --score takes a column name\n"},
             {{"--score", "raw", "--csv", "--method", "mid-p", "--cutoff", "5", "1", "6", small},
              "vornak-batch: --cutoff gives a posterior probability, which needs the Bayesian method\n"},
             {{"--score", "raw", "--cutoff", "5", "1", "6", small},
              "vornak-batch: --cutoff adds columns to the table, which needs --csv or --xlsx\n"}}) {
        const Outcome run = scores(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.starts_with("vornak-batch: ")) << run.err;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        EXPECT_TRUE(run.err.ends_with("\n" + ScoresUsage + "\n")) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(ScoresBatch, CutoffColumnsAreEachGroupsOwn)
{
    // Groups of different sizes: a column computed with the whole sample's n, or with the
    // wrong group's, differs from the group's own frequency file run.
    const std::string path = write_temp_file(
        "cutoff_persons.csv", "band,raw\na,1\na,2\na,2\nb,1\nb,3\nb,3\nb,2\nb,3\nb,1\n");
    const std::string folder = testing::TempDir() + "cutoff_frequencies/";
    const Outcome table = scores({"--group", "band", "--score", "raw", "--csv", "--cutoff", "25",
                                  "--cutoff", "50", "--write-frequencies", folder, "1", "3", path});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(table.out.starts_with("group,raw_score,frequency,below,pr,lower95,upper95,lower90,"
                                      "upper90,prob_below_25,prob_below_50\n"))
        << table.out;
    for (const auto& [group, n] : {std::pair{"a", "3"}, {"b", "6"}}) {
        const Outcome existing = batch({"--csv", "--cutoff", "25", "--cutoff", "50", "1", "3", n,
                                        folder + group + ".txt"});
        ASSERT_EQ(existing.status, 0) << existing.err;
        EXPECT_EQ(lines_after(table.out, std::string(group) + ","),
                  existing.out.substr(existing.out.find('\n') + 1))
            << group;
    }
}

TEST(ScoresBatch, GroupFilesAreAllOrNothingAndNeverWrittenThroughALink)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(testing::TempDir()) / "group_files";
    const fs::path outside = fs::path(testing::TempDir()) / "group_files_outside";
    fs::remove_all(folder);
    fs::remove_all(outside);
    fs::create_directories(folder);
    fs::create_directories(outside);
    const std::string victim = write_temp_file("group_files_outside/victim.txt", "victim");
    fs::create_symlink(victim, folder / "a.txt");
    fs::create_hard_link(victim, folder / "b.txt");
    write_temp_file("group_files/c.txt", "old c");

    const std::string long_group(260, 'x');
    std::string rows = "band,raw\n";
    for (const std::string group : {"a", "b", "c"})
        rows += group + ",1\n" + group + ",2\n" + group + ",3\n";
    const std::string path = write_temp_file("linked.csv", rows);
    const std::string too_long = write_temp_file(
        "too_long.csv", rows + long_group + ",1\n" + long_group + ",2\n" + long_group + ",3\n");
    const std::vector<std::string> options = {"--group", "band", "--score", "raw", "--csv",
                                              "--write-frequencies", folder.string(), "1", "3"};
    const auto with_file = [&](const std::string& file) {
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.begin(), "scores");
        arguments.push_back(file);
        return arguments;
    };

    // A name too long for the folder, and an output that fails: nothing is written or replaced.
    const Outcome long_name = batch(with_file(too_long));
    EXPECT_EQ(long_name.status, 1);
    EXPECT_EQ(long_name.err, "Group \"" + std::string(80, 'x') +
                                 "…\" would need a file name of 264 bytes; a folder takes 255.\n");
    std::ostringstream closed_output;
    closed_output.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(norms::RunBatch(with_file(path), closed_output, err), 1);
    EXPECT_TRUE(err.str().starts_with("standard output: ")) << err.str();
    EXPECT_TRUE(fs::is_symlink(folder / "a.txt"));
    EXPECT_EQ(fs::hard_link_count(victim), 2u);
    EXPECT_EQ(file_content(folder / "c.txt"), "old c");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3);

    // The links give way to files of their own; the file they led to stays as it was.
    const Outcome done = batch(with_file(path));
    ASSERT_EQ(done.status, 0) << done.err;
    for (const std::string name : {"a.txt", "b.txt", "c.txt"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / name))) << name;
        EXPECT_EQ(file_content(folder / name), "1 1\r\n2 1\r\n3 1\r\n") << name;
    }
    EXPECT_EQ(file_content(victim), "victim");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside), {}), 1);
}

TEST(GroupFiles, NamesThatOtherSystemsKeepForDevicesAreChanged)
{
    for (const auto& [group, name] : {std::pair{"CON", "CON_.txt"}, {"nul.2024", "nul_.2024.txt"},
                                      {"Aux ", "Aux _.txt"}, {"com1", "com1_.txt"},
                                      {"LPT\u00B9", "LPT\u00B9_.txt"}, {"CONSOLE", "CONSOLE.txt"},
                                      {"com10", "com10.txt"}, {"prn_", "prn_.txt"}})
        EXPECT_EQ(FrequencyFileName(group), name) << group;
}

TEST(ScoresBatch, ValuesFromTheFileAreShownEscaped)
{
    const std::string path = write_temp_file(
        "escapes.csv", "band,raw\n\"e\x1b[31mX\",1\n\"e\x1b[31mX\",NA\n\"e\x1b[31mX\",2\n\"e\x1b[31mX\",3\n"
                       "\"l1\nl2\",1\n\"l1\nl2\",2\n\"l1\nl2\",3\n");
    const Outcome run = scores({"--group", "band", "--score", "raw", "1", "3", path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "group e\\x1B[31mX: 1 missing score skipped\n");
    EXPECT_NE(run.out.find("\n User's Notes: Group: band = l1\\x0Al2\n \n INPUTS:"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
}

TEST(ScoresBatch, AFileInAnotherEncodingIsReadWhenItIsNamed)
{
    const std::string path = write_temp_file(
        "windows-1252.csv", "band;raw\nM\xE4" "dchen;1\nM\xE4" "dchen;2\nM\xE4" "dchen;3\n");
    const Outcome named = scores({"--encoding", "windows-1252", "--delimiter", ";", "--group",
                                  "band", "--score", "raw", "--csv", "1", "3", path});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_NE(named.out.find("\nM\u00E4" "dchen,1,1,0,"), std::string::npos) << named.out;

    const Outcome unnamed = scores({"--delimiter", ";", "--group", "band", "--score", "raw", "1", "3", path});
    EXPECT_EQ(unnamed.status, 1);
    EXPECT_EQ(unnamed.err, "line 2: the text is not UTF-8; name the file's encoding with --encoding, "
                           "for example --encoding windows-1252.\n");
    EXPECT_EQ(unnamed.out, "");

    const Outcome unknown = scores({"--encoding", "klingon", "--score", "raw", "1", "3", path});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.starts_with("vornak-batch: --encoding takes an encoding that iconv knows"))
        << unknown.err;
}
