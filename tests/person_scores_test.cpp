#include "norms/person_scores.hpp"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/failure_of.hpp"
#include "tests/support/memory_source.hpp"

using namespace norms;

namespace {

// Scores 2 to 5 in the column "raw", grouped by `group` unless that is empty.
PersonScoreLayout layout(char delimiter = ',', std::string group = "band")
{
    return {delimiter, "raw", std::move(group), 2, 5};
}

// Each group as "name:frequencies/missing", in the order given.
std::string summary(const std::vector<ScoreGroup>& groups)
{
    std::string text;
    for (const ScoreGroup& group : groups) {
        text += group.name + ":";
        for (std::int64_t f : group.frequencies)
            text += std::to_string(f);
        text += "/" + std::to_string(group.missing) + " ";
    }
    return text;
}

std::string counted(const std::string& data, const PersonScoreLayout& layout,
                    std::size_t piece = 1 << 20)
{
    MemorySource source(data, piece);
    return summary(CountPersonScores(source, layout));
}

}  // namespace

TEST(PersonScores, ReadsQuotedFieldsDelimitersMarksAndLineEnds)
{
    // The same five people in the dialects spreadsheets write. Quoted fields hold the
    // delimiter, a doubled quote and a line end; rows end in CR LF, LF or nothing.
    const std::string comma = "\xEF\xBB\xBF" "band,id,\"note, free\",raw\r\n"
                              "a,1,\"says \"\"hi\"\", then\",3\r\n"
                              "\"b\",2,\"two\r\nlines\",5\r\n"
                              "\r\n"
                              "a,3,,\"3\"\n"
                              "b,4, x ,\"\"\n"
                              "a,5,y, 2 ";
    const std::string semicolon = "id;band;note;raw\r\n1;a;\"x;y\";3\r\n2;b;;5\r\n3;a;;3\r\n"
                                  "4;b;;NA\r\n5;a;;2\r\n";
    const std::string tab = "id\tband\tnote\traw\n1\ta\t\t3\n2\tb\t\t5\n3\ta\t\t3\n4\tb\t\t.\n"
                            "5\ta\t\t2\n";
    const std::string expected = "a:1200/0 b:0001/1 ";
    for (std::size_t piece : {1, 2, 7, 1 << 20}) {
        EXPECT_EQ(counted(comma, layout(','), piece), expected) << piece;
        EXPECT_EQ(counted(semicolon, layout(';'), piece), expected) << piece;
        EXPECT_EQ(counted(tab, layout('\t'), piece), expected) << piece;
    }
    // Without a group column every row counts into one group; a first byte that only looks
    // like the start of a byte-order mark stays part of the header.
    EXPECT_EQ(counted("\xEF" "x,raw\n1,2.0\n2,NA\n3,+5\n", layout(',', "")), ":1001/1 ");
    EXPECT_EQ(failure_of([] { counted("\xEF" "raw\n1\n", layout(',', "")); }),
              "The header line has no column named \"raw\"");
}

TEST(PersonScores, BadInputNamesItsLine)
{
    const std::string header = "id,band,raw\r\n1,a,2\r\n2,\"b\r\nc\",3\r\n\r\n";  // rows end on 4
    const struct {
        std::string data;
        std::string message;
    } cases[] = {
        {header + "3,a,12.5\r\n", "line 6, column \"raw\": \"12.5\" is not a whole number from 2 to 5"},
        {header + "3,a,6\r\n", "line 6, column \"raw\": \"6\" is not a whole number from 2 to 5"},
        {header + "3,a,1\r\n", "line 6, column \"raw\": \"1\" is not a whole number from 2 to 5"},
        {header + "3,a,4,\r\n", "line 6 has 4 fields, but the header line has 3"},
        {header + "3,a\r\n", "line 6 has 2 fields, but the header line has 3"},
        {header + "3,NA,4\r\n", "line 6, column \"band\": no group value"},
        {header + "3,a,4\"\r\n", "line 6: a quote character out of place"},
        {header + "3,a,\"4\r\n", "line 7: the file ends inside a quoted field"},
        {"id,raw\n", "The header line has no column named \"band\""},
        {"raw,band,raw\n", "The header line has more than one column named \"raw\""},
        {"\r\n\r\n", "The file has no header line"},
    };
    for (const auto& c : cases) {
        for (std::size_t piece : {1, 1 << 20}) {
            EXPECT_EQ(failure_of([&] { counted(c.data, layout(), piece); }), c.message) << piece;
        }
    }
}

TEST(PersonScores, GroupsSortByNumberOnlyWhenAllAreNumbers)
{
    const auto sorted_names = [](std::vector<std::string> names) {
        std::vector<ScoreGroup> groups;
        for (std::string& name : names)
            groups.push_back({std::move(name), {}, 0, 0});
        SortGroups(groups);
        std::string text;
        for (const ScoreGroup& group : groups)
            text += group.name + " ";
        return text;
    };
    EXPECT_EQ(sorted_names({"10", "9", "-1", "8.5", "1e1", "09"}), "-1 8.5 09 9 10 1e1 ");
    EXPECT_EQ(sorted_names({"10", "9", "b", "8.5"}), "10 8.5 9 b ");
}
