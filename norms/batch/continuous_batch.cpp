#include "norms/batch/continuous_batch.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <sstream>

#include "norms/batch/batch_command_line.hpp"
#include "norms/batch/batch_run.hpp"
#include "norms/batch/console_watch.hpp"
#include "norms/batch/score_steps.hpp"
#include "norms/count/data_file.hpp"
#include "norms/read/input_checks.hpp"
#include "norms/tables/beta_binomial_model_file.hpp"
#include "norms/tables/continuous_family.hpp"
#include "norms/tables/continuous_model_file.hpp"
#include "norms/tables/continuous_tables.hpp"
#include "norms/write/beta_binomial_chart.hpp"
#include "norms/write/beta_binomial_report.hpp"
#include "norms/write/continuous_chart.hpp"
#include "norms/write/continuous_csv.hpp"
#include "norms/write/continuous_manual.hpp"
#include "norms/write/continuous_report.hpp"
#include "norms/write/family_report.hpp"
#include "norms/write/output_files.hpp"
#include "norms/write/output_targets.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "platform/file_names.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {


// A whole number from `low` to `high` as typed, if it is one.
std::optional<Extended> whole_number(const std::string& text, Extended low, Extended high)
{
    const std::optional<Extended> number = parse_plain_number(text);
    if (!number || *number != std::trunc(*number) || *number < low || *number > high)
        return std::nullopt;
    return number;
}

// A whole number's every digit, up to 2^64 - 1 (which a formatted number rounds to 18 digits).
std::string whole_text(Extended whole)
{
    return whole < 0 ? std::to_string(static_cast<long long>(whole))
                     : std::to_string(static_cast<unsigned long long>(whole));
}

// Adds an option that takes a whole number from `low` to `high` into `value`.
template <class Whole>
CLI::Option* add_whole_option(CLI::App& form, const std::string& name, Whole& value, Extended low, Extended high,
                              const std::string& description)
{
    return AddTakenOption(
        form, name,
        [&value, low, high](const std::string& text) {
            const std::optional<Extended> number = whole_number(text, low, high);
            if (number)
                value = static_cast<Whole>(*number);
            return number.has_value();
        },
        "a whole number from " + whole_text(low) + " to " + whole_text(high),
        description);
}

// The options that choose the data and the fit, which a saved model has no use for.
struct DataOptions {
    std::vector<CLI::Option*> all;
    CLI::Option* score = nullptr;
    CLI::Option* group = nullptr;
    CLI::Option* age = nullptr;
    CLI::Option* width = nullptr;
    CLI::Option* terms = nullptr;
    CLI::Option* r2 = nullptr;
    CLI::Option* bootstrap = nullptr;
    CLI::Option* seed = nullptr;
};

void check_model_choice(const DataOptions& data, const CLI::Option* ages, const CLI::Option* file)
{
    for (const CLI::Option* option : data.all)
        if (option->count() > 0)
            throw CLI::ValidationError(option->get_name() +
                                       " has no use with --model, whose model is fitted already");
    if (file->count() > 0)
        throw CLI::ValidationError("--model takes no FILE: the model is read instead of the data");
    if (ages->count() == 0)
        throw CLI::ValidationError("--model needs --ages: the model file holds no ages to make tables for");
}

void check_data_choice(const ContinuousBatchOptions& options, const DataOptions& data, const CLI::Option* file)
{
    if (data.score->count() == 0)
        throw CLI::ValidationError("--score is required");
    if (file->count() == 0)
        throw CLI::ValidationError("FILE is required");
    if (data.group->count() > 0 && data.width->count() > 0)
        throw CLI::ValidationError(
            "--group and --width exclude each other: the cases are ranked within groups or within age windows");
    if (data.group->count() == 0 && data.width->count() == 0)
        throw CLI::ValidationError(
            "one of --group and --width is needed: the cases are ranked within groups or within age windows");
    if (data.width->count() > 0 && data.age->count() == 0)
        throw CLI::ValidationError("--width needs --age: the windows slide along the cases' ages");
    if (data.terms->count() > 0 && data.r2->count() > 0)
        throw CLI::ValidationError("--terms and --r2 exclude each other: a fixed number of terms has no R² to reach");
    const int candidates = stats::candidate_term_count(options.model.k, options.model.t);
    if (options.model.terms > candidates)
        throw CLI::ValidationError("--terms " + std::to_string(options.model.terms) + " is more than the " +
                                   std::to_string(candidates) + " candidate terms of --k " +
                                   std::to_string(options.model.k) + " and --t " + std::to_string(options.model.t));
    if (data.seed->count() > 0 && data.bootstrap->count() == 0)
        throw CLI::ValidationError("--seed needs --bootstrap: it seeds the resamples");
}

