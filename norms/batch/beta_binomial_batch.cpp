#include "norms/batch/beta_binomial_batch.hpp"

#include <algorithm>
#include <exception>
#include <sstream>

#include "norms/batch/batch_run.hpp"
#include "norms/batch/scores_batch.hpp"
#include "norms/count/case_weights.hpp"
#include "norms/count/weighted_norming_cases.hpp"
#include "norms/count/data_file.hpp"
#include "norms/tables/beta_binomial_model_file.hpp"
#include "norms/tables/beta_binomial_tables.hpp"
#include "norms/tables/model_file_json.hpp"
#include "norms/write/beta_binomial_chart.hpp"
#include "norms/write/beta_binomial_report.hpp"
#include "norms/write/continuous_csv.hpp"
#include "norms/write/continuous_manual.hpp"
#include "norms/write/output_files.hpp"
#include "norms/write/output_targets.hpp"
#include "platform/console_desktop.hpp"
#include "platform/file_names.hpp"
#include "platform/failure.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

struct BetaBinomialRun {
    BetaBinomialTables tables;
    stats::NormingSample sample;  // the cases fitted; none for a model read from its file
    ContinuousSource source;
};

BetaBinomialRun fitted_run(const ContinuousBatchOptions& options, const std::string& full_name,
                           std::int64_t min_score, std::int64_t max_score, platform::Desktop& desktop)
{
    NormingLayout variables = options.layout;
    // The scores a test of N items can give: a score above N is refused with its place.
    variables.min_score = min_score;
    variables.max_score = std::min<std::int64_t>(max_score, options.beta_binomial.items);
    const BetaBinomialOptions& family = options.beta_binomial;
    const bool weighted = !family.weight_variable.empty() || !family.margins_file.empty();
    WeightedNormingCases read_cases;
    NormingCases& cases = read_cases.cases;
    const CaseReading read = file_reading(person_data_file(options.file, options.text_file));
    read_suggesting_encoding(options.text_file.encoding, [&] {
        if (!weighted) {
            cases = read_norming_cases(read, variables);
            return;
        }
        const std::vector<Extended> file_weights = raked_case_weights(
            read, family.margins_file.empty() ? std::vector<MarginsVariable>() : read_margins(family.margins_file),
            family.weight_variable, family.margins_file);
        read_cases = read_weighted_norming_cases(read, variables, file_weights);
    });
    if (cases.skipped > 0)
        desktop.warning(skipped_cases_notice(cases.skipped, variables));
    if (read_cases.missing_weights > 0)
        desktop.warning(std::to_string(read_cases.missing_weights) +
                        (read_cases.missing_weights == 1 ? " case" : " cases") + " skipped for a missing weight");
    BetaBinomialRun run;
    run.source = {full_name, "", variables.score_variable, variables.age_variable, variables.group_variable, 0,
                  cases.skipped + read_cases.missing_weights};
    run.tables = fit_beta_binomial_tables(cases.sample, read_cases.weights, beta_binomial_choice(options), options.ages,
                                          options.bootstrap);
    run.sample = std::move(cases.sample);
    return run;
}

}  // namespace

bool IsBetaBinomialRun(const ContinuousBatchOptions& options)
{
    return options.beta_binomial.family || (!options.model_path.empty() && holds_beta_binomial_model(options.model_path));
}

bool holds_beta_binomial_model(const std::string& path)
{
    try {
        return is_beta_binomial_model(read_model_text(path));
    } catch (const std::exception&) {
        return false;
    }
}

int RunBetaBinomialBatch(const ContinuousBatchOptions& options, const ChartPainter& paint_chart, std::ostream& out,
                         std::ostream& err, const ManualPdfPainter& paint_manual)
{
    const bool saved = !options.model_path.empty();
    platform::ConsoleDesktop desktop(err, saved ? options.model_path : options.file, stats::decimal_separator());
    std::ostringstream output;
    OutputFiles files;
    try {
        check_output_targets({{"the data file", options.file},
                              {"the model file", options.model_path},
                              {"the margins file", options.beta_binomial.margins_file}},
                             {{"--xlsx", options.xlsx_path},
                              {"--plot", options.plot_path},
                              {"--save-model", options.save_model_path},
                              {"--manual", options.manual.path}});
        std::int64_t min_score = 0;
        std::int64_t max_score = 0;
        if (!ReadScoreRange(desktop, options.min_text, options.max_text, min_score, max_score, RowLimit::none))
            return 1;
        platform::FileDialog dialog;  // gives the file's full name, as the report shows it
        desktop.open_file(dialog);
        BetaBinomialRun run;
        if (saved) {
            run.tables = beta_binomial_model_tables(
                parse_beta_binomial_model(read_model_text(options.model_path)), options.ages);
            run.source.model_file = dialog.file_name;
        } else {
            run = fitted_run(options, dialog.file_name, min_score, max_score, desktop);
        }
        write_beta_binomial_output(output, options.csv, run.tables, run.source, desktop);
        if (!options.xlsx_path.empty())
            files.add_workbook(options.xlsx_path, beta_binomial_workbook(run.tables, run.source));
        if (!options.plot_path.empty())
            files.add_picture(options.plot_path,
                              beta_binomial_chart(run.tables, saved ? nullptr : &run.sample,
                                                  platform::base_file_name(dialog.file_name)),
                              paint_chart);
        if (!options.save_model_path.empty())
            files.add_text(options.save_model_path, beta_binomial_model_json(run.tables.model));
        add_manual_output(
            options.manual,
            [&](const ManualChoices& choices) { return beta_binomial_manual(run.tables, choices, ""); }, desktop,
            files, paint_manual);
    } catch (...) {
        return ShowFailure(desktop, std::current_exception());
    }
    const int status = WriteOutput(out, desktop, [&](std::ostream& stream) { stream << output.view(); });
    return status != 0 ? status : CommitOutputFiles(files, desktop, err);
}

}  // namespace norms
