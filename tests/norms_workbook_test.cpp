#include "norms/write/norms_workbook.hpp"
#include "norms/write/workbook_digits.hpp"

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

TEST(NormsWorkbook, SheetNamesHoldNoControlCharacterOrStrayByte)
{
    // Excel and every XML reader refuse such a name; each character or byte becomes "_".
    EXPECT_EQ(WorksheetNames({"\x1bx", "a\x01" "b", "caf\xe9", "\xc2\x9b" "1m", "\xef\xbf\xbf"}),
              (std::vector<std::string>{"_x", "a_b", "caf_", "_1m", "_"}));
}

TEST(NormsWorkbook, APartCutShortIsNotWhole)
{
    const std::string part =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"x\"><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData></worksheet>\n";
    EXPECT_TRUE(is_whole_xml_part(part));
    EXPECT_TRUE(is_whole_xml_part("<?xml version=\"1.0\"?>\n<dxfs count=\"0\"/>\n"));
    // Cut anywhere, even just before the root's own end tag or inside it, the part is not whole.
    for (const std::size_t cut : {std::size_t{0}, std::size_t{40}, part.find("</sheetData>"),
                                  part.find("</worksheet>"), part.size() - 3})
        EXPECT_FALSE(is_whole_xml_part(part.substr(0, cut))) << cut;
}
