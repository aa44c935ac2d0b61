// Per-person data in the files of statistics packages: SPSS (.sav, .zsav, .por), Stata (.dta)
// and SAS (.sas7bdat, .xpt). ReadStat reads them one case at a time, and the scores are
// counted per norm group as in a delimited file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "norms/read/frequency_file.hpp"
#include "norms/read/delimited_file.hpp"

namespace norms {

// Whether the file's ending, letter case aside, names a statistics-package file.
bool IsStatisticsFileName(std::string_view path);

// Whether the file's ending, letter case aside, names data that no reader here takes: a
// spreadsheet, a SAS catalogue, R's own files.
bool IsUnreadableDataFileName(std::string_view path);

inline constexpr const char* UnreadableDataFileReason =
    "this kind of file cannot be read; save the data as delimited text (.csv) or as an SPSS, "
    "Stata or SAS file";

struct StatisticsFileScores {
    std::vector<ScoreGroup> groups;
    std::int64_t without_group = 0;  // cases skipped for a missing group value
};

// Reads the file (its format chosen by the ending of `file_name`, which also names it in
// messages) and counts every case's score into its group. The layout's columns name
// variables; its delimiter is not used. A numeric group variable gives groups in the order of
// their codes, each named by its value label, or by the number where it has none; a string
// group variable gives groups in text order. System-missing values, user-defined missing codes
// and ranges, and extended missing values (.a to .z) are missing: a missing score is counted
// as such in its group, a case with a missing group value is skipped. Throws platform::Failure
// for a variable the file does not have (listing those it has), for a score that is not a
// whole number from min_score to max_score (naming its case from 1), and, naming the file, for
// a file that cannot be read as its ending says.
StatisticsFileScores CountStatisticsFileScores(ByteSource& source, const std::string& file_name,
                                               const PersonScoreLayout& layout);

// "3 cases with no age_band value skipped".
std::string WithoutGroupNotice(std::int64_t cases, const std::string& group_variable);

// Each group's counts from per-person data, delimited text or by its ending a statistics-package
// file, in the order their tables come in: sorted for delimited text, ordered by the file for a
// statistics-package file. Throws as the reader does, and for a statistics-package file that
// gives no group.
StatisticsFileScores CountFileScores(ByteSource& source, const std::string& file_name,
                                     const PersonScoreLayout& layout);

// Reads the whole file as CountStatisticsFileScores does, but only looks: the variables'
// names, the number of cases and each variable's range of whole numbers and count of different
// values, missing values left out. Throws as CountStatisticsFileScores does for a file that
// cannot be read.
PersonFileSurvey SurveyStatisticsFile(ByteSource& source, const std::string& file_name);

}  // namespace norms
