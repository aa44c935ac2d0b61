#include "norms/read/frequency_file.hpp"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/failure.hpp"
#include "tests/support/norms_files.hpp"
#include "tests/support/scripted_desktop.hpp"

using namespace norms;

namespace {

struct Read {
    bool ok = false;
    std::string message;  // the error box's text, if one was shown
    NormsTable table{};
};

// Reads the file at `path` as the data file chosen for a worksheet with these values.
Read read_path(const std::string& path, Extended min = 0, Extended max = 2, Extended n = 10)
{
    ScriptedDesktop desktop;
    desktop.open_answers.push_back(path);
    platform::FileDialog dialog;
    Read result;
    std::string data_file;
    const int row_count = static_cast<int>(std::max(max - min + 1, Extended(0)));
    result.ok = ReadFrequencyFile(desktop, dialog, min, max, n, row_count, result.table, data_file);
    EXPECT_LE(desktop.messages.size(), 1u);
    for (const auto& message : desktop.messages) {
        EXPECT_EQ(message.kind, "Error");
        result.message = message.text;
    }
    EXPECT_EQ(result.ok, result.message.empty());
    return result;
}

Read read(const std::string& contents, Extended min, Extended max, Extended n)
{
    return read_path(write_temp_file("data.txt", contents), min, max, n);
}

std::string message_of(const std::string& contents, Extended min, Extended max, Extended n)
{
    return read(contents, min, max, n).message;
}

// The failure that reading the file at `path` throws, as the error box shows it.
std::string failure_reading(const std::string& path)
{
    try {
        read_path(path);
    } catch (const platform::Failure& failure) {
        return platform::failure_text(failure.what());
    }
    return "no failure";
}

const std::string message1 =
    " The raw scores in column one of the data file must all be positive integers (or zero). "
    "Correct your data file and re-run. ";
const std::string message2 =
    " The frequencies in column two of the data file must all be positive integers or zero. "
    "Correct your data file and re-run. ";
const std::string message5 =
    " The raw scores in column one of the data file must be sequential integers. Correct your "
    "data file and re-run. ";

std::string message4(const std::string& found, const std::string& expected)
{
    return " The last entry in column one of the data file (" + found +
           ") does not match the value you entered as the maximum raw score on the form (" +
           expected + "). Check your data and re-run. ";
}

std::string message6(const std::string& sum, const std::string& n)
{
    return " The sum of the frequencies in column two of the data file (" + sum +
           ") does not equal the sample size you entered on the form (" + n +
           "). Check your data and re-run. ";
}

}  // namespace

TEST(FrequencyFile, LinesEndAtCarriageReturnLineFeedOrBoth)
{
    for (const std::string file : {"0 3\r\n1 5\r\n2 2\r\n", "0 3\n1 5\n2 2\n", "0 3\r1 5\r2 2\r",
                                   "0 3\r\n1 5\n2 2\r", "0 3\n\r1 5\n2 2"}) {
        const Read result = read(file, 0, 2, 10);
        ASSERT_TRUE(result.ok) << testing::PrintToString(file) << result.message;
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(result.table[j].RawScore, j);
        EXPECT_EQ(result.table[0].Frequency, 3);
        EXPECT_EQ(result.table[1].Frequency, 5);
        EXPECT_EQ(result.table[2].Frequency, 2);
        EXPECT_EQ(result.table[3].RawScore, 0);  // untouched
    }
}

TEST(FrequencyFile, AcceptsWhatTheLineRulesAllow)
{
    for (const std::string& file : std::vector<std::string>{
             "\n\n0 3\n\n\t1 5 words after the row\n  \n2 2\n\n  \n",  // blank lines, words
             "0 3\n1 5\n2 2\n3 7\nnot read\n",                        // extra rows
             "0.0 3\n1 5.\n+2 2e0\n",                                  // whole numbers
             "0\n3 ignored\n1 5\n2 2",                      // a lone number takes the next line's
             "0 3\n1 5\n2 2 " + std::string(3'000'000, 'x'),  // a line of megabytes
             std::string(64, '0') + "3\n1 5\n2 2\n",        // a token ends after 64 characters
         }) {
        const Read result = read(file, 0, 2, 10);
        EXPECT_TRUE(result.ok) << testing::PrintToString(file.substr(0, 80)) << result.message;
    }
}

TEST(FrequencyFile, Message1WhenARawScoreIsNotAWholeNumberOfZeroOrMore)
{
    EXPECT_EQ(message_of("0 3\n2.5 5\n2 2\n", 0, 2, 10), message1);
    EXPECT_EQ(message_of("-1 3\n0 5\n1 2\n", -1, 1, 10), message1);
    EXPECT_EQ(message_of("9223372036854775808 3\n", 0, 2, 10), message1);  // 2^63
    EXPECT_EQ(message_of("1e5000 3\n", 0, 2, 10), message1);
    EXPECT_EQ(message_of(std::string(3'000'000, '9'), 0, 2, 10), message1);
}

TEST(FrequencyFile, Message2WhenAFrequencyIsNotAWholeNumberOfZeroOrMore)
{
    EXPECT_EQ(message_of("0 3\n1 2.5\n2 2\n", 0, 2, 10), message2);
    EXPECT_EQ(message_of("0 -1\n", 0, 2, 10), message2);
    EXPECT_EQ(message_of("0 9223372036854775808\n", 0, 2, 10), message2);
    EXPECT_EQ(message_of("0 9223372036854775807\n1 1\n2 1\n", 0, 2, 10),
              message6("9223372036854775810", " 10"));
}

