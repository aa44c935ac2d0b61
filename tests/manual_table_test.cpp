// The manual table: its cells and merged rows, its pages, the reversals between neighbouring
// columns, and --manual as vornak-batch scores takes it.
#include "norms/write/manual_table.hpp"

#include <filesystem>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "norms/write/manual_pages.hpp"
#include "stats/norm_scales.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;

namespace {

// A value whose limits are given on the table's scale; the rank is the point itself.
ManualValue value(Extended point, Extended lower95, Extended upper95, Extended lower90 = 0,
                  Extended upper90 = 0)
{
    return {{point, lower95, upper95, lower90, upper90}, point, lower95, upper95};
}

ManualColumn column(const std::string& title, std::vector<ManualValue> values)
{
    return {title, {"n = 50"}, std::move(values)};
}

ManualSource source(std::vector<ManualColumn> columns)
{
    return {"Spring norms", "age", "Bayesian method", 10, std::move(columns), {}};
}

std::vector<std::string> raw_column(const ManualTable& table)
{
    std::vector<std::string> raw;
    for (const ManualRow& row : table.rows)
        raw.push_back(row.raw);
    return raw;
}

std::vector<std::string> cells_of(const ManualTable& table, std::size_t column)
{
    std::vector<std::string> cells;
    for (const ManualRow& row : table.rows)
        cells.push_back(manual_cell_text(row.cells[column]));
    return cells;
}

// A table of `columns` columns, each cell "50 (40.0–60.0)", over `scores` raw scores that differ
// from one to the next, so that no rows merge.
ManualTable wide_table(int columns, int scores)
{
    std::vector<ManualColumn> made;
    for (int c = 0; c < columns; ++c) {
        std::vector<ManualValue> values;
        for (int j = 0; j < scores; ++j)
            values.push_back(value(10 + j, 5, 60));
        made.push_back(column("group " + std::to_string(c + 1), values));
    }
    return build_manual_table(source(made), {});
}

}  // namespace

TEST(ManualTable, CellsRoundAsTheWindowsDoAndScoresWithTheSameCellsShareARow)
{
    // Scores 10 to 14. 52.4 and 51.6 both show as 52, so 10 and 11 share a row when the
    // intervals are left out, but not with them, whose lower limits show as 47.3 and 47.4.
    const ManualSource ranks = source({
        column("8", {value(52.4, 47.3, 57.1, 48, 56), value(51.6, 47.4, 57.1, 48, 56),
                     value(99.96, 98.04, 100, 99, 100), value(99.96, 98.04, 100, 99, 100),
                     value(99.96, 98.04, 100, 99, 100)}),
        column("9", {value(4.95, 0.04, 9.86, 1, 8), value(4.95, 0.04, 9.86, 1, 8),
                     value(40, 30, 50, 32, 48), value(40, 30, 50, 32, 48), value(41, 30, 50, 32, 48)}),
    });
    const ManualTable with95 = build_manual_table(ranks, {});
    EXPECT_EQ(raw_column(with95), (std::vector<std::string>{"10", "11", "12\u201313", "14"}));
    // A rank below 5 or above 95 keeps one decimal, one from 5 to 95 none; limits one decimal.
    EXPECT_EQ(cells_of(with95, 0), (std::vector<std::string>{"52 (47.3\u201357.1)", "52 (47.4\u201357.1)",
                                                             "100.0 (98.0\u2013100.0)", "100.0 (98.0\u2013100.0)"}));
    EXPECT_EQ(cells_of(with95, 1), (std::vector<std::string>{"5.0 (0.0\u20139.9)", "5.0 (0.0\u20139.9)",
                                                             "40 (30.0\u201350.0)", "41 (30.0\u201350.0)"}));
    EXPECT_EQ(with95.subtitle, "Norm score: percentile rank (PR). Columns: age. Bayesian method.");
    EXPECT_EQ(with95.footnotes,
              (std::vector<std::string>{"In parentheses: the 95% interval of the norm score, Bayesian method."}));

    const ManualTable with90 = build_manual_table(ranks, {std::nullopt, ManualInterval::level90, std::nullopt});
    EXPECT_EQ(cells_of(with90, 1).front(), "5.0 (1.0\u20138.0)");
    EXPECT_EQ(with90.footnotes.front(), "In parentheses: the 90% interval of the norm score, Bayesian method.");

    const ManualTable bare = build_manual_table(ranks, {std::nullopt, ManualInterval::none, std::nullopt});
    EXPECT_EQ(raw_column(bare), (std::vector<std::string>{"10\u201311", "12\u201313", "14"}));
    EXPECT_EQ(cells_of(bare, 0), (std::vector<std::string>{"52", "100.0", "100.0"}));
    EXPECT_TRUE(bare.footnotes.empty());

    // On a scale, as the norm-scales window shows it: beyond its bounds "<" or ">" with the
    // bound, and a dash set apart from a negative upper limit.
    const stats::NormScale z = stats::StandardNormScales()[0];
    const stats::NormScale t = stats::StandardNormScales()[1];
    const ManualSource scores = source({column("8", {value(-1.234, -1.5, -0.986), value(0.5, -4.5, 4.2)})});
    EXPECT_EQ(cells_of(build_manual_table(scores, {z, ManualInterval::level95, std::nullopt}), 0),
              (std::vector<std::string>{"-1.23 (-1.50 \u2013 -0.99)", "0.50 (<-4.00\u2013>4.00)"}));
    const ManualSource t_scores = source({column("8", {value(8.7, -std::numeric_limits<Extended>::infinity(), 12.5)})});
    const ManualTable t_table = build_manual_table(t_scores, {t, ManualInterval::level95, std::nullopt});
    EXPECT_EQ(cells_of(t_table, 0), (std::vector<std::string>{"<10 (<10\u201313)"}));
    EXPECT_EQ(t_table.subtitle, "Norm score: T score. Columns: age. Bayesian method.");
}

