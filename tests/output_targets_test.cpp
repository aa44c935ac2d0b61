#include "norms/write/output_targets.hpp"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/failure.hpp"
#include "tests/support/batch_executable.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;

namespace {

const std::string people =
    "id,band,raw,region\n1,6,3,n\n2,6,5,s\n3,6,4,n\n4,7,4,n\n5,7,6,s\n6,7,5,s\n7,8,5,n\n8,8,7,s\n9,8,8,n\n";

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

}  // namespace

TEST(OutputTargets, AnOutputThatIsAnInputAnotherOutputOrStandardOutputIsRefusedBeforeAnythingIsWritten)
{
    const std::string data = write_temp_file("people.csv", people);
    const std::string margins = write_temp_file("margins.csv", "variable,value,share\nregion,n,0.5\nregion,s,0.5\n");
    const std::string link = testing::TempDir() + "link.csv";
    const std::string hard = testing::TempDir() + "hard.csv";
    std::filesystem::remove(link);
    std::filesystem::remove(hard);
    std::filesystem::create_symlink(data, link);
    std::filesystem::create_hard_link(data, hard);
    const std::string workbook = testing::TempDir() + "t.xlsx";
    std::filesystem::remove(workbook);

    const std::vector<std::string> scores = {"scores", "--group", "band", "--score", "raw"};
    const auto with = [&scores](std::vector<std::string> options) {
        options.insert(options.begin(), scores.begin(), scores.end());
        return options;
    };
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {with({"--write-weights", data, "--rake", margins, "--csv", "0", "9", data}),
         "--write-weights " + quoted(data) + " would replace the data file " + quoted(data) +
             ": an output must not overwrite an input.\n"},
        {with({"--write-weights", margins, "--rake", margins, "0", "9", data}),
         "--write-weights " + quoted(margins) + " would replace the margins file " + quoted(margins) +
             ": an output must not overwrite an input.\n"},
        // Another name of the same file is the same file.
        {with({"--write-weights", link, "--rake", margins, "0", "9", data}),
         "--write-weights " + quoted(link) + " would replace the data file " + quoted(data) +
             ": an output must not overwrite an input.\n"},
        {with({"--xlsx", workbook, "--manual", workbook, "0", "9", data}),
         "--manual " + quoted(workbook) + " and --xlsx " + quoted(workbook) +
             " are the same file: each output needs a file of its own.\n"},
        {{"continuous", "--score", "raw", "--group", "band", "--save-model", hard, "0", "9", data},
         "--save-model " + quoted(hard) + " would replace the data file " + quoted(data) +
             ": an output must not overwrite an input.\n"},
        {{"continuous", "--family", "betabinomial", "--items", "9", "--score", "raw", "--age", "band", "--save-model",
          data, "0", "9", data},
         "--save-model " + quoted(data) + " would replace the data file " + quoted(data) +
             ": an output must not overwrite an input.\n"},
    };
    for (const auto& refused : cases) {
        const Outcome outcome = batch(refused.arguments);
        EXPECT_EQ(outcome.status, 1) << refused.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, refused.err);
    }
    // A group's frequency file would take the data file's name in the same folder.
    std::filesystem::create_directories(testing::TempDir() + "groups");
    const std::string named_as_group = write_temp_file("groups/6.txt", people);
    const Outcome group_file = batch(with({"--write-frequencies", testing::TempDir() + "groups", "0", "9", named_as_group}));
    EXPECT_EQ(group_file.status, 1);
    EXPECT_EQ(group_file.err, "--write-frequencies " + quoted(named_as_group) + " would replace the data file " +
                                  quoted(named_as_group) + ": an output must not overwrite an input.\n");
    EXPECT_EQ(file_content(named_as_group), people);

    EXPECT_EQ(file_content(data), people);
    EXPECT_EQ(file_content(margins), "variable,value,share\nregion,n,0.5\nregion,s,0.5\n");
    EXPECT_FALSE(std::filesystem::exists(workbook));

    // A workbook goes only to a name that says so, so an operand slip never turns data into one.
    for (const std::string& form : {std::string("scores"), std::string("continuous")}) {
        const Outcome slip = batch({form, "--group", "band", "--score", "raw", "--xlsx", data, "0", "9", data});
        EXPECT_EQ(slip.status, 2);
        EXPECT_TRUE(slip.err.starts_with("vornak-batch: --xlsx takes a workbook name ending in .xlsx\n")) << slip.err;
    }

    // The executable's standard output goes to batch.out: a file output there is refused, and so
    // is a device, which would swallow what it was given.
    const std::string standard_output = testing::TempDir() + "batch.out";
    const std::string rake = " --rake '" + margins + "' --csv 0 9 '" + data + "'";
    const Outcome into_output = run_executable("", "scores --group band --score raw --write-weights '" +
                                                       standard_output + "'" + rake);
    EXPECT_EQ(into_output.status, 1);
    EXPECT_EQ(into_output.out, "");
    EXPECT_EQ(into_output.err, "--write-weights " + quoted(standard_output) +
                                   " is the standard output, which takes the tables: give it a file of its own.\n");
    for (const auto& [target, kind] : {std::pair{"/dev/full", "a device"}, {"/proc/version", "a setting of the kernel"}}) {
        const Outcome special =
            run_executable("", std::string("scores --group band --score raw --write-weights ") + target + rake);
        EXPECT_EQ(special.status, 1);
        EXPECT_EQ(special.out, "");
        EXPECT_EQ(special.err, std::string(target) + ": " + kind + ", not a file.\n");
    }
    EXPECT_EQ(file_content(data), people);
}
