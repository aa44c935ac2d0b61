// The page's entry into the Qt-free layers: the worksheet's Compute run on a frequency file,
// and norms tables from per-person data, each as vornak-batch runs them. Files the user gives
// are written into the module's own in-memory file system and read there by their bare name,
// so that the report shows the file's name where vornak-batch shows its full path.
#include <emscripten/bind.h>

#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "norms/batch/batch_run.hpp"
#include "norms/batch/batch_views.hpp"
#include "norms/count/data_file.hpp"
#include "norms/run/compute_run.hpp"
#include "norms/tables/group_tables.hpp"
#include "norms/tables/scale_columns.hpp"
#include "norms/write/csv_table.hpp"
#include "norms/write/group_outputs.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace web {
namespace {

constexpr const char* input_folder = "/input";

// What a run gives the page: ok, or the messages the program would have shown.
struct RunResult {
    bool ok = false;
    std::string messages;  // notices, refusals and failures, one per line, as vornak-batch's standard error
    std::string report;
    std::string csv;
};

// The console desktop, but the open-file dialog answers with the file's bare name.
class PageDesktop : public platform::ConsoleDesktop {
public:
    PageDesktop(std::ostream& messages, std::string file_name)
        : ConsoleDesktop(messages, file_name, "."), file_name_(std::move(file_name))
    {
    }
    bool open_file(platform::FileDialog& dialog) override
    {
        dialog.file_name = file_name_;
        return true;
    }

private:
    std::string file_name_;
};

// Puts the file into the in-memory folder that runs read from.
void place_file(const std::string& name, const std::string& bytes)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        throw platform::Failure("The file's name " + platform::in_quotes(name) + " cannot be used");
    ::mkdir(input_folder, 0700);
    if (::chdir(input_folder) != 0)
        throw platform::Failure("The page has no folder for the file");
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush())
        throw platform::Failure("The page could not hold the file " + platform::in_quotes(name));
}

void remove_file(const std::string& name)
{
    ::unlink(name.c_str());
}

stats::IntervalMethod method_named(const std::string& name)
{
    if (const std::optional<stats::IntervalMethod> method = stats::interval_method_named(name))
        return *method;
    throw platform::Failure("No method is called " + platform::in_quotes(name) +
                            "; the methods are bayesian, classical and mid-p");
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Runs `run` on the file with a desktop whose messages go into the result; a failure shows
// as vornak-batch shows it, and the file is removed whatever happens.
template <class Run>
RunResult run_on_file(const std::string& file_name, Run run)
{
    RunResult result;
    std::ostringstream messages;
    PageDesktop desktop(messages, file_name);
    try {
        result = run(desktop);
    } catch (const std::exception& failure) {
        desktop.failure(failure.what());
        result = RunResult{};
    }
    remove_file(file_name);
    result.messages = messages.str();
    return result;
}

RunResult run_worksheet(const std::string& min, const std::string& max, const std::string& n,
                        const std::string& method, const std::string& notes,
                        const std::string& file_name, const std::string& file_bytes)
{
    return run_on_file(file_name, [&](PageDesktop& desktop) {
        RunResult result;
        norms::BatchWorksheet worksheet;
        worksheet.texts[0] = min;
        worksheet.texts[1] = max;
        worksheet.texts[2] = n;
        worksheet.method = method_named(method);
        worksheet.notes = lines_of(notes);
        place_file(file_name, file_bytes);
        norms::BatchResults results;
        norms::NormsRun run;
        result.ok = norms::RunCompute(desktop, worksheet, results, run);
        if (result.ok) {
            for (const std::string& line : results.lines)
                result.report += line + '\n';
            std::ostringstream csv;
            norms::WriteNormsCsv(csv, run);
            result.csv = csv.str();
        }
        return result;
    });
}

RunResult run_scores(const std::string& file_name, const std::string& file_bytes,
                     const std::string& score, const std::string& group, const std::string& min,
                     const std::string& max, const std::string& method, const std::string& scale)
{
    return run_on_file(file_name, [&](PageDesktop& desktop) {
        RunResult result;
        norms::PersonScoreLayout layout;
        layout.score_column = score;
        layout.group_column = group;
        norms::TableChoices choices;
        choices.method = method_named(method);
        if (!scale.empty()) {
            std::string reason;
            const std::optional<stats::NormScale> parsed = norms::ParseScaleOption(scale, reason);
            if (!parsed)
                throw platform::Failure(reason);
            choices.scales.push_back(*parsed);
        }
        if (!norms::ReadScoreRange(desktop, min, max, layout.min_score, layout.max_score,
                                   norms::RowLimit::per_person))
            return result;
        place_file(file_name, file_bytes);
        const norms::DataFile file = norms::person_data_file(file_name, layout);
        const norms::CountedGroups counted =
            norms::count_groups(norms::file_reading(file), file.kind, layout);
        const norms::GroupCheck check = norms::check_groups(counted, layout.group_column);
        for (const std::string& notice : check.notices)
            desktop.warning(notice);
        for (const std::string& refusal : check.refusals)
            desktop.error(refusal);
        if (check.refusals.empty()) {
            norms::GroupTables tables = norms::counted_tables(counted, layout.min_score, group);
            tables.choices = choices;
            norms::compute_group_tables(tables, choices.method);
            std::ostringstream csv;
            norms::write_group_tables_csv(csv, tables);
            result.csv = csv.str();
            result.ok = true;
        }
        return result;
    });
}

}  // namespace
}  // namespace web

EMSCRIPTEN_BINDINGS(vornak)
{
    emscripten::value_object<web::RunResult>("RunResult")
        .field("ok", &web::RunResult::ok)
        .field("messages", &web::RunResult::messages)
        .field("report", &web::RunResult::report)
        .field("csv", &web::RunResult::csv);
    emscripten::function("runWorksheet", &web::run_worksheet);
    emscripten::function("runScores", &web::run_scores);
}
