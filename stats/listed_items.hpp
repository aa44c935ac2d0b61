// A list of names for a message: the first few, then how many more there are, so that a
// message stays one readable line however many items a file holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace stats {

// How many items a message lists before it counts the rest.
inline constexpr std::size_t listed_items = 20;

// "a, b, c" for up to `shown` items, else the first `shown` and " … and N more".
inline std::string listed_text(const std::vector<std::string>& items, std::size_t shown = listed_items)
{
    std::string list;
    for (std::size_t i = 0; i < items.size() && i < shown; ++i)
        list += (i > 0 ? ", " : "") + items[i];
    if (items.size() > shown)
        list += " … and " + std::to_string(items.size() - shown) + " more";
    return list;
}

}  // namespace stats
