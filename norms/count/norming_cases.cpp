#include "norms/count/norming_cases.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "norms/count/group_counter.hpp"
#include "norms/read/frequency_file.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// A finite number: a statistics file's, or a text's nearest double.
std::optional<double> number_of(const DataValue& value)
{
    if (value.kind == DataValue::Kind::number)
        return std::isfinite(value.number) ? std::optional(value.number) : std::nullopt;
    return value.kind == DataValue::Kind::text ? parse_decimal_double(value.text) : std::nullopt;
}

std::string shown(const DataValue& value)
{
    return value.kind == DataValue::Kind::text ? platform::in_quotes(value.text)
                                               : stats::data_number_text(value.number);
}

}  // namespace

NormingCaseSink::NormingCaseSink(const NormingLayout& layout) : layout_(layout)
{
    asked_.push_back(layout.score_variable);
    if (!layout.age_variable.empty()) {
        age_slot_ = static_cast<int>(asked_.size());
        asked_.push_back(layout.age_variable);
    }
    if (!layout.group_variable.empty()) {
        group_slot_ = static_cast<int>(asked_.size());
        asked_.push_back(layout.group_variable);
    }
}

std::uint32_t NormingCaseSink::group_code(const DataValue& value)
{
    const auto next = static_cast<std::uint32_t>(group_values_.size());
    if (const std::optional<double> number = number_of(value)) {
        const double key = *number == 0 ? 0.0 : *number;  // -0 is 0
        const auto [entry, added] = code_of_number_.try_emplace(key, next);
        if (added)
            group_values_.push_back({true, key, {}});
        return entry->second;
    }
    const auto [entry, added] = code_of_text_.try_emplace(std::string(value.text), next);
    if (added)
        group_values_.push_back({false, 0, std::string(value.text)});
    return entry->second;
}

void NormingCaseSink::take_case(std::span<const DataValue> values, const CasePlace& place)
{
    const DataValue& score = values[0];
    std::optional<Extended> raw;
    if (score.kind != DataValue::Kind::missing && layout_.whole_scores) {
        raw = static_cast<Extended>(
            checked_score(score, place, layout_.score_variable, layout_.min_score, layout_.max_score));
    } else if (score.kind != DataValue::Kind::missing) {
        raw = number_of(score);
        if (!raw || *raw < layout_.min_score || *raw > layout_.max_score)
            throw platform::Failure(value_place(place, layout_.score_variable) + shown(score) +
                                    " is not a number from " + std::to_string(layout_.min_score) + " to " +
                                    std::to_string(layout_.max_score));
    }
    std::optional<double> age;
    if (age_slot_ >= 0) {
        const DataValue& value = values[static_cast<std::size_t>(age_slot_)];
        if (value.kind != DataValue::Kind::missing) {
            age = number_of(value);
            if (!age)
                throw platform::Failure(value_place(place, layout_.age_variable) + shown(value) + " is not a number");
        }
    }
    const bool grouped = group_slot_ >= 0;
    const bool group_missing =
        grouped && values[static_cast<std::size_t>(group_slot_)].kind == DataValue::Kind::missing;
    if (!raw || (age_slot_ >= 0 && !age) || group_missing) {
        ++cases_.skipped;
        return;
    }
    cases_.sample.scores.push_back(*raw);
    if (age)
        cases_.sample.ages.push_back(*age);
    if (grouped)
        group_codes_.push_back(group_code(values[static_cast<std::size_t>(group_slot_)]));
}

NormingCases NormingCaseSink::take_cases()
{
    if (cases_.sample.scores.empty())
        throw platform::Failure(cases_.skipped > 0 ? "No case in the file has all of its values: " +
                                                         skipped_cases_notice(cases_.skipped, layout_)
                                                   : std::string("The file holds no cases"));
    const bool numeric = std::all_of(group_values_.begin(), group_values_.end(),
                                     [](const GroupValue& value) { return value.numeric; });
    std::vector<Extended> value_of_code(group_values_.size());
    if (numeric) {
        for (std::size_t c = 0; c < group_values_.size(); ++c)
            value_of_code[c] = group_values_[c].number;
    } else {
        const auto text = std::find_if(group_values_.begin(), group_values_.end(),
                                       [](const GroupValue& value) { return !value.numeric; });
        if (layout_.age_variable.empty())
            throw platform::Failure("The group variable " + platform::in_quotes(layout_.group_variable) + " holds " +
                                    platform::in_quotes(text->text) +
                                    ", which is not a number: without an age variable, the groups' values are "
                                    "the ages of the model");
        // Groups of texts take the places of their texts in order, and are named by them.
        std::vector<std::string> texts;
        for (const GroupValue& value : group_values_)
            texts.push_back(value.numeric ? stats::data_number_text(value.number) : value.text);
        std::vector<std::string> sorted = texts;
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        for (std::size_t c = 0; c < texts.size(); ++c) {
            const auto place = std::lower_bound(sorted.begin(), sorted.end(), texts[c]) - sorted.begin();
            value_of_code[c] = static_cast<Extended>(place + 1);
            cases_.sample.group_names[value_of_code[c]] = platform::in_quotes(texts[c]);
        }
    }
    cases_.sample.groups.reserve(group_codes_.size());
    for (const std::uint32_t code : group_codes_)
        cases_.sample.groups.push_back(value_of_code[code]);
    return std::move(cases_);
}

NormingCases read_norming_cases(const CaseReading& read, const NormingLayout& layout)
{
    NormingCaseSink sink(layout);
    read(sink.asked(), sink);
    return sink.take_cases();
}

std::string skipped_cases_notice(std::int64_t cases, const NormingLayout& layout)
{
    std::vector<std::string> values = {"score"};
    if (!layout.age_variable.empty())
        values.push_back("age");
    if (!layout.group_variable.empty())
        values.push_back("group");
    std::string list = values.front();
    for (std::size_t i = 1; i < values.size(); ++i)
        list += (i + 1 == values.size() ? " or " : ", ") + values[i];
    return std::to_string(cases) + (cases == 1 ? " case" : " cases") + " skipped for a missing " + list;
}

}  // namespace norms
