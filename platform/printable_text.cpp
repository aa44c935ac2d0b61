#include "platform/printable_text.hpp"

#include <cstdio>

#include "platform/utf8.hpp"

namespace platform {
namespace {

// Characters that move the cursor, recolour the terminal or reorder the text around them.
bool is_hidden_control(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// Characters that XML 1.0 has no place for, not even as a reference.
bool is_outside_xml(char32_t c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF;
}

std::string escape(const char* format, unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The text with the characters `hidden` picks, and every byte that is not part of well-formed
// UTF-8, shown as escapes; cut after `limit` characters (0: never).
template <typename Hidden>
std::string escaped(std::string_view text, std::size_t limit, Hidden hidden)
{
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        if (limit != 0 && characters == limit)
            return shown + "…";
        char32_t c = 0;
        const std::size_t length = NextCodePoint(text, at, c);
        if (length == 0)
            shown += escape("\\x%02X", static_cast<unsigned char>(text[at]));
        else if (hidden(c))
            shown += escape(c < 0x100 ? "\\x%02X" : "\\u%04X", c);
        else
            shown.append(text, at, length);
        at += length == 0 ? 1 : length;
    }
    return shown;
}

}  // namespace

std::string PrintableText(std::string_view text, std::size_t limit)
{
    return escaped(text, limit, is_hidden_control);
}

std::string utf8_text(std::string_view text)
{
    return escaped(text, 0, [](char32_t) { return false; });
}

std::string xml_text(std::string_view text)
{
    return escaped(text, 0, is_outside_xml);
}

}  // namespace platform
