#include "norms/write/continuous_report.hpp"

#include <algorithm>

#include "norms/version.hpp"
#include "norms/write/report.hpp"
#include "stats/continuous_cross_validation.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"
#include "stats/utf8.hpp"

namespace norms {
namespace {

using stats::format_fixed;

// What the accuracy suite (bench/norming_accuracy, docs/continuous.md) measured for the default
// choice.
const std::string measured_coverage =
    "On samples from six known populations (bench/norming_accuracy, 100 to 1,000 cases an age), "
    "95% intervals so made held the population's norm score in 89 to 100% of the cells, 90% intervals "
    "in 84 to 99%.";

// Characters, not bytes: "R²" takes two columns.
std::size_t characters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !stats::is_utf8_continuation(c); }));
}

}  // namespace

// A coefficient with every digit the model file holds, which no fixed number of decimals gives
// for terms from 10 to 10^-10 in size.
std::string coefficient_text(double value)
{
    std::string text = stats::data_number_text(value);
    const std::size_t point = text.find('.');
    if (point != std::string::npos)
        text.replace(point, 1, stats::decimal_separator());
    return text;
}

// Rows of cells as right-aligned columns, each two blanks wider than its widest cell.
void append_columns(std::vector<std::string>& lines, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths;
    for (const std::vector<std::string>& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths.resize(std::max(widths.size(), row.size()), 0);
            widths[c] = std::max(widths[c], characters(row[c]));
        }
    for (const std::vector<std::string>& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += std::string(widths[c] + 2 - characters(row[c]), ' ') + row[c];
        lines.push_back(line);
    }
}

namespace {

std::string r2_text(Extended r2)
{
    return format_fixed(r2, 0, 5);
}

std::string error_text(Extended error)
{
    return format_fixed(error, 0, 3);
}

// The chosen model's cross-validated error.
Extended least_error(const stats::ContinuousFit& fit)
{
    for (const stats::SizeOfModel& size : fit.search)
        if (size.terms == static_cast<int>(fit.model.terms.size()) && size.cross_validated_error)
            return *size.cross_validated_error;
    return 0;
}

}  // namespace

std::string choice_reason(const ContinuousTables& tables)
{
    const stats::ContinuousFit& fit = *tables.fit;
    if (tables.options.terms > 0)
        return "the number of terms asked for";
    if (!fit.crossings.empty())
        return "the best fit, though every model kept crosses";
    if (fit.rule == stats::ModelRule::cross_validation)
        return "the least error in " + std::to_string(stats::cross_validation_folds) +
               "-fold cross-validation among the models without crossing";
    if (fit.adjusted_r2 > tables.options.r2)
        return "the fewest terms whose adjusted R² exceeds " + stats::format_number(tables.options.r2);
    return "the highest adjusted R² without crossing; none exceeds " + stats::format_number(tables.options.r2);
}

std::string cross_validation_summary(const stats::ContinuousFit& fit)
{
    if (!fit.grouped_error)
        return "";
    return "Cross-validated error (norm scale): " + error_text(least_error(fit)) + " for this model, " +
           error_text(*fit.grouped_error) + " for ranks within the ranking groups alone";
}

std::string interval_note(const ContinuousTables& tables)
{
    std::string note = "Each resample repeats the ranking, the search and the choice of the model";
    if (tables.bias > 0)
        note += "; the limits are widened by the model's bias as cross-validation estimates it, " +
                format_fixed(tables.bias, 0, 3);
    return note + ". " + measured_coverage;
}

