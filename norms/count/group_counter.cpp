#include "norms/count/group_counter.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "norms/read/frequency_file.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// A decimal number in the data file's grammar.
std::optional<Extended> decimal_value(std::string_view text)
{
    Extended value = 0;
    if (!ParseDecimalToken(text, value))
        return std::nullopt;
    return value;
}

// A number or a text in the data file's grammar as the number it is.
std::optional<Extended> number_of(const DataValue& value)
{
    return value.kind == DataValue::Kind::number ? std::optional<Extended>(value.number) : decimal_value(value.text);
}

// A value as a message shows it: a text in quotes, a number as data shows it.
std::string shown(const DataValue& value)
{
    return value.kind == DataValue::Kind::number ? stats::data_number_text(value.number)
                                                 : platform::in_quotes(value.text);
}

// The groups in the counter's order: by number when each has one, else by name.
template <class Group, class Name, class Number>
void sort_groups(std::vector<Group>& groups, Name name, Number number)
{
    std::vector<std::pair<std::optional<Extended>, std::size_t>> keys;
    bool numeric = true;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        keys.emplace_back(number(groups[i]), i);
        numeric = numeric && keys.back().first.has_value();
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        if (numeric && *a.first != *b.first)
            return *a.first < *b.first;
        return name(groups[a.second]) < name(groups[b.second]);
    });
    std::vector<Group> sorted;
    sorted.reserve(groups.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(groups[key.second]));
    groups = std::move(sorted);
}

}  // namespace

GroupCounter::GroupCounter(const PersonScoreLayout& layout, MissingGroupValue missing_group,
                           std::vector<Extended> case_weights)
    : layout_(layout),
      missing_group_(missing_group),
      case_weights_(std::move(case_weights)),
      row_count_(static_cast<std::size_t>(layout_grid(layout).rows))
{
    asked_.push_back(layout.score_column);
    if (!layout.group_column.empty())
        asked_.push_back(layout.group_column);
    if (!layout.weight_column.empty() && case_weights_.empty()) {
        weight_slot_ = static_cast<int>(asked_.size());
        asked_.push_back(layout.weight_column);
    }
}

std::optional<Extended> GroupCounter::weight_of(std::span<const DataValue> values,
                                                const CasePlace& place)
{
    if (!case_weights_.empty()) {
        const Extended weight = case_index_ < case_weights_.size() ? case_weights_[case_index_] : NAN;
        return std::isnan(weight) ? std::nullopt : std::optional(weight);
    }
    if (weight_slot_ < 0)
        return 1;
    return weight_reader_.read(values[static_cast<std::size_t>(weight_slot_)], place, layout_.weight_column);
}

GroupCounter::Group* GroupCounter::group_of(const DataValue& value)
{
    // A case is most often in the group of the case before.
    if (!over_limit_ && !groups_.empty()) {
        const Group& last = groups_[last_group_];
        if (value.kind == DataValue::Kind::number ? last.code == value.number
                                                  : !last.code && last.counts.name == value.text)
            return &groups_[last_group_];
    }
    std::size_t index = groups_.size();
    bool added = false;
    const double code = value.number;
    const bool small_code = value.kind == DataValue::Kind::number && code >= 0 &&
                            code < direct_codes && code == std::trunc(code);
    if (small_code && group_of_small_code_[static_cast<std::size_t>(code)] >= 0) {
        index = static_cast<std::size_t>(group_of_small_code_[static_cast<std::size_t>(code)]);
    } else if (value.kind == DataValue::Kind::number) {
        std::tie(std::ignore, added) = group_of_code_.try_emplace(code, index);
        index = group_of_code_.at(code);
        if (small_code && !over_limit_)
            group_of_small_code_[static_cast<std::size_t>(code)] = static_cast<int>(index);
    } else if (const auto found = group_of_text_.find(value.text); found != group_of_text_.end()) {
        index = found->second;
    } else {
        group_of_text_.emplace(std::string(value.text), index);
        added = true;
    }
    if (group_of_code_.size() + group_of_text_.size() > MaxScoreGroups) {
        // Only the distinct values are counted from here on, for the message.
        over_limit_ = true;
        groups_ = {};
    }
    if (over_limit_)
        return nullptr;
    if (added) {
        Group group;
        group.counts.frequencies.resize(row_count_);
        if (!case_weights_.empty() || weight_slot_ >= 0)
            group.weights.emplace(row_count_);
        if (value.kind == DataValue::Kind::number)
            group.code = value.number;
        else
            group.counts.name = std::string(value.text);
        groups_.push_back(std::move(group));
    }
    last_group_ = index;
    return &groups_[last_group_];
}

