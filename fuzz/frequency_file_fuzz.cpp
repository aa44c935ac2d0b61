// libFuzzer target for the frequency-file reader: reads the rows of an in-memory file under
// assorted worksheet values, split into pieces of assorted sizes.
//
// Input: four header bytes (the minimum raw score, the number of rows, the sample size, the
// piece size), then the file. Besides the sanitizers it checks that the outcome does not
// depend on how the file arrives in pieces, that LF and CR LF line ends read alike, and that
// an accepted file really holds the worksheet's rows.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "norms/read/frequency_file.hpp"
#include "platform/failure.hpp"
#include "tests/support/memory_source.hpp"

namespace {

using namespace norms;

struct Values {
    Extended min, max, n;
    int rows;
};

struct Outcome {
    std::optional<FileCheck> check;  // none: the reader threw
    NormsTable table{};

    bool operator==(const Outcome& other) const
    {
        if (check != other.check)
            return false;
        for (int j = 0; j < MaxNormsRows; ++j)
            if (table[j].RawScore != other.table[j].RawScore ||
                table[j].Frequency != other.table[j].Frequency)
                return false;
        return true;
    }
};

Outcome read(const std::string& file, std::size_t piece, const Values& v)
{
    MemorySource source(file, piece);
    FrequencyScanner scanner(source);
    Outcome outcome;
    try {
        outcome.check = ReadFrequencyRows(scanner, v.min, v.max, v.n, v.rows, outcome.table);
        FileCheckMessage(*outcome.check);
    } catch (const platform::Failure& failure) {
        if (std::strcmp(failure.what(), "Invalid numeric input") != 0)
            std::abort();
    }
    return outcome;
}

void check_accepted(const Outcome& outcome, const Values& v)
{
    if (!outcome.check || outcome.check->message != 0)
        return;
    Extended sum = 0;
    for (int j = 0; j < v.rows; ++j) {
        const NormsRow& row = outcome.table[j];
        if (row.RawScore != v.min + j || row.Frequency < 0 || row.Frequency != std::trunc(row.Frequency))
            std::abort();
        sum += row.Frequency;
    }
    if (sum != v.n)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    Values v;
    v.min = static_cast<std::int8_t>(data[0]);
    v.rows = data[1] == 255 ? MaxNormsRows : data[1] % 16 - 3;  // 0 or less: no row is read
    v.max = v.min + v.rows - 1;
    v.n = data[2] < 240 ? Extended(data[2]) : std::ldexp(Extended(1), data[2] - 176);
    const std::size_t piece = data[3] % 17 + 1;
    const std::string file(reinterpret_cast<const char*>(data) + 4, size - 4);

    const Outcome whole = read(file, 64 * 1024, v);
    if (!(read(file, piece, v) == whole))
        std::abort();
    check_accepted(whole, v);

    if (file.find('\r') == std::string::npos) {
        std::string crlf;
        for (char c : file)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        if (!(read(crlf, piece, v) == whole))
            std::abort();
    }
    return 0;
}