TEST(ManualTable, ReversalsAreBetweenNeighboursOnTheExactRanks)
{
    // The ranks of raw scores 10 to 12 in three columns: 10 falls from a to b and rises from b
    // to c, which is a reversal of b → c only, however a and c compare; 11 rises by a hair
    // that no rounding would show; 12 stays the same, which is no reversal.
    const std::vector<ManualColumn> columns = {
        column("a", {value(30, 25, 35), value(40, 35, 45), value(50, 45, 55)}),
        column("b", {value(20, 15, 25), value(40, 35, 45), value(50, 45, 55)}),
        column("c", {value(26, 24, 28), value(40.0001L, 35, 45), value(50, 45, 55)}),
    };
    const std::vector<Reversal> rising = find_reversals(columns, 10, AbilityTrend::increasing);
    ASSERT_EQ(rising.size(), 2u);
    EXPECT_EQ(rising[0].raw_score, 10);
    EXPECT_EQ(rising[0].column, 1u);
    EXPECT_TRUE(rising[0].intervals_overlap);  // 15–25 and 24–28
    EXPECT_EQ(rising[1].raw_score, 11);
    EXPECT_EQ(rising[1].column, 1u);

    const std::vector<Reversal> falling = find_reversals(columns, 10, AbilityTrend::decreasing);
    ASSERT_EQ(falling.size(), 1u);
    EXPECT_EQ(falling[0].raw_score, 10);
    EXPECT_EQ(falling[0].column, 0u);
    EXPECT_TRUE(falling[0].intervals_overlap);  // 25–35 and 15–25 share 25

    EXPECT_FALSE(intervals_overlap(15, 24.9L, 25, 35));
}

TEST(ManualTable, VornakBatchListsEachReversalWithWhetherItsIntervalsOverlap)
{
    // Three age groups of 1000 over raw scores 0 to 3; age 9 scores lower than age 8, against
    // an ability that grows with age, and age 10 as age 8. At raw score 1 age 9's rank of 35
    // lies far beyond age 8's 15 (the 95% intervals 9.7–20.7 and 29.1–41.0); at 0 and 2 the
    // ranks differ within their intervals; at 3 they are equal.
    std::string people = "age,raw\n";
    const std::vector<std::pair<int, std::vector<int>>> groups = {
        {8, {100, 100, 700, 100}}, {9, {300, 100, 500, 100}}, {10, {100, 100, 700, 100}}};
    for (const auto& [age, frequencies] : groups)
        for (std::size_t score = 0; score < frequencies.size(); ++score)
            for (int i = 0; i < frequencies[score]; ++i)
                people += std::to_string(age) + "," + std::to_string(score) + "\n";
    const std::string path = write_temp_file("reversals.csv", people);
    const auto run = [&](const std::string& trend) {
        return batch({"scores", "--group", "age", "--score", "raw", "--csv", "--reversals", trend, "0", "3", path});
    };

    const Outcome increasing = run("increasing");
    EXPECT_EQ(increasing.status, 0);
    EXPECT_EQ(increasing.err,
              "reversal at raw score 0: PR 5.00 for age 8, 15.00 for age 9; the 95% intervals overlap\n"
              "reversal at raw score 1: PR 15.00 for age 8, 35.00 for age 9; the 95% intervals do not overlap\n"
              "reversal at raw score 2: PR 55.00 for age 8, 65.00 for age 9; the 95% intervals overlap\n");
    const Outcome decreasing = run("decreasing");
    EXPECT_EQ(decreasing.err,
              "reversal at raw score 0: PR 15.00 for age 9, 5.00 for age 10; the 95% intervals overlap\n"
              "reversal at raw score 1: PR 35.00 for age 9, 15.00 for age 10; the 95% intervals do not overlap\n"
              "reversal at raw score 2: PR 65.00 for age 9, 55.00 for age 10; the 95% intervals overlap\n");
    // The table on standard output is the one without the check.
    EXPECT_EQ(increasing.out, batch({"scores", "--group", "age", "--score", "raw", "--csv", "0", "3", path}).out);

    const std::string even = write_temp_file("even.csv", "age,raw\n8,0\n8,1\n8,2\n9,0\n9,1\n9,2\n");
    EXPECT_EQ(batch({"scores", "--group", "age", "--score", "raw", "--reversals", "increasing", "0", "2", even}).err,
              "no reversals across the 2 columns\n");
}

