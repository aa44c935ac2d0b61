// A column added after a norms table's own.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "norms/read/frequency_file.hpp"

namespace norms {

// A column added after the table's own: its header name and its value in each row.
struct TableColumn {
    std::string name;
    std::function<Extended(const NormsRow&)> value;
    // Decimals for a spreadsheet's display of the column; none: as the number stands.
    std::optional<int> decimals = std::nullopt;
};

}  // namespace norms
