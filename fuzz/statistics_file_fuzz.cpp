// libFuzzer target for the SPSS (.sav, .por) and Stata (.dta) readers: counts the scores of an
// in-memory file whose variables "raw" and "age_band" are those of examples/spelling_by_age.sav
// and of the seeds that PSPP and R's haven wrote (scripts/make-statistics-seeds). The file's
// first byte picks the reader.
//
// Besides the sanitizers it checks that the outcome does not depend on how the file arrives in
// pieces, that the reader fails only with platform::Failure, and that an accepted file's counts
// add up: every group's frequencies sum to its size and lie from 0 to MIN…MAX.
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>

#include "norms/count/data_file.hpp"
#include "platform/failure.hpp"
#include "tests/support/memory_source.hpp"

namespace {

using namespace norms;

const PersonScoreLayout layout{',', "raw", "age_band", 0, 30};
const PersonScoreLayout portable_layout{',', "RAW", "AGE_BAND", 0, 30};  // PSPP's capitals

// "$" opens an SPSS system file, "<" or a release number from 102 to 119 a Stata file; any
// other file is taken for an SPSS portable file, which opens with free text.
std::string name_for(const std::string& file)
{
    const unsigned char first = file.empty() ? 0 : static_cast<unsigned char>(file[0]);
    if (first == '$')
        return "fuzz.sav";
    return first == '<' || (first >= 102 && first <= 119) ? "fuzz.dta" : "fuzz.por";
}

// The groups as text, or the failure's message.
std::string outcome(const std::string& file, std::size_t piece)
{
    MemorySource source(file, piece);
    try {
        const std::string name = name_for(file);
        const PersonScoreLayout& chosen = name == "fuzz.por" ? portable_layout : layout;
        const CountedGroups scores = count_person_file(source, person_data_file(name, chosen), chosen);
        std::string text = std::to_string(scores.without_group);
        for (const ScoreGroup& group : scores.groups) {
            if (group.frequencies.size() != 31 ||
                std::accumulate(group.frequencies.begin(), group.frequencies.end(), std::int64_t{0}) != group.size)
                std::abort();
            text += "|" + group.name + ":" + std::to_string(group.size) + "/" + std::to_string(group.missing);
        }
        return text;
    } catch (const platform::Failure& failure) {
        return std::string("failure: ") + failure.what();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    const std::size_t piece = size == 0 ? 1 : data[size / 2] % 61 + 1;
    if (outcome(file, piece) != outcome(file, 1 << 20))
        std::abort();
    return 0;
}
