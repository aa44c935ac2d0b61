// What every reader of per-person data hands on, whatever the file's kind: the names of the
// file's variables, then one case at a time with the values of the variables asked for, then
// the value labels of those variables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norms {

// One variable's value in one case. The reader decides what is missing, since that differs by
// kind of file: an empty field, "NA" or "." in delimited text; a system-missing value, a
// user-missing code or an extended missing value (.a to .z) in a statistics file.
struct DataValue {
    enum class Kind { missing, number, text };
    Kind kind = Kind::missing;
    double number = 0;      // a statistics file's numeric value
    std::string_view text;  // a field of delimited text, or a statistics file's string value
    // A statistics file's string that is missing only by the conventions of text (empty, "NA",
    // "."), not by the file's own missing values; `text` holds it. A score or group value is
    // missing this way, but a weight is not: the file holds a string where a number belongs.
    bool missing_by_convention = false;
};

// Where a case stands in its file, as messages name it: "line 6, column" in delimited text,
// "case 17, variable" in a statistics file.
struct CasePlace {
    std::string_view unit;           // "line" or "case"
    std::string_view variable_kind;  // "column" or "variable"
    std::int64_t number = 0;         // from 1
};

// The variables a reader is to hand on, by name. None named: every variable of the file.
using VariableNames = std::vector<std::string>;

// Takes what a reader hands on. A member may throw to end the reading; the reader passes the
// exception on to its caller.
class CaseSink {
public:
    virtual ~CaseSink() = default;
    // Every variable of the file, in the file's order, before any case.
    virtual void take_variables(const std::vector<std::string>& names) { (void)names; }
    // One case: values[i] is the value of the i-th variable asked for. The texts last only for
    // the call.
    virtual void take_case(std::span<const DataValue> values, const CasePlace& place) = 0;
    // The variable that the file itself names as its case weight (an SPSS file may), before
    // any case.
    virtual void take_weight_variable(std::string_view name) { (void)name; }
    // The label of a numeric code of the i-th variable asked for, after every case.
    virtual void take_label(std::size_t variable, double code, std::string_view label)
    {
        (void)variable, (void)code, (void)label;
    }
};

}  // namespace norms
