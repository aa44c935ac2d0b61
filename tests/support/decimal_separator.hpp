// The process-wide decimal separator, changed for one scope.
#pragma once

#include <string>

#include "stats/number_format.hpp"

// Puts the separator it found back when the scope ends, also when a fatal assertion or an
// exception ends it early, so that no later test inherits it.
class ScopedDecimalSeparator {
public:
    explicit ScopedDecimalSeparator(std::string separator) : previous_(stats::decimal_separator())
    {
        stats::set_decimal_separator(std::move(separator));
    }
    ~ScopedDecimalSeparator() { stats::set_decimal_separator(previous_); }
    ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
    ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

private:
    std::string previous_;
};
