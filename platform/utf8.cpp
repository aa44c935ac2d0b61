#include "platform/utf8.hpp"

namespace platform {

std::size_t NextCodePoint(std::string_view text, std::size_t at, char32_t& code_point)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t smallest = 0;  // below this the form is overlong
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        smallest = 0x80;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        smallest = 0x800;
        code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        smallest = 0x10000;
        code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code_point = code_point << 6 | (byte(i) & 0x3F);
    }
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (code_point < smallest || surrogate || code_point > 0x10FFFF)
        return 0;
    return length;
}

void AppendUtf8(std::string& text, char32_t code_point)
{
    const auto append = [&](unsigned value) { text += static_cast<char>(value); };
    if (code_point < 0x80) {
        append(code_point);
    } else if (code_point < 0x800) {
        append(0xC0 | code_point >> 6);
        append(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        append(0xE0 | code_point >> 12);
        append(0x80 | (code_point >> 6 & 0x3F));
        append(0x80 | (code_point & 0x3F));
    } else {
        append(0xF0 | code_point >> 18);
        append(0x80 | (code_point >> 12 & 0x3F));
        append(0x80 | (code_point >> 6 & 0x3F));
        append(0x80 | (code_point & 0x3F));
    }
}

bool is_utf8_text(std::string_view text)
{
    char32_t code_point = 0;
    for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
        if (static_cast<unsigned char>(text[at]) - 1u < 0x7Fu) {  // ASCII other than NUL
            length = 1;
            continue;
        }
        length = NextCodePoint(text, at, code_point);
        if (length == 0 || code_point == 0)
            return false;
    }
    return true;
}

}  // namespace platform