TEST(FrequencyFile, Message3WhenTheFirstRawScoreIsNotTheMinimum)
{
    EXPECT_EQ(message_of("5 3\n6 5\n7 2\n", 0, 2, 10),
              " The first entry in column one of the data file ( 5) does not match the value you "
              "entered as the minimum raw score on the form (  0). Check your data and re-run. ");
    // In a one-row table the only row is also the last; the first-row check comes first.
    EXPECT_EQ(message_of("5 3\n", 4, 4, 3),
              " The first entry in column one of the data file ( 5) does not match the value you "
              "entered as the minimum raw score on the form (  4). Check your data and re-run. ");
}

TEST(FrequencyFile, Message4WhenTheFileDoesNotEndAtTheMaximum)
{
    const std::string zero_to_five = "0 1\n1 1\n2 1\n3 1\n4 1\n5 5";
    EXPECT_EQ(message_of(zero_to_five, 0, 9, 10), message4(" 5", "  9"));
    EXPECT_EQ(message_of(zero_to_five + "\r\n", 0, 9, 10), message4(" 5", "  9"));
    EXPECT_EQ(message_of(zero_to_five + "\r\n\r\n", 0, 9, 10), message4(" 0", "  9"));
    EXPECT_EQ(message_of("0 3\n1 5\n3 2\n", 0, 2, 10), message4(" 3", "  2"));
    // Nothing but white space reads as one row 0 0 and then ends.
    EXPECT_EQ(message_of("", 0, 2, 10), message4(" 0", "  2"));
    EXPECT_EQ(message_of(std::string("\0\0\x1f\0 \n", 6), 0, 2, 10), message4(" 0", "  2"));
    EXPECT_EQ(message_of("100 1\n101 1\n102 1\n", 100, 150, 3), message4("102", "150"));
}

TEST(FrequencyFile, Message5WhenRawScoresAreNotSequential)
{
    EXPECT_EQ(message_of("0 1\n1 1\n1 1\n2 1\n", 0, 3, 4), message5);
}

TEST(FrequencyFile, Message6WhenTheFrequenciesDoNotAddUpToTheSampleSize)
{
    EXPECT_EQ(message_of("0 3\n1 5\n2 1\n", 0, 2, 10), message6("  9", " 10"));
    // A maximum below the minimum reads no row.
    EXPECT_EQ(message_of("0 3\n1 5\n2 2\n", 2, 0, 10), message6("  0", " 10"));
}

TEST(FrequencyFile, ATokenThatIsNotANumberAbandonsTheRun)
{
    for (const std::string& file : std::vector<std::string>{
             "raw freq\n0 3\n1 5\n2 2\n",   // a header line
             "\xEF\xBB\xBF" "0 3\n",        // a byte-order mark
             "0,3\n1,5\n2,2\n",             // a comma between the numbers
             "0 3\n1 x\n",
             std::string(65, 'x'),          // a token beyond 64 characters
             std::string(3'000'000, 'x'),
             std::string("\x01\xff\xfe\x80", 4),
             "1e 3", "1e+ 3", "+ 3", ". 3", "- 3", "1.2.3 3", "--1 3", "inf 3", "nan 3",
             "0x10 3",
         }) {
        EXPECT_EQ(failure_reading(write_temp_file("data.txt", file)), "Invalid numeric input.")
            << testing::PrintToString(file.substr(0, 20));
    }
}

TEST(FrequencyFile, AFileThatCannotBeOpenedOrReadAbandonsTheRun)
{
    EXPECT_EQ(failure_reading(testing::TempDir() + "no such file.txt"), "File not found.");
    EXPECT_EQ(failure_reading(testing::TempDir()), "File access denied.");  // a folder
    // Read no further than the size at opening: 0 for this pseudo-file, unreadable at 0.
    EXPECT_EQ(read_path("/proc/self/mem").message, message4(" 0", "  2"));
}

TEST(FrequencyFile, DialogAsksForAnExistingTextFileAndKeepsTheLastName)
{
    ScriptedDesktop desktop;
    platform::FileDialog dialog;
    dialog.file_name = "/data/last.txt";
    dialog.prompt_overwrite = true;
    desktop.open_answers = {std::nullopt, " \t", write_temp_file("ok.txt", "0 3\n1 5\n2 2\n")};
    NormsTable table{};
    std::string data_file = "unchanged";
    // Cancel, then a blank name: failure without a message.
    EXPECT_FALSE(ReadFrequencyFile(desktop, dialog, 0, 2, 10, 3, table, data_file));
    EXPECT_FALSE(ReadFrequencyFile(desktop, dialog, 0, 2, 10, 3, table, data_file));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(data_file, "unchanged");
    EXPECT_TRUE(ReadFrequencyFile(desktop, dialog, 0, 2, 10, 3, table, data_file));
    EXPECT_EQ(data_file, testing::TempDir() + "ok.txt");

    const platform::FileDialog& first = desktop.dialogs_seen.at(0);
    EXPECT_EQ(first.filter, "Text files only|*.txt");
    EXPECT_TRUE(first.file_must_exist);
    EXPECT_FALSE(first.prompt_overwrite);
    EXPECT_EQ(first.initial_folder, std::filesystem::current_path().string());
    EXPECT_EQ(first.file_name, "/data/last.txt");
    EXPECT_EQ(desktop.dialogs_seen.at(2).file_name, " \t");
}
