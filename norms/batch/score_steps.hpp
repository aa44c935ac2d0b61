// --step and the score range it makes, which the per-person forms share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "norms/count/score_grid.hpp"
#include "platform/desktop.hpp"

namespace CLI {
class App;
class Option;
}

namespace norms {

// Adds --step S, a decimal number above 0, into `step_text`.
CLI::Option* AddStepOption(CLI::App& form, std::string& step_text);

// The scores a per-person table has rows for. Without a step, MIN and MAX as ReadScoreRange
// takes them, whole scores, with per-person data's limit; with one, the grid ParseScoreGrid
// makes. None once the refusal has been shown.
std::optional<ScoreGrid> ReadPersonScores(platform::Desktop& desktop, const std::string& min_text,
                                          const std::string& max_text, const std::string& step_text);

}  // namespace norms
