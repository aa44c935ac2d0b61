// Every variable of a per-person file, held column by column as the reader hands the cases on,
// so that another choice of score or group variable is counted again without reading the file,
// and surveyed for the choices before any is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "norms/read/case_sink.hpp"

namespace norms {

struct ScoreRange {
    std::int64_t min;
    std::int64_t max;
};

// A variable's numbers when some have decimals: the lowest and the highest, and the most
// decimals one of them has as its shortest text gives it (1 for 15.9 and 15.90).
struct DecimalRange {
    double min;
    double max;
    int decimals;
};

inline constexpr std::size_t DistinctCountLimit = 50;

// What a per-person file holds before any variable is chosen.
struct PersonFileSurvey {
    std::vector<std::string> variables;             // in the file's order
    std::vector<std::optional<ScoreRange>> ranges;  // per variable: its whole numbers, if any
    // Per variable: its numbers, when some have decimals and none more than MaxScoreDecimals.
    std::vector<std::optional<DecimalRange>> decimal_ranges = {};
    // Per variable: how many different values it holds, missing values left out, counted up
    // to DistinctCountLimit + 1.
    std::vector<std::size_t> distinct;
    std::int64_t cases = 0;
};

class CaseColumns : public CaseSink {
public:
    // A column with more different values than this is only surveyed, not held: an id or a
    // free text is no score and no group.
    static constexpr std::size_t HeldDistinctLimit = 1 << 16;

    // `held_values_limit`: how many values (cases times variables) may be held in all; beyond
    // it no column is held.
    explicit CaseColumns(std::size_t held_values_limit = std::size_t{1} << 27);

    void take_variables(const std::vector<std::string>& names) override;
    void take_case(std::span<const DataValue> values, const CasePlace& place) override;
    void take_label(std::size_t variable, double code, std::string_view label) override;

    PersonFileSurvey survey() const;

    // Whether every named variable of the file is held.
    bool holds(const VariableNames& names) const;

    // Hands the sink the named variables of every case, with each case's place and the
    // variables' labels, as the reader handed them on. Requires holds(names).
    void replay(const VariableNames& names, CaseSink& sink) const;

private:
    struct Entry {
        DataValue::Kind kind;
        double number;
        std::string text;
        bool missing_by_convention;
    };
    struct Column {
        std::vector<std::uint32_t> codes;  // per case, into entries
        std::vector<Entry> entries;        // each different value once
        std::unordered_map<std::string, std::uint32_t> code_of_key;
        bool held = true;
        std::optional<ScoreRange> range;
        std::optional<DecimalRange> decimal_range;
        bool too_many_decimals = false;
        std::size_t distinct = 0;
        std::map<double, std::string> labels;
    };

    void take_value(Column& column, const DataValue& value);
    void stop_holding(Column& column);
    std::int64_t place_number(std::size_t case_index) const;

    std::size_t held_values_limit_;
    std::vector<std::string> names_;
    std::vector<Column> columns_;
    std::int64_t cases_ = 0;
    std::string unit_;
    std::string variable_kind_;
    std::int64_t first_number_ = 0;
    std::vector<std::int64_t> numbers_;  // each case's place, once they are not consecutive
    std::string key_;                    // scratch
};

}  // namespace norms
