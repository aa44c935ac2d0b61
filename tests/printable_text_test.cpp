#include "platform/printable_text.hpp"

#include <gtest/gtest.h>

using platform::PrintableText;

TEST(PrintableText, EscapesWhatATerminalWouldActOnAndKeepsOtherText)
{
    EXPECT_EQ(PrintableText("Mädchen 7–9 \\ \"x\""), "Mädchen 7–9 \\ \"x\"");
    EXPECT_EQ(PrintableText("e\x1b[31mX\r\n\t"), "e\\x1B[31mX\\x0D\\x0A\\x09");
    EXPECT_EQ(PrintableText(std::string("a\0b\x7f", 4)), "a\\x00b\\x7F");
    // C1 controls and bidirectional overrides are characters; stray bytes are not.
    EXPECT_EQ(PrintableText("\xc2\x9b" "1m \xe2\x80\xae" "cba"), "\\x9B1m \\u202Ecba");
    EXPECT_EQ(PrintableText("\xff\xc3(\xe2\x82 \xed\xa0\x80 \xc0\xaf"),
              "\\xFF\\xC3(\\xE2\\x82 \\xED\\xA0\\x80 \\xC0\\xAF");
}

TEST(PrintableText, CutsLongValuesAtTheLimitInCharacters)
{
    const std::string eighty(80, 'x');
    EXPECT_EQ(PrintableText(eighty), eighty);
    EXPECT_EQ(PrintableText(eighty + "y"), eighty + "…");
    EXPECT_EQ(PrintableText(std::string(40, '\x1b') + std::string(50, 'x')),
              [] {
                  std::string shown;
                  for (int i = 0; i < 40; ++i)
                      shown += "\\x1B";
                  return shown + std::string(40, 'x') + "…";
              }());
    EXPECT_EQ(PrintableText("äöüß", 2), "äö…");
    EXPECT_EQ(PrintableText(std::string(100, 'x'), 0), std::string(100, 'x'));
}

TEST(PrintableText, FilesKeepWhatTheyCanHold)
{
    // Any character is text in a CSV file: only bytes that are not UTF-8 are escaped.
    EXPECT_EQ(platform::utf8_text("caf\xe9 \x1b[1m\t\xc3\xa4"), "caf\\xE9 \x1b[1m\t\xc3\xa4");
    // XML takes tab, line ends and every character from U+0020 on, except U+FFFE and U+FFFF.
    EXPECT_EQ(platform::xml_text("a\x1b\x01\t\r\n\x7f\xc2\x9b\xe2\x80\xae\xef\xbf\xbe\xef\xbf\xbf\xef\xbf\xbd\xf0\x9f\x98\x80\xe9"),
              "a\\x1B\\x01\t\r\n\x7f\xc2\x9b\xe2\x80\xae\\uFFFE\\uFFFF\xef\xbf\xbd\xf0\x9f\x98\x80\\xE9");
}
