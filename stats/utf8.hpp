// Texts in the program are UTF-8; a character may take several bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace stats {

// The bytes after the first of a multi-byte character.
inline bool is_utf8_continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte offset just past the first `count` characters of the text; its size when it has no
// more. A cut there never splits a character.
inline std::size_t utf8_prefix_bytes(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if (!is_utf8_continuation(text[end]) && seen++ == count)
            break;
    }
    return end;
}

}  // namespace stats
