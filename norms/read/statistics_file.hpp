// Per-person data in the files of statistics packages: SPSS (.sav, .zsav, .por), Stata (.dta)
// and SAS (.sas7bdat, .xpt). ReadStat reads them one case at a time, and the reader hands each
// case's values of the variables asked for to a CaseSink.
#pragma once

#include <string>
#include <string_view>

#include "norms/read/byte_source.hpp"
#include "norms/read/case_sink.hpp"

namespace norms {

// Whether the file's ending, letter case aside, names a statistics-package file.
bool IsStatisticsFileName(std::string_view path);

// Whether the file's ending, letter case aside, names data that no reader here takes: a
// spreadsheet, a SAS catalogue, R's own files.
bool IsUnreadableDataFileName(std::string_view path);

inline constexpr const char* UnreadableDataFileReason =
    "this kind of file cannot be read; save the data as delimited text (.csv) or as an SPSS, "
    "Stata or SAS file";

// Reads the file, its format chosen by the ending of `file_name` (which also names it in
// messages), and hands the sink every case's values of the asked variables: numbers, texts of
// string variables, and missing for system-missing values, user-missing codes and ranges,
// extended missing values (.a to .z) and the texts "", "NA" and ".". The numeric value labels
// of the asked variables follow the cases. Texts are taken from `encoding` when one is named
// (an iconv name), else as the file declares them, and must be UTF-8 then.
//
// Throws platform::Failure for a variable the file does not have (listing those it has), for a
// text of an asked variable that is not UTF-8 (as InvalidText, naming its case), and, naming
// the file, for a file that cannot be read as its ending says. What the sink throws goes
// through. Values from the file appear in messages as platform::PrintableText shows them.
void read_statistics_cases(ByteSource& source, const std::string& file_name,
                           const std::string& encoding, const VariableNames& asked, CaseSink& sink);

}  // namespace norms
