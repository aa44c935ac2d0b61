#include "norms/tables/model_file_json.hpp"

#include <set>

#include "norms/read/byte_source.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {

using nlohmann::json;

namespace {

constexpr std::size_t largest_model_file = 1 << 20;  // bytes

}  // namespace

std::string read_model_text(const std::string& path)
{
    try {
        return read_small_file(path, largest_model_file);
    } catch (const platform::Failure& failure) {
        throw platform::Failure(platform::in_quotes(path) + ": " + failure.what());
    }
}

json parse_model_json(std::string_view text)
{
    try {
        return json::parse(text);
    } catch (const json::parse_error& error) {
        throw platform::Failure("The model file is not JSON: the text breaks off or goes wrong at byte " +
                                std::to_string(error.byte) + ".");
    } catch (const json::out_of_range&) {
        // JSON has no infinity nor NaN; a number beyond a double's range is as close as it gets.
        model_damaged("a number in it lies beyond the range of a double");
    }
}

void model_damaged(const std::string& what)
{
    throw platform::Failure("The model file is damaged: " + what + ".");
}

void check_model_keys(const json& object, const std::string& where, std::initializer_list<const char*> keys)
{
    const std::set<std::string> known(keys.begin(), keys.end());
    for (const std::string key : keys)
        if (!object.contains(key))
            model_damaged(platform::in_quotes(key) + " is missing" + where);
    for (const auto& item : object.items())
        if (!known.count(item.key()))
            model_damaged(platform::in_quotes(item.key()) + " is not a key of a model" + where);
}

const json& model_object_at(const json& parent, const std::string& key)
{
    const json& value = parent.at(key);
    if (!value.is_object())
        model_damaged(platform::in_quotes(key) + " must be an object");
    return value;
}

long long model_whole_at(const json& parent, const std::string& key, long long low, long long high)
{
    const json& value = parent.at(key);
    if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high)
        model_damaged(platform::in_quotes(key) + " must be a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high));
    return value.get<long long>();
}

}  // namespace norms
