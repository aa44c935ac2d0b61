// Values from a data file or the command line, made safe to show on a terminal or in a report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// How many characters of a value a message shows.
inline constexpr std::size_t MessageValueLimit = 80;

// The text with every control character (C0, DEL, C1) and every bidirectional override shown
// as an escape ("\x1B", "\u202E"), and every byte that is not part of well-formed UTF-8 as
// "\xFF". Beyond `limit` characters, an escape counting as one, the rest is cut and "…"
// stands in its place; a limit of 0 keeps the whole text.
std::string PrintableText(std::string_view text, std::size_t limit = MessageValueLimit);

// The text with only the bytes that are not part of well-formed UTF-8 escaped ("\xE9"), as
// PrintableText shows them: text that a file meant to hold any character can take.
std::string utf8_text(std::string_view text);

// The text as XML 1.0 can hold it: the control characters other than tab, line feed and
// carriage return, U+FFFE, U+FFFF and the bytes that are not UTF-8 escaped as PrintableText
// shows them.
std::string xml_text(std::string_view text);

// The text between double quotes, printable and cut to a message's length: how every message
// echoes a name or value it was given. (Not called quoted(), which std::quoted would take over
// by argument-dependent lookup for a std::string.)
inline std::string in_quotes(std::string_view text)
{
    return "\"" + PrintableText(text) + "\"";
}

}  // namespace platform