void GroupCounter::take_case(std::span<const DataValue> values, const CasePlace& place)
{
    const std::optional<Extended> weight = weight_of(values, place);
    ++case_index_;
    const DataValue& score = values[0];
    Group* group = nullptr;
    if (layout_.group_column.empty()) {
        group = group_of(DataValue{});
    } else if (values[1].kind == DataValue::Kind::missing) {
        if (missing_group_ == MissingGroupValue::refused)
            throw platform::Failure(value_place(place, layout_.group_column) + "no group value");
        ++without_group_;
        return;
    } else {
        group = group_of(values[1]);
    }
    if (score.kind == DataValue::Kind::missing || !weight) {
        if (group)
            ++(score.kind == DataValue::Kind::missing ? group->counts.missing : group->counts.missing_weights);
        return;
    }
    const std::size_t index = score_row(score, place);
    if (!group)
        return;
    ++group->counts.frequencies[index];
    ++group->counts.size;
    if (group->weights)
        group->weights->add(index, *weight);
}

std::size_t GroupCounter::score_row(const DataValue& score, const CasePlace& place) const
{
    if (layout_.grid) {
        const std::optional<Extended> number = number_of(score);
        const std::optional<std::int64_t> row = number ? layout_.grid->row_of(*number) : std::nullopt;
        if (!row)
            throw platform::Failure(value_place(place, layout_.score_column) + shown(score) +
                                    " is not a raw score on the grid " + layout_.grid->description());
        return static_cast<std::size_t>(*row);
    }
    try {
        return static_cast<std::size_t>(
            checked_score(score, place, layout_.score_column, layout_.min_score, layout_.max_score) -
            layout_.min_score);
    } catch (const platform::Failure& failure) {
        // A score with decimals within the range wants a step, not another range.
        const std::optional<Extended> number = number_of(score);
        const std::optional<std::string> step =
            number && *number >= layout_.min_score && *number <= layout_.max_score
                ? FittingDecimalStep(static_cast<double>(*number))
                : std::nullopt;
        if (!step)
            throw;
        throw platform::Failure(std::string(failure.what()) + "; for scores with decimals choose a step, such as " +
                                *step);
    }
}

ScoreGrid layout_grid(const PersonScoreLayout& layout)
{
    return layout.grid ? *layout.grid : ScoreGrid::whole(layout.min_score, layout.max_score);
}

void GroupCounter::take_label(std::size_t variable, double code, std::string_view label)
{
    if (variable == 1)
        labels_.try_emplace(code, label);
}

void GroupCounter::take_weight_variable(std::string_view name)
{
    file_weight_ = name;
}

void GroupCounter::name_coded_groups()
{
    std::map<std::string, int> uses;
    const auto label_of = [&](const Group& group) -> const std::string* {
        const auto label = labels_.find(*group.code);
        return label == labels_.end() ? nullptr : &label->second;
    };
    for (Group& group : groups_) {
        if (!group.code)
            continue;
        const std::string* label = label_of(group);
        group.counts.name = label && !label->empty() ? *label : stats::data_number_text(*group.code);
        ++uses[group.counts.name];
    }
    for (Group& group : groups_) {
        if (group.code && label_of(group) && uses[group.counts.name] > 1)
            group.counts.name += " (" + stats::data_number_text(*group.code) + ")";
    }
}

