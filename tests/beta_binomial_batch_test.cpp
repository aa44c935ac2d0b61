#include "norms/batch/beta_binomial_batch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "norms/tables/beta_binomial_model_file.hpp"
#include "norms/write/continuous_csv.hpp"
#include "stats/number_format.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/beta_binomial_samples.hpp"
#include "tests/support/temp_files.hpp"

using namespace norms;
using stats::Extended;

namespace {

Outcome continuous(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "continuous");
    return batch(arguments);
}

// 600 cases of a 20-item test, ages to one decimal from 6 to 12, with a grade of 1 to 3 by age,
// then a case without a score.
const stats::BetaBinomialSample& sample()
{
    static const stats::BetaBinomialSample cases = beta_binomial_samples::drawn(20, 600, 17);
    return cases;
}

int grade_of(Extended age)
{
    return age < 8 ? 1 : age < 10 ? 2 : 3;
}

std::string sample_csv()
{
    std::string text = "age,grade,raw\n";
    for (std::size_t i = 0; i < sample().scores.size(); ++i)
        text += stats::data_number_text(static_cast<double>(sample().ages[i])) + "," +
                std::to_string(grade_of(sample().ages[i])) + "," +
                std::to_string(static_cast<int>(sample().scores[i])) + "\n";
    return text + "7.5,1,\n";
}

std::string csv_of(const std::vector<stats::NormCell>& cells)
{
    std::ostringstream out;
    write_continuous_csv(out, cells, false);
    return out.str();
}

const std::vector<std::string> fixed_degrees = {"--family", "betabinomial", "--items",  "20",  "--alpha-degree",
                                                "2",        "--beta-degree", "1",      "--score", "raw"};

std::vector<std::string> with(std::vector<std::string> arguments, const std::vector<std::string>& more)
{
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

}  // namespace

TEST(BetaBinomialBatch, TheCsvHoldsTheModelsCellsAndASavedModelGivesThemBitForBit)
{
    const std::string data = write_temp_file("bb_sample.csv", sample_csv());
    const std::string model = testing::TempDir() + "bb_model.json";
    const Outcome fitted = continuous(
        with(fixed_degrees, {"--age", "age", "--ages", "6.5,9,11.8", "--csv", "--save-model", model, "0", "20", data}));
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    EXPECT_EQ(fitted.err, "1 case skipped for a missing score or age\n");

    // The cells of the same fit through the model's own functions: the complete cases only.
    const stats::BetaBinomialFit fit =
        stats::fit_beta_binomial(sample(), 20, 2, 1, stats::StandardNormScales()[1]);
    // The ages as doubles, as the CSV's ages are.
    const std::vector<stats::NormCell> cells = stats::beta_binomial_norm_table(fit.model, {6.5, 9, 11.8});
    EXPECT_EQ(fitted.out, csv_of(cells));
    EXPECT_EQ(fitted.out.substr(0, fitted.out.find('\n')), "age,raw_score,norm,pr");
    EXPECT_EQ(cells.size(), 3u * 21);  // every raw score 0 … 20 at each age

    const Outcome saved = continuous({"--model", model, "--ages", "6.5,9,11.8", "--csv", "0", "20"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, fitted.out);
    EXPECT_EQ(beta_binomial_model_json(parse_beta_binomial_model(file_content(model))), file_content(model));

    // A damaged model file is refused, saying what is wrong.
    std::string damaged = file_content(model);
    damaged.replace(damaged.find("\"alpha\""), 7, "\"gamma\"");
    const Outcome refused =
        continuous({"--model", write_temp_file("bb_damaged.json", damaged), "--ages", "9", "0", "20"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("\"alpha\" is missing"), std::string::npos) << refused.err;
}

TEST(BetaBinomialBatch, TheReportGivesTheFitAndGradesServeAsAges)
{
    const std::string data = write_temp_file("bb_grades.csv", sample_csv());
    const Outcome run = continuous(with(fixed_degrees, {"--age", "grade", "0", "20", data}));
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string line :
         {" Raw scores: 0 to 20, the number of items", " Cases: 600 used, 1 skipped for a missing value",
          " Model: log α of degree 2 and log β of degree 1, the degrees asked for",
          " Fit by age group: model's PR less the sample's mid-rank PR", " Norms at age 1:", " Norms at age 3:"})
        EXPECT_NE(run.out.find(line + "\n"), std::string::npos) << line << "\n" << run.out;
    EXPECT_NE(run.out.find("Log-likelihood "), std::string::npos);
    EXPECT_NE(run.out.find("Standard error"), std::string::npos);
    // One fit line per grade.
    EXPECT_NE(run.out.find("\n    1  "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(" Norms at age 1.5:"), std::string::npos);

    // An age beyond the sample's is extrapolated, with a warning beside the CSV.
    const Outcome beyond =
        continuous(with(fixed_degrees, {"--age", "grade", "--ages", "0.5,2", "--csv", "0", "20", data}));
    ASSERT_EQ(beyond.status, 0) << beyond.err;
    EXPECT_NE(beyond.err.find("Age 0.5 lies outside the norm sample's ages, 1 to 3; its norms are extrapolated.\n"),
              std::string::npos)
        << beyond.err;
    EXPECT_EQ(std::count(beyond.out.begin(), beyond.out.end(), '\n'), 1 + 2 * 21);
}

TEST(BetaBinomialBatch, CaseWeightsCountAsRepeatedCases)
{
    // The first 100 cases weigh 3 in one file and come three times in the other.
    std::string weighted = "age,raw,w\n";
    std::string repeated = "age,raw\n";
    for (std::size_t i = 0; i < sample().scores.size(); ++i) {
        const std::string row = stats::data_number_text(static_cast<double>(sample().ages[i])) + "," +
                                std::to_string(static_cast<int>(sample().scores[i]));
        weighted += row + (i < 100 ? ",3\n" : ",1\n");
        for (int copy = 0; copy < (i < 100 ? 3 : 1); ++copy)
            repeated += row + "\n";
    }
    weighted += "8,5,\n";
    const auto cells = [](const Outcome& run) {
        std::vector<Extended> norms;
        std::istringstream lines(run.out);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line))
            norms.push_back(std::stold(line.substr(line.find(',', line.find(',') + 1) + 1)));
        return norms;
    };
    const Outcome by_weight =
        continuous(with(fixed_degrees, {"--age", "age", "--weight", "w", "--ages", "7,10", "--csv", "0", "20",
                                        write_temp_file("bb_w.csv", weighted)}));
    ASSERT_EQ(by_weight.status, 0) << by_weight.err;
    EXPECT_EQ(by_weight.err, "1 case skipped for a missing weight\n");
    const Outcome by_copies = continuous(
        with(fixed_degrees,
             {"--age", "age", "--ages", "7,10", "--csv", "0", "20", write_temp_file("bb_r.csv", repeated)}));
    const std::vector<Extended> weighted_norms = cells(by_weight), repeated_norms = cells(by_copies);
    ASSERT_EQ(weighted_norms.size(), 42u);
    ASSERT_EQ(repeated_norms.size(), 42u);
    for (std::size_t c = 0; c < weighted_norms.size(); ++c)
        EXPECT_NEAR(weighted_norms[c], repeated_norms[c], 1e-6L) << c;  // both at the maximum
}

