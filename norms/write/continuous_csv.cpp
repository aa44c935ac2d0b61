#include "norms/write/continuous_csv.hpp"

#include <cmath>
#include <limits>

#include "norms/version.hpp"
#include "norms/write/continuous_report.hpp"
#include "norms/write/csv_table.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

constexpr Extended infinity = std::numeric_limits<Extended>::infinity();

std::string age_text(Extended age)
{
    return stats::data_number_text(static_cast<double>(age));
}

// The About sheet's adders of a text and of a number under a key, once they have added the
// model's kind, its data or model file, the program and the cases.
auto about_rows(SheetsWorkbook& workbook, const std::string& kind, const ContinuousSource& source, long long cases)
{
    const auto text = [&workbook](std::string key, std::string value) {
        workbook.about.push_back({std::move(key), std::move(value), std::nullopt});
    };
    const auto number = [&workbook](std::string key, Extended value) {
        workbook.about.push_back({std::move(key), "", value});
    };
    text("Model", kind);
    if (!source.data_file.empty())
        text("Data file", source.data_file);
    if (!source.model_file.empty())
        text("Model file", source.model_file);
    text("Program", VersionLine);
    number("Cases", static_cast<Extended>(cases));
    return std::pair(text, number);
}

// One sheet per age with the CSV's columns; the raw scores show with `score_decimals`.
void add_age_sheets(SheetsWorkbook& workbook, const std::vector<stats::NormCell>& cells, bool limits,
                    int norm_decimals, int score_decimals = 0)
{
    std::vector<SheetsWorkbook::ColumnFormat> formats = {
        {}, {false, score_decimals}, {false, norm_decimals}, {true, {}}};
    if (limits) {
        for (int c = 0; c < 4; ++c)
            formats.push_back({false, norm_decimals});
        for (int c = 0; c < 4; ++c)
            formats.push_back({true, {}});
    }
    for (std::size_t c = 0; c < cells.size();) {
        SheetsWorkbook::Sheet sheet{"Age " + age_text(cells[c].age), continuous_column_names(limits), formats, {}};
        for (const Extended age = cells[c].age; c < cells.size() && cells[c].age == age; ++c)
            sheet.rows.push_back(continuous_row(cells[c]));
        workbook.sheets.push_back(std::move(sheet));
    }
}

}  // namespace

std::vector<std::string> continuous_column_names(bool limits)
{
    std::vector<std::string> names = {"age", "raw_score", "norm", "pr"};
    if (limits)
        for (const char* column : {"norm_lower95", "norm_upper95", "norm_lower90", "norm_upper90", "pr_lower95",
                                   "pr_upper95", "pr_lower90", "pr_upper90"})
            names.push_back(column);
    return names;
}

std::vector<Extended> continuous_row(const stats::NormCell& cell)
{
    Extended norm = cell.norm;
    Extended pr = cell.PR;
    if (cell.side == stats::RangeSide::below) {
        norm = -infinity;
        pr = 0;
    } else if (cell.side == stats::RangeSide::above) {
        norm = infinity;
        pr = 100;
    }
    std::vector<Extended> row = {cell.age, static_cast<Extended>(cell.raw), norm, pr};
    if (const std::optional<stats::BootstrapLimits>& limits = cell.limits)
        row.insert(row.end(), {limits->norm_lower95, limits->norm_upper95, limits->norm_lower90, limits->norm_upper90,
                               limits->PR_lower95, limits->PR_upper95, limits->PR_lower90, limits->PR_upper90});
    return row;
}

std::vector<std::string> continuous_csv_fields(const stats::NormCell& cell)
{
    const std::vector<Extended> row = continuous_row(cell);
    std::vector<std::string> fields = {age_text(row[0])};
    for (std::size_t c = 1; c < row.size(); ++c)
        fields.push_back(std::isinf(row[c]) ? (row[c] < 0 ? "-inf" : "inf") : CsvNumber(row[c]));
    return fields;
}

