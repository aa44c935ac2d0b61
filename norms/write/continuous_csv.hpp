// A continuous norm table's columns, as CSV and as an Excel workbook: one row per age and raw
// score, with the norm score on the model's scale and the PR, and the bootstrap limits of both
// when there are any.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_tables.hpp"
#include "norms/write/norms_workbook.hpp"

namespace norms {

// age, raw_score, norm, pr, then with limits norm_lower95 … pr_upper90.
std::vector<std::string> continuous_column_names(bool limits);

// The cell's values in those columns. A raw score below the model's range has the norm score
// -inf and the PR 0, one above it inf and 100, as the scale columns write an open end.
std::vector<Extended> continuous_row(const stats::NormCell& cell);

// The cell's fields of a CSV line: the age as the shortest text that reads back as the same
// double, as a data file holds it; every other number as CsvNumber prints it, "-inf" or "inf".
std::vector<std::string> continuous_csv_fields(const stats::NormCell& cell);

// The header line, then one line per cell: the age as the shortest text that reads back as the
// same double, as a data file holds it; every other number as CsvNumber prints it, "-inf" or
// "inf"; "." as the decimal point and LF line ends whatever the user's settings.
void write_continuous_csv(std::ostream& out, const ContinuousTables& tables);
// The same lines for any family's cells, with the limits' columns when `limits`.
void write_continuous_csv(std::ostream& out, const std::vector<stats::NormCell>& cells, bool limits);

// An About sheet with the model (its terms and coefficients, R², adjusted R², RMSE, cases,
// ranking and scale), then one sheet per age with the CSV's columns.
SheetsWorkbook continuous_workbook(const ContinuousTables& tables, const ContinuousSource& source);

// The same sheets for the ranking groups' own norms (tables.group_norms), whose About sheet says
// that no model made them; continuous_workbook gives it for such tables.
SheetsWorkbook group_norms_workbook(const ContinuousTables& tables, const ContinuousSource& source);

// The same for a beta-binomial model: an About sheet with its coefficients and fit, then one
// sheet per age.
SheetsWorkbook beta_binomial_workbook(const BetaBinomialTables& tables, const ContinuousSource& source);

}  // namespace norms
