#include "norms/count/score_grid.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "norms/read/frequency_file.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

constexpr Extended relative_tolerance = 1e-9L;

std::int64_t power_of_ten(int decimals)
{
    std::int64_t power = 1;
    for (int i = 0; i < decimals; ++i)
        power *= 10;
    return power;
}

// A decimal number as typed, in units of 10^-decimals: digits with at most one ".".
struct TypedDecimal {
    std::int64_t units = 0;
    int decimals = 0;
};

std::optional<TypedDecimal> typed_decimal(std::string_view text)
{
    TypedDecimal typed;
    bool point = false;
    int digits = 0;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 15 || (point && ++typed.decimals > MaxScoreDecimals))
                return std::nullopt;
            typed.units = typed.units * 10 + (c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    return typed;
}

Extended value_of(const TypedDecimal& typed)
{
    return static_cast<Extended>(typed.units) / static_cast<Extended>(power_of_ten(typed.decimals));
}

// A step: above 0 and no larger than the largest raw score.
std::optional<TypedDecimal> typed_step(std::string_view text)
{
    const std::optional<TypedDecimal> step = typed_decimal(text);
    if (!step || step->units == 0 || value_of(*step) > largest_raw_score)
        return std::nullopt;
    return step;
}

std::int64_t in_units(const TypedDecimal& typed, int decimals)
{
    return typed.units * power_of_ten(decimals - typed.decimals);
}


}  // namespace

std::string ScoreUnitsText(std::int64_t units, int decimals)
{
    std::string digits = std::to_string(units < 0 ? -units : units);
    if (decimals > 0) {
        if (digits.size() <= static_cast<std::size_t>(decimals))
            digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    }
    return (units < 0 ? "-" : "") + digits;
}

std::string TooManyPersonRowsMessage(std::int64_t rows)
{
    return "From the minimum raw score to the maximum there are " + std::to_string(rows) +
           " raw score values: a table from per-person data takes at most " +
           std::to_string(MaxPersonScoreRows) + ".";
}

std::optional<std::string> ScoreRangeProblem(Extended min, Extended max, RowLimit limit)
{
    if (min < 0 || max > largest_raw_score)
        return "The minimum and maximum raw scores must lie from 0 to " +
               std::to_string(largest_raw_score) + ".";
    if (max < min)
        return "The maximum raw score is below the minimum raw score.";
    if (limit == RowLimit::worksheet && max - min + 1 > MaxNormsRows)
        return TooManyRowsMessage;
    if (limit == RowLimit::per_person && max - min + 1 > MaxPersonScoreRows)
        return TooManyPersonRowsMessage(static_cast<std::int64_t>(std::floor(max - min)) + 1);
    return std::nullopt;
}

void check_score_range(Extended min, Extended max, RowLimit limit)
{
    if (const std::optional<std::string> problem = ScoreRangeProblem(min, max, limit))
        throw platform::Failure(*problem);
}

ScoreGrid ScoreGrid::whole(std::int64_t min_score, std::int64_t max_score)
{
    return {min_score, 1, max_score - min_score + 1, 0};
}

Extended ScoreGrid::score(std::int64_t row) const
{
    return static_cast<Extended>(units(row)) / static_cast<Extended>(power_of_ten(decimals));
}

std::vector<Extended> ScoreGrid::scores() const
{
    std::vector<Extended> all;
    all.reserve(static_cast<std::size_t>(rows));
    for (std::int64_t row = 0; row < rows; ++row)
        all.push_back(score(row));
    return all;
}

std::string ScoreGrid::text(std::int64_t row) const
{
    return ScoreUnitsText(units(row), decimals);
}

std::string ScoreGrid::description() const
{
    return text(0) + " to " + text(rows - 1) + " by " + ScoreUnitsText(step, decimals);
}

std::optional<std::int64_t> ScoreGrid::row_of(Extended value) const
{
    if (!std::isfinite(value))
        return std::nullopt;
    const Extended unit = static_cast<Extended>(power_of_ten(decimals));
    const Extended steps = (value * unit - static_cast<Extended>(first)) / static_cast<Extended>(step);
    if (!(steps > -0.5L && steps < static_cast<Extended>(rows) - 0.5L))
        return std::nullopt;
    const auto row = static_cast<std::int64_t>(std::llround(steps));
    const Extended point = score(row);
    const Extended scale = std::max(std::fabs(point), static_cast<Extended>(step) / unit);
    if (std::fabs(value - point) > relative_tolerance * scale)
        return std::nullopt;
    return row;
}

bool IsScoreStep(std::string_view text)
{
    return typed_step(text).has_value();
}

std::variant<ScoreGrid, std::string> ParseScoreGrid(std::string_view min_text, std::string_view max_text,
                                                    std::string_view step_text)
{
    const std::optional<TypedDecimal> min = typed_decimal(min_text);
    const std::optional<TypedDecimal> max = typed_decimal(max_text);
    const std::optional<TypedDecimal> step = typed_step(step_text);
    const std::string shape = " is not a raw score: with a step, MIN and MAX are decimal numbers from 0 to " +
                              std::to_string(largest_raw_score) + " with at most " +
                              std::to_string(MaxScoreDecimals) + " decimals, such as 7.5";
    if (!min)
        return platform::in_quotes(min_text) + shape;
    if (!max)
        return platform::in_quotes(max_text) + shape;
    if (!step)
        return platform::in_quotes(step_text) + " is not a step: a decimal number above 0 with at most " +
               std::to_string(MaxScoreDecimals) + " decimals, such as 0.1";
    // Within the range, every score and the step fit in units of 10^-MaxScoreDecimals.
    if (const auto problem = ScoreRangeProblem(value_of(*min), value_of(*max), RowLimit::none))
        return *problem;
    ScoreGrid grid;
    grid.decimals = std::max({min->decimals, max->decimals, step->decimals});
    grid.first = in_units(*min, grid.decimals);
    grid.step = in_units(*step, grid.decimals);
    const std::int64_t last = in_units(*max, grid.decimals);
    if ((last - grid.first) % grid.step != 0)
        return "The maximum raw score " + ScoreUnitsText(last, grid.decimals) + " is not on the grid from " +
               ScoreUnitsText(grid.first, grid.decimals) + " by " + ScoreUnitsText(grid.step, grid.decimals) + ".";
    grid.rows = (last - grid.first) / grid.step + 1;
    if (grid.rows > MaxPersonScoreRows)
        return TooManyPersonRowsMessage(grid.rows);
    return grid;
}

std::optional<int> ShortestDecimals(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return std::nullopt;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (text.find_first_of("eEn") != std::string_view::npos)  // an exponent, inf or nan
        return std::nullopt;
    const std::size_t point = text.find('.');
    const auto decimals = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
    if (decimals > MaxScoreDecimals)
        return std::nullopt;
    return decimals;
}

std::optional<std::string> FittingDecimalStep(double value)
{
    const std::optional<int> decimals = ShortestDecimals(value);
    if (!decimals || *decimals == 0)
        return std::nullopt;
    return ScoreUnitsText(1, *decimals);
}

}  // namespace norms
