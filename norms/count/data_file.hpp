// The one way from a data file to its norm groups' counts: the file's kind picks its reader,
// every reader feeds the one group counter, and the groups pass the same checks, whether
// vornak-batch or the study window asked.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "norms/count/group_counter.hpp"
#include "norms/read/byte_source.hpp"
#include "norms/read/case_sink.hpp"

namespace norms {

enum class DataFileKind { frequencies, delimited, statistics };

struct DataFile {
    std::string path;  // names the file in messages; its ending picks a statistics format
    DataFileKind kind = DataFileKind::delimited;
    char delimiter = ',';
    std::string encoding;  // empty: UTF-8, or for a statistics file what the file declares
};

// A file of per-person data, as vornak-batch scores takes it: a statistics file by its ending,
// else delimited text in the layout's delimiter and encoding.
DataFile person_data_file(const std::string& path, const PersonScoreLayout& layout);

// Any data file, as the study window takes it from its name and, where the name leaves it
// open, its first line: a statistics file by its ending; a ".csv" or ".tsv" file is delimited
// text; any other is a frequency file when its first line holds two numbers, else delimited
// text. The delimiter is a tab for ".tsv" or a header with a tab, ";" for a header with ";" and
// no ",", else ",". Throws platform::Failure for a kind of file that no reader takes, before
// anything is read.
DataFile guess_data_file(const std::string& path, const std::function<std::string()>& first_line);

// Hands the asked variables of every case to the sink, through the reader of the file's kind
// (delimited or statistics).
void read_person_cases(ByteSource& source, const DataFile& file, const VariableNames& asked,
                       CaseSink& sink);

// Hands the asked variables of every case to a sink: a file read anew, or cases held. Counting
// raked groups reads the cases twice.
using CaseReading = std::function<void(const VariableNames& asked, CaseSink& sink)>;

// The file, opened anew for each reading.
CaseReading file_reading(const DataFile& file);

// What a case without a group value means in a file of this kind.
MissingGroupValue missing_group_value_in(DataFileKind kind);

// Each group's counts from a per-person file, read and counted, in the counter's order. Throws
// platform::Failure as the reader and the counter do, and for a file that gives no group.
CountedGroups count_person_file(ByteSource& source, const DataFile& file,
                                const PersonScoreLayout& layout);

// The same for cases read as `read` hands them on, weighted by the given case weights (see
// raked_case_weights) or, without them, by the layout's weight variable.
CountedGroups count_groups(const CaseReading& read, DataFileKind kind,
                           const PersonScoreLayout& layout,
                           std::vector<Extended> case_weights = {});

// Throws platform::Failure for counts that give no group at all: a file without cases, or one
// where no case has a group value.
void check_some_group(const CountedGroups& counted, DataFileKind kind);

// What the groups' counts allow: notices of what was skipped, and the refusal of groups too
// small for norms (one line each), empty when all may have tables.
struct GroupCheck {
    std::vector<std::string> notices;
    std::vector<std::string> refusals;
};

GroupCheck check_groups(const CountedGroups& counted, const std::string& group_variable);

// A frequency file's first and last raw score, its number of lines and its sample size.
struct FrequencyFileSurvey {
    Extended first_score = 0;
    Extended last_score = 0;
    std::int64_t lines = 0;
    Extended sample_size = 0;
};

FrequencyFileSurvey survey_frequency_file(ByteSource& source);

}  // namespace norms
