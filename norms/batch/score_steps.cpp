#include "norms/batch/score_steps.hpp"

#include <variant>

#include "norms/batch/batch_command_line.hpp"
#include "norms/batch/batch_run.hpp"

namespace norms {

CLI::Option* AddStepOption(CLI::App& form, std::string& step_text)
{
    return AddTakenOption(
               form, "--step",
               [&step_text](const std::string& text) {
                   step_text = text;
                   return IsScoreStep(text);
               },
               "a decimal number above 0 with at most " + std::to_string(MaxScoreDecimals) +
                   " decimals, such as 0.5 or 0.1",
               "the table's raw scores are MIN, MIN + S, ... MAX, and every score lies on them (default 1)")
        ->type_name("S");
}

std::optional<ScoreGrid> ReadPersonScores(platform::Desktop& desktop, const std::string& min_text,
                                          const std::string& max_text, const std::string& step_text)
{
    if (step_text.empty()) {
        std::int64_t min_score = 0;
        std::int64_t max_score = 0;
        if (!ReadScoreRange(desktop, min_text, max_text, min_score, max_score, RowLimit::per_person))
            return std::nullopt;
        return ScoreGrid::whole(min_score, max_score);
    }
    std::variant<ScoreGrid, std::string> grid = ParseScoreGrid(min_text, max_text, step_text);
    if (const std::string* problem = std::get_if<std::string>(&grid)) {
        desktop.error(*problem);
        return std::nullopt;
    }
    return std::get<ScoreGrid>(grid);
}

}  // namespace norms
