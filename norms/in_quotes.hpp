// A name or value as the messages about data files show it.
#pragma once

#include <string>
#include <string_view>

#include "platform/printable_text.hpp"

namespace norms {

// The text between double quotes, printable and cut to a message's length. (Not called
// quoted(), which std::quoted would take over by argument-dependent lookup for a std::string.)
inline std::string in_quotes(std::string_view text)
{
    return "\"" + platform::PrintableText(text) + "\"";
}

}  // namespace norms
