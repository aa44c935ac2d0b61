#include "norms/batch.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <exception>
#include <iterator>
#include <optional>

#include "norms/batch_views.hpp"
#include "norms/chart_model.hpp"
#include "norms/compute_run.hpp"
#include "norms/csv_table.hpp"
#include "norms/program_strings.hpp"
#include "norms/scores_batch.hpp"
#include "norms/version.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/Bayes_Engines.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// A --cutoff: the percentile rank as typed, and as a proportion.
struct Cutoff {
    std::string text;
    Extended proportion;
};

// A percentile rank strictly between 0 and 100, with "." as the decimal point.
std::optional<Cutoff> parse_cutoff(const std::string& text)
{
    Extended rank = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rank);
    const Extended proportion = rank / 100;  // a rank of a few units of 1e-4950 vanishes here
    if (error != std::errc() || end != text.data() + text.size() || !(proportion > 0 && rank < 100))
        return std::nullopt;
    return Cutoff{text, proportion};
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
            const std::optional<stats::IntervalMethod> method =
                stats::interval_method_named(arguments[++i]);
            if (!method)
                return usage();
            worksheet.method = *method;
        } else {
            return usage();
        }
    }
    if (!cutoffs.empty() && worksheet.method != stats::IntervalMethod::bayesian)
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

    errno = 0;
    if (csv) {
        WriteNormsCsv(out, run, cutoff_columns(cutoffs, run.sample_size));
    } else {
        for (const std::string& line : results.lines)
            out << line << '\n';
    }
    if (!out.flush()) {
        desktop.failure(platform::file_failure(errno).what());
        return 1;
    }
    return 0;
}

}  // namespace norms
