// The norms table and the frequency data file: one line per raw score, holding the raw score
// and how many members of the normative sample obtained it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "norms/read/byte_source.hpp"
#include "platform/desktop.hpp"
#include "stats/distrib.hpp"

namespace norms {

using stats::Extended;

inline constexpr int MaxNormsRows = 200;

inline constexpr const char* TooManyRowsMessage =
    " Based on the minimum and maximum scores you provided, there are over 200 different raw "
    "score values: The maximum allowed is 200. ";

// One raw score. PR is in percent; the four limits are proportions.
struct NormsRow {
    Extended RawScore = 0;
    Extended Frequency = 0;
    Extended Below = 0;
    Extended PR = 0;
    Extended Lower95 = 0;
    Extended Upper95 = 0;
    Extended Lower90 = 0;
    Extended Upper90 = 0;
};

// Row j (from 0) holds the raw score MinRawScore + j (or a grid's row j). The worksheet's table
// has MaxNormsRows rows; a table from per-person data is made as long as its scores need.
class NormsTable {
public:
    NormsTable() : rows_(MaxNormsRows) {}
    explicit NormsTable(std::size_t rows) : rows_(rows) {}

    NormsRow& operator[](std::size_t j) { return rows_[j]; }
    const NormsRow& operator[](std::size_t j) const { return rows_[j]; }
    NormsRow& at(std::size_t j) { return rows_.at(j); }
    const NormsRow& at(std::size_t j) const { return rows_.at(j); }
    const NormsRow* data() const { return rows_.data(); }
    std::size_t size() const { return rows_.size(); }
    // Room for at least `rows` rows.
    void reserve_rows(std::size_t rows)
    {
        if (rows > rows_.size())
            rows_.resize(rows);
    }

private:
    std::vector<NormsRow> rows_;
};

// Numbers and lines of a frequency file. Codes 0 to 32 are white space. A line ends at CR,
// CR LF or LF.
class FrequencyScanner {
public:
    explicit FrequencyScanner(ByteSource& source);

    // The next number, across any white space and line ends; 0 when only white space is left.
    // A token is at most 64 characters; a longer one leaves its rest for the next read. Throws
    // platform::Failure("Invalid numeric input") for a token that is not a decimal number.
    Extended read_number();
    // Skips everything up to and including the next line end.
    void skip_line();
    bool at_end();

private:
    int peek();

    ByteSource& source_;
    std::unique_ptr<char[]> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
};

// A decimal number in the file's grammar: an optional sign, digits with at most one "." (at
// least one digit), an optional exponent ("e" or "E", optional sign, digits). The point is
// always ".". A magnitude beyond the extended range is infinite; one below it is 0.
bool ParseDecimalToken(std::string_view token, Extended& value);

// A decimal number in the same grammar taken to the nearest double, as a statistics program
// reading the text would store it; none for any other text, or one beyond a double's range.
std::optional<double> parse_decimal_double(std::string_view token);

// The first check the rows failed, by its message number 1 to 6 (0: none), with the two
// numbers that messages 3, 4 and 6 show; for message 2, `found` is the frequency refused.
struct FileCheck {
    int message = 0;
    Extended found = 0;
    Extended expected = 0;
    bool operator==(const FileCheck&) const = default;
};

// Reads row_count rows into table, checking them against the worksheet values.
FileCheck ReadFrequencyRows(FrequencyScanner& scanner, Extended min_raw_score,
                            Extended max_raw_score, Extended sample_size, int row_count,
                            NormsTable& table);

// The text of a failed check's message.
std::string FileCheckMessage(const FileCheck& check);

// A file name of nothing but characters with codes 0 to 32, which the reader takes as no choice.
bool IsBlankFileName(std::string_view name);

// Asks for the data file in `dialog`, reads it into the table and checks it. Gives false after
// a cancel, a blank name or a failed check (whose message it has shown); on success sets
// data_file_path to the name chosen. Throws platform::Failure when the file cannot be opened or
// read, or holds a token that is not a number.
bool ReadFrequencyFile(platform::Desktop& desktop, platform::FileDialog& dialog,
                       Extended min_raw_score, Extended max_raw_score, Extended sample_size,
                       int row_count, NormsTable& table, std::string& data_file_path);

}  // namespace norms
