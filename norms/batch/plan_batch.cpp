#include "norms/batch/plan_batch.hpp"

#include <cmath>
#include <exception>
#include <memory>
#include <optional>

#include "norms/batch/batch_command_line.hpp"
#include "norms/batch/batch_run.hpp"
#include "norms/read/input_checks.hpp"
#include "norms/tables/cutoffs.hpp"
#include "norms/write/output_targets.hpp"
#include "norms/write/sample_plan_output.hpp"
#include "platform/file_names.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"
#include "stats/sample_size.hpp"

namespace norms {
namespace {

// The half-widths a plan takes, in percentile points: beyond 50 every interval is narrow
// enough, and below a hundredth of a point the report and chart would show none.
constexpr Extended narrowest_half_width = 0.01L;
constexpr Extended widest_half_width = 50;
// The smallest standard deviation of a normal shape, which the report still shows with its
// digits; a narrower one puts the whole shape on one score all the same.
constexpr Extended smallest_sd = 1e-6L;

constexpr const char* pilot_too_large_message =
    "The pilot's frequencies add up to more than the 999,999 cases a sample may have.";
static_assert(stats::LargestPlanSampleSize == 999999, "the message names the largest sample");

// "MEAN,SD" with an SD of at least the smallest.
std::optional<std::pair<Extended, Extended>> parse_normal(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    const std::optional<Extended> mean = parse_plain_number(text.substr(0, comma));
    const std::optional<Extended> sd = parse_plain_number(text.substr(comma + 1));
    if (!mean || !sd || !(*sd >= smallest_sd))
        return std::nullopt;
    return std::pair{*mean, *sd};
}

// Shown as a message shows a value: whole, but with its control characters escaped.
std::string shown(const std::string& text)
{
    return platform::PrintableText(text, 0);
}

// The pilot's frequencies as the shape. False once a refusal has been shown.
bool read_pilot(platform::Desktop& desktop, const PlanOptions& options, int row_count,
                SamplePlanInputs& inputs)
{
    platform::FileDialog dialog;  // gives the file's full name, as the report shows it
    desktop.open_file(dialog);
    NormsTable table;
    FileCheck check;
    {
        const std::unique_ptr<ByteSource> file = OpenDataFile(options.pilot_file);
        FrequencyScanner scanner(*file);
        // A pilot states no sample size: its sum is what the last check finds.
        check = ReadFrequencyRows(scanner, inputs.request.min_raw_score, inputs.max_raw_score, -1,
                                  row_count, table);
        // Without a sample size to add up to, a row beyond the maximum would go unnoticed.
        while (check.message == 6 && !scanner.at_end()) {
            if (scanner.read_number() != 0) {
                desktop.error("The pilot file goes on after the row of the maximum raw score.");
                return false;
            }
        }
    }
    // A count too large for the reader to take for a whole number is a count all the same,
    // of more cases than a plan ever tries.
    const bool whole_count = check.message == 6 || (check.message == 2 && check.found == std::trunc(check.found));
    if (whole_count && check.found > stats::LargestPlanSampleSize) {
        desktop.error(pilot_too_large_message);
        return false;
    }
    if (check.message != 6) {
        desktop.error(FileCheckMessage(check));
        return false;
    }
    if (check.found == 0) {
        desktop.error("The pilot's frequencies are all 0, so they give no shape.");
        return false;
    }
    for (int j = 0; j < row_count; ++j)
        inputs.request.shape.push_back(table[j].Frequency);
    inputs.shape_lines = {
        " Expected shape: the frequencies of a pilot sample of " +
            stats::format_fixed(check.found, 0, 0) + " in the following file:",
        " " + shown(dialog.file_name)};
    inputs.shape_title = "pilot " + shown(platform::base_file_name(dialog.file_name));
    return true;
}

}  // namespace

CLI::App& AddPlanForm(BatchCommandLine& command_line, PlanOptions& options, bool can_plot)
{
    CLI::App& form = command_line.add_form(
        "plan", "The size of a normative sample for a wanted precision of its percentile ranks.",
        PlanUsage,
        "vornak-batch plan --half-width 3 --at 2 --at 16 --pilot pilot.txt 0 30");
    AddMethodOption(form, options.method);
    AddTakenOption(
        form, "--level",
        [&options](const std::string& level) {
            options.level = level == "90" ? 90 : 95;
            return level == "95" || level == "90";
        },
        "95 or 90", "the interval's confidence level: 95 (the default) or 90")
        ->type_name("LEVEL");
    AddTakenOption(
        form, "--at",
        [&options](const std::string& text) {
            const std::optional<Extended> rank = ParsePercentileRank(text);
            if (rank) {
                options.rank_texts.push_back(text);
                options.ranks.push_back(*rank);
            }
            return rank.has_value();
        },
        "a percentile rank between 0 and 100, such as 2.5",
        "a percentile rank of interest; repeatable (default 2 5 10 16 25 50 75 84 90 95 98)")
        ->type_name("P");
    form.add_flag("--csv", options.csv,
                  "print the half-width at each rank for every n tried instead of the report");
    if (can_plot)
        AddPlotOption(form, options.plot_path,
                      "also draw the half-widths against n into PICTURE, a .png, .svg or .pdf file");
    AddTakenOption(
        form, "--half-width",
        [&options](const std::string& text) {
            const std::optional<Extended> width = parse_plain_number(text);
            options.half_width = width.value_or(0);
            return width && *width >= narrowest_half_width && *width <= widest_half_width;
        },
        "a number of percentile points from 0.01 to 50, such as 3",
        "the wanted half-width of the interval, in percentile points")
        ->type_name("W")
        ->required();
    CLI::Option* pilot = AddTakenOption(
        form, "--pilot",
        [&options](const std::string& name) {
            options.pilot_file = name;
            return !IsBlankFileName(name);
        },
        "a file name that is not blank", "the shape from the counts of a pilot frequency file")
        ->type_name("FILE");
    CLI::Option* normal = AddTakenOption(
        form, "--normal",
        [&options](const std::string& text) {
            options.normal = parse_normal(text);
            return options.normal.has_value();
        },
        "MEAN,SD with an SD of at least 0.000001, such as 15,5",
        "the shape of a normal distribution over the whole scores")
        ->type_name("MEAN,SD");
    pilot->excludes(normal);
    form.add_option("MIN", options.min_text, "the minimum legitimate raw score")->required();
    form.add_option("MAX", options.max_text, "the maximum legitimate raw score")->required();
    form.final_callback([&options, pilot, normal] {
        if (pilot->count() == 0 && normal->count() == 0)
            throw CLI::ValidationError("one of --pilot and --normal is needed");
        if (options.ranks.empty()) {
            for (const Extended rank : DefaultPlanRanks) {
                options.rank_texts.push_back(stats::format_fixed(rank, 0, 0));
                options.ranks.push_back(rank);
            }
        }
    });
    return form;
}

int RunPlanBatch(const PlanOptions& options, const ChartPainter& paint_chart, std::ostream& out,
                 std::ostream& err)
{
    platform::ConsoleDesktop desktop(err, options.pilot_file, stats::decimal_separator());
    SamplePlanInputs inputs;
    SamplePlanRequest& request = inputs.request;
    request.method = options.method;
    request.level = options.level;
    request.ranks = options.ranks;
    request.half_width = options.half_width;
    inputs.rank_names = options.rank_texts;
    SamplePlan plan;
    OutputFiles files;
    try {
        check_output_targets({{"the pilot file", options.pilot_file}}, {{"--plot", options.plot_path}});
        std::int64_t min_score = 0;
        std::int64_t max_score = 0;
        if (!ReadScoreRange(desktop, options.min_text, options.max_text, min_score, max_score))
            return 1;
        request.min_raw_score = static_cast<Extended>(min_score);
        inputs.max_raw_score = static_cast<Extended>(max_score);
        if (options.normal) {
            const auto [mean, sd] = *options.normal;
            request.shape = stats::DiscretisedNormal(mean, sd, min_score, max_score);
            inputs.shape_lines = {" Expected shape: a normal distribution with mean " +
                                  stats::format_number(mean) + " and standard deviation " +
                                  stats::format_number(sd) + ", in whole scores"};
            inputs.shape_title = "normal " + stats::format_number(mean) + ", " +
                                 stats::format_number(sd);
        } else if (!read_pilot(desktop, options, static_cast<int>(max_score - min_score + 1), inputs)) {
            return 1;
        }
        plan = PlanSampleSize(request);
        if (!options.plot_path.empty())
            files.add_picture(options.plot_path, BuildSamplePlanChart(inputs, plan), paint_chart);
    } catch (...) {
        return ShowFailure(desktop, std::current_exception());
    }

    const int status = WriteOutput(out, desktop, [&](std::ostream& stream) {
        if (options.csv) {
            WriteSamplePlanCsv(stream, inputs, plan);
        } else {
            for (const std::string& line : SamplePlanReport(inputs, plan))
                stream << line << '\n';
        }
    });
    return status != 0 ? status : CommitOutputFiles(files, desktop, err);
}

}  // namespace norms
