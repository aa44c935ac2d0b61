#include "stats/number_format.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "stats/utf8.hpp"

namespace stats {
namespace {

std::string& separator_setting()
{
    static std::string separator = ".";
    return separator;
}

struct RoundedDecimal {
    bool negative = false;
    std::string whole;     // at least one digit
    std::string fraction;  // exactly the requested number of digits
};

// Adds one to a string of decimal digits.
void increment(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

RoundedDecimal round_to_decimals(Extended value, int decimals)
{
    constexpr int significant = 18;
    // d.ddddddddddddddddde±x: 18 significant digits, correctly rounded, and unlike printf
    // never touched by the C locale that the windowing toolkit sets.
    char buffer[48];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, significant - 1).ptr;
    const std::string printed(buffer, end);
    const std::string mantissa = printed.substr(0, 1) + printed.substr(2, significant - 1);
    const int exponent = std::stoi(printed.substr(printed.find('e') + 1));

    // The kept digits, read as an integer, count units of 10^-decimals.
    const int kept = exponent + 1 + decimals;
    std::string units;
    if (kept >= 0) {
        units = mantissa.substr(0, std::min(kept, significant));
        units.resize(kept, '0');
        if (kept < significant && mantissa[kept] >= '5')
            increment(units);
    }
    if (units.size() < static_cast<std::size_t>(decimals) + 1)
        units.insert(0, decimals + 1 - units.size(), '0');

    RoundedDecimal result;
    result.whole = units.substr(0, units.size() - decimals);
    result.fraction = units.substr(units.size() - decimals);
    result.negative = std::signbit(value) && units.find_first_not_of('0') != std::string::npos;
    return result;
}

std::string non_finite_text(Extended value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Characters, not bytes: a regional separator such as the Arabic "٫" (U+066B) takes two bytes in
// UTF-8 but one column.
std::size_t character_count(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
                                                   [](char c) { return !is_utf8_continuation(c); }));
}

std::string join(const RoundedDecimal& rounded)
{
    std::string text = (rounded.negative ? "-" : "") + rounded.whole;
    if (!rounded.fraction.empty())
        text += decimal_separator() + rounded.fraction;
    return text;
}

}  // namespace

void set_decimal_separator(std::string separator)
{
    separator_setting() = std::move(separator);
}

const std::string& decimal_separator()
{
    return separator_setting();
}

std::string format_fixed(Extended value, int width, int decimals)
{
    std::string text =
        std::isfinite(value) ? join(round_to_decimals(value, decimals)) : non_finite_text(value);
    const std::size_t characters = character_count(text);
    if (characters < static_cast<std::size_t>(width))
        text.insert(0, width - characters, ' ');
    return text;
}

std::string format_number(Extended x)
{
    if (!std::isfinite(x))
        return non_finite_text(x);
    RoundedDecimal rounded = round_to_decimals(x, 12);
    const auto last_digit = rounded.fraction.find_last_not_of('0');
    rounded.fraction.erase(last_digit == std::string::npos ? 0 : last_digit + 1);
    return join(rounded);
}

std::string data_number_text(double value)
{
    char buffer[64];
    // Every whole double below 2^63 in magnitude is exact as a 64-bit integer.
    if (value == std::trunc(value) && std::fabs(value) < 0x1p63) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value)).ptr;
        return std::string(buffer, end);
    }
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

}  // namespace stats