CountedGroups GroupCounter::take_groups()
{
    if (over_limit_)
        throw platform::Failure(
            "The group column " + platform::in_quotes(layout_.group_column) + " has " +
            std::to_string(group_of_code_.size() + group_of_text_.size()) + " distinct values, more than the " +
            std::to_string(MaxScoreGroups) + " norm groups a run takes; check that it is the group column");
    name_coded_groups();
    sort_groups(
        groups_, [](const Group& group) -> const std::string& { return group.counts.name; },
        [](const Group& group) {
            return group.code ? std::optional<Extended>(*group.code) : decimal_value(group.counts.name);
        });
    CountedGroups counted{{}, without_group_, {}};
    if (file_weight_ != layout_.weight_column)
        counted.unapplied_file_weight = file_weight_;
    for (Group& group : groups_) {
        if (group.weights)
            group.counts.weights = group.weights->totals();
        counted.groups.push_back(std::move(group.counts));
    }
    groups_.clear();
    return counted;
}

std::int64_t checked_score(const DataValue& value, const CasePlace& place, const std::string& variable,
                           std::int64_t min_score, std::int64_t max_score)
{
    std::int64_t score = 0;
    bool whole = true;
    const std::string_view text = value.text;
    // Plain digits, by far the common case in text, skip the general decimal parser.
    if (value.kind == DataValue::Kind::text && !text.empty() && text.size() <= 18 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        for (char c : text)
            score = score * 10 + (c - '0');
    } else {
        const std::optional<Extended> number = value.kind == DataValue::Kind::number
                                                   ? std::optional<Extended>(value.number)
                                                   : decimal_value(text);
        whole = number && *number == std::trunc(*number) && *number >= min_score && *number <= max_score;
        if (whole)
            score = static_cast<std::int64_t>(*number);
    }
    if (!whole || score < min_score || score > max_score)
        throw platform::Failure(value_place(place, variable) + shown(value) + " is not a whole number from " +
                                std::to_string(min_score) + " to " + std::to_string(max_score));
    return score;
}

std::string value_place(const CasePlace& place, const std::string& variable)
{
    return std::string(place.unit) + " " + std::to_string(place.number) + ", " +
           std::string(place.variable_kind) + " " + platform::in_quotes(variable) + ": ";
}

std::optional<Extended> case_weight(const DataValue& value, const CasePlace& place,
                                    const std::string& weight_variable)
{
    if (value.kind == DataValue::Kind::missing && !value.missing_by_convention)
        return std::nullopt;
    const std::optional<Extended> weight = value.kind == DataValue::Kind::number
                                               ? std::optional<Extended>(value.number)
                                               : decimal_value(value.text);
    if (!weight || !std::isfinite(*weight) || !(*weight > 0))
        throw platform::Failure(value_place(place, weight_variable) + shown(value) +
                                " is not a weight: a weight is a finite number above 0");
    return weight;
}

std::optional<Extended> CaseWeightReader::read(const DataValue& value, const CasePlace& place,
                                          const std::string& weight_variable)
{
    const std::optional<Extended> weight = case_weight(value, place, weight_variable);
    if (!weight)
        return weight;
    total_ += *weight;
    if (total_ > std::numeric_limits<double>::max())
        throw platform::Failure(value_place(place, weight_variable) + "with this weight the weights of " +
                                platform::in_quotes(weight_variable) +
                                " add up to more than 1.8e308, beyond the range of a number");
    return weight;
}

void SortGroups(std::vector<ScoreGroup>& groups)
{
    sort_groups(
        groups, [](const ScoreGroup& group) -> const std::string& { return group.name; },
        [](const ScoreGroup& group) { return decimal_value(group.name); });
}

}  // namespace norms
