#include "norms/read/delimited_file.hpp"

#include "norms/count/data_file.hpp"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/failure_of.hpp"
#include "tests/support/memory_source.hpp"

using namespace norms;

namespace {

// Each group's counts, read as delimited text through the one group counter.
std::vector<ScoreGroup> counted_groups(ByteSource& source, const PersonScoreLayout& layout)
{
    return count_person_file(source, person_data_file("people.csv", layout), layout).groups;
}

// Scores 2 to 5 in the column "raw", grouped by `group` unless that is empty, in `encoding`
// (UTF-8 when empty).
PersonScoreLayout layout(char delimiter = ',', std::string group = "band", std::string encoding = "")
{
    return {delimiter, "raw", std::move(group), 2, 5, std::move(encoding)};
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
    return summary(counted_groups(source, layout));
}

}  // namespace

TEST(DelimitedFile, ReadsQuotedFieldsDelimitersMarksAndLineEnds)
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
    // Without a group column every row counts into one group; a first character that only
    // begins like a byte-order mark ("！", EF BC 81) stays part of the header.
    EXPECT_EQ(counted("\xEF\xBC\x81" "x,raw\n1,2.0\n2,NA\n3,+5\n", layout(',', "")), ":1001/1 ");
    EXPECT_EQ(failure_of([] { counted("\xEF\xBC\x81" "raw\n1\n", layout(',', "")); }),
              "The header line has no column named \"raw\"");
}

TEST(DelimitedFile, BadInputNamesItsLine)
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
        {header + "3,a," + std::string(1 << 20, '9') + "\r\n",
         "line 6, column \"raw\": \"" + std::string(80, '9') + "…\" is not a whole number from 2 to 5"},
        {header + "3,a,\x1b[2J\r\n", "line 6, column \"raw\": \"\\x1B[2J\" is not a whole number from 2 to 5"},
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

TEST(DelimitedFile, GroupsSortByNumberOnlyWhenAllAreNumbers)
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

TEST(DelimitedFile, DecodesTheFilesEncodingAndRefusesWhatIsNotText)
{
    const std::string rows = "band,raw\nM\xE4" "dchen,3\nJungen,2\nM\xE4" "dchen,NA\n";
    const std::string expected = "Jungen:1000/0 M\u00E4" "dchen:0100/1 ";
    const std::string utf16 = std::string("\xFF\xFE") + [&] {
        std::string units;
        for (char c : std::string("band,raw\nM\xE4" "dchen,3\nJungen,2\nM\xE4" "dchen,NA\n"))
            units += std::string{c, '\0'};
        return units;
    }();
    for (std::size_t piece : {1, 3, 1 << 20}) {
        const auto sorted = [&](const std::string& data, const std::string& encoding) {
            MemorySource source(data, piece);
            std::vector<ScoreGroup> groups = counted_groups(source, layout(',', "band", encoding));
            SortGroups(groups);
            return summary(groups);
        };
        EXPECT_EQ(sorted(rows, "windows-1252"), expected) << piece;
        EXPECT_EQ(sorted(utf16, "UTF-16"), expected) << piece;
        EXPECT_EQ(sorted("band,raw\nM\u00E4" "dchen,3\nJungen,2\nM\u00E4" "dchen,NA\n", ""), expected) << piece;
    }

    const struct {
        std::string data;
        std::string encoding;
        std::string message;
    } refusals[] = {
        {rows, "", "line 2: the text is not UTF-8"},
        {"band,raw\na,2\n\"b\nb\",\xC3", "", "line 4: the text is not UTF-8"},
        {"band,raw\na,2\n\xED\xA0\x80,2\n", "", "line 3: the text is not UTF-8"},
        {std::string("band,raw\na,2\r\nb\0,2\n", 20), "", "line 3: a NUL character, which no text holds"},
        {"band,raw\na\x81,2\n", "windows-1252", "line 2: the text is not windows-1252"},
        {"band,raw\n", "no-such-code", "No known encoding is called \"no-such-code\""},
    };
    for (const auto& refusal : refusals) {
        for (std::size_t piece : {1, 1 << 20}) {
            EXPECT_EQ(failure_of([&] { counted(refusal.data, layout(',', "band", refusal.encoding), piece); }),
                      refusal.message)
                << piece;
        }
    }
}

TEST(DelimitedFile, MoreGroupsThanARunTakesStopTheReading)
{
    const auto with_groups = [](int count) {
        std::string data = "id,raw\n";
        for (int id = 0; id < count; ++id)
            data += std::to_string(id) + ",3\n" + std::to_string(id) + ",4\n";
        return data;
    };
    const std::string most_groups = with_groups(MaxScoreGroups);
    MemorySource most(most_groups);
    EXPECT_EQ(counted_groups(most, layout(',', "id")).size(), MaxScoreGroups);
    EXPECT_EQ(failure_of([&] { counted(with_groups(20000), layout(',', "id")); }),
              "The group column \"id\" has 20000 distinct values, more than the 1000 norm groups "
              "a run takes; check that it is the group column");
}
