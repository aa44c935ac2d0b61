#include "stats/continuous_terms.hpp"

#include <stdexcept>
#include <utility>

namespace stats {
namespace {

// A power after its letter: one digit 1 … max_term_power.
std::optional<int> power_at(std::string_view name, std::size_t position)
{
    if (position >= name.size())
        return std::nullopt;
    const int power = name[position] - '0';
    if (power < 1 || power > max_term_power)
        return std::nullopt;
    return power;
}

}  // namespace

std::string term_name(PowerTerm term)
{
    std::string name;
    if (term.L_power > 0)
        name += "L" + std::to_string(term.L_power);
    if (term.A_power > 0)
        name += "A" + std::to_string(term.A_power);
    return name;
}

std::optional<PowerTerm> parse_term_name(std::string_view name)
{
    PowerTerm term;
    std::size_t position = 0;
    for (auto [letter, power] : {std::pair{'L', &term.L_power}, std::pair{'A', &term.A_power}}) {
        if (position >= name.size() || name[position] != letter)
            continue;
        const auto read = power_at(name, position + 1);
        if (!read)
            return std::nullopt;
        *power = *read;
        position += 2;
    }
    if (position != name.size() || position == 0)
        return std::nullopt;
    return term;
}

std::vector<PowerTerm> candidate_terms(int k, int t)
{
    if (k < 0 || t < 0 || k > max_term_power || t > max_term_power)
        throw std::invalid_argument("The powers of L and A must lie between 0 and " +
                                    std::to_string(max_term_power) + ".");
    std::vector<PowerTerm> terms;
    for (int i = 1; i <= k; ++i)
        terms.push_back({i, 0});
    for (int j = 1; j <= t; ++j)
        terms.push_back({0, j});
    for (int i = 1; i <= k; ++i)
        for (int j = 1; j <= t; ++j)
            terms.push_back({i, j});
    return terms;
}

}  // namespace stats
