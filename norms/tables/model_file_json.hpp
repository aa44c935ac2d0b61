// What every model file's reader shares: the file's text read whole, its JSON parsed, and the
// checks of keys and values, each refusal "The model file is damaged: …" with every echoed key
// quoted by the one rule for echoed text.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace norms {

// The file's text, at most a megabyte. Throws platform::Failure naming the file.
std::string read_model_text(const std::string& path);

// The text as JSON. Throws platform::Failure when it is not JSON, or holds a number beyond a
// double's range.
nlohmann::json parse_model_json(std::string_view text);

// Throws platform::Failure("The model file is damaged: WHAT.").
[[noreturn]] void model_damaged(const std::string& what);

// The keys an object must hold, and no others; `where` says where it stands (" in \"scale\"").
void check_model_keys(const nlohmann::json& object, const std::string& where, std::initializer_list<const char*> keys);

// The object at `key`.
const nlohmann::json& model_object_at(const nlohmann::json& parent, const std::string& key);

// The whole number at `key`, from `low` to `high`.
long long model_whole_at(const nlohmann::json& parent, const std::string& key, long long low, long long high);

}  // namespace norms
