// A norms study: one data file, frequency or per-person, turned into a norms table per group by
// the same readers, counter and table driver as vornak-batch. A study keeps what it has read:
// the cases, column by column, for another choice of variables, and the groups' counts, for
// another method. The study window runs these steps off its own thread, so they report how far
// they have read and stop when asked.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "norms/count/case_columns.hpp"
#include "norms/count/data_file.hpp"
#include "norms/count/norming_cases.hpp"
#include "norms/count/score_grid.hpp"
#include "norms/read/margins_file.hpp"
#include "norms/tables/group_tables.hpp"
#include "stats/interruption.hpp"

namespace norms {

// Shared by a step and whoever watches it: the bytes read so far and a request to stop.
struct StudyProgress {
    std::atomic<std::uint64_t> bytes_read{0};
    std::atomic<bool> cancel{false};

    // Throws stats::Interrupted once a stop has been asked for.
    void check() const;
};

// What a data file holds, as far as the choices need it before anything is computed.
struct StudyFile {
    DataFile data;
    std::uint64_t size = 0;              // bytes
    PersonFileSurvey persons;            // per-person data
    FrequencyFileSurvey frequencies;     // a frequency file
    std::shared_ptr<const CaseColumns> cases;  // per-person data as read
};

// Reads the file once through: its kind (as guess_data_file takes it), and what the choices
// need. Per-person data is kept column by column, as far as it fits. Throws platform::Failure
// when the file cannot be read, or is of a kind no reader here takes, and stats::Interrupted.
StudyFile SurveyStudyFile(const std::string& path, StudyProgress& progress);

struct StudyChoices {
    std::string score_variable;  // per-person data
    std::string group_variable;  // per-person data; empty for one group
    std::int64_t min_score = 0;  // per-person data; a frequency file sets its own
    std::int64_t max_score = 0;
    std::string weight_variable = {};           // per-person data; empty: unweighted
    std::vector<MarginsVariable> margins = {};  // per-person data: rake to these
    std::string margins_file = {};              // the margins' file, as messages name it
    // Per-person data: scores by a step with decimals, in place of min_score and max_score.
    std::optional<ScoreGrid> grid = {};
    std::string grid_refusal = {};  // why MIN, MAX and the step make no grid, if they do not
};

// The whole scores that enclose the choices' MIN and MAX: a grid's ends rounded outwards, else
// min_score and max_score.
std::pair<std::int64_t, std::int64_t> enclosing_score_range(const StudyChoices& choices);

// Each group's frequencies, from the cases kept when they hold the chosen variables, else by
// reading the file again. Throws platform::Failure with the message vornak-batch gives for the
// same refusal (a bad score names its line, column and value; groups that are too small are
// named, one line each), and stats::Interrupted.
GroupTables count_study(const StudyFile& file, const StudyChoices& choices, StudyProgress& progress);

// Hands the asked variables of every case to a sink: from the cases held when they hold every
// variable of `needed`, else from the file read again, watched by `progress`.
CaseReading study_case_reading(const StudyFile& file, const VariableNames& needed, StudyProgress& progress);

// The complete cases of a continuous norming run, as vornak-batch continuous takes them from
// the same file. Throws platform::Failure for a frequency file, a range of raw scores that is no
// range, and as read_norming_cases throws; and stats::Interrupted.
NormingCases study_norming_cases(const StudyFile& file, const NormingLayout& layout, StudyProgress& progress);

// The counts' tables by the method, and the columns they show beside them.
GroupTables compute_study(GroupTables counts, const TableChoices& choices);

}  // namespace norms
