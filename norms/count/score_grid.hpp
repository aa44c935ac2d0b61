// The raw scores a norms table has rows for: the range MIN … MAX and its limits, which differ
// between the worksheet and per-person data, and per-person data's grid MIN, MIN + S, …, MAX.
// A grid keeps each score as a whole number of units of 10^-decimals, so that row k is MIN + k·S
// exactly, never a sum of k steps, and prints with the grid's decimals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "stats/distrib.hpp"

namespace norms {

using stats::Extended;

// The largest raw score: the worksheet's six-character boxes hold no larger number.
inline constexpr std::int64_t largest_raw_score = 999999;

// How many scores a table may have: the worksheet's and the frequency file's MaxNormsRows,
// per-person data's MaxPersonScoreRows, or any number.
enum class RowLimit { worksheet, per_person, none };

// Why MIN and MAX make no score range ("The maximum raw score is below ..."), if they do not;
// more scores than `limit` allows, counted in whole steps from MIN, are refused too.
std::optional<std::string> ScoreRangeProblem(Extended min, Extended max,
                                             RowLimit limit = RowLimit::worksheet);
// The same refusal as a platform::Failure, thrown when MIN and MAX make no score range.
void check_score_range(Extended min, Extended max, RowLimit limit = RowLimit::worksheet);

// The most rows a table from per-person data has; the worksheet and the frequency file keep
// their own limit of MaxNormsRows.
inline constexpr std::int64_t MaxPersonScoreRows = 100000;

// The most decimals MIN, MAX and the step may have.
inline constexpr int MaxScoreDecimals = 6;

// "From the minimum raw score to the maximum there are 250001 raw score values: a table from
// per-person data takes at most 100000."
std::string TooManyPersonRowsMessage(std::int64_t rows);

// A score given in units of 10^-decimals, every digit exact: 611 with 1 decimal is "61.1".
std::string ScoreUnitsText(std::int64_t units, int decimals);

struct ScoreGrid {
    std::int64_t first = 0;  // MIN, in units
    std::int64_t step = 1;   // S, in units
    std::int64_t rows = 1;
    int decimals = 0;        // a unit is 10^-decimals

    // The grid of whole scores from min_score to max_score.
    static ScoreGrid whole(std::int64_t min_score, std::int64_t max_score);

    bool whole_steps() const { return step == 1 && decimals == 0; }
    // Row k's score in units, and as the nearest number.
    std::int64_t units(std::int64_t row) const { return first + row * step; }
    Extended score(std::int64_t row) const;
    // Every row's score, as a continuous table's rows take them.
    std::vector<Extended> scores() const;
    // Row k's score with the grid's decimals, every digit exact: "61.1".
    std::string text(std::int64_t row) const;
    // "7.0 to 68.0 by 0.1", as messages name the grid.
    std::string description() const;
    // The row whose score lies within a relative 1e-9 of `value`, if one does.
    std::optional<std::int64_t> row_of(Extended value) const;

    friend bool operator==(const ScoreGrid&, const ScoreGrid&) = default;
};

// The grid from MIN, MAX and S as typed: decimal numbers with at most MaxScoreDecimals
// decimals, MIN and MAX from 0 to 999999, MAX not below MIN and on the grid, S above 0, and
// at most MaxPersonScoreRows rows. The reason, as a message says it, when they make none.
std::variant<ScoreGrid, std::string> ParseScoreGrid(std::string_view min_text, std::string_view max_text,
                                                    std::string_view step_text);

// A step as typed: a decimal number above 0 with at most MaxScoreDecimals decimals.
bool IsScoreStep(std::string_view text);

// How many decimals the shortest decimal text of `value` has (0 for a whole number); none for
// more than MaxScoreDecimals or a number too large or small for plain digits.
std::optional<int> ShortestDecimals(double value);

// The coarsest decimal step, 0.1, 0.01 and so on, on which `value` lies (as its shortest
// decimal text has it); none for a whole number or one with more than MaxScoreDecimals
// decimals.
std::optional<std::string> FittingDecimalStep(double value);

}  // namespace norms
