#include "norms/scores_batch.hpp"

#include <cerrno>
#include <cmath>
#include <exception>
#include <sstream>

#include "norms/batch_views.hpp"
#include "norms/compute_run.hpp"
#include "norms/csv_table.hpp"
#include "norms/frequency_file.hpp"
#include "norms/group_files.hpp"
#include "norms/input_checks.hpp"
#include "norms/person_scores.hpp"
#include "norms/report.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// The largest raw score the worksheet's six-character boxes can hold.
constexpr Extended largest_raw_score = 999999;

struct ScoresOptions {
    BatchWorksheet worksheet;  // method and notes; the boxes are filled per group
    bool csv = false;
    PersonScoreLayout layout;
    std::string frequencies_folder;
    std::string min_text;
    std::string max_text;
    std::string file;
};

// False for arguments that do not make a scores run.
bool parse_arguments(const std::vector<std::string>& arguments, ScoresOptions& options)
{
    std::vector<std::string> operands;
    bool options_ended = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (options_ended || !argument.starts_with("--")) {
            operands.push_back(argument);  // "-1" and "-" are numbers
        } else if (argument == "--csv") {
            options.csv = true;
        } else if (argument == "--notes" && has_value) {
            options.worksheet.notes = SplitNotes(arguments[++i]);
        } else if (argument == "--method" && has_value) {
            const std::optional<stats::IntervalMethod> method =
                stats::interval_method_named(arguments[++i]);
            if (!method)
                return false;
            options.worksheet.method = *method;
        } else if (argument == "--delimiter" && has_value) {
            const std::string& delimiter = arguments[++i];
            if (delimiter == "," || delimiter == ";" || delimiter == "\t")
                options.layout.delimiter = delimiter[0];
            else if (delimiter == "\\t")
                options.layout.delimiter = '\t';
            else
                return false;
        } else if (argument == "--group" && has_value && !arguments[i + 1].empty()) {
            options.layout.group_column = arguments[++i];
        } else if (argument == "--score" && has_value && !arguments[i + 1].empty()) {
            options.layout.score_column = arguments[++i];
        } else if (argument == "--write-frequencies" && has_value && !arguments[i + 1].empty()) {
            options.frequencies_folder = arguments[++i];
        } else {
            return false;
        }
    }
    if (options.layout.score_column.empty() || operands.size() != 3 ||
        IsBlankFileName(operands[2]))
        return false;
    options.min_text = operands[0];
    options.max_text = operands[1];
    options.file = operands[2];
    return true;
}

// MIN and MAX as the worksheet takes its boxes (truncated toward zero), then the limits a
// frequency file sets. False once the refusal has been shown.
bool read_score_range(platform::Desktop& desktop, const ScoresOptions& options,
                      std::int64_t& min_score, std::int64_t& max_score)
{
    const Extended min = std::trunc(norms::ParseFieldValue(desktop, options.min_text, InputCaptions[0]));
    if (norms::InputError)
        return false;
    const Extended max = std::trunc(norms::ParseFieldValue(desktop, options.max_text, InputCaptions[1]));
    if (norms::InputError)
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

// "group 7-9: " for a named group, nothing for ungrouped data.
std::string group_prefix(const ScoreGroup& group)
{
    return group.name.empty() ? "" : "group " + group.name + ": ";
}

// Shows one notice per group with missing scores, and refuses groups too small for norms.
// False when a group was refused.
bool check_groups(platform::Desktop& desktop, const std::vector<ScoreGroup>& groups)
{
    if (groups.empty())
        throw platform::Failure("The file holds no rows below its header line");
    for (const ScoreGroup& group : groups) {
        if (group.missing > 0)
            desktop.warning(group_prefix(group) + std::to_string(group.missing) + " missing " +
                            (group.missing == 1 ? "score" : "scores") + " skipped");
    }
    bool accepted = true;
    for (const ScoreGroup& group : groups) {
        if (group.size <= 2) {
            desktop.error(group_prefix(group) + "only " + std::to_string(group.size) +
                          (group.size == 1 ? " score" : " scores") +
                          "; a norm group needs at least 3.");
            accepted = false;
        }
    }
    return accepted;
}

}  // namespace

int RunScoresBatch(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err)
{
    ScoresOptions options;
    if (!parse_arguments(arguments, options)) {
        err << ScoresUsage << '\n';
        return 2;
    }
    platform::ConsoleDesktop desktop(err, options.file, stats::decimal_separator());
    std::ostringstream output;
    try {
        PersonScoreLayout& layout = options.layout;
        if (!read_score_range(desktop, options, layout.min_score, layout.max_score))
            return 1;
        platform::FileDialog dialog;  // gives the data file's full name, as the report shows it
        desktop.open_file(dialog);
        std::vector<ScoreGroup> groups = CountPersonScores(*OpenDataFile(options.file), layout);
        SortGroups(groups);
        if (!check_groups(desktop, groups))
            return 1;

        const bool grouped = !layout.group_column.empty();
        if (options.csv)
            output << (grouped ? "group," : "") << CsvTableHeader << '\n';
        BatchWorksheet& worksheet = options.worksheet;
        const std::vector<std::string> user_notes = worksheet.notes;
        BatchResults results;
        for (const ScoreGroup& group : groups) {
            NormsRun run;
            run.row_count = static_cast<int>(group.frequencies.size());
            for (int j = 0; j < run.row_count; ++j) {
                run.table[j].RawScore = static_cast<Extended>(layout.min_score + j);
                run.table[j].Frequency = static_cast<Extended>(group.frequencies[j]);
            }
            ComputeNormsTable(run.table, run.row_count, static_cast<Extended>(group.size),
                              worksheet.method);
            if (options.csv) {
                WriteCsvRows(output, run.table, run.row_count,
                             grouped ? CsvField(group.name) + "," : "");
                continue;
            }
            worksheet.texts[0] = options.min_text;
            worksheet.texts[1] = options.max_text;
            worksheet.texts[2] = std::to_string(group.size);
            worksheet.notes = user_notes;
            if (grouped)
                worksheet.notes.insert(worksheet.notes.begin(),
                                       "Group: " + layout.group_column + " = " + group.name);
            AppendReport(run.table, run.row_count, dialog.file_name, worksheet, results);
        }
        for (const std::string& line : results.lines)
            output << line << '\n';
        if (!options.frequencies_folder.empty())
            WriteFrequencyFiles(options.frequencies_folder, groups, layout.min_score,
                                options.file);
    } catch (const std::exception& failure) {
        desktop.failure(failure.what());
        return 1;
    }

    errno = 0;
    if (!(out << output.str()).flush()) {
        desktop.failure(platform::file_failure(errno).what());
        return 1;
    }
    return 0;
}

}  // namespace norms
