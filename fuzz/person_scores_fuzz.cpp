// libFuzzer target for the per-person reader: counts the scores of an in-memory delimited file
// under assorted layouts, whole and split into pieces of assorted sizes.
//
// Input: four header bytes (the delimiter, whether "g" is the group column, and the encoding;
// the piece size; the lowest score; the count of scores), then the file, whose header line
// should name the columns "s" (scores) and "g". Besides the sanitizers it checks that the
// outcome does not depend on how the file arrives in pieces, and that accepted groups are
// what the table and the files are built from: distinct UTF-8 names without NUL, no more
// than MaxScoreGroups, sizes that add up.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "norms/count/data_file.hpp"
#include "platform/failure.hpp"
#include "platform/utf8.hpp"
#include "tests/support/memory_source.hpp"

namespace {

using namespace norms;

// The groups, or the failure's message.
std::string outcome(const std::string& file, std::size_t piece, const PersonScoreLayout& layout)
{
    MemorySource source(file, piece);
    try {
        std::string summary;
        for (const ScoreGroup& group : count_person_file(source, person_data_file("fuzz.csv", layout), layout).groups) {
            summary += group.name + '\x1f' + std::to_string(group.size) + '/' +
                       std::to_string(group.missing) + ':';
            for (std::int64_t f : group.frequencies)
                summary += std::to_string(f) + ',';
            summary += '\x1e';
        }
        return summary;
    } catch (const platform::Failure& failure) {
        return std::string("failure: ") + failure.what();
    }
}

bool is_text(const std::string& name)
{
    char32_t c = 0;
    for (std::size_t at = 0, length = 0; at < name.size(); at += length) {
        length = platform::NextCodePoint(name, at, c);
        if (length == 0 || c == 0)
            return false;
    }
    return true;
}

void check_accepted(const std::string& file, const PersonScoreLayout& layout)
{
    MemorySource source(file);
    std::vector<ScoreGroup> groups;
    try {
        groups = count_person_file(source, person_data_file("fuzz.csv", layout), layout).groups;
    } catch (const platform::Failure&) {
        return;
    }
    std::set<std::string> names;
    for (const ScoreGroup& group : groups) {
        std::int64_t sum = 0;
        for (std::int64_t f : group.frequencies)
            sum += f;
        const auto scores = static_cast<std::size_t>(layout.max_score - layout.min_score + 1);
        if (sum != group.size || group.frequencies.size() != scores || !is_text(group.name) ||
            !names.insert(group.name).second)
            std::abort();
    }
    if (groups.size() > MaxScoreGroups || (layout.group_column.empty() && groups.size() > 1))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    static const char delimiters[] = {',', ';', '\t'};
    static const char* const encodings[] = {"", "windows-1252", "UTF-16"};
    PersonScoreLayout layout;
    layout.delimiter = delimiters[data[0] % 3];
    layout.group_column = data[0] & 4 ? "g" : "";
    layout.encoding = encodings[(data[0] >> 3) % 3];
    layout.score_column = "s";
    const std::size_t piece = data[1] % 17 + 1;
    layout.min_score = data[2];
    layout.max_score = layout.min_score + data[3] % 200;
    const std::string file(reinterpret_cast<const char*>(data) + 4, size - 4);

    if (outcome(file, piece, layout) != outcome(file, 64 * 1024, layout))
        std::abort();
    check_accepted(file, layout);
    return 0;
}
