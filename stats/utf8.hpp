// Texts in the program are UTF-8; a character may take several bytes.
#pragma once

namespace stats {

// The bytes after the first of a multi-byte character.
inline bool is_utf8_continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace stats