// The tables, the cases they were fitted to (none for a saved model) and what they came from.
struct ContinuousRun {
    ContinuousTables tables;
    // With --family best: the two families' errors, and the beta-binomial's tables when chosen.
    std::optional<FamilyComparison> comparison;
    std::optional<BetaBinomialTables> beta_binomial;
    NormingCases cases;
    ContinuousSource source;
};

// --save-model with --family best when no model made the tables.
const std::string no_model_notice =
    "--save-model wrote no file: no model was chosen, as the ranking groups' own norms made the tables";

// The decimals the rows show with: the step's, or the most that a listed score has.
int row_decimals(const std::optional<ScoreGrid>& grid, const std::vector<Extended>& listed_scores)
{
    int decimals = grid ? grid->decimals : 0;
    for (const Extended score : listed_scores)
        decimals = std::max(decimals, ShortestDecimals(static_cast<double>(score)).value_or(MaxScoreDecimals));
    return decimals;
}

ContinuousRun fitted_run(const ContinuousBatchOptions& options, const std::string& full_name, std::int64_t min_score,
                         std::int64_t max_score, const std::vector<Extended>& raw_scores, platform::Desktop& desktop,
                         std::ostream& err)
{
    ContinuousRun run;
    NormingLayout variables = options.layout;
    variables.min_score = min_score;
    variables.max_score = max_score;
    variables.whole_scores = false;  // the Taylor model fits scores with decimals as they are
    const CaseReading read = file_reading(person_data_file(options.file, options.text_file));
    read_suggesting_encoding(options.text_file.encoding,
                             [&] { run.cases = read_norming_cases(read, variables); });
    if (run.cases.skipped > 0)
        desktop.warning(skipped_cases_notice(run.cases.skipped, variables));
    run.source = {full_name,
                  "",
                  variables.score_variable,
                  variables.age_variable,
                  variables.group_variable,
                  options.model.window_width,
                  run.cases.skipped};
    ConsoleWatch watch(err, [&options](const stats::Interruption& interruption) {
        return continuous_progress_line(interruption, options.model.node_budget, options.bootstrap.resamples);
    });
    if (!options.best_family) {
        run.tables = fit_continuous_tables(run.cases.sample, options.model, options.ages, min_score, max_score,
                                           options.bootstrap, &watch.interruption(), raw_scores);
        return run;
    }
    DefaultContinuousTables best = fit_default_continuous_tables(run.cases.sample, options.model, options.ages,
                                                                 min_score, max_score, options.bootstrap,
                                                                 &watch.interruption(), raw_scores);
    run.tables = std::move(best.taylor);
    run.comparison = best.comparison;
    run.beta_binomial = std::move(best.beta_binomial);
    return run;
}

}  // namespace

