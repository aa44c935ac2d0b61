#include "norms/tables/beta_binomial_model_file.hpp"

#include <limits>
#include <set>

#include <nlohmann/json.hpp>

#include "norms/read/byte_source.hpp"
#include "norms/version.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

using nlohmann::json;

constexpr std::size_t largest_model_file = 1 << 20;  // bytes

[[noreturn]] void damaged(const std::string& what)
{
    throw platform::Failure("The model file is damaged: " + what + ".");
}

std::string quoted(const std::string& key)
{
    return "\"" + key + "\"";
}

// The keys an object must hold, and no others.
void check_keys(const json& object, const std::string& where, std::initializer_list<const char*> keys)
{
    const std::set<std::string> known(keys.begin(), keys.end());
    for (const std::string key : keys)
        if (!object.contains(key))
            damaged(quoted(key) + " is missing" + where);
    for (const auto& item : object.items())
        if (!known.count(item.key()))
            damaged(quoted(item.key()) + " is not a key of a model" + where);
}

const json& object_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_object())
        damaged(quoted(key) + " must be an object");
    return value;
}

double number_of(const json& value, const std::string& key)
{
    if (!value.is_number())
        damaged(quoted(key) + " must hold numbers");
    return value.get<double>();
}

std::vector<double> coefficients_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_array() || value.empty() || value.size() > stats::most_beta_binomial_degree + 1)
        damaged(quoted(key) + " must be a list of 1 to " + std::to_string(stats::most_beta_binomial_degree + 1) +
                " numbers");
    std::vector<double> coefficients;
    for (const json& number : value)
        coefficients.push_back(number_of(number, key));
    return coefficients;
}

long long whole_at(const json& parent, const std::string& key, long long low, long long high)
{
    const json& value = parent.at(key);
    if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high)
        damaged(quoted(key) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return value.get<long long>();
}

json parsed(std::string_view text)
{
    try {
        return json::parse(text);
    } catch (const json::parse_error& error) {
        throw platform::Failure("The model file is not JSON: the text breaks off or goes wrong at byte " +
                                std::to_string(error.byte) + ".");
    } catch (const json::out_of_range&) {
        damaged("a number in it lies beyond the range of a double");
    }
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
    const json file = parsed(text);
    if (!file.is_object())
        damaged("it holds no model object");
    check_keys(file, "",
               {"program", "family", "items", "scale", "age_standardisation", "alpha", "beta", "ages", "cases"});
    if (!file.at("program").is_string())
        damaged("\"program\" must be a text");
    if (file.at("family") != "betabinomial")
        damaged("\"family\" must be \"betabinomial\"");

    stats::BetaBinomialModel model;
    model.items = static_cast<int>(whole_at(file, "items", 1, std::numeric_limits<int>::max() - 1));
    const json& scale = object_at(file, "scale");
    check_keys(scale, " in \"scale\"", {"name", "mean", "sd"});
    if (!scale.at("name").is_string())
        damaged("\"name\" must be a text");
    model.scale.name = scale.at("name").get<std::string>();
    model.scale.mean = number_of(scale.at("mean"), "mean");
    model.scale.sd = number_of(scale.at("sd"), "sd");
    if (!(model.scale.sd > 0))
        damaged("\"sd\" must be above 0");
    const json& standard = object_at(file, "age_standardisation");
    check_keys(standard, " in \"age_standardisation\"", {"mean", "sd"});
    model.age_mean = number_of(standard.at("mean"), "mean");
    model.age_sd = number_of(standard.at("sd"), "sd");
    if (!(model.age_sd > 0))
        damaged("\"sd\" must be above 0");
    model.alpha = coefficients_at(file, "alpha");
    model.beta = coefficients_at(file, "beta");
    const json& ages = object_at(file, "ages");
    check_keys(ages, " in \"ages\"", {"min", "max"});
    model.age = {number_of(ages.at("min"), "min"), number_of(ages.at("max"), "max")};
    if (model.age.low > model.age.high)
        damaged("the range \"ages\" has its minimum above its maximum");
    model.cases = whole_at(file, "cases", 1, std::numeric_limits<long long>::max());
    return model;
}

std::string read_model_text(const std::string& path)
{
    try {
        return read_small_file(path, largest_model_file);
    } catch (const platform::Failure& failure) {
        throw platform::Failure(platform::in_quotes(path) + ": " + failure.what());
    }
}

}  // namespace norms
