// Continuous norms on inputs made to break them: model files that cannot give norms or that
// hold control characters, ages of extreme size, scales far out of range, long lists of small
// groups, a search too large to finish, and Ctrl-C.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <future>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "norms/batch/console_watch.hpp"
#include "norms/batch/continuous_batch.hpp"
#include "norms/tables/continuous_model_file.hpp"
#include "stats/continuous_norms.hpp"
#include "stats/number_format.hpp"
#include "tests/support/batch_executable.hpp"
#include "tests/support/batch_outcome.hpp"
#include "tests/support/continuous_samples.hpp"
#include "tests/support/temp_files.hpp"

using nlohmann::json;

namespace {

Outcome continuous(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "continuous");
    return batch(arguments);
}

// A model fitted to five age groups (6.5 … 10.5), saved with one change.
std::string model_file(const std::string& name, const std::function<void(json&)>& change)
{
    static const stats::ContinuousModel model =
        stats::fit_continuous_norms(continuous_samples::age_trend(5, 60, 7), {}).model;
    json file = json::parse(norms::continuous_model_json(model));
    change(file);
    return write_temp_file(name, file.dump());
}

Outcome tables_of(const std::string& model, const std::vector<std::string>& more = {})
{
    std::vector<std::string> arguments = {"--model", model, "--ages", "7,9"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.insert(arguments.end(), {"0", "40"});
    return continuous(arguments);
}

// `per_group` cases of raw scores 0, 1, 2 … at each of the values, as a CSV of "band,raw".
std::string groups_csv(const std::string& name, const std::vector<std::string>& values, int per_group = 12)
{
    std::string text = "band,raw\n";
    for (std::size_t g = 0; g < values.size(); ++g)
        for (int i = 0; i < per_group; ++i)
            text += values[g] + "," + std::to_string(i + static_cast<int>(g) * 2) + "\n";
    return write_temp_file(name, text);
}

bool holds_control_byte(const std::string& text)
{
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f)
            return true;
    return false;
}

}  // namespace

