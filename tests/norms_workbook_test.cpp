#include "norms/write/norms_workbook.hpp"

#include <gtest/gtest.h>

using namespace norms;

TEST(NormsWorkbook, SheetNamesKeepExcelsRules)
{
    std::string umlauts;
    for (int i = 0; i < 40; ++i)
        umlauts += "\xC3\xA4";  // ä, two bytes
    const std::string long_name(35, 'x');
    const std::vector<std::string> names = WorksheetNames(
        {"", "About", "about", "A", "a", umlauts, std::string(30, 'y') + "'abc", "'q'", long_name, long_name});
    const std::vector<std::string> expected = {
        "Norms", "About (2)", "about (3)", "A", "a (2)",
        umlauts.substr(0, 62),                 // 31 characters, none cut in two
        std::string(30, 'y') + "_",            // no apostrophe at the end once cut
        "_q_", std::string(31, 'x'), std::string(27, 'x') + " (2)",
    };
    EXPECT_EQ(names, expected);
}
