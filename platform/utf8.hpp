// UTF-8 one code point at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The code point that starts at `at` in `text` and the count of its bytes, or a count of 0
// where no well-formed UTF-8 sequence starts (a stray byte, an overlong form, a surrogate, a
// value beyond U+10FFFF or a sequence cut short).
std::size_t NextCodePoint(std::string_view text, std::size_t at, char32_t& code_point);

void AppendUtf8(std::string& text, char32_t code_point);

// Whether the text is well-formed UTF-8 without a NUL.
bool is_utf8_text(std::string_view text);

}  // namespace platform
