#include "platform/print_layout.hpp"

#include <gtest/gtest.h>

using platform::LayOutText;

namespace {

// Every character 10 pixels wide and 12 high, so a printed line is 14 high; tab stops are 80
// apart. Pages are 55 wide (five characters) and 100 high unless a test says otherwise.
struct FixedPitchSurface : platform::PrintSurface {
    struct Drawn {
        int page, x, y;
        std::string text;
        bool operator==(const Drawn&) const = default;
    };
    int width = 55;
    int height = 100;
    int page = 1;
    std::vector<Drawn> drawn;

    platform::TextExtent text_extent(const std::string& text) override
    {
        int characters = 0;
        for (char c : text)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return {10 * characters, 12};
    }
    int average_char_width() override { return 10; }
    int char_height() override { return 12; }
    int page_width() override { return width; }
    int page_height() override { return height; }
    void draw_text(int x, int y, const std::string& text) override
    {
        drawn.push_back({page, x, y, text});
    }
    void new_page() override { ++page; }
};

using Drawn = FixedPitchSurface::Drawn;
using Layout = std::vector<Drawn>;

Layout lay_out(const std::string& text, int width = 55, int height = 100)
{
    FixedPitchSurface surface;
    surface.width = width;
    surface.height = height;
    LayOutText(surface, text);
    return surface.drawn;
}

}  // namespace

TEST(LayOutText, LinesAdvanceByPartHeightPlusTwoAndBlankLinesByCharacterHeight)
{
    EXPECT_EQ(lay_out("ab\r\ncd\n\nef"),
              (Layout{{1, 0, 0, "ab"}, {1, 0, 14, "cd"}, {1, 0, 40, "ef"}}));
    // A carriage return alone ends the run but leaves the pen where it is.
    EXPECT_EQ(lay_out("ab\rcd"), (Layout{{1, 0, 0, "ab"}, {1, 20, 0, "cd"}}));
}

TEST(LayOutText, LongLinesBreakBetweenCharactersWhereverTheEdgeFalls)
{
    EXPECT_EQ(lay_out("the quick fox"),
              (Layout{{1, 0, 0, "the q"}, {1, 0, 14, "uick "}, {1, 0, 28, "fox"}}));
    // A run that starts inside the line gets only the room that is left.
    EXPECT_EQ(lay_out("abc\rdefg"),
              (Layout{{1, 0, 0, "abc"}, {1, 30, 0, "de"}, {1, 0, 14, "fg"}}));
    // Characters, not bytes: "é" takes two bytes.
    EXPECT_EQ(lay_out("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"),
              (Layout{{1, 0, 0, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"},
                      {1, 0, 14, "\xc3\xa9"}}));
}

TEST(LayOutText, TabsMoveToTheNextStopAndPastTheEdgeToANewLine)
{
    EXPECT_EQ(lay_out("\ta\tb", 300), (Layout{{1, 80, 0, "a"}, {1, 160, 0, "b"}}));
    EXPECT_EQ(lay_out("abcdefghi\tb", 100), (Layout{{1, 0, 0, "abcdefghi"}, {1, 0, 14, "b"}}));
}

TEST(LayOutText, FormFeedsAndFullPagesStartNewSheetsButNeverABlankLastOne)
{
    EXPECT_EQ(lay_out("a\fb"), (Layout{{1, 0, 0, "a"}, {2, 0, 0, "b"}}));
    EXPECT_EQ(lay_out("\f\fa"), (Layout{{3, 0, 0, "a"}}));

    // 14-pixel lines on a 100-pixel page: after the line at 70 the pen is at 84, past
    // 100 - 2 × 14, so the seventh line opens the next sheet.
    const Layout seven = lay_out("1\n2\n3\n4\n5\n6\n7");
    ASSERT_EQ(seven.size(), 7u);
    EXPECT_EQ(seven[5], (Drawn{1, 0, 70, "6"}));
    EXPECT_EQ(seven[6], (Drawn{2, 0, 0, "7"}));

    FixedPitchSurface surface;
    LayOutText(surface, "1\n2\n3\n4\n5\n6\n");
    EXPECT_EQ(surface.page, 1);
}

TEST(LayOutText, ALineAfterBlankLinesNearTheBottomGoesToTheNextSheet)
{
    // Blank lines advance the pen by 12 and only check it against the page height itself:
    // after them the pen is at 94, and a 12-high line there would fall off the sheet.
    EXPECT_EQ(lay_out("1\n2\n3\n4\n5\n\n\nlast").back(), (Drawn{2, 0, 0, "last"}));
}

TEST(LayOutText, APageNarrowerThanOneCharacterStillPrintsOneCharacterPerLine)
{
    EXPECT_EQ(lay_out("ab", 5), (Layout{{1, 0, 0, "a"}, {1, 0, 14, "b"}}));
}