namespace {

void append_search(std::vector<std::string>& lines, const stats::ContinuousFit& fit)
{
    lines.push_back("");
    const bool validated = fit.rule == stats::ModelRule::cross_validation;
    lines.push_back(validated ? " Model search: the best adjusted R² of each number of terms, and the "
                                "cross-validated error of the best without crossing"
                              : " Model search: the best adjusted R² of each number of terms");
    std::vector<std::vector<std::string>> rows = {{"Terms", "Adjusted R²", "Without crossing"}};
    if (validated)
        rows.front().push_back("CV error");
    for (const stats::SizeOfModel& size : fit.search) {
        rows.push_back({std::to_string(size.terms), r2_text(size.best_adjusted_r2),
                        size.consistent_adjusted_r2 ? r2_text(*size.consistent_adjusted_r2) : "none"});
        if (validated)
            rows.back().push_back(size.cross_validated_error ? error_text(*size.cross_validated_error) : "none");
    }
    append_columns(lines, rows);
    if (!fit.skipped.empty())
        lines.push_back(" Passed over because their curves cross: " + std::to_string(fit.skipped.size()) +
                        (fit.skipped.size() == 1 ? " model" : " models") + " that fit better");
}

void append_model(std::vector<std::string>& lines, const ContinuousTables& tables)
{
    const stats::ContinuousModel& model = tables.model;
    lines.push_back("");
    std::string chosen = " Model: " + std::to_string(model.terms.size()) +
                         (model.terms.size() == 1 ? " term" : " terms");
    if (tables.fit)
        chosen += ", " + choice_reason(tables);
    lines.push_back(chosen);
    lines.push_back(" raw score = intercept + the sum of each term's coefficient times the term");
    std::vector<std::vector<std::string>> rows = {{"Term", "Coefficient"},
                                                  {"Intercept", coefficient_text(model.intercept)}};
    for (const stats::ModelTerm& term : model.terms)
        rows.push_back({stats::term_name(term.power), coefficient_text(term.coefficient)});
    append_columns(lines, rows);
    if (tables.fit) {
        lines.push_back(" R² " + r2_text(tables.fit->r2) + ", adjusted R² " + r2_text(tables.fit->adjusted_r2) +
                        ", RMSE " + format_fixed(tables.fit->rmse, 0, 3) + " raw score points");
        if (const std::string summary = cross_validation_summary(*tables.fit); !summary.empty())
            lines.push_back(" " + summary);
    }
}

void append_warnings(std::vector<std::string>& lines, const stats::ContinuousFit& fit)
{
    if (fit.warnings.empty())
        return;
    lines.push_back("");
    lines.push_back(" Warnings:");
    for (const std::string& warning : fit.warnings)
        lines.push_back("   " + warning);
}

}  // namespace

void append_norm_tables(std::vector<std::string>& lines, const std::vector<stats::NormCell>& cells, bool limits,
                        int decimals, const std::string& scale)
{
    std::vector<std::string> header = {"Raw score", scale, "PR"};
    if (limits)
        header = {"Raw score", scale,       "95% lower", "95% upper", "90% lower", "90% upper",
                  "PR",        "95% lower", "95% upper", "90% lower", "90% upper"};
    for (std::size_t c = 0; c < cells.size();) {
        const Extended age = cells[c].age;
        lines.push_back("");
        lines.push_back(" Norms at age " + stats::format_number(age) + ":");
        std::vector<std::vector<std::string>> rows = {header};
        for (; c < cells.size() && cells[c].age == age; ++c)
            rows.push_back(continuous_cell_texts(cells[c], decimals));
        append_columns(lines, rows);
    }
}

std::string norm_column_title(const stats::ContinuousModel& model)
{
    return norm_column_title(model.scale_name);
}

std::string norm_column_title(const std::string& scale_name)
{
    return scale_name.find(',') == std::string::npos ? platform::PrintableText(scale_name, 0) : "Norm";
}

std::vector<std::string> continuous_cell_texts(const stats::NormCell& cell, int decimals)
{
    const std::string side = cell.side == stats::RangeSide::below   ? "<"
                             : cell.side == stats::RangeSide::above ? ">"
                                                                    : "";
    std::vector<std::string> texts = {stats::data_number_text(static_cast<double>(cell.raw)), side + format_fixed(cell.norm, 0, decimals),
                                      side + RankText(cell.PR)};
    if (const std::optional<stats::BootstrapLimits>& limits = cell.limits) {
        for (const Extended norm :
             {limits->norm_lower95, limits->norm_upper95, limits->norm_lower90, limits->norm_upper90})
            texts.insert(texts.end() - 1, format_fixed(norm, 0, decimals));
        for (const Extended pr : {limits->PR_lower95, limits->PR_upper95, limits->PR_lower90, limits->PR_upper90})
            texts.push_back(format_fixed(pr, 0, 1));
    }
    return texts;
}

