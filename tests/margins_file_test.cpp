// The margins file: what it gives the raking, and the line each refusal names.
#include "norms/read/margins_file.hpp"

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
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(failure_of([&] { norms::parse_margins(text); }), message) << text;
}
