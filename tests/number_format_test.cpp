#include "stats/number_format.hpp"

#include <gtest/gtest.h>

#include "tests/support/decimal_separator.hpp"

using namespace stats;

// printf rounds the binary value half-to-even; these must go through 18 digits and then round
// halves away from zero.
TEST(FormatFixed, RoundsHalvesAwayFromZeroAfter18Digits)
{
    EXPECT_EQ(format_fixed(12.5L, 0, 0), "13");
    EXPECT_EQ(format_fixed(2.25L, 0, 1), "2.3");
    EXPECT_EQ(format_fixed(1.5L / 120 * 100, 0, 1), "1.3");
    EXPECT_EQ(format_fixed(0.15L, 0, 1), "0.2");
    EXPECT_EQ(format_fixed(-2.25L, 0, 1), "-2.3");
    EXPECT_EQ(format_fixed(99.96L, 0, 1), "100.0");
    EXPECT_EQ(format_fixed(0.96L, 0, 0), "1");
    EXPECT_EQ(format_fixed(0.0004L, 0, 2), "0.00");
}

TEST(FormatFixed, PadsWithoutCuttingAndDropsTheSignOfZero)
{
    EXPECT_EQ(format_fixed(16.666L, 6, 1), "  16.7");
    EXPECT_EQ(format_fixed(123456.7L, 3, 1), "123456.7");
    EXPECT_EQ(format_fixed(-0.04L, 6, 1), "   0.0");
    EXPECT_EQ(format_fixed(-0.06L, 6, 1), "  -0.1");
    EXPECT_EQ(format_fixed(1e20L, 0, 0), "100000000000000000000");
}

TEST(FormatNumber, ShowsUpToTwelveDecimalsWithTheRegionalSeparator)
{
    EXPECT_EQ(format_number(0.5L), "0.5");
    EXPECT_EQ(format_number(2), "2");
    EXPECT_EQ(format_number(1.0L / 3), "0.333333333333");
    EXPECT_EQ(format_number(-2147483647), "-2147483647");
    EXPECT_EQ(format_number(-1e-15L), "0");
    const ScopedDecimalSeparator comma(",");
    EXPECT_EQ(format_number(0.25L), "0,25");
    EXPECT_EQ(format_fixed(7, 0, 2), "7,00");
}
