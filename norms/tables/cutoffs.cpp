#include "norms/tables/cutoffs.hpp"

#include "norms/read/input_checks.hpp"

namespace norms {

std::optional<Extended> ParsePercentileRank(const std::string& text)
{
    const std::optional<Extended> rank = parse_plain_number(text);
    // A rank of a few units of 1e-4950 vanishes as a proportion.
    if (!rank || !(*rank / 100 > 0 && *rank < 100))
        return std::nullopt;
    return rank;
}

std::optional<Cutoff> ParseCutoff(const std::string& text)
{
    const std::optional<Extended> rank = ParsePercentileRank(text);
    if (!rank)
        return std::nullopt;
    return Cutoff{text, *rank / 100};
}

}  // namespace norms
