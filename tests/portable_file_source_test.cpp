// SPSS portable files whose translation table gives one byte to several characters, as PSPP
// writes them.
#include "norms/read/portable_file_source.hpp"

#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "norms/count/data_file.hpp"
#include "tests/support/memory_source.hpp"
#include "tests/support/statistics_writer.hpp"

using namespace norms;

namespace {

// The table of a portable file written by PSPP 1.6.2: "0" for every character it has no byte
// for, the superscript digits on the digits' own bytes, "-", "(" and ")" twice, "$" for "#".
const std::string pspp_table =
    std::string(64, '0') +
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz .<(+|&[]!$*);^-/|,%_>?`:$@'=\""
    "000000~-0000123456789000-()0{}\\" +
    std::string(69, '0');

// The file with its translation table, the 256 characters after the first 200 of its text
// (line ends left out), replaced.
std::string with_table(std::string file, const std::string& table)
{
    std::size_t place = 0;
    for (std::size_t at = 0; at < file.size() && place < 456; ++at) {
        if (file[at] == '\r' || file[at] == '\n')
            continue;
        if (place >= 200)
            file[at] = table[place - 200];
        ++place;
    }
    return file;
}

// What the reader makes of the file, handed to it in pieces of `piece` bytes.
std::string groups_of(const std::string& file, std::size_t piece)
{
    MemorySource source(file, piece);
    const PersonScoreLayout layout{',', "RAW", "BAND", 0, 12, ""};
    std::string text;
    for (const ScoreGroup& group :
         count_person_file(source, person_data_file("pspp.por", layout), layout).groups) {
        text += group.name + ":";
        for (const std::int64_t frequency : group.frequencies)
            text += " " + std::to_string(frequency);
        text += " missing " + std::to_string(group.missing) + "\n";
    }
    return text;
}

}  // namespace

TEST(PortableFile, ARepeatedByteReadsAsTheFirstCharacterTheTableGivesIt)
{
    using namespace test_files;
    // Scores with every digit and a negative code, so that a digit read as its superscript or
    // a "-" read as a dash would show.
    const std::string file = StatisticsFile(
        ".por", {Numeric("RAW", {}, {-1}), Numeric("BAND", {{8, "8 years"}, {9, "9 years"}})},
        {{0.0, 8.0}, {1.0, 8.0}, {2.0, 8.0}, {3.0, 9.0}, {4.0, 9.0}, {5.0, 9.0}, {6.0, 8.0},
         {7.0, 9.0}, {8.0, 8.0}, {9.0, 9.0}, {10.0, 8.0}, {12.0, 9.0}, {-1.0, 8.0}});
    const std::string pspp = with_table(file, pspp_table);
    ASSERT_NE(pspp, file);
    const std::string expected =
        "8 years: 1 1 1 0 0 0 1 0 1 0 1 0 0 missing 1\n"
        "9 years: 0 0 0 1 1 1 0 1 0 1 0 0 1 missing 0\n";
    EXPECT_EQ(groups_of(file, std::numeric_limits<std::size_t>::max()), expected);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{81}, std::numeric_limits<std::size_t>::max()})
        EXPECT_EQ(groups_of(pspp, piece), expected) << piece;
}