TEST(ManualPages, ATableGoesAcrossOnePortraitPageWhenItFitsAndItsRowsRunOn)
{
    const ManualTable table = wide_table(2, 12);
    // Each cell, such as "10 (5.0–60.0)", is 13 characters wide, under "group 1".
    const std::vector<ManualPage> pages = manual_pages(table, {70, 10}, {90, 7});
    // 10 lines: 2 header lines, a blank and a footnote line leave 6 rows a page.
    ASSERT_EQ(pages.size(), 2u);
    for (const ManualPage& page : pages) {
        EXPECT_FALSE(page.landscape);
        EXPECT_EQ(page.title, "Spring norms");
        // The titles and sizes are centred over their columns.
        EXPECT_EQ(page.header, (std::vector<std::string>{"Raw score      group 1         group 2",
                                                          "                n = 50          n = 50"}));
        EXPECT_EQ(page.foot, (std::vector<std::string>{
                                 "In parentheses: the 95% interval of the norm score, Bayesian method."}));
        EXPECT_EQ(page.body.size(), 6u);
    }
    EXPECT_EQ(pages[0].body[0], "       10   10 (5.0\u201360.0)   10 (5.0\u201360.0)");
    EXPECT_EQ(pages[1].body[5], "       21   21 (5.0\u201360.0)   21 (5.0\u201360.0)");
}

TEST(ManualPages, ColumnsTurnThePageThenSplitOverPagesOnlyWhenALandscapeLineIsTooShort)
{
    // The raw-score column takes 9 characters, each group 3 + 13.
    const ManualTable three = wide_table(3, 4);
    EXPECT_TRUE(manual_pages(three, {56, 40}, {60, 30}).front().landscape);
    EXPECT_FALSE(manual_pages(three, {57, 40}, {80, 30}).front().landscape);

    const ManualTable seven = wide_table(7, 4);  // 9 + 7 × 16 = 121 characters
    const std::vector<ManualPage> pages = manual_pages(seven, {60, 40}, {100, 30});
    ASSERT_EQ(pages.size(), 2u);
    // As many groups as fit beside the raw scores, 9 + 5 × 16 = 89, then the rest, each page
    // with the raw scores again.
    for (const ManualPage& page : pages) {
        EXPECT_TRUE(page.landscape);
        EXPECT_TRUE(page.header.front().starts_with("Raw score"));
        EXPECT_TRUE(page.body.front().starts_with("       10"));
        for (const std::string& line : page.body)
            EXPECT_LE(text_width(line), 100);
    }
    EXPECT_TRUE(pages[0].header.front().ends_with("group 5"));
    EXPECT_EQ(pages[1].header.front(), "Raw score      group 6         group 7");
}

