// Each norm group's frequency file, in the format the worksheet reads, written from counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "norms/count/group_counter.hpp"
#include "platform/whole_file.hpp"

namespace norms {

// The group's name with the characters that are unsafe in file names, control characters and
// bytes that are not UTF-8 replaced by "_", then ".txt"; "frequencies.txt" for the one group
// of ungrouped data. A name that other systems keep for a device (CON, nul.2024, …) gets a "_"
// after its first part: "CON_.txt".
std::string FrequencyFileName(const std::string& group);

// One "score frequency" line per raw score from min_score up, with CR LF line ends.
std::string FrequencyFileText(const ScoreGroup& group, std::int64_t min_score);

// The groups' file names, in the order of the groups. Throws platform::Failure naming the
// group when a name is longer than a folder takes, or naming two groups whose names a folder
// that ignores letter case (in any script, "É" as "é") could not tell apart.
std::vector<std::string> FrequencyFileNames(const std::vector<ScoreGroup>& groups);

// Writes each group's frequency file, under the name of the same place in `names`, as a
// temporary into `files`; commit() gives them their names. Throws platform::Failure when a
// name would replace `data_file`, or naming the file that cannot be written.
void AddFrequencyFiles(platform::FolderFiles& files, const std::vector<ScoreGroup>& groups,
                       const std::vector<std::string>& names, std::int64_t min_score,
                       const std::string& data_file);

}  // namespace norms