CLI::App& AddContinuousForm(BatchCommandLine& command_line, ContinuousBatchOptions& options, bool can_plot,
                            bool draws_pdf)
{
    CLI::App& form = command_line.add_form(
        "continuous",
        "Continuous norms: one model of the raw score over the location within the ranking group and age, and its "
        "norm tables at any age within the sample's.",
        ContinuousUsage,
        "vornak-batch continuous --score raw --age age --width 1 --csv 0 50 vocabulary_by_age.csv > norms.csv");
    DataOptions data;
    const auto data_option = [&data](CLI::Option* option) {
        data.all.push_back(option);
        return option;
    };
    data.score = data_option(AddNameOption(form, "--score", options.layout.score_variable, "a variable name",
                                           "the variable that holds the raw scores")
                                 ->type_name("VARIABLE"));
    data.group = data_option(AddNameOption(form, "--group", options.layout.group_variable, "a variable name",
                                           "rank each case within the cases of its value of this variable")
                                 ->type_name("VARIABLE"));
    data.age = data_option(AddNameOption(form, "--age", options.layout.age_variable, "a variable name",
                                         "each case's age; without it the group's value is the model's age")
                               ->type_name("VARIABLE"));
    data.width = data_option(AddTakenOption(
                                 form, "--width",
                                 [&options](const std::string& text) {
                                     const std::optional<Extended> width = parse_plain_number(text);
                                     options.model.window_width = width.value_or(0);
                                     return width && *width > 0;
                                 },
                                 "an age span above 0, such as 1",
                                 "rank each case within the cases whose ages lie within W/2 of its own")
                                 ->type_name("W"));
    data.all.push_back(add_whole_option(form, "--k", options.model.k, 1, stats::max_term_power,
                                        "the largest power of L among the candidate terms (default 5)")
                           ->type_name("K"));
    data.all.push_back(add_whole_option(form, "--t", options.model.t, 0, stats::max_term_power,
                                        "the largest power of age among the candidate terms (default 3)")
                           ->type_name("T"));
    data.terms = data_option(add_whole_option(form, "--terms", options.model.terms, 1,
                                              stats::candidate_term_count(stats::max_term_power, stats::max_term_power),
                                              "take the best model of exactly P terms")
                                 ->type_name("P"));
    data.r2 = data_option(AddTakenOption(
                              form, "--r2",
                              [&options](const std::string& text) {
                                  const std::optional<Extended> r2 = parse_plain_number(text);
                                  options.model.r2 = r2.value_or(0);
                                  options.model.rule = stats::ModelRule::adjusted_r2;
                                  return r2 && stats::is_r2_target(*r2);
                              },
                              "a number above 0 and at most 1, such as 0.99",
                              "take the fewest terms whose adjusted R² exceeds R (default 0.99)")
                              ->type_name("R"));
    data.all.push_back(AddTakenOption(
                           form, "--scale",
                           [&options](const std::string& name) {
                               options.model.scale = scale_option_value(name);
                               return options.model.scale.rule == stats::ScaleRule::Linear;
                           },
                           "a scale of a mean and an SD: z, T, IQ, scaled, NCE or M,SD",
                           "the norm scale of L and of the tables: z, T (the default), IQ, scaled, NCE or M,SD")
                           ->type_name("NAME"));
    const CLI::Option* ages = AddTakenOption(
                                  form, "--ages",
                                  [&options](const std::string& text) {
                                      const std::optional<std::vector<Extended>> ages = parse_age_list(text);
                                      options.ages = ages.value_or(std::vector<Extended>());
                                      return ages.has_value();
                                  },
                                  "ages separated by commas, such as 6,7.5,9",
                                  "the ages to make tables for (default: each group's value, or about 13 round ages "
                                  "over the sample's)")
                                  ->type_name("A,A...");
    data.bootstrap = data_option(add_whole_option(form, "--bootstrap", options.bootstrap.resamples, 2,
                                                  stats::max_bootstrap_resamples,
                                                  "add 95% and 90% intervals from B bootstrap resamples")
                                     ->type_name("B"));
    data.seed = data_option(add_whole_option(form, "--seed", options.bootstrap.seed, 0, 18446744073709551615.0L,
                                             "the resamples' seed (default 1); the same seed gives the same limits")
                                ->type_name("S"));
    form.add_flag("--csv", options.csv, "print the tables as comma-separated values instead of the report");
    AddWorkbookOption(form, options.xlsx_path,
                      "also write the model and the tables to WORKBOOK, an Excel file with one sheet per age");
    if (can_plot)
        AddPlotOption(form, options.plot_path,
                      "also draw the percentile curves over the cases into PICTURE, a .png, .svg or .pdf file");
    data.all.push_back(AddNameOption(form, "--save-model", options.save_model_path, "a file name",
                                     "also write the fitted model to MODEL, a JSON file")
                           ->type_name("MODEL"));
    add_manual_options(form, options.manual, draws_pdf, "the ages");
    AddStepOption(form, options.step_text);
    AddTakenOption(
        form, "--raw-scores",
        [&options](const std::string& text) {
            std::optional<std::vector<Extended>> scores = parse_age_list(text);
            if (!scores || std::any_of(scores->begin(), scores->end(), [](Extended x) { return !(x >= 0); }))
                return false;
            std::sort(scores->begin(), scores->end());
            options.raw_scores = std::move(*scores);
            return true;
        },
        "raw scores from 0 separated by commas, such as 12.5,13,14.25",
        "make the tables' rows for these raw scores alone, in ascending order, instead of MIN to MAX")
        ->type_name("X,X...");
    for (CLI::Option* option : add_family_options(form, options.beta_binomial, options.best_family))
        data.all.push_back(option);
    const CLI::Option* model = AddNameOption(form, "--model", options.model_path, "a file name",
                                             "make the tables from MODEL, saved before with --save-model")
                                   ->type_name("MODEL");
    // The file's layout belongs to the data, which a saved model does without.
    const std::size_t before_layout = form.get_options().size();
    AddTextFileOptions(form, options.text_file);
    for (std::size_t i = before_layout; i < form.get_options().size(); ++i)
        data.all.push_back(form.get_options()[i]);
    form.add_option("MIN", options.min_text, "the minimum legitimate raw score")->required();
    form.add_option("MAX", options.max_text, "the maximum legitimate raw score")->required();
    const CLI::Option* file = AddPersonFileOperand(form, options.file);
    form.final_callback([&options, &form, data, ages, model, file] {
        // The data choose the family unless it, or a model, is fixed.
        if (form.count("--family") == 0 && form.count("--terms") == 0 && form.count("--r2") == 0 &&
            form.count("--model") == 0)
            options.best_family = true;
        check_family_choice(form, options.beta_binomial, options.best_family);
        for (const char* rows : {"--step", "--raw-scores"}) {
            if (form.count(rows) == 0)
                continue;
            if (options.beta_binomial.family)
                throw CLI::ValidationError(std::string(rows) + " has no use with --family betabinomial, "
                                                               "whose raw scores are whole counts");
        }
        if (form.count("--step") > 0 && form.count("--raw-scores") > 0)
            throw CLI::ValidationError("--step and --raw-scores each choose the rows: give one of them");
        if (options.beta_binomial.family)
            options.family = BetaBinomialFamily{options.beta_binomial.items, options.beta_binomial.alpha_degree,
                                                options.beta_binomial.beta_degree};
        if (model->count() > 0)
            check_model_choice(data, ages, file);
        else if (!options.beta_binomial.family)
            check_data_choice(options, data, file);
        check_manual_options(form, options.manual);
        // A model's intervals come from its bootstrap.
        const bool intervals = data.bootstrap->count() > 0;
        if (form.count("--manual-interval") > 0 && options.manual.choices.interval != ManualInterval::none &&
            !intervals)
            throw CLI::ValidationError("--manual-interval shows the bootstrap's intervals, which need --bootstrap");
        if (options.manual.choices.reversals && !intervals)
            throw CLI::ValidationError(
                "--reversals tells whether the two ranks' intervals overlap, which needs --bootstrap");
    });
    return form;
}

