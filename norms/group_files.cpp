#include "norms/group_files.hpp"

#include <algorithm>
#include <filesystem>
#include <map>

#include "norms/in_quotes.hpp"
#include "platform/failure.hpp"
#include "platform/whole_file.hpp"

namespace norms {
namespace {

bool is_unsafe_in_file_name(unsigned char c)
{
    return c < 32 || c == 127 || std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) !=
                                     std::string_view::npos;
}

std::string lower_case(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return text;
}

}  // namespace

std::string FrequencyFileName(const std::string& group)
{
    if (group.empty())
        return "frequencies.txt";
    std::string name = group;
    std::replace_if(name.begin(), name.end(), is_unsafe_in_file_name, '_');
    // A leading "." would hide the file.
    if (name.front() == '.')
        name.front() = '_';
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

void WriteFrequencyFiles(const std::string& folder, const std::vector<ScoreGroup>& groups,
                         std::int64_t min_score, const std::string& data_file)
{
    namespace fs = std::filesystem;
    // Folders on other systems may not tell "A.txt" from "a.txt".
    std::map<std::string, const ScoreGroup*> group_by_name;
    for (const ScoreGroup& group : groups) {
        const std::string name = FrequencyFileName(group.name);
        const auto [entry, added] = group_by_name.try_emplace(lower_case(name), &group);
        if (!added)
            throw platform::Failure("Groups " + in_quotes(entry->second->name) + " and " +
                                    in_quotes(group.name) + " would both be written to " +
                                    in_quotes(name));
    }

    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw platform::Failure(folder + ": " + platform::file_failure(error.value()).what());
    for (const ScoreGroup& group : groups) {
        const std::string path = (fs::path(folder) / FrequencyFileName(group.name)).string();
        if (fs::equivalent(path, data_file, error))
            throw platform::Failure(path + " is the data file itself");
    }
    for (const ScoreGroup& group : groups) {
        const std::string path = (fs::path(folder) / FrequencyFileName(group.name)).string();
        try {
            platform::SaveWholeFile(path, FrequencyFileText(group, min_score));
        } catch (const platform::Failure& failure) {
            throw platform::Failure(path + ": " + failure.what());
        }
    }
}

}  // namespace norms
