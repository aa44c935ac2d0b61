// Each norm group's frequency file, in the format the worksheet reads, written from counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "norms/person_scores.hpp"

namespace norms {

// The group's name with the characters that are unsafe in file names replaced by "_", then
// ".txt"; "frequencies.txt" for the one group of ungrouped data.
std::string FrequencyFileName(const std::string& group);

// One "score frequency" line per raw score from min_score up, with CR LF line ends.
std::string FrequencyFileText(const ScoreGroup& group, std::int64_t min_score);

// Writes every group's frequency file into `folder`, creating it if needed; an existing file
// is replaced only by a save that cannot lose it. Nothing is written when two groups would
// share a file name (letter case aside) or a file would replace `data_file`. Throws
// platform::Failure naming the group or file.
void WriteFrequencyFiles(const std::string& folder, const std::vector<ScoreGroup>& groups,
                         std::int64_t min_score, const std::string& data_file);

}  // namespace norms
