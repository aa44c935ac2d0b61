// The report of a Compute run: plain text in fixed-pitch columns, appended line by line to the
// results box.
#pragma once

#include <string>

#include "norms/read/frequency_file.hpp"
#include "norms/write/views.hpp"

namespace norms {

// " " + the caption up to its last ":" + "= " + the box's text as typed.
std::string EchoInputLine(const std::string& caption, const std::string& text);

// One table row. The unrounded PR picks the layout: below 5 and above 95 it has one decimal,
// from 5 to 95 none; the limits are printed as percentages with one decimal.
std::string TableRowLine(const NormsRow& row, int score_decimals = 0);

// A rank and a limit (a proportion) in percent, rounded as a table row prints them, for the
// tables that windows show beside the report.
std::string RankText(Extended pr);
std::string LimitText(Extended proportion);

// Appends the report of rows 0 to row_count - 1, after a line of hyphens when the results box
// already holds text. The notes and the data file's path show as platform::PrintableText shows
// them, whole: their control characters and stray bytes escaped.
void AppendReport(const NormsTable& table, int row_count, const std::string& data_file_path,
                  const WorksheetView& worksheet, ResultsView& results, int score_decimals = 0);

}  // namespace norms
