#include "norms/batch/scores_batch.hpp"

#include <cmath>
#include <exception>
#include <optional>
#include <sstream>

#include "norms/batch/batch_command_line.hpp"
#include "norms/batch/batch_run.hpp"
#include "norms/batch/batch_views.hpp"
#include "norms/batch/manual_options.hpp"
#include "norms/batch/score_steps.hpp"
#include "norms/count/case_weights.hpp"
#include "norms/count/data_file.hpp"
#include "norms/read/frequency_file.hpp"
#include "norms/read/statistics_file.hpp"
#include "norms/read/text_source.hpp"
#include "norms/tables/group_tables.hpp"
#include "norms/write/group_files.hpp"
#include "norms/write/group_outputs.hpp"
#include "norms/write/output_files.hpp"
#include "norms/write/output_targets.hpp"
#include "norms/write/weighting_notes.hpp"
#include "norms/write/report.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "platform/whole_file.hpp"
#include "stats/number_format.hpp"

namespace norms {

std::vector<MarginsVariable> read_margins(const std::string& path)
{
    try {
        return parse_margins(read_small_file(path, 1 << 20));
    } catch (const std::exception& failure) {
        throw platform::Failure(platform::in_quotes(path) + ": " + failure.what());
    }
}

namespace {

// Each group's counts, in the order the tables come in, and each case's weight when the cases
// are raked or their weights are to be written.
struct FileCounts {
    CountedGroups counted;
    std::vector<Extended> case_weights;
};

FileCounts count_file(const ScoresOptions& options, const PersonScoreLayout& layout)
{
    const DataFile file = person_data_file(options.file, layout);
    const CaseReading read = file_reading(file);
    const bool raked = !options.margins_file.empty();
    FileCounts counts;
    read_suggesting_encoding(layout.encoding, [&] {
        if (raked || !options.weights_file.empty())
            counts.case_weights = raked_case_weights(
                read, raked ? read_margins(options.margins_file) : std::vector<MarginsVariable>(),
                layout.weight_column, options.margins_file);
        counts.counted = count_groups(read, file.kind, layout,
                                      raked ? counts.case_weights : std::vector<Extended>());
    });
    return counts;
}

// Shows the notices of what was skipped and refuses groups too small for norms. False when a
// group was refused.
bool show_group_check(platform::Desktop& desktop, const CountedGroups& counted,
                  const std::string& group_variable)
{
    const GroupCheck check = check_groups(counted, group_variable);
    for (const std::string& notice : check.notices)
        desktop.warning(notice);
    for (const std::string& refusal : check.refusals)
        desktop.error(refusal);
    return check.refusals.empty();
}

// The reports, one after the other, as the results box would hold them.
class StreamedResults : public ResultsView {
public:
    explicit StreamedResults(std::ostream& out) : out_(out) {}

