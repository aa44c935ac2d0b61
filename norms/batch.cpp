#include "norms/batch.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <exception>
#include <iterator>
#include <optional>

#include "norms/batch_views.hpp"
#include "norms/chart_model.hpp"
#include "norms/compute_run.hpp"
#include "norms/csv_table.hpp"
#include "norms/input_checks.hpp"
#include "norms/plan_batch.hpp"
#include "norms/program_strings.hpp"
#include "norms/scores_batch.hpp"
#include "norms/version.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/Bayes_Engines.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

const char* const method_names[] = {"bayesian", "classical", "mid-p"};

// The largest raw score the worksheet's six-character boxes can hold.
constexpr Extended largest_raw_score = 999999;

// A --cutoff: the percentile rank as typed, and as a proportion.
struct Cutoff {
    std::string text;
    Extended proportion;
};

std::optional<Cutoff> parse_cutoff(const std::string& text)
{
    const std::optional<Extended> rank = ParsePercentileRank(text);
    if (!rank)
        return std::nullopt;
    return Cutoff{text, *rank / 100};
}

// The posterior probability below each cut-off, as columns added to the table.
std::vector<CsvColumn> cutoff_columns(const std::vector<Cutoff>& cutoffs, Extended n)
{
    std::vector<CsvColumn> columns;
    for (const Cutoff& cutoff : cutoffs)
        columns.push_back({"prob_below_" + cutoff.text, [n, p = cutoff.proportion](const NormsRow& row) {
                               return stats::Bayesian_cutoff_probability(n, row.Below, row.Frequency, p);
                           }});
    return columns;
}

}  // namespace

std::optional<Extended> ParseOptionNumber(const std::string& text)
{
    Extended value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Extended> ParsePercentileRank(const std::string& text)
{
    const std::optional<Extended> rank = ParseOptionNumber(text);
    // A rank of a few units of 1e-4950 vanishes as a proportion.
    if (!rank || !(*rank / 100 > 0 && *rank < 100))
        return std::nullopt;
    return rank;
}

bool ReadScoreRange(platform::Desktop& desktop, const std::string& min_text,
                    const std::string& max_text, std::int64_t& min_score, std::int64_t& max_score)
{
    const Extended min = std::trunc(ParseFieldValue(desktop, min_text, InputCaptions[0]));
    if (InputError)
        return false;
    const Extended max = std::trunc(ParseFieldValue(desktop, max_text, InputCaptions[1]));
    if (InputError)
        return false;
    if (min < 0 || max > largest_raw_score) {
        desktop.error("The minimum and maximum raw scores must lie from 0 to 999999.");
        return false;
    }
    if (max < min) {
        desktop.error("The maximum raw score is below the minimum raw score.");
        return false;
    }
    if (max - min + 1 > MaxNormsRows) {
        desktop.error(TooManyRowsMessage);
        return false;
    }
    min_score = static_cast<std::int64_t>(min);
    max_score = static_cast<std::int64_t>(max);
    return true;
}

int WriteOutput(std::ostream& out, platform::Desktop& desktop,
                const std::function<void(std::ostream&)>& write)
{
    errno = 0;
    write(out);
    if (!out.flush()) {
        desktop.failure(platform::file_failure(errno).what());
        return 1;
    }
    return 0;
}

int BatchMethodIndex(const std::string& name)
{
    const auto found = std::find(std::begin(method_names), std::end(method_names), name);
    return found == std::end(method_names) ? -1 : static_cast<int>(found - std::begin(method_names));
}

std::vector<std::string> SplitNotes(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const ChartSaver& save_chart)
{
    if (!arguments.empty() && arguments.front() == "scores")
        return RunScoresBatch({arguments.begin() + 1, arguments.end()}, out, err);
    if (!arguments.empty() && arguments.front() == "plan")
        return RunPlanBatch({arguments.begin() + 1, arguments.end()}, out, err, save_chart);
    BatchWorksheet worksheet;
    bool csv = false;
    std::string plot_path;
    std::vector<Cutoff> cutoffs;
    bool options_ended = false;
    std::vector<std::string> operands;
    const auto usage = [&] {
        err << BatchUsage << '\n';
        return 2;
    };
    const auto refuse = [&](const std::string& reason) {
        err << "vornak-batch: " << reason << '\n';
        return usage();
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (options_ended || !argument.starts_with("--")) {
            operands.push_back(argument);  // "-1" and "-" are numbers
        } else if (argument == "--version") {
            out << VersionLine << '\n';
            return 0;
        } else if (argument == "--csv") {
            csv = true;
        } else if (argument == "--plot" && i + 1 < arguments.size() && save_chart) {
            plot_path = arguments[++i];
            if (!ChartFormatOf(plot_path))
                return usage();
        } else if (argument == "--cutoff" && i + 1 < arguments.size()) {
            const std::optional<Cutoff> cutoff = parse_cutoff(arguments[++i]);
            if (!cutoff)
                return refuse("--cutoff takes a percentile rank between 0 and 100, such as 2.5");
            cutoffs.push_back(*cutoff);
        } else if (argument == "--notes" && i + 1 < arguments.size()) {
            worksheet.notes = SplitNotes(arguments[++i]);
        } else if (argument == "--method" && i + 1 < arguments.size()) {
            worksheet.method = BatchMethodIndex(arguments[++i]);
            if (worksheet.method < 0)
                return usage();
        } else {
            return usage();
        }
    }
    if (!cutoffs.empty() && worksheet.method != 0)
        return refuse("--cutoff gives a posterior probability, which needs the Bayesian method");
    if (!cutoffs.empty() && !csv)
        return refuse("--cutoff adds columns to the table, which needs --csv");
    // A FILE of nothing but white space would be a silent cancel.
    if (operands.size() != 4 || IsBlankFileName(operands[3]))
        return usage();
    for (int box = 0; box < 3; ++box)
        worksheet.texts[box] = operands[box];

    platform::ConsoleDesktop desktop(err, operands[3], stats::decimal_separator());
    BatchResults results;
    NormsRun run;
    try {
        if (!RunCompute(desktop, worksheet, results, run))
            return 1;
    } catch (const std::exception& failure) {
        desktop.failure(failure.what());
        return 1;
    }

    if (!plot_path.empty()) {
        try {
            save_chart(plot_path, *ChartFormatOf(plot_path), BuildChartModel(run));
        } catch (const std::exception& failure) {
            desktop.failure(failure.what());
            return 1;
        }
    }

    return WriteOutput(out, desktop, [&](std::ostream& stream) {
        if (csv) {
            WriteNormsCsv(stream, run, cutoff_columns(cutoffs, run.sample_size));
        } else {
            for (const std::string& line : results.lines)
                stream << line << '\n';
        }
    });
}

}  // namespace norms
