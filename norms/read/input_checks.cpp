#include "norms/read/input_checks.hpp"

#include <charconv>
#include <cmath>

#include "stats/number_format.hpp"
#include "stats/utf8.hpp"

namespace norms {

bool InputError = false;

char FilterNumericKey(platform::Desktop& desktop, char key)
{
    if (key == ',')
        key = '.';
    const bool allowed = key == '\b' || key == '\t' || key == '\r' || key == '-' || key == '.' ||
                         (key >= '0' && key <= '9');
    if (allowed)
        return key;
    desktop.beep();
    desktop.warning("INPUT ERROR\r\rEnter numeric data only.");
    return '\0';
}

std::string LimitInputLength(const std::string& text)
{
    return text.substr(0, stats::utf8_prefix_bytes(text, MaxInputLength));
}

bool IsInputTooLong(const std::string& text)
{
    return stats::utf8_prefix_bytes(text, MaxInputLength) < text.size();
}

stats::Extended ParseFieldValue(platform::Desktop& desktop, const std::string& text,
                                const std::string& caption)
{
    if (text.empty()) {
        InputError = true;
        desktop.warning("INPUT ERROR\r\r(  " + caption + "  " + text + ")\r\r" +
                        "Data have not been entered in this field.");
        return 0;
    }
    InputError = false;
    double value = 0;
    double fraction_scale = 1;
    bool negative = false;
    bool in_fraction = false;
    bool rejected = false;
    for (std::size_t i = 0; i < text.size() && !rejected; ++i) {
        const char c = text[i];
        if (c == ' ')
            continue;
        if (c == '-' && i == 0)
            negative = true;
        else if (c == '.' && !in_fraction)
            in_fraction = true;
        else if (c >= '0' && c <= '9') {
            const int digit = c - '0';
            if (in_fraction) {
                fraction_scale *= 10;
                value += digit / fraction_scale;
            } else {
                value = value * 10 + digit;
            }
        } else {
            value = 0;
            rejected = true;
        }
    }
    if (rejected) {
        InputError = true;
        desktop.warning("INPUT ERROR\r(  " + caption + "  " + text + "  )\r\r" +
                        "Enter numeric data only.");
    }
    return negative ? -value : value;
}

bool CheckSampleSize(platform::Desktop& desktop, const std::string& caption, stats::Extended value)
{
    const stats::Extended whole = std::trunc(value);
    const double fraction = static_cast<double>(value) - static_cast<double>(whole);
    if (fraction == 0 && whole > 2)
        return true;
    desktop.warning("INPUT ERROR\r(  " + caption + "  " + stats::format_fixed(value, 3, 3) +
                    "  )\r" + "The value for sample size must be an integer greater than 2.");
    return false;
}

std::optional<stats::Extended> parse_plain_number(const std::string& text)
{
    stats::Extended value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace norms
