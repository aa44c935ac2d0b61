#include "norms/count/case_columns.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "norms/count/score_grid.hpp"
#include "norms/read/frequency_file.hpp"

namespace norms {
namespace {

// A value as a key of its column: its kind, then its number's bytes or its text.
void key_of(const DataValue& value, std::string& key)
{
    key.clear();
    if (value.kind == DataValue::Kind::number) {
        key.resize(1 + sizeof value.number, 'n');
        std::memcpy(key.data() + 1, &value.number, sizeof value.number);
    } else if (value.kind == DataValue::Kind::text) {
        key += 't';
        key += value.text;
    } else if (value.missing_by_convention) {
        key += 'm';
        key += value.text;
    }
}

// The value as a whole number of at most 18 digits, if it is one.
std::optional<std::int64_t> whole_number(const DataValue& value)
{
    Extended number = value.number;
    if (value.kind == DataValue::Kind::missing ||
        (value.kind == DataValue::Kind::text && !ParseDecimalToken(value.text, number)))
        return std::nullopt;
    if (number != std::trunc(number) || std::fabs(number) > 1e18L)
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

void widen(std::optional<ScoreRange>& range, std::int64_t number)
{
    if (!range)
        range = ScoreRange{number, number};
    range->min = std::min(range->min, number);
    range->max = std::max(range->max, number);
}

// Takes a number that is not whole into the column's range of numbers with decimals.
void widen_decimals(std::optional<DecimalRange>& range, bool& too_many, const DataValue& value)
{
    double number = value.number;
    if (value.kind == DataValue::Kind::text) {
        const std::optional<double> parsed = parse_decimal_double(value.text);
        if (!parsed)
            return;
        number = *parsed;
    }
    const std::optional<int> decimals = ShortestDecimals(number);
    if (!decimals) {
        too_many = too_many || std::isfinite(number);
        return;
    }
    if (!range)
        range = DecimalRange{number, number, *decimals};
    range->min = std::min(range->min, number);
    range->max = std::max(range->max, number);
    range->decimals = std::max(range->decimals, *decimals);
}

// Takes a value into the column's ranges: its whole numbers', and its numbers' with decimals.
void widen_ranges(std::optional<ScoreRange>& range, std::optional<DecimalRange>& decimal_range,
                  bool& too_many_decimals, const DataValue& value)
{
    if (const auto number = whole_number(value)) {
        widen(range, *number);
        if (decimal_range) {
            decimal_range->min = std::min(decimal_range->min, static_cast<double>(*number));
            decimal_range->max = std::max(decimal_range->max, static_cast<double>(*number));
        }
    } else if (value.kind != DataValue::Kind::missing) {
        const bool first = !decimal_range;
        widen_decimals(decimal_range, too_many_decimals, value);
        // The whole numbers before the first with decimals belong to its range too.
        if (first && decimal_range && range) {
            decimal_range->min = std::min(decimal_range->min, static_cast<double>(range->min));
            decimal_range->max = std::max(decimal_range->max, static_cast<double>(range->max));
        }
    }
}

}  // namespace

CaseColumns::CaseColumns(std::size_t held_values_limit) : held_values_limit_(held_values_limit) {}

void CaseColumns::take_variables(const std::vector<std::string>& names)
{
    names_ = names;
    columns_.assign(names.size(), Column{});
}

void CaseColumns::take_case(std::span<const DataValue> values, const CasePlace& place)
{
    if (cases_ == 0) {
        unit_ = place.unit;
        variable_kind_ = place.variable_kind;
        first_number_ = place.number;
    }
    if (numbers_.empty() && place.number != first_number_ + cases_) {
        for (std::int64_t i = 0; i < cases_; ++i)
            numbers_.push_back(first_number_ + i);
    }
    if (!numbers_.empty())
        numbers_.push_back(place.number);
    if ((static_cast<std::size_t>(cases_) + 1) * columns_.size() > held_values_limit_)
        for (Column& column : columns_)
            stop_holding(column);
    for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i)
        take_value(columns_[i], values[i]);
    ++cases_;
}

void CaseColumns::take_value(Column& column, const DataValue& value)
{
    if (!column.held) {
        widen_ranges(column.range, column.decimal_range, column.too_many_decimals, value);
        return;
    }
    key_of(value, key_);
    const auto [entry, added] =
        column.code_of_key.try_emplace(key_, static_cast<std::uint32_t>(column.entries.size()));
    if (added) {
        column.entries.push_back({value.kind, value.number, std::string(value.text), value.missing_by_convention});
        widen_ranges(column.range, column.decimal_range, column.too_many_decimals, value);
        if (value.kind != DataValue::Kind::missing)
            ++column.distinct;
        if (column.entries.size() > HeldDistinctLimit) {
            stop_holding(column);
            return;
        }
    }
    column.codes.push_back(entry->second);
}

void CaseColumns::stop_holding(Column& column)
{
    column.held = false;
    column.distinct = std::max(column.distinct, DistinctCountLimit + 1);
    column.codes = {};
    column.entries = {};
    column.code_of_key = {};
}

void CaseColumns::take_label(std::size_t variable, double code, std::string_view label)
{
    if (variable < columns_.size())
        columns_[variable].labels.try_emplace(code, label);
}

PersonFileSurvey CaseColumns::survey() const
{
    PersonFileSurvey survey;
    survey.variables = names_;
    survey.cases = cases_;
    for (const Column& column : columns_) {
        survey.ranges.push_back(column.range);
        survey.decimal_ranges.push_back(column.too_many_decimals ? std::nullopt : column.decimal_range);
        survey.distinct.push_back(std::min(column.distinct, DistinctCountLimit + 1));
    }
    return survey;
}

bool CaseColumns::holds(const VariableNames& names) const
{
    return std::all_of(names.begin(), names.end(), [this](const std::string& name) {
        const auto found = std::find(names_.begin(), names_.end(), name);
        return found != names_.end() && columns_[static_cast<std::size_t>(found - names_.begin())].held;
    });
}

std::int64_t CaseColumns::place_number(std::size_t case_index) const
{
    return numbers_.empty() ? first_number_ + static_cast<std::int64_t>(case_index)
                            : numbers_[case_index];
}

void CaseColumns::replay(const VariableNames& names, CaseSink& sink) const
{
    std::vector<const Column*> asked;
    for (const std::string& name : names)
        asked.push_back(&columns_[static_cast<std::size_t>(
            std::find(names_.begin(), names_.end(), name) - names_.begin())]);
    sink.take_variables(names_);
    std::vector<DataValue> values(asked.size());
    for (std::size_t c = 0; c < static_cast<std::size_t>(cases_); ++c) {
        for (std::size_t i = 0; i < asked.size(); ++i) {
            const Entry& entry = asked[i]->entries[asked[i]->codes[c]];
            values[i] = {entry.kind, entry.number, entry.text, entry.missing_by_convention};
        }
        sink.take_case(values, {unit_, variable_kind_, place_number(c)});
    }
    for (std::size_t i = 0; i < asked.size(); ++i)
        for (const auto& [code, label] : asked[i]->labels)
            sink.take_label(i, code, label);
}

}  // namespace norms
