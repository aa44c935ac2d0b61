// A long computation watched from the command line: after a second, and every few seconds
// after, a line on standard error with how far it has come; Ctrl-C asks it to stop, which it
// does at its next check by throwing stats::Interrupted.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "stats/interruption.hpp"

namespace norms {

class ConsoleWatch {
public:
    // `progress` gives the line to show, or "" for none yet. Takes SIGINT over until destroyed.
    ConsoleWatch(std::ostream& err, std::function<std::string(const stats::Interruption&)> progress);
    ~ConsoleWatch();
    ConsoleWatch(const ConsoleWatch&) = delete;
    ConsoleWatch& operator=(const ConsoleWatch&) = delete;

    stats::Interruption& interruption();

private:
    stats::Interruption interruption_;
    std::jthread watcher_;
};

// "Model search: 1234567 nodes visited, about 2345678 more" while a search runs (the rest
// estimated from the share of its tree decided, and never beyond its node budget), then
// "Bootstrap: 120 of 1000 resamples drawn"; "" before either has begun.
std::string continuous_progress_line(const stats::Interruption& interruption, std::size_t node_budget,
                                     int resamples);

}  // namespace norms
