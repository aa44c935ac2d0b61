#include "norms/run/norms_study.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "norms/write/csv_table.hpp"
#include "norms/count/group_checks.hpp"
#include "norms/tables/group_tables.hpp"
#include "norms/read/statistics_file.hpp"
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

std::string lower_ending(const std::string& path)
{
    const std::size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.')
        return "";
    std::string ending = path.substr(dot + 1);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending;
}

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
    return text.substr(0, text.find_first_of("\r\n"));
}

bool holds_two_numbers(const std::string& line)
{
    std::vector<std::string> tokens;
    std::string token;
    for (char c : line + ' ') {
        if (static_cast<unsigned char>(c) <= 32) {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    Extended value = 0;
    return tokens.size() == 2 &&
           std::all_of(tokens.begin(), tokens.end(),
                       [&](const std::string& t) { return ParseDecimalToken(t, value); });
}

char delimiter_of(const std::string& ending, const std::string& header)
{
    if (ending == "tsv" || header.find('\t') != std::string::npos)
        return '\t';
    if (header.find(';') != std::string::npos && header.find(',') == std::string::npos)
        return ';';
    return ',';
}

void survey_frequencies(StudyFile& file, StudyProgress& progress)
{
    WatchedSource source(file.path, progress);
    FrequencyScanner scanner(source);
    while (!scanner.at_end()) {
        const Extended score = scanner.read_number();
        file.sample_size += scanner.read_number();
        scanner.skip_line();
        if (file.lines++ == 0)
            file.first_score = score;
        file.last_score = score;
    }
}

[[noreturn]] void refuse(const std::string& message)
{
    throw platform::Failure(message);
}

StudyTables frequency_tables(const StudyFile& file, stats::IntervalMethod method,
                             StudyProgress& progress)
{
    if (file.lines != file.last_score - file.first_score + 1)
        refuse(FileCheckMessage({5}));  // the scores are not sequential
    if (const auto problem = ScoreRangeProblem(file.first_score, file.last_score))
        refuse(*problem);
    StudyGroup group;
    NormsRun& run = group.run;
    run.row_count = static_cast<int>(file.last_score - file.first_score + 1);
    WatchedSource source(file.path, progress);
    FrequencyScanner scanner(source);
    const FileCheck check = ReadFrequencyRows(scanner, file.first_score, file.last_score,
                                              file.sample_size, run.row_count, run.table);
    if (check.message != 0)
        refuse(FileCheckMessage(check));
    group.counts.size = static_cast<std::int64_t>(file.sample_size);
    if (const auto problem = TooSmallGroupProblem(group.counts))
        refuse(*problem);
    run.sample_size = file.sample_size;
    run.method = method;
    ComputeNormsTable(run.table, run.row_count, run.sample_size, method);
    StudyTables tables;
    tables.groups.push_back(std::move(group));
    return tables;
}

StudyTables person_tables(const StudyFile& file, const StudyChoices& choices,
                          StudyProgress& progress)
{
    if (const auto problem = ScoreRangeProblem(choices.min_score, choices.max_score))
        refuse(*problem);
    const PersonScoreLayout layout{file.delimiter, choices.score_variable, choices.group_variable,
                                   choices.min_score, choices.max_score, ""};
    WatchedSource source(file.path, progress);
    StatisticsFileScores scores = CountFileScores(source, file.path, layout);
    std::vector<ScoreGroup>& groups = scores.groups;
    if (groups.empty())
        refuse(NoDataRowsMessage);
    std::string too_small;
    for (const ScoreGroup& group : groups) {
        if (const auto problem = TooSmallGroupProblem(group))
            too_small += (too_small.empty() ? "" : "\n") + *problem;
    }
    if (!too_small.empty())
        refuse(too_small);

    StudyTables tables;
    tables.grouped = !choices.group_variable.empty();
    tables.group_variable = choices.group_variable;
    tables.without_group = scores.without_group;
    for (ScoreGroup& group : groups) {
        progress.check();
        NormsRun run = GroupNormsRun(group, choices.min_score, choices.method);
        group.frequencies.clear();
        tables.groups.push_back({std::move(group), std::move(run)});
    }
    return tables;
}

}  // namespace

void StudyProgress::check() const
{
    if (cancel)
        throw StudyCancelled();
}

StudyFile SurveyStudyFile(const std::string& path, StudyProgress& progress)
{
    StudyFile file;
    file.path = path;
    std::error_code error;
    file.size = std::filesystem::file_size(path, error);
    if (IsUnreadableDataFileName(path))
        refuse(UnreadableDataFileReason);
    if (IsStatisticsFileName(path)) {
        WatchedSource source(path, progress);
        file.persons = SurveyStatisticsFile(source, path);
        return file;
    }
    const std::string ending = lower_ending(path);
    const std::string line = first_line(path, progress);
    progress.bytes_read = 0;
    if (ending != "csv" && ending != "tsv" && holds_two_numbers(line)) {
        file.kind = StudyFileKind::Frequencies;
        survey_frequencies(file, progress);
        return file;
    }
    file.kind = StudyFileKind::PersonScores;
    file.delimiter = delimiter_of(ending, line);
    WatchedSource source(path, progress);
    file.persons = SurveyPersonScores(source, file.delimiter);
    return file;
}

StudyTables ComputeStudy(const StudyFile& file, const StudyChoices& choices,
                         StudyProgress& progress)
{
    StudyTables tables = file.kind == StudyFileKind::Frequencies
                             ? frequency_tables(file, choices.method, progress)
                             : person_tables(file, choices, progress);
    for (StudyGroup& group : tables.groups)
        group.run.data_file_path = file.path;
    if (GivesCutoffProbabilities(choices.method))
        tables.cutoffs = choices.cutoffs;
    return tables;
}

std::vector<TableColumn> StudyAddedColumns(const StudyTables& tables, const StudyGroup& group)
{
    TableChoices choices;
    choices.scales = tables.scales;
    choices.cutoffs = tables.cutoffs;
    return AddedColumns(choices, group.run.sample_size);
}

NormsWorkbook StudyWorkbook(const StudyTables& tables)
{
    NormsWorkbook workbook;
    for (const StudyGroup& group : tables.groups) {
        workbook.method = group.run.method;
        std::error_code error;  // the full name, as vornak-batch gives it
        const auto full = std::filesystem::absolute(group.run.data_file_path, error);
        workbook.data_file = error ? group.run.data_file_path : full.lexically_normal().string();
        workbook.tables.push_back({group.counts.name, group.run, StudyAddedColumns(tables, group)});
    }
    return workbook;
}

void WriteStudyCsv(std::ostream& out, const StudyTables& tables)
{
    if (tables.groups.empty())
        return;
    WriteCsvHeader(out, StudyAddedColumns(tables, tables.groups.front()),
                   tables.grouped ? "group," : "");
    for (const StudyGroup& group : tables.groups)
        WriteCsvRows(out, group.run.table, group.run.row_count, StudyAddedColumns(tables, group),
                     tables.grouped ? CsvField(group.counts.name) + "," : "");
}

}  // namespace norms