std::string ranking_description(const ContinuousSource& source)
{
    if (source.group_variable.empty())
        return "within age windows " + stats::format_number(source.window_width) + " wide around each case's " +
               platform::in_quotes(source.age_variable);
    if (source.age_variable.empty())
        return "within the groups of " + platform::in_quotes(source.group_variable) +
               ", whose values are the model's ages";
    return "within the groups of " + platform::in_quotes(source.group_variable) + "; the model's age is " +
           platform::in_quotes(source.age_variable);
}

std::string scale_description(const stats::ContinuousModel& model)
{
    return platform::PrintableText(model.scale_name, 0) + " (mean " + stats::format_number(model.scale_mean) +
           ", SD " + stats::format_number(model.scale_sd) + ")";
}

std::string bootstrap_description(const ContinuousTables& tables)
{
    return std::to_string(tables.resamples) + " resamples, seed " + std::to_string(tables.seed);
}

int norm_score_decimals(const stats::ContinuousModel& model)
{
    return norm_score_decimals(static_cast<Extended>(model.scale_sd));
}

int norm_score_decimals(Extended scale_sd)
{
    return scale_sd >= 3 ? 1 : 3;
}

std::vector<std::string> continuous_model_lines(const ContinuousTables& tables)
{
    std::vector<std::string> lines;
    append_model(lines, tables);
    if (tables.fit)
        append_warnings(lines, *tables.fit);
    return lines;
}

std::vector<std::string> continuous_report(const ContinuousTables& tables, const ContinuousSource& source)
{
    const stats::ContinuousModel& model = tables.model;
    std::vector<std::string> lines = {"", std::string(VersionLine) + ": continuous norms", ""};
    if (!source.data_file.empty())
        lines.push_back(" Data file: " + platform::PrintableText(source.data_file, 0));
    if (!source.model_file.empty())
        lines.push_back(" Model file: " + platform::PrintableText(source.model_file, 0));
    lines.push_back(" Raw scores: " + std::to_string(tables.raw_min) + " to " + std::to_string(tables.raw_max));
    std::string cases = " Cases: " + std::to_string(model.cases);
    if (!source.data_file.empty())
        cases += " used, " + std::to_string(source.cases_skipped) + " skipped for a missing value";
    lines.push_back(cases);
    if (!source.data_file.empty())
        lines.push_back(" Ranking: " + ranking_description(source));
    lines.push_back(" Scale: " + scale_description(model) + "; L is a case's score on it within its ranking group");
    lines.push_back(" Ages of the model: " + stats::format_number(model.age.low) + " to " +
                    stats::format_number(model.age.high));
    lines.push_back(" Candidate terms: L^i A^j for i up to " + std::to_string(model.k) + " and j up to " +
                    std::to_string(model.t) + ", " + std::to_string(stats::candidate_term_count(model.k, model.t)) +
                    " in all");
    if (tables.fit)
        append_search(lines, *tables.fit);
    const std::vector<std::string> model_lines = continuous_model_lines(tables);
    lines.insert(lines.end(), model_lines.begin(), model_lines.end());
    if (tables.resamples > 0 && !tables.group_norms) {
        lines.push_back("");
        lines.push_back(" Bootstrap: " + bootstrap_description(tables) +
                        "; each limit is a percentile of the resamples' values");
        lines.push_back(" " + interval_note(tables));
    }
    append_norm_tables(lines, tables.cells, tables.resamples > 0, norm_score_decimals(tables.model),
                       norm_column_title(tables.model));
    return lines;
}

}  // namespace norms
