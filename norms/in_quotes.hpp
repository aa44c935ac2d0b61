// A name or value as the messages about data files show it.
#pragma once

#include <string>
#include <string_view>

namespace norms {

// The text between double quotes, as it stands. (Not called quoted(), which std::quoted would
// take over by argument-dependent lookup for a std::string.)
inline std::string in_quotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

}  // namespace norms
