#include "norms/write/report.hpp"

#include <gtest/gtest.h>

#include "tests/support/decimal_separator.hpp"

using namespace norms;

namespace {

NormsRow row(Extended raw_score, Extended pr, Extended lower95 = 0.41L, Extended upper95 = 0.59L,
             Extended lower90 = 0.43L, Extended upper90 = 0.57L)
{
    NormsRow r;
    r.RawScore = raw_score;
    r.PR = pr;
    r.Lower95 = lower95;
    r.Upper95 = upper95;
    r.Lower90 = lower90;
    r.Upper90 = upper90;
    return r;
}

// The printed field that ends in `column` (counted from 1), back to the blank before it.
std::string field_ending_at(const std::string& line, std::size_t column)
{
    const std::size_t start = line.find_last_of(' ', column - 1);
    return line.substr(start + 1, column - start - 1);
}

}  // namespace

TEST(ReportRow, RankPicksTheLayoutAndEveryLayoutLinesUpWithTheHeadings)
{
    struct Case {
        Extended pr;
        const char* printed;
    };
    // Whole numbers from 5 to 95 inclusive; one decimal outside. Halves round away from zero
    // after 18 significant digits.
    const Case cases[] = {{12.5L, "13"}, {13.5L, "14"}, {5, "5"}, {95, "95"}, {50, "50"},
                          {4.99L, "5.0"}, {95.01L, "95.0"}, {2.25L, "2.3"},
                          {1.5L / 120 * 100, "1.3"}, {0, "0.0"}, {100, "100.0"}};
    for (const Case& c : cases) {
        const std::string line = TableRowLine(row(7, c.pr));
        SCOPED_TRACE(line);
        ASSERT_EQ(line.size(), 88u);
        EXPECT_EQ(line.substr(0, 4), "  7 ");
        // The units digit of the rank stands in column 22.
        const std::size_t point = line.find('.', 4);
        const std::size_t rank_end = point < 24 ? 24 : 22;
        EXPECT_EQ(field_ending_at(line, rank_end), c.printed);
        EXPECT_EQ(field_ending_at(line, 41), "41.0");
        EXPECT_EQ(field_ending_at(line, 55), "59.0");
        EXPECT_EQ(line[67], '(');
        EXPECT_EQ(field_ending_at(line, 74), "43.0");
        EXPECT_EQ(field_ending_at(line, 84), "57.0");
        EXPECT_EQ(line.substr(84), "   )");
    }
    EXPECT_EQ(TableRowLine(row(0, 2.25L, 0, 0.0706L, 0, 0.0625L)),
              "  0                  2.3              0.0           7.1            (   0.0       6.3   )");
    EXPECT_EQ(TableRowLine(row(30, 99.8L, 0.99L, 1, 0.991L, 1)),
              " 30                 99.8             99.0         100.0            (  99.1     100.0   )");
}

TEST(ReportRow, WideValuesPushTheLineRightAndTheRegionalSeparatorIsUsed)
{
    const std::string narrow = TableRowLine(row(7, 50));
    EXPECT_EQ(TableRowLine(row(12345, 50)), "12345" + narrow.substr(3));
    EXPECT_EQ(TableRowLine(row(1, 12345678901234567890.0L)),
              "  1 12345678901234567900.0             41.0          59.0            (  43.0      57.0   )");
    std::string line, arabic;
    {
        const ScopedDecimalSeparator comma(",");
        line = TableRowLine(row(3, 2.25L));
    }
    {
        // The Arabic separator takes two bytes but one column: the columns stay where they were.
        const ScopedDecimalSeparator arabic_comma("\u066b");
        arabic = TableRowLine(row(3, 2.25L));
    }
    EXPECT_EQ(line,
              "  3                  2,3             41,0          59,0            (  43,0      57,0   )");
    EXPECT_EQ(arabic, "  3                  2\u066b3             41\u066b0          59\u066b0"
                      "            (  43\u066b0      57\u066b0   )");
}

TEST(EchoInputLine, CaptionUpToItsLastColonThenTheTextAsTyped)
{
    EXPECT_EQ(EchoInputLine("Minimum legitimate raw score:", "0"), " Minimum legitimate raw score= 0");
    EXPECT_EQ(EchoInputLine("\t Ratio: a:b: \r", " -3."), " Ratio: a:b=  -3.");
}
