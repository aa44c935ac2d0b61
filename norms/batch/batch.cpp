#include "norms/batch/batch.hpp"

#include <exception>
#include <optional>

#include "norms/batch/batch_command_line.hpp"
#include "norms/batch/batch_run.hpp"
#include "norms/batch/batch_views.hpp"
#include "norms/batch/beta_binomial_batch.hpp"
#include "norms/batch/continuous_batch.hpp"
#include "norms/write/chart_model.hpp"
#include "norms/run/compute_run.hpp"
#include "norms/write/csv_table.hpp"
#include "norms/write/norms_workbook.hpp"
#include "norms/write/output_files.hpp"
#include "norms/write/output_targets.hpp"
#include "norms/batch/plan_batch.hpp"
#include "norms/program_strings.hpp"
#include "norms/batch/scores_batch.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// The first form: a frequency file, and the three values the worksheet takes.
struct FrequencyOptions {
    SharedOptions shared;
    std::string boxes[3];  // MIN, MAX, N
    std::string file;
    std::string plot_path;
};

void add_frequency_form(CLI::App& program, FrequencyOptions& options, bool can_plot)
{
    AddSharedOptions(program, options.shared);
    if (can_plot)
        AddPlotOption(program, options.plot_path,
                      "also draw the chart into PICTURE, a .png, .svg or .pdf file");
    const char* const box_names[] = {"MIN", "MAX", "N"};
    const char* const box_meanings[] = {"the minimum legitimate raw score",
                                        "the maximum legitimate raw score",
                                        "the size of the normative sample"};
    for (int box = 0; box < 3; ++box)
        program.add_option(box_names[box], options.boxes[box], box_meanings[box])->required();
    AddFileOperand(program, options.file,
                   "the frequency file: one line per raw score, the score and its frequency");
}

// The first form's run: the Compute run on the frequency file.
int run_frequency_form(const FrequencyOptions& options, const ChartPainter& paint_chart,
                       std::ostream& out, std::ostream& err)
{
    BatchWorksheet worksheet;
    worksheet.method = options.shared.method;
    worksheet.notes = options.shared.notes;
    for (int box = 0; box < 3; ++box)
        worksheet.texts[box] = options.boxes[box];
    platform::ConsoleDesktop desktop(err, options.file, stats::decimal_separator());
    BatchResults results;
    NormsRun run;
    OutputFiles files;
    try {
        check_output_targets({{"the frequency file", options.file}},
                             {{"--plot", options.plot_path}, {"--xlsx", options.shared.xlsx_path}});
        if (!RunCompute(desktop, worksheet, results, run))
            return 1;
        if (!options.plot_path.empty())
            files.add_picture(options.plot_path, BuildChartModel(run), paint_chart);
        if (!options.shared.xlsx_path.empty())
            files.add_workbook(options.shared.xlsx_path,
                               RunWorkbook(run, AddedColumns(options.shared, run.sample_size)));
    } catch (...) {
        return ShowFailure(desktop, std::current_exception());
    }

    const int status = WriteOutput(out, desktop, [&](std::ostream& stream) {
        if (options.shared.csv) {
            WriteNormsCsv(stream, run, AddedColumns(options.shared, run.sample_size));
        } else {
            for (const std::string& line : results.lines)
                stream << line << '\n';
        }
    });
    return status != 0 ? status : CommitOutputFiles(files, desktop, err);
}

}  // namespace

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const ChartPainter& paint_chart, const ManualPdfPainter& paint_manual)
{
    BatchCommandLine command_line(
        "Percentile ranks with their 95% and 90% interval estimates, from the frequencies of "
        "the raw scores in a normative sample.",
        BatchUsage, "vornak-batch --method mid-p --csv 0 30 250 frequencies.txt > table.csv");
    FrequencyOptions options;
    add_frequency_form(command_line.program(), options, paint_chart != nullptr);
    ScoresOptions scores;
    CLI::App& scores_form = AddScoresForm(command_line, scores, paint_manual != nullptr);
    PlanOptions plan;
    CLI::App& plan_form = AddPlanForm(command_line, plan, paint_chart != nullptr);
    ContinuousBatchOptions continuous;
    CLI::App& continuous_form =
        AddContinuousForm(command_line, continuous, paint_chart != nullptr, paint_manual != nullptr);
    if (const std::optional<int> status = command_line.parse(arguments, out, err))
        return *status;
    int status = 0;
    if (&command_line.chosen() == &scores_form)
        status = RunScoresBatch(scores, out, err, paint_manual);
    else if (&command_line.chosen() == &plan_form)
        status = RunPlanBatch(plan, paint_chart, out, err);
    else if (&command_line.chosen() == &continuous_form)
        status = IsBetaBinomialRun(continuous) ? RunBetaBinomialBatch(continuous, paint_chart, out, err, paint_manual)
                                               : RunContinuousBatch(continuous, paint_chart, out, err, paint_manual);
    else
        status = run_frequency_form(options, paint_chart, out, err);
    // Notices that could not be shown make no success.
    return status == 0 && !err.flush() ? 1 : status;
}

}  // namespace norms
