// Checks on the worksheet's small numeric input boxes: a key filter and a length limit while
// the user types, and the parsers a command uses, each with its own warning.
#pragma once

#include <optional>
#include <string>

#include "platform/desktop.hpp"
#include "stats/distrib.hpp"

namespace norms {

inline constexpr int MaxInputLength = 6;

// Set by ParseFieldValue when the text it parsed was rejected (its message has been shown);
// callers read it after each call, before the next one resets it.
extern bool InputError;

// The character a typed key puts into a box: "," becomes ".", and Backspace, Tab, Enter, "-",
// "." and the digits pass. Anything else beeps, warns and gives '\0' so nothing is typed.
char FilterNumericKey(platform::Desktop& desktop, char key);

// The first MaxInputLength characters of text.
std::string LimitInputLength(const std::string& text);
// Counts characters, not bytes, of UTF-8 text.
bool IsInputTooLong(const std::string& text);
inline constexpr const char* InputTooLongMessage = "Maximum length of input is 6 characters.";

// The number in a box's text. Spaces are skipped anywhere; a "-" may only come first; one "."
// at most; digits otherwise. The value is accumulated in double precision.
stats::Extended ParseFieldValue(platform::Desktop& desktop, const std::string& text,
                                const std::string& caption);

// A number typed as an option's value or into a window's box other than the worksheet's: a
// decimal number with "." as the point and nothing around it; none for anything else or an
// infinite value.
std::optional<stats::Extended> parse_plain_number(const std::string& text);

// True for a whole number greater than 2; otherwise warns and gives false.
bool CheckSampleSize(platform::Desktop& desktop, const std::string& caption, stats::Extended value);

}  // namespace norms
