// What the C++ library of the page's compiler lacks and the layers use, given in its simplest
// correct form; force-included into every file of the page's build (web/CMakeLists.txt).
// - floating-point std::to_chars and std::from_chars, through the C library's printf and
//   strtod family, which are exact here and see no locale but "C";
// - std::execution::par for std::for_each, which runs in order: the page has one thread.
#pragma once

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <type_traits>

namespace std {

namespace execution {
struct parallel_policy {};
inline constexpr parallel_policy par{};
}  // namespace execution

template <class Iterator, class Function>
void for_each(const execution::parallel_policy&, Iterator first, Iterator last, Function f)
{
    for (; first != last; ++first)
        f(*first);
}

inline to_chars_result to_chars(char* first, char* last, long double value, chars_format format,
                                int precision)
{
    const char* pattern = format == chars_format::scientific ? "%.*Le"
                          : format == chars_format::fixed    ? "%.*Lf"
                                                             : "%.*Lg";
    const int size = std::snprintf(first, static_cast<size_t>(last - first), pattern, precision, value);
    if (size < 0 || size >= last - first)
        return {last, errc::value_too_large};
    return {first + size, errc()};
}

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format,
                                int precision)
{
    return to_chars(first, last, static_cast<long double>(value), format, precision);
}

// The shortest text that reads back as the value.
inline to_chars_result to_chars(char* first, char* last, double value)
{
    for (int precision = 1; precision <= 17; ++precision) {
        const to_chars_result result =
            to_chars(first, last, value, chars_format::general, precision);
        if (result.ec != errc())
            return result;
        if (std::strtod(std::string(first, result.ptr).c_str(), nullptr) == value)
            return result;
    }
    return to_chars(first, last, value, chars_format::general, 17);
}

// A decimal number as from_chars reads it: no blanks, no "+", no hexadecimal.
template <class Floating>
    requires is_floating_point_v<Floating>
from_chars_result from_chars(const char* first, const char* last, Floating& value)
{
    if (first == last || *first == ' ' || *first == '\t' || *first == '\n' || *first == '+')
        return {first, errc::invalid_argument};
    // A whole number of up to 18 digits is exact in every floating type here, and the
    // software long double's decimal reading is slow: per-person files hold millions of them.
    const char* digit = first + (*first == '-' ? 1 : 0);
    if (digit < last && last - digit <= 18) {
        long long whole = 0;
        const char* next = digit;
        for (; next < last && *next >= '0' && *next <= '9'; ++next)
            whole = whole * 10 + (*next - '0');
        if (next == last) {
            value = static_cast<Floating>(*first == '-' ? -whole : whole);
            if (*first == '-' && whole == 0)
                value = -value;
            return {last, errc()};
        }
    }
    const std::string text(first, last);
    const char* digits = text.c_str() + (text[0] == '-' ? 1 : 0);
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        return {first, errc::invalid_argument};
    char* end = nullptr;
    errno = 0;
    const long double read = std::strtold(text.c_str(), &end);
    if (end == text.c_str())
        return {first, errc::invalid_argument};
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE)
        return {stop, errc::result_out_of_range};
    if constexpr (is_same_v<Floating, long double>) {
        value = read;
    } else {
        // Read once more in the target type, to round only once.
        value = is_same_v<Floating, double> ? std::strtod(text.c_str(), nullptr)
                                            : std::strtof(text.c_str(), nullptr);
    }
    return {stop, errc()};
}

}  // namespace std
