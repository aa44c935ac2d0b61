// Decimal formatting of extended-precision numbers for messages and reports.
//
// A value is first reduced to 18 significant decimal digits (rounded to nearest), then rounded
// at its last printed digit with halves going away from zero: 2.25 with one decimal is 2.3.
// Printed numbers use one process-wide decimal separator, "." until the program sets it from
// the user's regional settings.
#pragma once

#include "stats/distrib.hpp"

#include <string>

namespace stats {

void set_decimal_separator(std::string separator);
const std::string& decimal_separator();

// Like a "%width.decimalsf" placeholder: exactly `decimals` decimals, a leading "-" for
// negative values (none when the value rounds to zero), right-aligned in at least `width`
// characters and never cut.
std::string format_fixed(Extended value, int width, int decimals);

// A value read from a data file as text, with "." as the point whatever the user's settings: a
// whole number in plain digits ("100000", not "1e+05"), any other as the shortest text that
// reads back as the same double ("12.5", "1e-07").
std::string data_number_text(double value);

}  // namespace stats
