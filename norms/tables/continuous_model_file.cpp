#include "norms/tables/continuous_model_file.hpp"

#include <limits>

#include <nlohmann/json.hpp>

#include "norms/tables/model_file_json.hpp"
#include "norms/version.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/norm_scales.hpp"

namespace norms {
namespace {

using nlohmann::json;

double number_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_number())
        model_damaged(platform::in_quotes(key) + " must be a number");
    // Parsing refuses a number beyond a double's range, so every number read is finite.
    return value.get<double>();
}

stats::ValueRange range_at(const json& ranges, const std::string& key)
{
    const json& range = model_object_at(ranges, key);
    check_model_keys(range, " in the range " + platform::in_quotes(key), {"min", "max"});
    const stats::ValueRange result{number_at(range, "min"), number_at(range, "max")};
    if (result.low > result.high)
        model_damaged("the range " + platform::in_quotes(key) + " has its minimum above its maximum");
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
    const json file = parse_model_json(text);
    if (!file.is_object())
        model_damaged("it holds no model object");
    check_model_keys(file, "", {"program", "scale", "k", "t", "intercept", "terms", "ranges", "cases"});
    if (!file.at("program").is_string())
        model_damaged("\"program\" must be a text");

    stats::ContinuousModel model;
    const json& scale = model_object_at(file, "scale");
    check_model_keys(scale, " in \"scale\"", {"name", "mean", "sd"});
    if (!scale.at("name").is_string())
        model_damaged("\"name\" must be a text");
    model.scale_name = scale.at("name").get<std::string>();
    model.scale_mean = number_at(scale, "mean");
    model.scale_sd = number_at(scale, "sd");
    if (!(model.scale_sd > 0))
        model_damaged("\"sd\" must be above 0");

    model.k = static_cast<int>(model_whole_at(file, "k", 1, stats::max_term_power));
    model.t = static_cast<int>(model_whole_at(file, "t", 0, stats::max_term_power));
    model.intercept = number_at(file, "intercept");
    for (const auto& item : model_object_at(file, "terms").items()) {
        const auto power = stats::parse_term_name(item.key());
        if (!power)
            model_damaged(platform::in_quotes(item.key()) + " is not a term name");
        if (power->L_power > model.k || power->A_power > model.t)
            model_damaged("the term " + platform::in_quotes(item.key()) + " has a power above k or t");
        model.terms.push_back({*power, number_at(model_object_at(file, "terms"), item.key())});
    }
    const json& ranges = model_object_at(file, "ranges");
    check_model_keys(ranges, " in \"ranges\"", {"age", "L", "raw"});
    model.age = range_at(ranges, "age");
    model.L = range_at(ranges, "L");
    model.raw = range_at(ranges, "raw");
    model.cases = model_whole_at(file, "cases", 1, std::numeric_limits<long long>::max());
    if (!stats::sensible_scale_mean(model.scale_mean) || !stats::sensible_scale_sd(model.scale_sd))
        model_damaged("its scale's mean and SD lie beyond a mean within 1000000 of 0 and an SD from 0.001 to 1000000");
    if (const std::string problem = stats::unusable_model_problem(model); !problem.empty())
        model_damaged(problem);
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
    return parse_continuous_model(read_model_text(path));
}

}  // namespace norms
