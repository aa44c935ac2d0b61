#include "stats/distrib.hpp"

namespace stats {
namespace {

// Numbers 1301 … 1312 come in groups of four per parameter position i = 1, 2, 3:
// 1296 + 4i + 1 … 1296 + 4i + 4.
enum class Rule { must_exceed, must_not_be_below, must_be_below, must_be_whole, must_not_exceed, none };

Rule rule_of(int message_number)
{
    if (message_number >= 1301 && message_number <= 1312)
        return static_cast<Rule>((message_number - 1301) % 4);
    if (message_number == 1315)
        return Rule::must_not_exceed;
    return Rule::none;
}

}  // namespace

std::string message_text(int message_number)
{
    if (message_number >= 1301 && message_number <= 1312) {
        const std::string parameter = "Parameter " + std::to_string((message_number - 1297) / 4);
        switch (rule_of(message_number)) {
        case Rule::must_exceed: return parameter + " must be greater than ";
        case Rule::must_not_be_below: return parameter + " must not be less than ";
        case Rule::must_be_below: return parameter + " must be less than ";
        default: return parameter + " must be a whole number";
        }
    }
    if (message_number == 1315)
        return "The value must not be greater than ";
    if (message_number == 1363)
        return "The variance of this distribution does not exist";
    return "Argument error " + std::to_string(message_number);
}

bool check_condition(bool condition, int message_number)
{
    if (condition)
        throw EArgumentError(message_text(message_number));
    return true;
}

bool check_bound(int message_number, Extended value, Extended bound)
{
    bool broken = false;
    switch (rule_of(message_number)) {
    case Rule::must_exceed: broken = value <= bound; break;
    case Rule::must_not_be_below: broken = value < bound; break;
    case Rule::must_be_below: broken = value >= bound; break;
    case Rule::must_not_exceed: broken = value > bound; break;
    default: break;
    }
    if (broken)
        throw EArgumentError(message_text(message_number) + format_number(bound));
    return true;
}

}  // namespace stats
