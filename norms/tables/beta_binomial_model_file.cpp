#include "norms/tables/beta_binomial_model_file.hpp"

#include <limits>

#include <nlohmann/json.hpp>

#include "norms/tables/model_file_json.hpp"
#include "norms/version.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

using nlohmann::json;

double number_of(const json& value, const std::string& key)
{
    if (!value.is_number())
        model_damaged(platform::in_quotes(key) + " must hold numbers");
    return value.get<double>();
}

std::vector<double> coefficients_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_array() || value.empty() || value.size() > stats::most_beta_binomial_degree + 1)
        model_damaged(platform::in_quotes(key) + " must be a list of 1 to " + std::to_string(stats::most_beta_binomial_degree + 1) +
                " numbers");
    std::vector<double> coefficients;
    for (const json& number : value)
        coefficients.push_back(number_of(number, key));
    return coefficients;
}

}  // namespace

std::string beta_binomial_model_json(const stats::BetaBinomialModel& model)
{
    const json file = {
        {"program", VersionLine},
        {"family", "betabinomial"},
        {"items", model.items},
        {"scale", {{"name", model.scale.name}, {"mean", static_cast<double>(model.scale.mean)},
                   {"sd", static_cast<double>(model.scale.sd)}}},
        {"age_standardisation", {{"mean", model.age_mean}, {"sd", model.age_sd}}},
        {"alpha", model.alpha},
        {"beta", model.beta},
        {"ages", {{"min", model.age.low}, {"max", model.age.high}}},
        {"cases", model.cases},
    };
    return file.dump(2) + "\n";
}

bool is_beta_binomial_model(std::string_view text)
{
    const json file = json::parse(text, nullptr, false);
    return file.is_object() && file.contains("family") && file.at("family") == "betabinomial";
}

stats::BetaBinomialModel parse_beta_binomial_model(std::string_view text)
{
    const json file = parse_model_json(text);
    if (!file.is_object())
        model_damaged("it holds no model object");
    check_model_keys(file, "",
               {"program", "family", "items", "scale", "age_standardisation", "alpha", "beta", "ages", "cases"});
    if (!file.at("program").is_string())
        model_damaged("\"program\" must be a text");
    if (file.at("family") != "betabinomial")
        model_damaged("\"family\" must be \"betabinomial\"");

    stats::BetaBinomialModel model;
    model.items = static_cast<int>(model_whole_at(file, "items", 1, std::numeric_limits<int>::max() - 1));
    const json& scale = model_object_at(file, "scale");
    check_model_keys(scale, " in \"scale\"", {"name", "mean", "sd"});
    if (!scale.at("name").is_string())
        model_damaged("\"name\" must be a text");
    model.scale.name = scale.at("name").get<std::string>();
    model.scale.mean = number_of(scale.at("mean"), "mean");
    model.scale.sd = number_of(scale.at("sd"), "sd");
    if (!(model.scale.sd > 0))
        model_damaged("\"sd\" must be above 0");
    const json& standard = model_object_at(file, "age_standardisation");
    check_model_keys(standard, " in \"age_standardisation\"", {"mean", "sd"});
    model.age_mean = number_of(standard.at("mean"), "mean");
    model.age_sd = number_of(standard.at("sd"), "sd");
    if (!(model.age_sd > 0))
        model_damaged("\"sd\" must be above 0");
    model.alpha = coefficients_at(file, "alpha");
    model.beta = coefficients_at(file, "beta");
    const json& ages = model_object_at(file, "ages");
    check_model_keys(ages, " in \"ages\"", {"min", "max"});
    model.age = {number_of(ages.at("min"), "min"), number_of(ages.at("max"), "max")};
    if (model.age.low > model.age.high)
        model_damaged("the range \"ages\" has its minimum above its maximum");
    model.cases = model_whole_at(file, "cases", 1, std::numeric_limits<long long>::max());
    return model;
}

}  // namespace norms
