#include "norms/tables/continuous_model_file.hpp"

#include <gtest/gtest.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "norms/version.hpp"
#include "stats/continuous_norms.hpp"
#include "tests/support/continuous_samples.hpp"
#include "tests/support/failure_of.hpp"

using nlohmann::json;

namespace {

const stats::ContinuousModel& fitted_model()
{
    static const stats::ContinuousModel model =
        stats::fit_continuous_norms(continuous_samples::age_trend(6, 120, 8), {}).model;
    return model;
}

std::string parse_failure(const std::string& text)
{
    return failure_of([&] { norms::parse_continuous_model(text); });
}

// The fitted model's file with one change.
std::string damaged(const std::function<void(json&)>& change)
{
    json file = json::parse(norms::continuous_model_json(fitted_model()));
    change(file);
    return file.dump();
}

}  // namespace

TEST(ContinuousModelFile, AModelReadBackGivesTheSameTablesBitForBit)
{
    const stats::ContinuousModel& model = fitted_model();
    const std::string text = norms::continuous_model_json(model);
    const stats::ContinuousModel read = norms::parse_continuous_model(text);
    EXPECT_EQ(json::parse(text).at("program"), norms::VersionLine);
    EXPECT_EQ(read.intercept, model.intercept);
    EXPECT_EQ(read.L.low, model.L.low);
    EXPECT_EQ(read.L.high, model.L.high);
    EXPECT_EQ(read.terms.size(), model.terms.size());
    EXPECT_EQ(norms::continuous_model_json(read), text);

    const std::vector<stats::Extended> ages = {6.5L, 7.3L, 9.5L, 11.9L};
    const auto fitted_cells = stats::continuous_norm_table(model, ages, -1, 41);
    const auto read_cells = stats::continuous_norm_table(read, ages, -1, 41);
    ASSERT_EQ(read_cells.size(), fitted_cells.size());
    for (std::size_t c = 0; c < read_cells.size(); ++c) {
        EXPECT_EQ(read_cells[c].norm, fitted_cells[c].norm) << c;
        EXPECT_EQ(read_cells[c].PR, fitted_cells[c].PR) << c;
        EXPECT_EQ(read_cells[c].side, fitted_cells[c].side) << c;
    }
}

TEST(ContinuousModelFile, ADamagedFileIsRefusedWithWhatIsWrong)
{
    const std::string prefix = "The model file is damaged: ";
    EXPECT_EQ(parse_failure("{\"k\": 5,"), "The model file is not JSON: the text breaks off or goes wrong at byte 9.");
    EXPECT_EQ(parse_failure("[1, 2]"), prefix + "it holds no model object.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f.erase("terms"); })), prefix + "\"terms\" is missing.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["weights"] = 1; })), prefix + "\"weights\" is not a key of a model.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["ranges"]["age"].erase("max"); })),
              prefix + "\"max\" is missing in the range \"age\".");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["intercept"] = "3.5"; })), prefix + "\"intercept\" must be a number.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["terms"] = json::array(); })), prefix + "\"terms\" must be an object.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["terms"]["L7"] = 1; })), prefix + "\"L7\" is not a term name.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["terms"]["L1B1"] = 1; })), prefix + "\"L1B1\" is not a term name.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["k"] = 2; f["terms"]["L3"] = 1; })),
              prefix + "the term \"L3\" has a power above k or t.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["terms"]["L1"] = nullptr; })), prefix + "\"L1\" must be a number.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["k"] = 5.0; })), prefix + "\"k\" must be a whole number from 1 to 6.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["scale"]["sd"] = 0; })), prefix + "\"sd\" must be above 0.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["ranges"]["L"]["min"] = 90; })),
              prefix + "the range \"L\" has its minimum above its maximum.");
    EXPECT_EQ(parse_failure(damaged([](json& f) { f["cases"] = 0; })),
              prefix + "\"cases\" must be a whole number from 1 to 9223372036854775807.");

    // JSON has no infinite numbers, only ones too large for a double.
    std::string text = norms::continuous_model_json(fitted_model());
    const std::size_t intercept = text.find("\"intercept\": ") + 13;
    text.replace(intercept, text.find(',', intercept) - intercept, "1e999");
    EXPECT_EQ(parse_failure(text), prefix + "a number in it lies beyond the range of a double.");
}
