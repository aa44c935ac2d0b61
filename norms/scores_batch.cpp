#include "norms/scores_batch.hpp"

#include <cmath>
#include <exception>
#include <sstream>

#include "norms/batch_command_line.hpp"
#include "norms/batch_run.hpp"
#include "norms/batch_views.hpp"
#include "norms/compute_run.hpp"
#include "norms/csv_table.hpp"
#include "norms/frequency_file.hpp"
#include "norms/group_files.hpp"
#include "norms/group_norms.hpp"
#include "norms/input_checks.hpp"
#include "norms/person_scores.hpp"
#include "norms/report.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

// Shows one notice per group with missing scores, and refuses groups too small for norms.
// False when a group was refused.
bool check_groups(platform::Desktop& desktop, const std::vector<ScoreGroup>& groups)
{
    if (groups.empty())
        throw platform::Failure(NoDataRowsMessage);
    for (const ScoreGroup& group : groups) {
        if (const std::optional<std::string> notice = MissingScoresNotice(group))
            desktop.warning(*notice);
    }
    bool accepted = true;
    for (const ScoreGroup& group : groups) {
        if (const std::optional<std::string> problem = TooSmallGroupProblem(group)) {
            desktop.error(*problem);
            accepted = false;
        }
    }
    return accepted;
}

}  // namespace

CLI::App& AddScoresForm(BatchCommandLine& command_line, ScoresOptions& options)
{
    CLI::App& form = command_line.add_form(
        "scores", "Norms tables from per-person data, one per norm group.", ScoresUsage,
        "vornak-batch scores --group age_band --score raw --csv 0 30 people.csv > tables.csv");
    AddSharedOptions(form, options.shared);
    AddTakenOption(
        form, "--delimiter",
        [&options](const std::string& delimiter) {
            if (delimiter != "," && delimiter != ";" && delimiter != "\t" && delimiter != "\\t")
                return false;
            options.layout.delimiter = delimiter == "\\t" ? '\t' : delimiter[0];
            return true;
        },
        "\",\", \";\" or a tab", "the field delimiter: \",\" (the default), \";\" or a tab (\\t)")
        ->type_name("C");
    const auto add_name = [&form](const std::string& option, std::string& name, const std::string& what,
                                  const std::string& description) {
        return AddTakenOption(
            form, option,
            [&name](const std::string& value) {
                name = value;
                return !value.empty();
            },
            what, description);
    };
    add_name("--group", options.layout.group_column, "a column name",
             "each value of this column is a norm group; without it all rows form one")
        ->type_name("COLUMN");
    add_name("--write-frequencies", options.frequencies_folder, "a folder name",
             "also write each group's frequency file into DIR")
        ->type_name("DIR");
    add_name("--score", options.layout.score_column, "a column name",
             "the column that holds the raw scores")
        ->type_name("COLUMN")
        ->required();
    form.add_option("MIN", options.min_text, "the minimum legitimate raw score")->required();
    form.add_option("MAX", options.max_text, "the maximum legitimate raw score")->required();
    AddFileOperand(form, options.file, "delimited text with a header line and one row per person");
    return form;
}

int RunScoresBatch(const ScoresOptions& options, std::ostream& out, std::ostream& err)
{
    platform::ConsoleDesktop desktop(err, options.file, stats::decimal_separator());
    std::ostringstream output;
    try {
        PersonScoreLayout layout = options.layout;
        if (!ReadScoreRange(desktop, options.min_text, options.max_text, layout.min_score,
                            layout.max_score))
            return 1;
        platform::FileDialog dialog;  // gives the data file's full name, as the report shows it
        desktop.open_file(dialog);
        std::vector<ScoreGroup> groups = CountPersonScores(*OpenDataFile(options.file), layout);
        SortGroups(groups);
        if (!check_groups(desktop, groups))
            return 1;

        const bool grouped = !layout.group_column.empty();
        const SharedOptions& shared = options.shared;
        if (shared.csv)  // the added columns' names do not depend on the sample's size
            WriteCsvHeader(output, AddedColumns(shared, 0), grouped ? "group," : "");
        BatchWorksheet worksheet;
        worksheet.method = shared.method;
        BatchResults results;
        for (const ScoreGroup& group : groups) {
            const NormsRun run = GroupNormsRun(group, layout.min_score, worksheet.method);
            if (shared.csv) {
                WriteCsvRows(output, run.table, run.row_count,
                             AddedColumns(shared, static_cast<Extended>(group.size)),
                             grouped ? CsvField(group.name) + "," : "");
                continue;
            }
            worksheet.texts[0] = options.min_text;
            worksheet.texts[1] = options.max_text;
            worksheet.texts[2] = std::to_string(group.size);
            worksheet.notes = shared.notes;
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

    return WriteOutput(out, desktop, [&](std::ostream& stream) { stream << output.str(); });
}

}  // namespace norms
