// Per-person data: a delimited text file with a header line and one row per person. Counting
// its scores per norm group gives each group's raw-score frequencies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "norms/read/byte_source.hpp"

namespace norms {

// The most norm groups one file may give. More distinct values mean, almost always, that the
// group column is the wrong one (an id column, say).
inline constexpr std::size_t MaxScoreGroups = 1000;

// How the file is written, where the scores are and which of them count.
struct PersonScoreLayout {
    char delimiter = ',';
    std::string score_column;
    std::string group_column;  // empty: all rows form one group
    std::int64_t min_score = 0;
    std::int64_t max_score = 0;
    std::string encoding;  // a name iconv knows, such as "windows-1252"; empty for UTF-8
};

struct ScoreGroup {
    std::string name;  // the group column's value; empty without a group column
    std::vector<std::int64_t> frequencies;  // one per score from min_score to max_score
    std::int64_t size = 0;                  // valid scores
    std::int64_t missing = 0;               // scores skipped as missing
};

// An empty field, "NA" or ".".
bool IsMissingValue(std::string_view field);

// Reads the file (RFC 4180 quoting, CR LF or LF line ends, an optional UTF-8 byte-order mark)
// and counts every row's score into its group. The file is decoded from layout.encoding, and
// must be text in it: no bytes foreign to the encoding, no NUL. A score is a decimal number
// with "." as the point that is whole and from min_score to max_score. The groups come in the
// order of their first row. Throws platform::Failure, naming the line, for anything but a
// valid or missing score: bytes that are not text (as InvalidText), a bad score, a row without
// a group value, a row whose field count differs from the header's, a quote out of place; for
// a header without the named columns; and, once the whole file is read, for more than
// MaxScoreGroups groups.
// Values from the file appear in messages as platform::PrintableText shows them.
std::vector<ScoreGroup> CountPersonScores(ByteSource& source, const PersonScoreLayout& layout);

struct ScoreRange {
    std::int64_t min;
    std::int64_t max;
};

inline constexpr std::size_t DistinctCountLimit = 50;

// What a per-person file holds before any column is chosen.
struct PersonFileSurvey {
    std::vector<std::string> variables;  // the header's column names
    std::vector<std::optional<ScoreRange>> ranges;  // per column: its whole numbers, if any
    // Per column: how many different values it holds, counted up to DistinctCountLimit + 1.
    std::vector<std::size_t> distinct;
    std::int64_t cases = 0;  // rows below the header
};

// Builds a survey from rows of texts given a field at a time, the first row being the
// variables' names. A missing value is given as an empty field.
class PersonSurveyBuilder {
public:
    void field(std::string_view text);
    void end_row();
    bool header_read() const { return header_done_; }
    PersonFileSurvey take_survey();

private:
    PersonFileSurvey survey_;
    bool header_done_ = false;
    std::size_t field_index_ = 0;
    std::vector<std::unordered_set<std::string>> values_;
};

// Reads the whole file as CountPersonScores does, but only looks: the header, the number of
// rows below it and each column's range of whole numbers. Throws platform::Failure for bytes
// that are not text in the encoding (empty: UTF-8), a quote out of place or a file without a
// header line.
PersonFileSurvey SurveyPersonScores(ByteSource& source, char delimiter,
                                    const std::string& encoding = "");

// Ascending: by number when every name is a decimal number, else by text.
void SortGroups(std::vector<ScoreGroup>& groups);

}  // namespace norms
