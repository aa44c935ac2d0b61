// The report of a continuous norms run, laid out in fixed-pitch columns for a terminal or a
// printout: what the model was made from, the search, the chosen terms and their fit, the
// warnings, then the norm table at each age.
#pragma once

#include <string>
#include <vector>

#include "norms/tables/continuous_tables.hpp"

namespace norms {

// The report's lines, numbers with the process-wide decimal separator.
std::vector<std::string> continuous_report(const ContinuousTables& tables, const ContinuousSource& source);

// "within the groups of "grade", whose values are the model's ages", and the like.
std::string ranking_description(const ContinuousSource& source);

// "T (mean 50, SD 10)".
std::string scale_description(const stats::ContinuousModel& model);

// "1000 resamples, seed 7".
std::string bootstrap_description(const ContinuousTables& tables);

// Why the fitted model has the terms it has: "the number of terms asked for" and the like.
std::string choice_reason(const ContinuousTables& tables);

// With cross-validation, the chosen model's error and that of the ranks within the ranking
// groups (the fit's warnings recommend tables per group when those do as well); else empty.
std::string cross_validation_summary(const stats::ContinuousFit& fit);

// What the bootstrap's intervals rest on, and the coverage the accuracy suite measured.
std::string interval_note(const ContinuousTables& tables);

// The chosen model as the report gives it: its number of terms and why, each term's coefficient,
// its fit, and the fit's warnings.
std::vector<std::string> continuous_model_lines(const ContinuousTables& tables);

// The title of the norm score's column: the scale's name, or "Norm" for a scale of a mean and
// an SD.
std::string norm_column_title(const stats::ContinuousModel& model);
std::string norm_column_title(const std::string& scale_name);

// A cell as the report's table shows it: the raw score, the norm score (then its four limits),
// the PR (then its four limits); a score beyond the model's range as "<" or ">" and the bound.
std::vector<std::string> continuous_cell_texts(const stats::NormCell& cell, int decimals);

// The decimals a norm score is shown with: one for a scale whose SD is at least 3 (T, IQ), three
// for a narrower one (z).
int norm_score_decimals(const stats::ContinuousModel& model);
int norm_score_decimals(Extended scale_sd);

// A coefficient with every digit the model file holds, which no fixed number of decimals gives
// for terms from 10 to 10^-10 in size.
std::string coefficient_text(double value);

// Appends a table per age of the cells (age by age): a heading "Norms at age A:", then a row per
// raw score under the scale's column title, with the four limits of each when `limits`.
void append_norm_tables(std::vector<std::string>& lines, const std::vector<stats::NormCell>& cells, bool limits,
                        int decimals, const std::string& scale);

// Appends rows of cells as right-aligned columns, each two blanks wider than its widest cell.
void append_columns(std::vector<std::string>& lines, const std::vector<std::vector<std::string>>& rows);

}  // namespace norms