void write_continuous_csv(std::ostream& out, const ContinuousTables& tables)
{
    write_continuous_csv(out, tables.cells, tables.resamples > 0);
}

void write_continuous_csv(std::ostream& out, const std::vector<stats::NormCell>& cells, bool limits)
{
    const auto write_line = [&out](const std::vector<std::string>& fields) {
        for (std::size_t c = 0; c < fields.size(); ++c)
            out << (c > 0 ? "," : "") << fields[c];
        out << '\n';
    };
    write_line(continuous_column_names(limits));
    for (const stats::NormCell& cell : cells)
        write_line(continuous_csv_fields(cell));
}

SheetsWorkbook continuous_workbook(const ContinuousTables& tables, const ContinuousSource& source)
{
    if (tables.group_norms)
        return group_norms_workbook(tables, source);
    SheetsWorkbook workbook;
    const stats::ContinuousModel& model = tables.model;
    const auto [text, number] = about_rows(workbook, "Continuous norms", source, model.cases);
    if (!source.data_file.empty())
        text("Ranking", ranking_description(source));
    text("Scale", scale_description(model));
    if (tables.fit) {
        text("Model choice", choice_reason(tables));
        if (const std::string summary = cross_validation_summary(*tables.fit); !summary.empty())
            text("Cross-validation", summary);
        number("R²", tables.fit->r2);
        number("Adjusted R²", tables.fit->adjusted_r2);
        number("RMSE", tables.fit->rmse);
    }
    number("Intercept", model.intercept);
    for (const stats::ModelTerm& term : model.terms)
        number(stats::term_name(term.power), term.coefficient);
    if (tables.resamples > 0)
        text("Bootstrap", bootstrap_description(tables));
    if (tables.resamples > 0)
        text("Intervals", interval_note(tables));

    add_age_sheets(workbook, tables.cells, tables.resamples > 0, norm_score_decimals(model), tables.score_decimals);
    return workbook;
}

SheetsWorkbook group_norms_workbook(const ContinuousTables& tables, const ContinuousSource& source)
{
    SheetsWorkbook workbook;
    const auto [text, number] = about_rows(workbook, "The ranking groups' own norms", source, tables.model.cases);
    if (!source.data_file.empty())
        text("Ranking", ranking_description(source));
    text("Scale", scale_description(tables.model));
    text("Tables", std::string("no model: each raw score's mid-rank PR among the cases of its ranking group") +
                       (tables.resamples > 0 ? ", with exact limits by the Bayesian method" : "") +
                       "; at an age between two groups' ages, interpolated linearly in age");
    add_age_sheets(workbook, tables.cells, tables.resamples > 0, norm_score_decimals(tables.model),
                   tables.score_decimals);
    return workbook;
}

SheetsWorkbook beta_binomial_workbook(const BetaBinomialTables& tables, const ContinuousSource& source)
{
    SheetsWorkbook workbook;
    const stats::BetaBinomialModel& model = tables.model;
    const auto [text, number] = about_rows(workbook, "Continuous norms, beta-binomial", source, model.cases);
    number("Items", model.items);
    text("Scale", model.scale.name);
    number("Age mean", model.age_mean);
    number("Age SD", model.age_sd);
    // x is the age standardised by the sample's mean and SD.
    for (std::size_t i = 0; i < model.alpha.size(); ++i)
        number("log alpha, x^" + std::to_string(i), model.alpha[i]);
    for (std::size_t i = 0; i < model.beta.size(); ++i)
        number("log beta, x^" + std::to_string(i), model.beta[i]);
    if (tables.fit) {
        number("Log-likelihood", tables.fit->fit.log_likelihood);
        number("AIC", tables.fit->fit.aic);
        number("BIC", tables.fit->fit.bic);
    }
    if (tables.resamples > 0)
        text("Bootstrap", std::to_string(tables.resamples) + " resamples, seed " + std::to_string(tables.seed));
    add_age_sheets(workbook, tables.cells, tables.resamples > 0, norm_score_decimals(model.scale.sd));
    return workbook;
}

}  // namespace norms
