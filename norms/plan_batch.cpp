#include "norms/plan_batch.hpp"

#include <exception>
#include <memory>
#include <optional>

#include "norms/batch_views.hpp"
#include "norms/study_plan_output.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/number_format.hpp"
#include "stats/study_size.hpp"

namespace norms {
namespace {

struct PlanOptions {
    int method = 0;
    Extended level = 95;
    std::vector<std::string> rank_texts;
    std::vector<Extended> ranks;
    bool csv = false;
    std::string plot_path;
    std::optional<Extended> half_width;
    std::string pilot_file;
    std::optional<std::pair<Extended, Extended>> normal;  // mean and standard deviation
    std::string min_text;
    std::string max_text;
};

// "MEAN,SD" with a positive SD.
std::optional<std::pair<Extended, Extended>> parse_normal(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    const std::optional<Extended> mean = ParseOptionNumber(text.substr(0, comma));
    const std::optional<Extended> sd = ParseOptionNumber(text.substr(comma + 1));
    if (!mean || !sd || !(*sd > 0))
        return std::nullopt;
    return std::pair{*mean, *sd};
}

// The reason the arguments make no plan; empty when they make one.
std::string parse_arguments(const std::vector<std::string>& arguments, bool can_plot,
                            PlanOptions& options)
{
    std::vector<std::string> operands;
    bool options_ended = false;
    const std::string wrong = "wrong arguments";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (options_ended || !argument.starts_with("--")) {
            operands.push_back(argument);
        } else if (argument == "--csv") {
            options.csv = true;
        } else if (argument == "--method" && has_value) {
            options.method = BatchMethodIndex(arguments[++i]);
            if (options.method < 0)
                return "--method takes bayesian, classical or mid-p";
        } else if (argument == "--level" && has_value) {
            const std::string& level = arguments[++i];
            if (level != "95" && level != "90")
                return "--level takes 95 or 90";
            options.level = level == "95" ? 95 : 90;
        } else if (argument == "--at" && has_value) {
            const std::optional<Extended> rank = ParsePercentileRank(arguments[++i]);
            if (!rank)
                return "--at takes a percentile rank between 0 and 100, such as 2.5";
            options.rank_texts.push_back(arguments[i]);
            options.ranks.push_back(*rank);
        } else if (argument == "--half-width" && has_value) {
            options.half_width = ParseOptionNumber(arguments[++i]);
            if (!options.half_width || !(*options.half_width > 0))
                return "--half-width takes a positive number of percentile points, such as 3";
        } else if (argument == "--pilot" && has_value && !IsBlankFileName(arguments[i + 1])) {
            options.pilot_file = arguments[++i];
        } else if (argument == "--normal" && has_value) {
            options.normal = parse_normal(arguments[++i]);
            if (!options.normal)
                return "--normal takes MEAN,SD with a positive SD, such as 15,5";
        } else if (argument == "--plot" && has_value && can_plot) {
            options.plot_path = arguments[++i];
            if (!ChartFormatOf(options.plot_path))
                return "--plot takes a file name ending in .png, .svg or .pdf";
        } else {
            return wrong;
        }
    }
    if (!options.half_width)
        return "--half-width is needed";
    if (options.pilot_file.empty() == !options.normal)
        return "one of --pilot and --normal is needed";
    if (operands.size() != 2)
        return wrong;
    options.min_text = operands[0];
    options.max_text = operands[1];
    if (options.ranks.empty()) {
        for (const Extended rank : DefaultPlanRanks) {
            options.rank_texts.push_back(stats::format_fixed(rank, 0, 0));
            options.ranks.push_back(rank);
        }
    }
    return "";
}

// The pilot's frequencies as the shape. False once a refusal has been shown.
bool read_pilot(platform::Desktop& desktop, const PlanOptions& options, int row_count,
                StudyPlanInputs& inputs)
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
        " " + dialog.file_name};
    const std::size_t slash = dialog.file_name.find_last_of('/');
    inputs.shape_title = "pilot " + dialog.file_name.substr(slash == std::string::npos ? 0 : slash + 1);
    return true;
}

}  // namespace

int RunPlanBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 const ChartSaver& save_chart)
{
    PlanOptions options;
    if (const std::string reason = parse_arguments(arguments, save_chart != nullptr, options);
        !reason.empty()) {
        err << "vornak-batch plan: " << reason << '\n' << PlanUsage << '\n';
        return 2;
    }
    platform::ConsoleDesktop desktop(err, options.pilot_file, stats::decimal_separator());
    StudyPlanInputs inputs;
    StudyPlanRequest& request = inputs.request;
    request.method = options.method;
    request.level = options.level;
    request.ranks = options.ranks;
    request.half_width = *options.half_width;
    inputs.rank_names = options.rank_texts;
    StudyPlan plan;
    try {
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
        plan = PlanStudy(request);
        if (!options.plot_path.empty())
            save_chart(options.plot_path, *ChartFormatOf(options.plot_path),
                       BuildStudyPlanChart(inputs, plan));
    } catch (const std::exception& failure) {
        desktop.failure(failure.what());
        return 1;
    }

    return WriteOutput(out, desktop, [&](std::ostream& stream) {
        if (options.csv) {
            WriteStudyPlanCsv(stream, inputs, plan);
        } else {
            for (const std::string& line : StudyPlanReport(inputs, plan))
                stream << line << '\n';
        }
    });
}

}  // namespace norms
