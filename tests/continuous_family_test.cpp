#include <gtest/gtest.h>

#include <algorithm>

#include "stats/number_format.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/beta_binomial_samples.hpp"
#include "tests/support/temp_files.hpp"

namespace {

Outcome continuous(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "continuous");
    return batch(arguments);
}

// 600 cases of a 20-item test at ages 6 to 12, drawn from a beta-binomial population.
std::string counts_csv()
{
    const stats::BetaBinomialSample cases = beta_binomial_samples::drawn(20, 600, 17);
    std::string text = "age,raw\n";
    for (std::size_t i = 0; i < cases.scores.size(); ++i)
        text += stats::data_number_text(static_cast<double>(cases.ages[i])) + "," +
                std::to_string(static_cast<int>(cases.scores[i])) + "\n";
    return text;
}

}  // namespace

TEST(ContinuousFamily, TheBetterFamilyOutOfSampleMakesTheTablesAsItsOwnRunWould)
{
    const std::string data = write_temp_file("family_counts.csv", counts_csv());
    const std::vector<std::string> common = {"--score", "raw", "--age", "age", "--ages", "6.5,11"};
    auto with = [&common](std::vector<std::string> more) {
        more.insert(more.begin(), common.begin(), common.end());
        return more;
    };
    const Outcome best = continuous(with({"--family", "best", "--width", "1", "--csv", "0", "20", data}));
    ASSERT_EQ(best.status, 0) << best.err;
    const Outcome own = continuous(with({"--family", "betabinomial", "--items", "20", "--csv", "0", "20", data}));
    ASSERT_EQ(own.status, 0) << own.err;
    // Its cells bit for bit, the items being the table's highest score.
    EXPECT_EQ(best.out, own.out);
    EXPECT_EQ(std::count(best.out.begin(), best.out.end(), '\n'), 1 + 2 * 21);

    // The data choose the family by default; --terms fixes a Taylor model instead.
    const Outcome report = continuous(with({"--width", "1", "0", "20", data}));
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out, continuous(with({"--family", "best", "--width", "1", "0", "20", data})).out);
    const Outcome fixed = continuous(with({"--terms", "4", "--width", "1", "--csv", "0", "20", data}));
    ASSERT_EQ(fixed.status, 0) << fixed.err;
    EXPECT_EQ(fixed.out, continuous(with({"--family", "taylor", "--terms", "4", "--width", "1", "--csv", "0", "20", data})).out);
    EXPECT_NE(report.out.find(" Family: the one whose norm scores err least on held-out cases (5-fold "
                              "cross-validation)"),
              std::string::npos)
        << report.out;
    EXPECT_NE(report.out.find("beta-binomial of 20 items: "), std::string::npos);
    EXPECT_NE(report.out.find("   Chosen: beta-binomial\n"), std::string::npos) << report.out;
}

TEST(ContinuousFamily, ChoicesThatFixTheModelAreRefusedWithBest)
{
    const std::string data = write_temp_file("family_refusals.csv", counts_csv());
    const Outcome terms = continuous({"--family", "best", "--terms", "4", "--score", "raw", "--age", "age", "0", "20", data});
    EXPECT_EQ(terms.status, 2);
    EXPECT_NE(terms.err.find("--terms has no use with --family best, which chooses the model by cross-validation "
                             "from the data"),
              std::string::npos)
        << terms.err;
}

// Rows asked for: whole ones keep the beta-binomial in the running and take its cells of those
// scores; rows with decimals leave it unjudged, and the Taylor model gives them as its own run.
TEST(ContinuousFamily, TheRowsAskedForDecideWhetherTheBetaBinomialIsJudged)
{
    const std::string data = write_temp_file("family_rows.csv", counts_csv());
    const std::vector<std::string> common = {"--score", "raw", "--age", "age", "--ages", "6.5,11", "--csv"};
    auto with = [&common, &data](std::vector<std::string> more) {
        more.insert(more.begin(), common.begin(), common.end());
        more.insert(more.end(), {"0", "20", data});
        return more;
    };
    const Outcome own = continuous(with({"--family", "betabinomial", "--items", "20"}));
    const Outcome listed = continuous(with({"--family", "best", "--width", "1", "--raw-scores", "7,3"}));
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::vector<std::string> rows = {own.out.substr(0, own.out.find('\n') + 1)};
    for (const std::string age : {"6.5", "11"})
        for (const std::string raw : {"3", "7"}) {
            const std::size_t at = own.out.find("\n" + age + "," + raw + ",") + 1;
            rows.push_back(own.out.substr(at, own.out.find('\n', at) + 1 - at));
        }
    std::string expected;
    for (const std::string& row : rows)
        expected += row;
    EXPECT_EQ(listed.out, expected);

    const Outcome halves = continuous(with({"--family", "best", "--width", "1", "--step", "0.5"}));
    ASSERT_EQ(halves.status, 0) << halves.err;
    EXPECT_EQ(std::count(halves.out.begin(), halves.out.end(), '\n'), 1 + 2 * 41);
    const Outcome report = continuous(
        {"--family", "best", "--score", "raw", "--age", "age", "--ages", "6.5,11", "--width", "1", "--step", "0.5",
         "0", "20", data});
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out.find("beta-binomial"), std::string::npos) << report.out;
    ASSERT_NE(report.out.find("   Chosen: Taylor polynomial\n"), std::string::npos) << report.out;
    EXPECT_EQ(halves.out, continuous(with({"--family", "taylor", "--width", "1", "--step", "0.5"})).out);
}
