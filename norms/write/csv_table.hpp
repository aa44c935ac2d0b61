// The norms table as comma-separated values: one line per raw score, numbers as printf's
// "%.17Lg" prints them in the C locale, whatever the user's locale.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "norms/read/frequency_file.hpp"
#include "norms/tables/norms_table.hpp"
#include "norms/tables/table_columns.hpp"
#include "platform/desktop.hpp"

namespace norms {

inline constexpr const char* CsvTableHeader =
    "raw_score,frequency,below,pr,lower95,upper95,lower90,upper90";

// A number as the table prints it: printf's "%.17Lg" in the C locale.
std::string CsvNumber(Extended x);

// A raw score as the CSV gives it: as CsvNumber does for whole scores, with exactly `decimals`
// decimals and "." as the point for scores by a step with decimals ("7.0", "61.1").
std::string CsvScore(Extended score, int decimals);

// The table's own columns: those of CsvTableHeader, and for a weighted table
// "weighted_frequency" and "effective_frequency" after "frequency", and last the group's
// "cases", "sum_of_weights", "effective_size" and "design_effect".
std::vector<std::string> own_column_names(bool weighted);

// Row j's values of the table's own columns. A weighted table's frequency and below count its
// cases, unweighted; its effective frequency is the count its intervals were computed from.
std::vector<Extended> own_column_values(const NormsRun& run, int j);

// The header line: `line_start` (for leading columns), the table's own columns, the added
// columns' names.
void WriteCsvHeader(std::ostream& out, const std::vector<TableColumn>& added = {},
                    std::string_view line_start = {}, bool weighted = false);

// Writes the run's rows, each line beginning with `line_start` (for leading columns) and
// ending with the added columns.
void WriteCsvRows(std::ostream& out, const NormsRun& run,
                  const std::vector<TableColumn>& added = {}, std::string_view line_start = {});

// The run's table as CSV: the header line, then one line per row, each with the added columns
// last; "." as the decimal point and LF line ends whatever the user's settings.
void WriteNormsCsv(std::ostream& out, const NormsRun& run, const std::vector<TableColumn>& added = {});

// Asks for a file in the save dialog, proposing the name `proposed` holds, and writes the run's
// table there through the no-loss saver; `proposed` then holds the chosen name. Gives false
// when the dialog is cancelled; throws platform::Failure when the file cannot be written.
bool ExportNormsCsv(platform::Desktop& desktop, platform::FileDialog& proposed, const NormsRun& run,
                    const std::vector<TableColumn>& added = {});

// A text field as it stands in a CSV line: bytes that are not UTF-8 escaped ("\xE9"), an
// apostrophe before a text that a spreadsheet would run as a formula (one that starts with
// "=", "+", "-", "@", a tab or a carriage return and is not a number in the data file's
// grammar), and quoted, with its quotes doubled, only where it holds the delimiter, a quote, a
// line end or an outer blank. Every text field of every CSV file goes through here.
std::string CsvField(std::string_view text);

}  // namespace norms