int RunContinuousBatch(const ContinuousBatchOptions& options, const ChartPainter& paint_chart, std::ostream& out,
                       std::ostream& err, const ManualPdfPainter& paint_manual)
{
    const bool saved = !options.model_path.empty();
    platform::ConsoleDesktop desktop(err, saved ? options.model_path : options.file, stats::decimal_separator());
    std::ostringstream output;
    OutputFiles files;
    try {
        check_output_targets({{"the data file", options.file}, {"the model file", options.model_path}},
                             {{"--xlsx", options.xlsx_path},
                              {"--plot", options.plot_path},
                              {"--save-model", options.save_model_path},
                              {"--manual", options.manual.path}});
        std::int64_t min_score = 0;
        std::int64_t max_score = 0;
        std::optional<ScoreGrid> grid;
        if (!options.step_text.empty()) {
            grid = ReadPersonScores(desktop, options.min_text, options.max_text, options.step_text);
            if (!grid)
                return 1;
            // The cases' scores may lie anywhere from MIN to MAX.
            min_score = static_cast<std::int64_t>(std::floor(grid->score(0)));
            max_score = static_cast<std::int64_t>(std::ceil(grid->score(grid->rows - 1)));
        } else if (!ReadScoreRange(desktop, options.min_text, options.max_text, min_score, max_score,
                                   RowLimit::per_person)) {
            return 1;
        }
        // The rows: a --step grid's (none for whole scores), or those listed.
        std::vector<Extended> raw_scores = grid && !grid->whole_steps() ? grid->scores() : std::vector<Extended>();
        if (!options.raw_scores.empty()) {
            raw_scores = options.raw_scores;
            // Listed scores lie within MIN and MAX, as the cases' do.
            if (raw_scores.front() < static_cast<Extended>(min_score) ||
                raw_scores.back() > static_cast<Extended>(max_score))
                throw platform::Failure("--raw-scores lists a score outside MIN to MAX, " + std::to_string(min_score) +
                                        " to " + std::to_string(max_score) + ".");
        }
        platform::FileDialog dialog;  // gives the file's full name, as the report shows it
        desktop.open_file(dialog);
        ContinuousRun run;
        if (saved) {
            const stats::ContinuousModel model = read_continuous_model(options.model_path);
            for (const std::string& warning : model_file_warnings(model))
                desktop.warning(warning);
            run.tables = model_tables(model, options.ages, min_score, max_score, raw_scores);
            run.source.model_file = dialog.file_name;
        } else {
            run = fitted_run(options, dialog.file_name, min_score, max_score, raw_scores, desktop, err);
        }
        run.tables.score_decimals = row_decimals(grid, options.raw_scores);

        if (run.beta_binomial) {
            write_beta_binomial_output(output, options.csv, *run.beta_binomial, run.source, desktop);
            if (!options.csv)
                for (const std::string& line : family_choice_lines(*run.comparison, run.beta_binomial->bias))
                    output << line << '\n';
        } else if (options.csv) {
            // Without the report, its warnings go with the notices.
            if (run.tables.fit)
                for (const std::string& warning : run.tables.fit->warnings)
                    desktop.warning(warning);
            write_continuous_csv(output, run.tables);
        } else {
            for (const std::string& line : continuous_report(run.tables, run.source))
                output << line << '\n';
            if (run.comparison)
                for (const std::string& line : family_choice_lines(*run.comparison))
                    output << line << '\n';
        }
        // The outputs of the family that made the tables.
        const BetaBinomialTables* beta_binomial = run.beta_binomial ? &*run.beta_binomial : nullptr;
        if (!options.xlsx_path.empty()) {
            SheetsWorkbook workbook = beta_binomial ? beta_binomial_workbook(*beta_binomial, run.source)
                                                    : continuous_workbook(run.tables, run.source);
            if (run.comparison)
                add_family_choice_rows(workbook, *run.comparison, beta_binomial ? beta_binomial->bias : 0);
            files.add_workbook(options.xlsx_path, workbook);
        }
        if (!options.plot_path.empty()) {
            const stats::NormingSample* cases = saved ? nullptr : &run.cases.sample;
            const std::string title = platform::base_file_name(dialog.file_name);
            files.add_picture(options.plot_path,
                              beta_binomial ? beta_binomial_chart(*beta_binomial, cases, title)
                                            : continuous_chart(run.tables, cases, title),
                              paint_chart);
        }
        if (!options.save_model_path.empty()) {
            if (beta_binomial)
                files.add_text(options.save_model_path, beta_binomial_model_json(beta_binomial->model));
            else if (run.tables.group_norms)
                desktop.warning(no_model_notice);
            else
                files.add_text(options.save_model_path, continuous_model_json(run.tables.model));
        }
        add_manual_output(
            options.manual,
            [&](const ManualChoices& choices) {
                return beta_binomial ? beta_binomial_manual(*beta_binomial, choices, "")
                                     : continuous_manual(run.tables, choices, "");
            },
            desktop, files, paint_manual);
    } catch (...) {
        return ShowFailure(desktop, std::current_exception());
    }
    const int status = WriteOutput(out, desktop, [&](std::ostream& stream) { stream << output.view(); });
    return status != 0 ? status : CommitOutputFiles(files, desktop, err);
}

}  // namespace norms
