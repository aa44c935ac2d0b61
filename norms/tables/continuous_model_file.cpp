#include "norms/tables/continuous_model_file.hpp"

#include <limits>
#include <set>

#include <nlohmann/json.hpp>

#include "norms/read/byte_source.hpp"
#include "norms/version.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/norm_scales.hpp"

namespace norms {
namespace {

using nlohmann::json;

constexpr std::size_t largest_model_file = 1 << 20;  // bytes

[[noreturn]] void damaged(const std::string& what)
{
    throw platform::Failure("The model file is damaged: " + what + ".");
}

// The keys an object must hold, and no others.
void check_keys(const json& object, const std::string& where, std::initializer_list<const char*> keys)
{
    const std::set<std::string> known(keys.begin(), keys.end());
    for (const std::string key : keys)
        if (!object.contains(key))
            damaged(platform::in_quotes(key) + " is missing" + where);
    for (const auto& item : object.items())
        if (!known.count(item.key()))
            damaged(platform::in_quotes(item.key()) + " is not a key of a model" + where);
}

const json& object_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_object())
        damaged(platform::in_quotes(key) + " must be an object");
    return value;
}

double number_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_number())
        damaged(platform::in_quotes(key) + " must be a number");
    // Parsing refuses a number beyond a double's range, so every number read is finite.
    return value.get<double>();
}

long long whole_at(const json& parent, const std::string& key, long long low, long long high)
{
    const json& value = parent.at(key);
    if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high)
        damaged(platform::in_quotes(key) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return value.get<long long>();
}

stats::ValueRange range_at(const json& ranges, const std::string& key)
{
    const json& range = object_at(ranges, key);
    check_keys(range, " in the range " + platform::in_quotes(key), {"min", "max"});
    const stats::ValueRange result{number_at(range, "min"), number_at(range, "max")};
    if (result.low > result.high)
        damaged("the range " + platform::in_quotes(key) + " has its minimum above its maximum");
    return result;
}

json range_json(const stats::ValueRange& range)
{
    return {{"min", range.low}, {"max", range.high}};
}

}  // namespace

std::string continuous_model_json(const stats::ContinuousModel& model)
{
    json terms = json::object();
    for (const stats::ModelTerm& term : model.terms)
        terms[stats::term_name(term.power)] = term.coefficient;
    const json file = {
        {"program", VersionLine},
        {"scale", {{"name", model.scale_name}, {"mean", model.scale_mean}, {"sd", model.scale_sd}}},
        {"k", model.k},
        {"t", model.t},
        {"intercept", model.intercept},
        {"terms", terms},
        {"ranges", {{"age", range_json(model.age)}, {"L", range_json(model.L)}, {"raw", range_json(model.raw)}}},
        {"cases", model.cases},
    };
    return file.dump(2) + "\n";
}

stats::ContinuousModel parse_continuous_model(std::string_view text)
{
    json file;
    try {
        file = json::parse(text);
    } catch (const json::parse_error& error) {
        throw platform::Failure("The model file is not JSON: the text breaks off or goes wrong at byte " +
                                std::to_string(error.byte) + ".");
    } catch (const json::out_of_range&) {
        // JSON has no infinity nor NaN; a number beyond a double's range is as close as it gets.
        damaged("a number in it lies beyond the range of a double");
    }
    if (!file.is_object())
        damaged("it holds no model object");
    check_keys(file, "", {"program", "scale", "k", "t", "intercept", "terms", "ranges", "cases"});
    if (!file.at("program").is_string())
        damaged("\"program\" must be a text");

    stats::ContinuousModel model;
    const json& scale = object_at(file, "scale");
    check_keys(scale, " in \"scale\"", {"name", "mean", "sd"});
    if (!scale.at("name").is_string())
        damaged("\"name\" must be a text");
    model.scale_name = scale.at("name").get<std::string>();
    model.scale_mean = number_at(scale, "mean");
    model.scale_sd = number_at(scale, "sd");
    if (!(model.scale_sd > 0))
        damaged("\"sd\" must be above 0");

    model.k = static_cast<int>(whole_at(file, "k", 1, stats::max_term_power));
    model.t = static_cast<int>(whole_at(file, "t", 0, stats::max_term_power));
    model.intercept = number_at(file, "intercept");
    for (const auto& item : object_at(file, "terms").items()) {
        const auto power = stats::parse_term_name(item.key());
        if (!power)
            damaged(platform::in_quotes(item.key()) + " is not a term name");
        if (power->L_power > model.k || power->A_power > model.t)
            damaged("the term " + platform::in_quotes(item.key()) + " has a power above k or t");
        model.terms.push_back({*power, number_at(object_at(file, "terms"), item.key())});
    }
    const json& ranges = object_at(file, "ranges");
    check_keys(ranges, " in \"ranges\"", {"age", "L", "raw"});
    model.age = range_at(ranges, "age");
    model.L = range_at(ranges, "L");
    model.raw = range_at(ranges, "raw");
    model.cases = whole_at(file, "cases", 1, std::numeric_limits<long long>::max());
    if (!stats::sensible_scale_mean(model.scale_mean) || !stats::sensible_scale_sd(model.scale_sd))
        damaged("its scale's mean and SD lie beyond a mean within 1000000 of 0 and an SD from 0.001 to 1000000");
    if (const std::string problem = stats::unusable_model_problem(model); !problem.empty())
        damaged(problem);
    return model;
}

std::vector<std::string> model_file_warnings(const stats::ContinuousModel& model)
{
    const std::vector<stats::Crossing> crossings = stats::find_crossings(model, stats::consistency_ages(model, {}));
    if (crossings.empty())
        return {};
    return {stats::crossing_warning(model, crossings)};
}

stats::ContinuousModel read_continuous_model(const std::string& path)
{
    std::string text;
    try {
        text = read_small_file(path, largest_model_file);
    } catch (const platform::Failure& failure) {
        throw platform::Failure(platform::in_quotes(path) + ": " + failure.what());
    }
    return parse_continuous_model(text);
}

}  // namespace norms