TEST(ContinuousHostileInput, AModelFileThatGivesNoNormScoreIsRefusedWithTheReason)
{
    const std::string damaged = "The model file is damaged: ";
    const struct {
        std::function<void(json&)> change;
        std::string err;
    } cases[] = {
        {[](json& f) { f["terms"] = {{"A1", 0.5}}; }, damaged + "it has no term in L.\n"},
        {[](json& f) { f["terms"] = json::object(); }, damaged + "it has no term in L.\n"},
        {[](json& f) { f["terms"] = {{"L1", -0.3}}; },
         damaged + "its raw score rises with L at none of its ages, so it gives no norm score.\n"},
        {[](json& f) { f["terms"] = {{"L1", 0.0}, {"A1", 1.0}}; },
         damaged + "its raw score rises with L at none of its ages, so it gives no norm score.\n"},
        {[](json& f) { f["ranges"]["L"]["max"] = f["ranges"]["L"]["min"]; }, damaged + "its range of L has no width.\n"},
        {[](json& f) { f["ranges"]["age"] = {{"min", 1e300}, {"max", 3e300}}; },
         damaged + "its ages run from 1e+300 to 3e+300, too far from 0 for the powers of age a model takes: give "
                   "them in a unit that keeps them within 1e30 of 0.\n"},
        {[](json& f) { f["scale"]["mean"] = 1e300; },
         damaged + "its scale's mean and SD lie beyond a mean within 1000000 of 0 and an SD from 0.001 to "
                   "1000000.\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = tables_of(model_file("no_norms.json", c.change));
        EXPECT_EQ(run.status, 1) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }

    // Curves that cross at the higher ages only still give norms there and below, with the fit's warning.
    const Outcome crossing = tables_of(model_file("crossing.json", [](json& f) {
        f["terms"] = {{"L1", 1.0}, {"L2A1", -0.0008}};
    }));
    EXPECT_EQ(crossing.status, 0) << crossing.err;
    EXPECT_TRUE(crossing.err.starts_with("No model of 2 terms keeps the raw score from falling as L rises; the best "
                                         "one, L1, L2A1, is used. Its curves cross at age "))
        << crossing.err;
    EXPECT_NE(crossing.out.find("Norms at age 9:"), std::string::npos);
}

TEST(ContinuousHostileInput, NoControlByteOfAModelFileReachesAMessageOrTheReport)
{
    const Outcome escape = tables_of(model_file("escape.json", [](json& f) { f["terms"]["L1\x1b[2J"] = 1; }));
    EXPECT_EQ(escape.status, 1);
    EXPECT_EQ(escape.err, "The model file is damaged: \"L1\\x1B[2J\" is not a term name.\n");
    const Outcome nul =
        tables_of(model_file("nul.json", [](json& f) { f[std::string("a.\0b", 4)] = 1; }));
    EXPECT_EQ(nul.err, "The model file is damaged: \"a.\\x00b\" is not a key of a model.\n");

    const Outcome named = tables_of(model_file("scale_name.json", [](json& f) {
        f["scale"]["name"] = std::string("T\x1b[2J\0", 6);
    }));
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_FALSE(holds_control_byte(named.out));
    EXPECT_NE(named.out.find("Raw score  T\\x1B[2J\\x00"), std::string::npos) << named.out;
}

TEST(ContinuousHostileInput, PicturesOfControlCharactersInNamesAreWellFormedXml)
{
    if (std::system("command -v xmllint >/dev/null") != 0)
        GTEST_SKIP() << "xmllint is not installed";
    const std::string model = model_file("picture\x1b.json", [](json& f) {
        f["scale"]["name"] = std::string("T\x1b[31m\0<&", 9);
    });
    const std::string picture = testing::TempDir() + "named.svg";
    std::remove(picture.c_str());
    const Outcome drawn =
        run_executable("", "continuous --model '" + model + "' --ages 7 --plot '" + picture + "' 0 40");
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_FALSE(holds_control_byte(drawn.out + drawn.err));
    EXPECT_EQ(std::system(("xmllint --noout '" + picture + "'").c_str()), 0) << file_content(picture).substr(0, 400);
    EXPECT_NE(file_content(picture).find("picture\\x1B.json"), std::string::npos);
}

TEST(ContinuousHostileInput, AgesAModelCannotTakeAreRefusedNotTabledEmpty)
{
    const std::string near = "The ages of the model run from 1e-310 to 3e-310, too near 0 for the powers of age a "
                             "model takes: give them in a unit that takes them beyond 1e-30.\n";
    const std::string subnormal = groups_csv("subnormal.csv", {"1e-310", "2e-310", "3e-310"});
    const std::string huge = groups_csv("huge.csv", {"1e300", "2e300", "3e300"});
    const std::string spread = groups_csv("spread.csv", {"-1e308", "0", "1e308"});
    const std::string close = groups_csv("close.csv", {"1000000", "1000000.00001", "1000000.00002"});
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"--group", "band", subnormal}, near},
        {{"--age", "band", "--width", "1", subnormal}, near},
        {{"--group", "band", huge},
         "The ages of the model run from 1e+300 to 3e+300, too far from 0 for the powers of age a model takes: give "
         "them in a unit that keeps them within 1e30 of 0.\n"},
        {{"--age", "band", "--width", "1", spread},
         "The ages of the model run from -1e+308 to 1e+308, a span beyond the range of a number.\n"},
        {{"--group", "band", close},
         "The ages of the model run from 1000000 to 1000000.00002, closer together than a million times the "
         "precision of numbers of their size.\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"--score", "raw"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end() - 1);
        arguments.insert(arguments.end(), {"0", "40", c.arguments.back()});
        const Outcome run = continuous(arguments);
        EXPECT_EQ(run.status, 1) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }

    // Group values far from 1 within those bounds fit as 1, 2, 3 do.
    const Outcome small = continuous({"--score", "raw", "--group", "band", "--csv", "0", "40",
                                      groups_csv("small.csv", {"1", "2", "3"})});
    const Outcome large = continuous({"--score", "raw", "--group", "band", "--csv", "0", "40",
                                      groups_csv("large.csv", {"1e20", "2e20", "3e20"})});
    ASSERT_EQ(small.status, 0) << small.err;
    ASSERT_EQ(large.status, 0) << large.err;
    const auto PRs = [](const std::string& csv) {
        std::vector<std::string> column;
        std::istringstream lines(csv);
        for (std::string line; std::getline(lines, line);)
            column.push_back(line.substr(line.rfind(',') + 1, 6));
        return column;
    };
    EXPECT_EQ(PRs(large.out), PRs(small.out));
}

