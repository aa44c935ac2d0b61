// libFuzzer target for the margins-file reader: parses an in-memory margins file.
//
// Input: the file. Besides the sanitizers it checks that what is accepted is what the raking
// may take (named variables, each with distinct, findable levels and shares from 0 to 1, none
// too small to give a weight), and that LF, CR LF and CR line ends read alike, messages and
// their line numbers included, in a file whose fields hold no line end.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "norms/read/margins_file.hpp"
#include "platform/failure.hpp"

namespace {

using namespace norms;

// The variables, or the failure's message.
std::string outcome(const std::string& text)
{
    std::string summary;
    try {
        for (const MarginsVariable& variable : parse_margins(text)) {
            if (variable.name.empty() || variable.values.empty() ||
                variable.values.size() != variable.shares.size())
                std::abort();
            summary += variable.name + '\x1f';
            for (std::size_t i = 0; i < variable.values.size(); ++i) {
                const stats::Extended share = variable.shares[i];
                if (variable.values[i].empty() || !(share >= 0 && share <= 1) || (share > 0 && share < 1e-300L) ||
                    variable.level_of(variable.values[i]) != static_cast<std::int32_t>(i))
                    std::abort();
                summary += variable.values[i] + '=' + std::to_string(static_cast<double>(share)) + '\x1f';
            }
            summary += '\x1e';
        }
    } catch (const platform::Failure& failure) {
        return std::string("failure: ") + failure.what();
    }
    return summary;
}

std::string with_line_ends(const std::string& text, const std::string& line_end)
{
    std::string changed;
    for (const char c : text)
        changed += c == '\n' ? line_end : std::string(1, c);
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string lf = outcome(text);
    if (text.find_first_of("\r\"") == std::string::npos &&
        (outcome(with_line_ends(text, "\r\n")) != lf || outcome(with_line_ends(text, "\r")) != lf))
        std::abort();
    return 0;
}
