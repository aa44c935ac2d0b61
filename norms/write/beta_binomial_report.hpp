// The report of a beta-binomial norms run, laid out in fixed-pitch columns as the other
// continuous report: what the model was made from, the degrees and why, the coefficients with
// their standard errors, the fit overall and by age group, then the norm table at each age.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/continuous_tables.hpp"
#include "platform/desktop.hpp"

namespace norms {

// The report's lines, numbers with the process-wide decimal separator.
std::vector<std::string> beta_binomial_report(const BetaBinomialTables& tables, const ContinuousSource& source);

// The model's lines: its degrees and why, its coefficients with standard errors, and its fit.
std::vector<std::string> beta_binomial_model_lines(const BetaBinomialTables& tables);

// A run's standard output: with `csv` the cells, its warnings going to the desktop as notices;
// else the report.
void write_beta_binomial_output(std::ostream& output, bool csv, const BetaBinomialTables& tables,
                                const ContinuousSource& source, platform::Desktop& desktop);

}  // namespace norms
