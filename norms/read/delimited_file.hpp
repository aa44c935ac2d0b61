// Per-person data as delimited text: a header line that names the columns, then one row per
// person. The reader hands each row's values of the columns asked for to a CaseSink.
#pragma once

#include <string>
#include <string_view>

#include "norms/read/byte_source.hpp"
#include "norms/read/case_sink.hpp"

namespace norms {

struct DelimitedFormat {
    char delimiter = ',';
    std::string encoding;  // a name iconv knows, such as "windows-1252"; empty for UTF-8
};

// An empty field, "NA" or ".".
bool IsMissingValue(std::string_view field);

// Reads the file (RFC 4180 quoting, CR LF or LF line ends, an optional UTF-8 byte-order mark)
// and hands the sink every row's fields of the asked columns as texts, a missing value as
// missing. The file is decoded from format.encoding and must be text in it: no bytes foreign to
// the encoding, no NUL. Throws platform::Failure, naming the line, for bytes that are not text
// (as InvalidText), a row whose field count differs from the header's, a quote out of place;
// for a file without a header line, and a header without the asked columns or with one of
// them twice. What the sink throws goes through.
// Values from the file appear in messages as platform::PrintableText shows them.
void read_delimited_cases(ByteSource& source, const DelimitedFormat& format,
                          const VariableNames& asked, CaseSink& sink);

}  // namespace norms