TEST(ContinuousHostileInput, ScalesOutOfRangeAreRefusedAsTheOptionsAreRead)
{
    const std::string file = "people.csv";
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{"--scale", "1e300,1e300"}, "--scale M,SD needs a mean from -1000000 to 1000000, not 1e300"},
        {{"--scale", "100,1e7"}, "--scale M,SD needs a standard deviation from 0.001 to 1000000, not 1e7"},
        {{"--scale", "100,0.0001"}, "--scale M,SD needs a standard deviation from 0.001 to 1000000, not 0.0001"},
        {{"--manual", "m.xlsx", "--manual-scale", "1e308,1"},
         "--manual-scale M,SD needs a mean from -1000000 to 1000000, not 1e308"},
        {{"--bootstrap", "2", "--seed", "18446744073709551616"},
         "--seed takes a whole number from 0 to 18446744073709551615"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"--score", "raw", "--group", "g"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"0", "10", file});
        const Outcome run = continuous(arguments);
        EXPECT_EQ(run.status, 2) << c.reason;
        EXPECT_EQ(run.err, "vornak-batch: " + c.reason + "\n" + norms::ContinuousUsage + "\n");
    }
    // The edges themselves are taken.
    const std::string groups = groups_csv("edges.csv", {"6", "7", "8"});
    const Outcome edges = continuous({"--score", "raw", "--group", "band", "--scale", "-1000000,1000000", "--bootstrap",
                                      "2", "--seed", "18446744073709551615", "--csv", "0", "40", groups});
    EXPECT_EQ(edges.status, 0) << edges.err;
}

TEST(ContinuousHostileInput, ManySmallGroupsAreListedUpToTwentyAndCounted)
{
    std::vector<std::string> bands;
    for (int g = 1; g <= 25; ++g)
        bands.push_back(std::to_string(g));
    const Outcome run = continuous({"--score", "raw", "--group", "band", "--k", "1", "--t", "1", "--csv", "0", "80",
                                    groups_csv("small_groups.csv", bands, 3)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Ranking groups of fewer than 30 cases give coarse ranks: group 1 (3 cases), 2 (3 cases), "),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(", 20 (3 cases) … and 5 more.\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("21 (3 cases)"), std::string::npos);
}

TEST(ContinuousHostileInput, TablesComeInTheOrderOfTheAgesGiven)
{
    const Outcome run = tables_of(model_file("order.json", [](json&) {}), {"--csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("age,raw_score,norm,pr\n7,0,")) << run.out.substr(0, 60);
    const Outcome reversed = continuous({"--model", model_file("order.json", [](json&) {}), "--ages", "9,7,9", "--csv",
                                         "0", "40"});
    ASSERT_EQ(reversed.status, 0) << reversed.err;
    EXPECT_TRUE(reversed.out.starts_with("age,raw_score,norm,pr\n9,0,")) << reversed.out.substr(0, 60);
    EXPECT_NE(reversed.out.find("\n7,0,"), std::string::npos);
    EXPECT_EQ(reversed.out.size(), run.out.size());
}

TEST(ContinuousSearchProgress, TheLineEstimatesTheRestWithinTheBudget)
{
    stats::Interruption watched;
    EXPECT_EQ(norms::continuous_progress_line(watched, 1000, 0), "");
    watched.nodes = 100;
    watched.share = 0.25;
    EXPECT_EQ(norms::continuous_progress_line(watched, 1000, 0), "Model search: 100 nodes visited, about 300 more");
    EXPECT_EQ(norms::continuous_progress_line(watched, 250, 0), "Model search: 100 nodes visited, about 150 more");
    watched.share = 1;
    watched.done = 12;
    EXPECT_EQ(norms::continuous_progress_line(watched, 1000, 200), "Bootstrap: 12 of 200 resamples drawn");
}

TEST(ContinuousSearchProgress, CtrlCStopsTheSearchAndWritesNothing)
{
    std::string text = "age,raw\n";
    const stats::NormingSample sample = continuous_samples::age_trend(6, 100, 3);
    for (std::size_t i = 0; i < sample.scores.size(); ++i)
        text += stats::data_number_text(static_cast<double>(sample.ages[i])) + "," +
                stats::data_number_text(static_cast<double>(sample.scores[i])) + "\n";
    const std::string data = write_temp_file("six_by_six.csv", text);
    const std::string model = testing::TempDir() + "interrupted.json";
    std::remove(model.c_str());
    auto run = std::async(std::launch::async, [&] {
        return continuous({"--score", "raw", "--age", "age", "--width", "1", "--k", "6", "--t", "6", "--save-model",
                           model, "0", "40", data});
    });
    // Once the run has taken SIGINT over, and the search has begun.
    for (struct sigaction handler{}; sigaction(SIGINT, nullptr, &handler) == 0 && handler.sa_handler == SIG_DFL;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::raise(SIGINT);
    const Outcome stopped = run.get();
    EXPECT_EQ(stopped.status, 130);
    EXPECT_TRUE(stopped.err.ends_with("Stopped by Ctrl-C before the tables were made; nothing was written.\n"))
        << stopped.err;
    EXPECT_EQ(stopped.out, "");
    EXPECT_FALSE(std::filesystem::exists(model));
}