TEST(BetaBinomialBatch, BootstrapLimitsRepeatWithTheirSeed)
{
    const std::string data = write_temp_file("bb_boot.csv", sample_csv());
    const auto run = [&](const std::string& seed) {
        return continuous({"--family", "betabinomial", "--items", "20", "--score", "raw", "--group", "grade",
                           "--bootstrap", "4", "--seed", seed, "--csv", "0", "20", data});
    };
    const Outcome first = run("5");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.substr(0, first.out.find('\n')),
              "age,raw_score,norm,pr,norm_lower95,norm_upper95,norm_lower90,norm_upper90,pr_lower95,pr_upper95,"
              "pr_lower90,pr_upper90");
    EXPECT_EQ(run("5").out, first.out);
    EXPECT_NE(run("6").out, first.out);
}

TEST(BetaBinomialBatch, RefusalsNameWhatIsWrong)
{
    const std::string data = write_temp_file("bb_refused.csv", "age,raw\n7,3\n8,21\n9,4\n");
    // A score above the number of items, with its place.
    Outcome run = continuous(with(fixed_degrees, {"--age", "age", "0", "25", data}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("line 3, column \"raw\": \"21\" is not a whole number from 0 to 20"), std::string::npos)
        << run.err;

    // Everyone at the floor: no maximum, so no table.
    run = continuous(with(fixed_degrees, {"--age", "age", "0", "20",
                                          write_temp_file("bb_floor.csv", "age,raw\n7,0\n8,0\n9,0\n10,0\n")}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("The beta-binomial fit of degrees 2 and 1 did not converge"), std::string::npos)
        << run.err;

    for (const auto& [arguments, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--family", "betabinomial", "--score", "raw", "--age", "age"},
              "--family betabinomial needs --items: the number of items is the highest score"},
             {{"--family", "betabinomial", "--items", "20", "--score", "raw", "--age", "age", "--width", "1"},
              "--width has no use with --family betabinomial, which ranks no cases"},
             {{"--family", "betabinomial", "--items", "20", "--alpha-degree", "2", "--score", "raw", "--age", "age"},
              "--alpha-degree and --beta-degree go together: give both, or neither to have both chosen by BIC"},
             {{"--items", "20", "--score", "raw", "--age", "age", "--width", "1"},
              "--items needs --family betabinomial"},
             {{"--weight", "w", "--score", "raw", "--age", "age", "--width", "1"},
              "--weight needs --family betabinomial"},
             {{"--family", "betabinomial", "--items", "20", "--alpha-degree", "5", "--beta-degree", "1", "--score",
               "raw", "--age", "age"},
              "--alpha-degree takes a whole number from 0 to 4"}}) {
        run = continuous(with(arguments, {"0", "20", data}));
        EXPECT_EQ(run.status, 2) << reason;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "vornak-batch: " + reason);
    }
}

TEST(BetaBinomialBatch, TheWorkbookIsWrittenBesideTheReport)
{
    const std::string data = write_temp_file("bb_outputs.csv", sample_csv());
    const std::string workbook = testing::TempDir() + "bb_outputs.xlsx";
    const Outcome run =
        continuous(with(fixed_degrees, {"--age", "age", "--ages", "7,11", "--xlsx", workbook, "0", "20", data}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(file_content(workbook).substr(0, 2), "PK");
    const std::string manual_path = testing::TempDir() + "bb.xlsx";
    const Outcome manual =
        continuous(with(fixed_degrees, {"--age", "age", "--ages", "7,11", "--manual", manual_path, "0", "20", data}));
    ASSERT_EQ(manual.status, 0) << manual.err;
    EXPECT_EQ(file_content(manual_path).substr(0, 2), "PK");
}
