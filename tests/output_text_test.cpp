// Names and values from a data file as the CSV table and the group files write them.
#include <gtest/gtest.h>

#include "norms/write/csv_table.hpp"
#include "norms/write/group_files.hpp"

using namespace norms;

TEST(CsvField, TextThatASpreadsheetWouldRunIsMadeTextAndNumbersStayAsTheyAre)
{
    EXPECT_EQ(CsvField("=HYPERLINK(\"http://x\",\"y\")"), "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    EXPECT_EQ(CsvField("+1-1"), "'+1-1");
    EXPECT_EQ(CsvField("@SUM(1)"), "'@SUM(1)");
    EXPECT_EQ(CsvField("-"), "'-");
    EXPECT_EQ(CsvField("\tx"), "'\tx");
    EXPECT_EQ(CsvField("\r=1"), "\"'\r=1\"");
    for (const char* number : {"-1", "+2.5", "-.5e3", "-1e999"})
        EXPECT_EQ(CsvField(number), number);
    // Further in, the same characters are harmless; a field with a comma is quoted as before.
    EXPECT_EQ(CsvField("a=b"), "a=b");
    EXPECT_EQ(CsvField("-1,5"), "\"'-1,5\"");
}

TEST(CsvField, BytesThatAreNotUtf8AreShownEscaped)
{
    EXPECT_EQ(CsvField("caf\xe9"), "caf\\xE9");
    EXPECT_EQ(CsvField("M\xc3\xa4" "dchen \x1b"), "M\xc3\xa4" "dchen \x1b");
}

TEST(GroupFiles, NamesAreUtf8WithoutControlCharacters)
{
    EXPECT_EQ(FrequencyFileName("caf\xe9"), "caf_.txt");
    EXPECT_EQ(FrequencyFileName("\xc2\x9b" "1m \x1b"), "_1m _.txt");
    EXPECT_EQ(FrequencyFileName("M\xc3\xa4" "dchen"), "M\xc3\xa4" "dchen.txt");
}
