#include "norms/read/input_checks.hpp"

#include <gtest/gtest.h>

#include "tests/support/decimal_separator.hpp"
#include "tests/support/scripted_desktop.hpp"

using namespace norms;

namespace {
const std::string caption1 = "Minimum legitimate raw score:";
const std::string caption3 = "Total sample size (n) for the normative sample:";
const std::string numeric_only = "INPUT ERROR\r\rEnter numeric data only.";
}  // namespace

TEST(FilterNumericKey, PassesNumericKeysAndSwallowsTheRestWithBeepAndWarning)
{
    ScriptedDesktop desktop;
    EXPECT_EQ(FilterNumericKey(desktop, ','), '.');
    for (char key : std::string("0123456789-.\b\t\r"))
        EXPECT_EQ(FilterNumericKey(desktop, key), key);
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_TRUE(desktop.messages.empty());

    for (char key : std::string("a \x16\x1b+e"))
        EXPECT_EQ(FilterNumericKey(desktop, key), '\0') << int(key);
    EXPECT_EQ(desktop.beeps, 6);
    ASSERT_EQ(desktop.messages.size(), 6u);
    EXPECT_EQ(desktop.messages[0], (ScriptedDesktop::Message{"Warning", numeric_only}));
}

TEST(LimitInputLength, CutsToSixCharactersNotBytes)
{
    EXPECT_FALSE(IsInputTooLong("123456"));
    EXPECT_TRUE(IsInputTooLong("1234567"));
    EXPECT_EQ(LimitInputLength("1234567"), "123456");
    EXPECT_FALSE(IsInputTooLong("12345\xc3\xa9"));
    EXPECT_EQ(LimitInputLength("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9x"),
              "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
}

TEST(ParseFieldValue, AcceptsSpacesLonePointsAndSigns)
{
    ScriptedDesktop desktop;
    const auto parse = [&](const std::string& text) {
        const stats::Extended v = ParseFieldValue(desktop, text, caption1);
        EXPECT_FALSE(InputError) << text;
        return v;
    };
    EXPECT_EQ(parse("   "), 0);
    EXPECT_EQ(parse("."), 0);
    EXPECT_EQ(parse("-"), 0);
    EXPECT_EQ(parse("5."), 5);
    EXPECT_EQ(parse(".5"), 0.5);
    EXPECT_EQ(parse("-0.25"), -0.25);
    EXPECT_EQ(parse("1 2"), 12);
    EXPECT_EQ(parse("999999"), 999999);
    // Fraction digits are added one by one in double precision.
    EXPECT_EQ(parse("0.1"), static_cast<stats::Extended>(0.1));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ParseFieldValue, RejectsWithTheCaptionAndTheTextInItsMessage)
{
    ScriptedDesktop desktop;
    ParseFieldValue(desktop, "", caption1);
    EXPECT_TRUE(InputError);
    EXPECT_EQ(desktop.messages.back().text,
              "INPUT ERROR\r\r(  Minimum legitimate raw score:  )\r\r"
              "Data have not been entered in this field.");

    for (const std::string text : {"12..5", "1.2.3", "--1", "1,5", "1e3", "1-", " -1"}) {
        ParseFieldValue(desktop, text, "Maximum legitimate raw score:");
        EXPECT_TRUE(InputError) << text;
        EXPECT_EQ(desktop.messages.back(),
                  (ScriptedDesktop::Message{"Warning", "INPUT ERROR\r(  Maximum legitimate raw "
                                                       "score:  " + text + "  )\r\r"
                                                       "Enter numeric data only."}));
    }
    ParseFieldValue(desktop, "7", caption1);
    EXPECT_FALSE(InputError);
}

TEST(CheckSampleSize, AcceptsWholeNumbersAboveTwoOnly)
{
    ScriptedDesktop desktop;
    EXPECT_TRUE(CheckSampleSize(desktop, caption3, 3));
    EXPECT_TRUE(CheckSampleSize(desktop, caption3, 999999));
    EXPECT_TRUE(desktop.messages.empty());
    for (stats::Extended v : {2.0L, 0.0L, -5.0L, 3.5L})
        EXPECT_FALSE(CheckSampleSize(desktop, caption3, v)) << v;
    ASSERT_EQ(desktop.messages.size(), 4u);
    EXPECT_EQ(desktop.messages[0].text,
              "INPUT ERROR\r(  Total sample size (n) for the normative sample:  2.000  )\r"
              "The value for sample size must be an integer greater than 2.");
    EXPECT_EQ(desktop.messages[2].text.substr(64, 8), "-5.000  ");

    {
        const ScopedDecimalSeparator comma(",");
        CheckSampleSize(desktop, caption3, 250.5L);
    }
    EXPECT_NE(desktop.messages.back().text.find("(  " + caption3 + "  250,500  )"),
              std::string::npos);
}
