#include "norms/write/group_files.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include <locale.h>
#include <wctype.h>

#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "platform/utf8.hpp"

namespace norms {
namespace {

// The longest file name, in bytes, that Linux and the common file systems take.
constexpr std::size_t longest_file_name = 255;

bool is_unsafe_in_file_name(unsigned char c)
{
    return c < 32 || c == 127 || std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) !=
                                     std::string_view::npos;
}

// Names that Windows takes for a device whatever follows their first ".", in any letter case
// and with trailing blanks.
bool is_device_name(std::string_view name)
{
    name = name.substr(0, name.find('.'));
    name = name.substr(0, name.find_last_not_of(' ') + 1);
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    if (!upper.starts_with("COM") && !upper.starts_with("LPT"))
        return false;
    const std::string_view number = std::string_view(upper).substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
           number == "\u00B9" || number == "\u00B2" || number == "\u00B3";
}

// The name as a folder that ignores letter case sees it: every character to upper case and
// back to lower case, which also joins pairs such as "ſ" and "s". The case mappings are the C
// library's, for Unicode.
std::string folded(std::string_view name)
{
    static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    std::string result;
    for (std::size_t at = 0; at < name.size();) {
        char32_t c = 0;
        const std::size_t length = platform::NextCodePoint(name, at, c);
        if (length == 0) {  // not a character: the byte as it is
            result += name[at++];
            continue;
        }
        if (unicode != locale_t{})
            c = static_cast<char32_t>(::towlower_l(::towupper_l(static_cast<wint_t>(c), unicode), unicode));
        else if (c >= 'A' && c <= 'Z')
            c = c - 'A' + 'a';
        platform::AppendUtf8(result, c);
        at += length;
    }
    return result;
}

}  // namespace

std::string FrequencyFileName(const std::string& group)
{
    if (group.empty())
        return "frequencies.txt";
    // Bytes that are not UTF-8 would give a name that no other program shows, and control
    // characters one that moves a terminal's cursor.
    std::string name;
    for (std::size_t at = 0; at < group.size();) {
        char32_t c = 0;
        const std::size_t length = platform::NextCodePoint(group, at, c);
        const bool unsafe =
            length == 0 || (c < 0x80 ? is_unsafe_in_file_name(static_cast<unsigned char>(c)) : c <= 0x9F);
        if (unsafe)
            name += '_';
        else
            name.append(group, at, length);
        at += length == 0 ? 1 : length;
    }
    // A leading "." would hide the file.
    if (name.front() == '.')
        name.front() = '_';
    if (is_device_name(name))
        name.insert(std::min(name.find('.'), name.size()), "_");
    return name + ".txt";
}

std::string FrequencyFileText(const ScoreGroup& group, std::int64_t min_score)
{
    std::string text;
    for (std::size_t j = 0; j < group.frequencies.size(); ++j)
        text += std::to_string(min_score + static_cast<std::int64_t>(j)) + " " +
                std::to_string(group.frequencies[j]) + "\r\n";
    return text;
}

std::vector<std::string> FrequencyFileNames(const std::vector<ScoreGroup>& groups)
{
    std::vector<std::string> names;
    std::map<std::string, const ScoreGroup*> group_by_name;
    for (const ScoreGroup& group : groups) {
        const std::string name = FrequencyFileName(group.name);
        if (name.size() > longest_file_name)
            throw platform::Failure("Group " + platform::in_quotes(group.name) + " would need a file name of " +
                                    std::to_string(name.size()) + " bytes; a folder takes " +
                                    std::to_string(longest_file_name));
        const auto [entry, added] = group_by_name.try_emplace(folded(name), &group);
        if (!added)
            throw platform::Failure("Groups " + platform::in_quotes(entry->second->name) + " and " +
                                    platform::in_quotes(group.name) + " would both be written to " +
                                    platform::in_quotes(name));
        names.push_back(name);
    }
    return names;
}

void AddFrequencyFiles(platform::FolderFiles& files, const std::vector<ScoreGroup>& groups,
                       const std::vector<std::string>& names, std::int64_t min_score,
                       const std::string& data_file)
{
    std::error_code error;
    for (const std::string& name : names) {
        if (std::filesystem::equivalent(files.path_of(name), data_file, error))
            throw platform::Failure(platform::PrintableText(files.path_of(name), 0) +
                                    " is the data file itself");
    }
    for (std::size_t i = 0; i < groups.size(); ++i)
        files.add(names[i], FrequencyFileText(groups[i], min_score));
}

}  // namespace norms
