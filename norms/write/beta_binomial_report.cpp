#include "norms/write/beta_binomial_report.hpp"

#include <cmath>

#include "norms/version.hpp"
#include "norms/write/continuous_csv.hpp"
#include "norms/write/continuous_report.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

using stats::format_fixed;

std::string degrees_reason(const BetaBinomialTables& tables)
{
    if (!tables.fit || !tables.choice.degrees_chosen())
        return "the degrees asked for";
    return "the lowest BIC among degrees 0 to " + std::to_string(stats::most_beta_binomial_degree) + " of each";
}

std::string se_text(double se)
{
    return std::isfinite(se) ? coefficient_text(se) : "none";
}

void append_degree_search(std::vector<std::string>& lines, const stats::ChosenBetaBinomial& chosen)
{
    if (chosen.trials.empty())
        return;
    lines.push_back("");
    lines.push_back(" Degree search: BIC of each pair of degrees (rows log α, columns log β)");
    std::vector<std::vector<std::string>> rows = {{"Degrees"}};
    for (int b = 0; b <= stats::most_beta_binomial_degree; ++b)
        rows[0].push_back(std::to_string(b));
    for (int a = 0; a <= stats::most_beta_binomial_degree; ++a) {
        std::vector<std::string> row = {std::to_string(a)};
        for (int b = 0; b <= stats::most_beta_binomial_degree; ++b) {
            std::string cell = "did not converge";
            for (const stats::DegreeTrial& trial : chosen.trials)
                if (trial.alpha_degree == a && trial.beta_degree == b)
                    cell = format_fixed(trial.bic, 0, 1);
            row.push_back(cell);
        }
        rows.push_back(row);
    }
    append_columns(lines, rows);
}

void append_group_fit(std::vector<std::string>& lines, const BetaBinomialTables& tables)
{
    if (tables.group_fit.empty())
        return;
    lines.push_back("");
    lines.push_back(tables.groups_are_nearest_ages
                        ? " Fit by age group (the cases nearest each age): model's PR less the sample's mid-rank PR"
                        : " Fit by age group: model's PR less the sample's mid-rank PR");
    std::vector<std::vector<std::string>> rows = {
        {"Age", "Cases", "Largest difference", "Chi-square", "df"}};
    for (const stats::GroupFitLine& line : tables.group_fit)
        rows.push_back({stats::format_number(line.group), format_fixed(line.cases, 0, 0),
                        format_fixed(line.largest_PR_difference, 0, 2), format_fixed(line.chi_square, 0, 1),
                        std::to_string(tables.model.items)});
    append_columns(lines, rows);
}

}  // namespace

std::vector<std::string> beta_binomial_model_lines(const BetaBinomialTables& tables)
{
    const stats::BetaBinomialModel& model = tables.model;
    std::vector<std::string> lines = {""};
    lines.push_back(" Model: log α of degree " + std::to_string(model.alpha.size() - 1) + " and log β of degree " +
                    std::to_string(model.beta.size() - 1) + ", " + degrees_reason(tables));
    lines.push_back(" log α and log β = the sum of each coefficient times x to its power, x = (age - " +
                    coefficient_text(model.age_mean) + ") / " + coefficient_text(model.age_sd));
    std::vector<std::vector<std::string>> rows = {{"Coefficient", "Estimate"}};
    if (tables.fit)
        rows[0].push_back("Standard error");
    const auto add = [&](const char* shape, const std::vector<double>& values, const std::vector<double>* errors) {
        for (std::size_t j = 0; j < values.size(); ++j) {
            rows.push_back({std::string(shape) + " x^" + std::to_string(j), coefficient_text(values[j])});
            if (errors)
                rows.back().push_back(se_text((*errors)[j]));
        }
    };
    add("log α", model.alpha, tables.fit ? &tables.fit->fit.alpha_se : nullptr);
    add("log β", model.beta, tables.fit ? &tables.fit->fit.beta_se : nullptr);
    append_columns(lines, rows);
    if (tables.fit) {
        const stats::BetaBinomialFit& fit = tables.fit->fit;
        lines.push_back(" Log-likelihood " + format_fixed(fit.log_likelihood, 0, 3) + ", AIC " +
                        format_fixed(fit.aic, 0, 3) + ", BIC " + format_fixed(fit.bic, 0, 3) + " (" +
                        std::to_string(fit.newton_steps) + " Newton steps)");
    }
    return lines;
}

std::vector<std::string> beta_binomial_report(const BetaBinomialTables& tables, const ContinuousSource& source)
{
    const stats::BetaBinomialModel& model = tables.model;
    std::vector<std::string> lines = {"", std::string(VersionLine) + ": continuous norms, beta-binomial", ""};
    if (!source.data_file.empty())
        lines.push_back(" Data file: " + platform::PrintableText(source.data_file, 0));
    if (!source.model_file.empty())
        lines.push_back(" Model file: " + platform::PrintableText(source.model_file, 0));
    lines.push_back(" Raw scores: 0 to " + std::to_string(model.items) + ", the number of items");
    std::string cases = " Cases: " + std::to_string(model.cases);
    if (!source.data_file.empty())
        cases += " used, " + std::to_string(source.cases_skipped) + " skipped for a missing value";
    lines.push_back(cases);
    if (!source.data_file.empty())
        lines.push_back(" Age: " + (source.age_variable.empty()
                                        ? "the value of " + platform::in_quotes(source.group_variable)
                                        : platform::in_quotes(source.age_variable)));
    lines.push_back(" Scale: " + platform::PrintableText(model.scale.name, 0) + " (mean " +
                    stats::format_number(model.scale.mean) + ", SD " + stats::format_number(model.scale.sd) +
                    "); a raw score's norm score is that of its mid-rank PR, P(X < x) + P(X = x)/2");
    lines.push_back(" Ages of the model: " + stats::format_number(model.age.low) + " to " +
                    stats::format_number(model.age.high));
    if (tables.fit)
        append_degree_search(lines, *tables.fit);
    const std::vector<std::string> model_lines = beta_binomial_model_lines(tables);
    lines.insert(lines.end(), model_lines.begin(), model_lines.end());
    append_group_fit(lines, tables);
    if (!tables.warnings.empty()) {
        lines.push_back("");
        lines.push_back(" Warnings:");
        for (const std::string& warning : tables.warnings)
            lines.push_back("   " + warning);
    }
    if (tables.resamples > 0) {
        lines.push_back("");
        lines.push_back(" Bootstrap: " + std::to_string(tables.resamples) + " resamples, seed " +
                        std::to_string(tables.seed) +
                        (tables.choice.degrees_chosen() ? ", the degrees chosen again in each" : "") +
                        "; each limit is a percentile of the resamples' values");
    }
    append_norm_tables(lines, tables.cells, tables.resamples > 0, norm_score_decimals(model.scale.sd),
                       norm_column_title(model.scale.name));
    return lines;
}

void write_beta_binomial_output(std::ostream& output, bool csv, const BetaBinomialTables& tables,
                                const ContinuousSource& source, platform::Desktop& desktop)
{
    if (!csv) {
        for (const std::string& line : beta_binomial_report(tables, source))
            output << line << '\n';
        return;
    }
    for (const std::string& warning : tables.warnings)
        desktop.warning(warning);
    write_continuous_csv(output, tables.cells, tables.resamples > 0);
}

}  // namespace norms
