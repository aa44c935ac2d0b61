// The margins file: what it gives the raking, and the line each refusal names.
#include "norms/read/margins_file.hpp"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "stats/raking.hpp"
#include "tests/support/failure_of.hpp"

TEST(MarginsFile, VariablesInTheOrderOfTheirFirstLine)
{
    const std::vector<norms::MarginsVariable> margins = norms::parse_margins(
        "\xEF\xBB\xBFvariable,value,share\r\n"
        "region,\"North, coast\",0.25\r\n"
        "sex,F,.5\r\n"
        "region,South,7.5e-1\r\n"
        "sex,M,0.5");
    ASSERT_EQ(margins.size(), 2u);
    EXPECT_EQ(margins[0].name, "region");
    EXPECT_EQ(margins[0].values, (std::vector<std::string>{"North, coast", "South"}));
    EXPECT_EQ(margins[0].shares, (std::vector<stats::Extended>{0.25L, 0.75L}));
    EXPECT_EQ(margins[1].values, (std::vector<std::string>{"F", "M"}));
    EXPECT_EQ(margins[1].level_of("M"), 1);
    EXPECT_EQ(margins[1].level_of("m"), stats::level_without_share);
}

TEST(MarginsFile, RefusalsNameTheLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "The margins file has no margins below its header line"},
        {"variable,value,share\n", "The margins file has no margins below its header line"},
        {"variable,value,weight\na,1,1\n",
         "Margins file, line 1: the header line must be \"variable,value,share\""},
        {"variable,value,share\n\na,1\n", "Margins file, line 3: 2 fields, but the header line has 3"},
        {"variable,value,share\n,1,1\n", "Margins file, line 2: no variable name"},
        {"variable,value,share\na,,1\n", "Margins file, line 2: no value of the variable \"a\""},
        {"variable,value,share\na,1,0.5\na,2,1.5\n",
         "Margins file, line 3: the share \"1.5\" is not a number from 0 to 1"},
        {"variable,value,share\na,1,-0\na,2,50%",
         "Margins file, line 3: the share \"50%\" is not a number from 0 to 1"},
        {"variable,value,share\na,1,0.5\nb,1,1\r\na,1,0.5\n",
         "Margins file, line 4: the variable \"a\" has the value \"1\" already on line 2"},
        {"variable,value,share\na,1\"x\",1\n", "Margins file, line 2: a quote character out of place"},
        {"variable,value,share\na,\"1,1\n", "Margins file, the file ends inside a quoted field"},
        // Lines end with CR alone too, and count as any other.
        {"variable,value,share\ra,1,0.5\r\rb,1,1\r\na,1,0.5\r",
         "Margins file, line 5: the variable \"a\" has the value \"1\" already on line 2"},
        {"variable,value,share\ra,1,0.5\ra,2,x\r", "Margins file, line 3: the share \"x\" is not a number from 0 to 1"},
        // A weight from so small a share would come out as 0.
        {"variable,value,share\na,1,1e-300\na,2,1e-301\n",
         "Margins file, line 3: the share \"1e-301\" is below 1e-300, too small to give a weight"},
        {"variable,value,share\na,1,1\na,2,1e-400\n",
         "Margins file, line 3: the share \"1e-400\" is below 1e-300, too small to give a weight"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(failure_of([&] { norms::parse_margins(text); }), message) << text;
}

TEST(MarginsFile, ManyLevelsAreReadInLinearTime)
{
    // 111,845 levels of one variable in about 1 MB: a check of each line against all the lines
    // before it takes seconds here.
    constexpr int levels = 111845;
    std::string text = "variable,value,share\n";
    for (int i = 0; i < levels; ++i)
        text += "v," + std::to_string(i) + ",0\n";
    const std::string repeated = text + "v,77,0\n";
    const auto start = std::chrono::steady_clock::now();
    const std::vector<norms::MarginsVariable> margins = norms::parse_margins(text);
    EXPECT_EQ(failure_of([&] { norms::parse_margins(repeated); }),
              "Margins file, line " + std::to_string(levels + 2) + ": the variable \"v\" has the value \"77\" "
              "already on line 79");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    ASSERT_EQ(margins.size(), 1u);
    ASSERT_EQ(margins[0].values.size(), std::size_t{levels});
    EXPECT_EQ(margins[0].level_of("111844"), levels - 1);
    EXPECT_EQ(margins[0].level_of("111845"), stats::level_without_share);
}