    void show() override {}
    void set_caption(const std::string&) override {}
    bool has_lines() const override { return any_; }
    void append_lines(const std::vector<std::string>& lines) override
    {
        for (const std::string& line : lines)
            out_ << line << '\n';
        any_ = any_ || !lines.empty();
    }

private:
    std::ostream& out_;
    bool any_ = false;
};

// Every group's report, one after the other.
void write_reports(std::ostream& output, const ScoresOptions& options, const GroupTables& tables,
                   const std::string& data_file)
{
    BatchWorksheet worksheet;
    worksheet.method = tables.choices.method;
    StreamedResults results(output);
    for (const NormGroup& group : tables.groups) {
        worksheet.texts[0] = options.min_text;
        worksheet.texts[1] = options.max_text;
        worksheet.texts[2] = std::to_string(group.counts.size);
        worksheet.notes = options.shared.notes;
        // A line end or a terminal's escape in a value would break or colour the report.
        if (group.run.weighting)
            worksheet.notes.insert(worksheet.notes.begin(), weighting_note(*group.run.weighting));
        if (tables.grouped)
            worksheet.notes.insert(worksheet.notes.begin(),
                                   "Group: " + platform::PrintableText(tables.group_variable, 0) +
                                       " = " + platform::PrintableText(group.counts.name, 0));
        AppendReport(group.run.table, group.run.row_count, data_file, worksheet, results,
                     group.run.score_decimals);
    }
}

}  // namespace

CLI::App& AddScoresForm(BatchCommandLine& command_line, ScoresOptions& options, bool draws_pdf)
{
    CLI::App& form = command_line.add_form(
        "scores", "Norms tables from per-person data, one per norm group.", ScoresUsage,
        "vornak-batch scores --group age_band --score raw --csv 0 30 people.csv > tables.csv");
    AddSharedOptions(form, options.shared);
    AddTextFileOptions(form, options.layout);
    const auto add_name = [&form](const std::string& option, std::string& name, const std::string& what,
                                  const std::string& description) {
        return AddNameOption(form, option, name, what, description);
    };
    add_name("--group", options.layout.group_column, "a column name",
             "each value of this column is a norm group; without it all rows form one")
        ->type_name("COLUMN");
    add_name("--write-frequencies", options.frequencies_folder, "a folder name",
             "also write each group's frequency file into DIR")
        ->type_name("DIR");
    add_name("--weight", options.layout.weight_column, "a column name",
             "each case's sampling weight, a number above 0; a missing one skips the case")
        ->type_name("VARIABLE");
    add_name("--rake", options.margins_file, "a file name",
             "weight the cases to the population's shares in MARGINS (variable,value,share), "
             "raking from the --weight weights if given")
        ->type_name("MARGINS");
    add_name("--write-weights", options.weights_file, "a file name",
             "also write each case's weight, scaled to a mean of 1, as case,weight to FILE")
        ->type_name("FILE");
    add_manual_options(form, options.manual, draws_pdf, "the groups");
    add_name("--score", options.layout.score_column, "a column name",
             "the column that holds the raw scores")
        ->type_name("COLUMN")
        ->required();
    AddStepOption(form, options.step_text);
    form.add_option("MIN", options.min_text, "the minimum legitimate raw score")->required();
    form.add_option("MAX", options.max_text, "the maximum legitimate raw score")->required();
    AddPersonFileOperand(form, options.file)->required();
    form.final_callback([&options, &form] {
        check_shared_options(options.shared);
        check_manual_options(form, options.manual);
        const bool weighted = !options.layout.weight_column.empty() || !options.margins_file.empty();
        if (weighted && !options.frequencies_folder.empty())
            throw CLI::ValidationError(
                "--write-frequencies writes counts, which weighted cases do not give");
    });
    return form;
}

int RunScoresBatch(const ScoresOptions& options, std::ostream& out, std::ostream& err,
                   const ManualPdfPainter& paint_manual)
{
    platform::ConsoleDesktop desktop(err, options.file, stats::decimal_separator());
    try {
        const std::vector<NamedFile> inputs{{"the data file", options.file}, {"the margins file", options.margins_file}};
        std::vector<NamedFile> targets{{"--xlsx", options.shared.xlsx_path},
                                       {"--write-weights", options.weights_file},
                                       {"--manual", options.manual.path}};
        check_output_targets(inputs, targets);
        PersonScoreLayout layout = options.layout;
        const std::optional<ScoreGrid> grid =
            ReadPersonScores(desktop, options.min_text, options.max_text, options.step_text);
        if (!grid)
            return 1;
        if (grid->whole_steps()) {
            layout.min_score = grid->first;
            layout.max_score = grid->units(grid->rows - 1);
        } else if (!options.frequencies_folder.empty()) {
            desktop.error("--write-frequencies writes whole raw scores, which the step " + options.step_text +
                          " does not give.");
            return 1;
        } else {
            layout.grid = grid;
        }
        platform::FileDialog dialog;  // gives the data file's full name, as the report shows it
        desktop.open_file(dialog);
        const FileCounts counts = count_file(options, layout);
        if (!show_group_check(desktop, counts.counted, layout.group_column))
            return 1;

        // All or nothing: every name is checked and every file made aside before the output
        // goes out, and the files take their names only once it has.
        std::optional<platform::FolderFiles> files;
        if (!options.frequencies_folder.empty()) {
            const std::vector<std::string> names = FrequencyFileNames(counts.counted.groups);
            files.emplace(options.frequencies_folder);
            // The groups' names are known only now.
            for (const std::string& name : names)
                targets.push_back({"--write-frequencies", files->path_of(name), true});
            check_output_targets(inputs, targets);
            AddFrequencyFiles(*files, counts.counted.groups, names, layout.min_score, options.file);
        }
        GroupTables tables = counted_tables(counts.counted, *grid, layout.group_column);
        tables.choices = options.shared;
        compute_group_tables(tables, options.shared.method);
        for (const std::string& notice : weighting_notices(tables))
            desktop.warning(notice);

        std::ostringstream output;
        if (options.shared.csv)
            write_group_tables_csv(output, tables);
        else
            write_reports(output, options, tables, dialog.file_name);
        OutputFiles outputs;
        if (!options.shared.xlsx_path.empty())
            outputs.add_workbook(options.shared.xlsx_path,
                                 group_tables_workbook(tables, dialog.file_name, options.shared.notes));
        if (!options.weights_file.empty())
            outputs.add_text(options.weights_file, weights_file_text(counts.case_weights));
        add_manual_output(
            options.manual,
            [&](const ManualChoices& choices) {
                return group_tables_manual(tables, choices,
                                           options.shared.notes.empty() ? "" : options.shared.notes.front());
            },
            desktop, outputs, paint_manual);
        if (WriteOutput(out, desktop, [&](std::ostream& stream) { stream << output.view(); }) != 0 ||
            CommitOutputFiles(outputs, desktop, err) != 0)
            return 1;
        if (files)
            files->commit();
    } catch (...) {
        return ShowFailure(desktop, std::current_exception());
    }
    return 0;
}

}  // namespace norms