TEST(ManualPages, LongTitlesWrapAndReversalsFollowOnTheirOwnPage)
{
    EXPECT_EQ(wrap_text("children aged eight, tested in spring", 16),
              (std::vector<std::string>{"children aged", "eight, tested in", "spring"}));
    EXPECT_EQ(wrap_text("Kindergartenkinder", 8), (std::vector<std::string>{"Kinderga", "rtenkind", "er"}));

    ManualSource made = source({column("children aged eight, tested in spring", {value(50, 40, 60)}),
                                column("9", {value(60, 55, 65)})});
    const ManualTable table =
        build_manual_table(made, {std::nullopt, ManualInterval::level95, AbilityTrend::increasing});
    const std::vector<ManualPage> pages = manual_pages(table, {80, 40}, {120, 30});
    ASSERT_EQ(pages.size(), 2u);
    // The title's lines stand above its column, the last of them beside "Raw score".
    EXPECT_EQ(pages[0].header, (std::vector<std::string>{"              children aged",
                                                          "            eight, tested in",
                                                          "Raw score        spring               9",
                                                          "                 n = 50            n = 50"}));
    EXPECT_EQ(pages[1].subtitle, "Reversals of the percentile rank between adjacent columns");
    ASSERT_EQ(pages[1].body.size(), 1u);
    EXPECT_EQ(pages[1].body.front(),
              "       10   age children aged eight, tested in spring   50.00      40.0\u201360.0   age 9   60.00      "
              "55.0\u201365.0   overlap");
}

TEST(ManualBatch, ItsOptionsAreCheckedAndItsFileIsWholeOrNothing)
{
    const std::string people = write_temp_file("manual_people.csv", "band,raw\na,0\na,1\na,2\nb,1\nb,2\nb,2\n");
    const auto run = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments = {"scores", "--group", "band", "--score", "raw"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.insert(arguments.end(), {"0", "2", people});
        return batch(arguments);
    };
    const auto reason = [](const Outcome& outcome) { return outcome.err.substr(0, outcome.err.find('\n')); };
    // Without a painter, as here, a PDF cannot be drawn; vornak-batch itself draws it.
    EXPECT_EQ(reason(run({"--manual", "table.pdf"})), "vornak-batch: --manual takes a file name ending in .xlsx");
    EXPECT_EQ(reason(run({"--manual", "table.csv"})), "vornak-batch: --manual takes a file name ending in .xlsx");
    EXPECT_EQ(reason(run({"--manual-interval", "90"})),
              "vornak-batch: --manual-interval chooses what the manual table shows, which needs --manual");
    EXPECT_EQ(reason(run({"--manual", "t.xlsx", "--manual-scale", "T-score"})),
              "vornak-batch: --manual-scale takes PR, z, T, IQ, scaled, NCE, stanine, sten or M,SD such as 500,100");
    EXPECT_EQ(run({"--manual", "t.xlsx", "--reversals", "older"}).status, 2);

    // A manual table that cannot be written leaves standard output empty and the workbook of
    // --xlsx unwritten.
    const std::string folder = testing::TempDir() + "manual_outputs/";
    std::filesystem::create_directories(folder);
    const Outcome failed = run({"--xlsx", folder + "norms.xlsx", "--manual", folder + "missing/manual.xlsx"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_FALSE(std::filesystem::exists(folder + "norms.xlsx"));

    const Outcome written = run({"--manual", folder + "Manual.XLSX"});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(file_content(folder + "Manual.XLSX").substr(0, 2), "PK");
}

TEST(ManualPages, ATitleTooLongForTheHeaderIsCutAndFollowsInFull)
{
    // Ten thousand characters would wrap into hundreds of header lines, more than a page holds.
    const std::string label = "pupils " + std::string(10000, 'x');
    std::vector<ManualValue> values;
    for (int j = 0; j < 40; ++j)
        values.push_back(value(j * 2.5, 0, 100));
    const ManualTable table = build_manual_table(source({column(label, values), column("9", values)}), {});
    const std::string cut = "pupils " + std::string(40, 'x') + "…";  // 48 characters
    EXPECT_EQ(table.column_titles, (std::vector<std::string>{cut, "9"}));
    ASSERT_EQ(table.full_titles.size(), 1u);
    EXPECT_TRUE(table.full_titles[0] == cut + ": " + label);

    const std::vector<ManualPage> pages = manual_pages(table, {80, 40}, {120, 30});
    std::size_t rows = 0;
    std::string in_full;
    for (const ManualPage& page : pages) {
        if (page.subtitle == "Column titles in full") {
            for (const std::string& line : page.body)
                in_full += line;
            continue;
        }
        EXPECT_EQ(page.header.size(), 5u);  // three lines of the cut title, "Raw score" and n
        rows += page.body.size();
    }
    EXPECT_EQ(rows, 40u);
    EXPECT_TRUE(in_full == cut + ": pupils" + std::string(10000, 'x')) << in_full.substr(0, 100);
}
