#include "norms/count/data_file.hpp"

#include <algorithm>
#include <cctype>

#include "norms/count/group_checks.hpp"
#include "norms/read/delimited_file.hpp"
#include "norms/read/frequency_file.hpp"
#include "norms/read/statistics_file.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

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

bool holds_two_numbers(std::string_view line)
{
    int numbers = 0;
    for (std::size_t at = 0; at < line.size();) {
        if (static_cast<unsigned char>(line[at]) <= 32) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && static_cast<unsigned char>(line[end]) > 32)
            ++end;
        Extended value = 0;
        if (!ParseDecimalToken(line.substr(at, end - at), value))
            return false;
        ++numbers;
        at = end;
    }
    return numbers == 2;
}

char delimiter_of(const std::string& ending, std::string_view header)
{
    if (ending == "tsv" || header.find('\t') != std::string_view::npos)
        return '\t';
    if (header.find(';') != std::string_view::npos && header.find(',') == std::string_view::npos)
        return ';';
    return ',';
}

}  // namespace

DataFile person_data_file(const std::string& path, const PersonScoreLayout& layout)
{
    return {path, IsStatisticsFileName(path) ? DataFileKind::statistics : DataFileKind::delimited,
            layout.delimiter, layout.encoding};
}

DataFile guess_data_file(const std::string& path, const std::function<std::string()>& read_first_line)
{
    if (IsUnreadableDataFileName(path))
        throw platform::Failure(UnreadableDataFileReason);
    if (IsStatisticsFileName(path))
        return {path, DataFileKind::statistics, ',', ""};
    const std::string ending = lower_ending(path);
    const std::string first_line = read_first_line();
    if (ending != "csv" && ending != "tsv" && holds_two_numbers(first_line))
        return {path, DataFileKind::frequencies, ',', ""};
    return {path, DataFileKind::delimited, delimiter_of(ending, first_line), ""};
}

void read_person_cases(ByteSource& source, const DataFile& file, const VariableNames& asked,
                       CaseSink& sink)
{
    if (file.kind == DataFileKind::statistics)
        read_statistics_cases(source, file.path, file.encoding, asked, sink);
    else
        read_delimited_cases(source, {file.delimiter, file.encoding}, asked, sink);
}

MissingGroupValue missing_group_value_in(DataFileKind kind)
{
    // Every row of delimited text names its group; a statistics file has missing values.
    return kind == DataFileKind::statistics ? MissingGroupValue::skipped : MissingGroupValue::refused;
}

CaseReading file_reading(const DataFile& file)
{
    return [file](const VariableNames& asked, CaseSink& sink) {
        read_person_cases(*OpenDataFile(file.path), file, asked, sink);
    };
}

CountedGroups count_person_file(ByteSource& source, const DataFile& file,
                                const PersonScoreLayout& layout)
{
    const CaseReading read = [&](const VariableNames& asked, CaseSink& sink) {
        read_person_cases(source, file, asked, sink);
    };
    return count_groups(read, file.kind, layout);
}

CountedGroups count_groups(const CaseReading& read, DataFileKind kind,
                           const PersonScoreLayout& layout, std::vector<Extended> case_weights)
{
    GroupCounter counter(layout, missing_group_value_in(kind), std::move(case_weights));
    read(counter.asked(), counter);
    CountedGroups counted = counter.take_groups();
    check_some_group(counted, kind);
    return counted;
}

void check_some_group(const CountedGroups& counted, DataFileKind kind)
{
    if (!counted.groups.empty())
        return;
    if (kind != DataFileKind::statistics)
        throw platform::Failure(NoDataRowsMessage);
    throw platform::Failure(counted.without_group > 0 ? "No case in the file has a group value"
                                                      : "The file holds no cases");
}

GroupCheck check_groups(const CountedGroups& counted, const std::string& group_variable)
{
    GroupCheck check;
    if (!counted.unapplied_file_weight.empty())
        check.notices.push_back("the file names " + platform::in_quotes(counted.unapplied_file_weight) +
                                " as its weight variable, which is not applied unless chosen as "
                                "the weight (--weight " +
                                platform::PrintableText(counted.unapplied_file_weight) + ")");
    if (counted.without_group > 0)
        check.notices.push_back(WithoutGroupNotice(counted.without_group, group_variable));
    for (const ScoreGroup& group : counted.groups) {
        if (const std::optional<std::string> notice = MissingScoresNotice(group))
            check.notices.push_back(*notice);
        if (const std::optional<std::string> notice = MissingWeightsNotice(group))
            check.notices.push_back(*notice);
    }
    for (const ScoreGroup& group : counted.groups) {
        if (const std::optional<std::string> problem = TooSmallGroupProblem(group))
            check.refusals.push_back(*problem);
    }
    return check;
}

FrequencyFileSurvey survey_frequency_file(ByteSource& source)
{
    FrequencyFileSurvey survey;
    FrequencyScanner scanner(source);
    while (!scanner.at_end()) {
        const Extended score = scanner.read_number();
        survey.sample_size += scanner.read_number();
        scanner.skip_line();
        if (survey.lines++ == 0)
            survey.first_score = score;
        survey.last_score = score;
    }
    return survey;
}

}  // namespace norms
