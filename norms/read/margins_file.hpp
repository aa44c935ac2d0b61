// The margins a sample is raked to: a small CSV file with the header "variable,value,share"
// and one line for each level of each stratification variable, giving the population's share
// of that level.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_map.hpp"
#include "stats/distrib.hpp"

namespace norms {

struct MarginsVariable {
    std::string name;
    std::vector<std::string> values;     // the levels, in the order of their lines
    std::vector<stats::Extended> shares;  // the share of each level

    // Adds a level after the others; false, adding nothing, when the variable has it already.
    bool add_level(std::string_view value, stats::Extended share);

    // The index of a case's value among `values`, compared as text, or
    // stats::level_without_share; found by hashing.
    std::int32_t level_of(std::string_view value) const;

private:
    platform::TextMap<std::int32_t> level_of_value_;
};

// Reads the whole text of a margins file: RFC 4180 quoting, LF, CR LF or CR line ends, an
// optional UTF-8 byte-order mark. The variables come in the order of their first line; a
// variable's lines need not be together. Throws platform::Failure, naming the line, for a
// header other than "variable,value,share", a line without three fields, an empty variable
// name or value, a share that is not a number from 0 to 1 (with "." as the point) or that is
// above 0 but below 1e-300, a value given twice for one variable, a quote out of place, or a
// file without margins. Whether a variable's shares add up to 1 is left to the raking, which
// refuses them otherwise.
std::vector<MarginsVariable> parse_margins(std::string_view text);

}  // namespace norms
