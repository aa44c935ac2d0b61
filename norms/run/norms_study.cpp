#include "norms/run/norms_study.hpp"

#include <cmath>
#include <filesystem>

#include "norms/count/case_weights.hpp"
#include "norms/count/group_checks.hpp"
#include "norms/read/frequency_file.hpp"
#include "platform/failure.hpp"

namespace norms {
namespace {

// A data file whose every read counts towards the progress and first checks for a stop.
class WatchedSource : public ByteSource {
public:
    WatchedSource(const std::string& path, StudyProgress& progress)
        : source_(OpenDataFile(path)), progress_(progress)
    {
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        progress_.check();
        const std::size_t count = source_->read(buffer, size);
        progress_.bytes_read += count;
        return count;
    }

    std::int64_t seek(std::int64_t offset, int origin) override
    {
        progress_.check();
        const std::int64_t place = source_->seek(offset, origin);
        if (place >= 0)
            progress_.bytes_read = static_cast<std::uint64_t>(place);
        return place;
    }

private:
    std::unique_ptr<ByteSource> source_;
    StudyProgress& progress_;
};

// The file's first line, or as much of it as fits in a few kilobytes.
std::string first_line(const std::string& path, StudyProgress& progress)
{
    WatchedSource source(path, progress);
    std::string text(4096, '\0');
    std::size_t filled = 0;
    while (filled < text.size()) {
        const std::size_t count = source.read(text.data() + filled, text.size() - filled);
        if (count == 0)
            break;
        filled += count;
    }
    text.resize(filled);
    progress.bytes_read = 0;
    return text.substr(0, text.find_first_of("\r\n"));
}

[[noreturn]] void refuse(const std::string& message)
{
    throw platform::Failure(message);
}

// A frequency file's one table, its rows checked against its own first and last score and sum.
GroupTables frequency_counts(const StudyFile& file, StudyProgress& progress)
{
    const FrequencyFileSurvey& survey = file.frequencies;
    if (survey.lines != survey.last_score - survey.first_score + 1)
        refuse(FileCheckMessage({5}));  // the scores are not sequential
    check_score_range(survey.first_score, survey.last_score);
    NormGroup group;
    NormsRun& run = group.run;
    run.row_count = static_cast<int>(survey.last_score - survey.first_score + 1);
    WatchedSource source(file.data.path, progress);
    FrequencyScanner scanner(source);
    const FileCheck check = ReadFrequencyRows(scanner, survey.first_score, survey.last_score,
                                              survey.sample_size, run.row_count, run.table);
    if (check.message != 0)
        refuse(FileCheckMessage(check));
    group.counts.size = static_cast<std::int64_t>(survey.sample_size);
    if (const auto problem = TooSmallGroupProblem(group.counts))
        refuse(*problem);
    run.sample_size = survey.sample_size;
    GroupTables tables;
    tables.groups.push_back(std::move(group));
    return tables;
}

GroupTables person_counts(const StudyFile& file, const StudyChoices& choices,
                          StudyProgress& progress)
{
    if (!choices.grid_refusal.empty())
        refuse(choices.grid_refusal);
    if (!choices.grid)
        check_score_range(choices.min_score, choices.max_score, RowLimit::per_person);
    PersonScoreLayout layout{file.data.delimiter, choices.score_variable, choices.group_variable,
                             choices.min_score, choices.max_score, file.data.encoding,
                             choices.weight_variable, choices.grid};
    VariableNames needed = {choices.score_variable, choices.group_variable, choices.weight_variable};
    for (const MarginsVariable& variable : choices.margins)
        needed.push_back(variable.name);
    std::erase(needed, std::string());
    const CaseReading read = study_case_reading(file, needed, progress);
    std::vector<Extended> raked;
    if (!choices.margins.empty())
        raked = raked_case_weights(read, choices.margins, choices.weight_variable, choices.margins_file);
    const CountedGroups counted = count_groups(read, file.data.kind, layout, std::move(raked));
    const GroupCheck check = check_groups(counted, choices.group_variable);
    std::string refusals;
    for (const std::string& refusal : check.refusals)
        refusals += (refusals.empty() ? "" : "\n") + refusal;
    if (!refusals.empty())
        refuse(refusals);
    return counted_tables(std::move(counted), layout_grid(layout), choices.group_variable);
}

}  // namespace

std::pair<std::int64_t, std::int64_t> enclosing_score_range(const StudyChoices& choices)
{
    if (!choices.grid)
        return {choices.min_score, choices.max_score};
    return {static_cast<std::int64_t>(std::floor(choices.grid->score(0))),
            static_cast<std::int64_t>(std::ceil(choices.grid->score(choices.grid->rows - 1)))};
}

void StudyProgress::check() const
{
    if (cancel)
        throw stats::Interrupted();
}

CaseReading study_case_reading(const StudyFile& file, const VariableNames& needed, StudyProgress& progress)
{
    const bool held = file.cases && file.cases->holds(needed);
    return [&file, held, &progress](const VariableNames& asked, CaseSink& sink) {
        if (held) {
            file.cases->replay(asked, sink);
        } else {
            WatchedSource source(file.data.path, progress);
            read_person_cases(source, file.data, asked, sink);
        }
    };
}

NormingCases study_norming_cases(const StudyFile& file, const NormingLayout& layout, StudyProgress& progress)
{
    if (file.data.kind == DataFileKind::frequencies)
        refuse("Continuous norms need one row per person with each person's score, not a frequency file");
    check_score_range(layout.min_score, layout.max_score, RowLimit::per_person);
    NormingCaseSink sink(layout);
    study_case_reading(file, sink.asked(), progress)(sink.asked(), sink);
    return sink.take_cases();
}

StudyFile SurveyStudyFile(const std::string& path, StudyProgress& progress)
{
    StudyFile file;
    std::error_code error;
    file.size = std::filesystem::file_size(path, error);
    file.data = guess_data_file(path, [&] { return first_line(path, progress); });
    WatchedSource source(path, progress);
    if (file.data.kind == DataFileKind::frequencies) {
        file.frequencies = survey_frequency_file(source);
        return file;
    }
    auto cases = std::make_shared<CaseColumns>();
    read_person_cases(source, file.data, {}, *cases);
    file.persons = cases->survey();
    file.cases = std::move(cases);
    return file;
}

GroupTables count_study(const StudyFile& file, const StudyChoices& choices, StudyProgress& progress)
{
    GroupTables tables = file.data.kind == DataFileKind::frequencies
                             ? frequency_counts(file, progress)
                             : person_counts(file, choices, progress);
    for (NormGroup& group : tables.groups)
        group.run.data_file_path = file.data.path;
    return tables;
}

GroupTables compute_study(GroupTables counts, const TableChoices& choices)
{
    compute_group_tables(counts, choices.method);
    choose_added_columns(counts, choices);
    return counts;
}

}  // namespace norms
