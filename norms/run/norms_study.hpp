// A norms study: one data file, frequency or per-person, turned into a norms table per group by
// the same readers and table driver as vornak-batch. The study window runs these off its own
// thread, so they report how far they have read and stop when asked.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "norms/read/delimited_file.hpp"
#include "norms/tables/norms_table.hpp"
#include "norms/tables/table_columns.hpp"
#include "norms/write/norms_workbook.hpp"

namespace norms {

// Thrown out of a study step when its progress was asked to stop.
struct StudyCancelled {};

// Shared by a step and whoever watches it: the bytes read so far and a request to stop.
struct StudyProgress {
    std::atomic<std::uint64_t> bytes_read{0};
    std::atomic<bool> cancel{false};

    // Throws StudyCancelled once a stop has been asked for.
    void check() const;
};

enum class StudyFileKind { Frequencies, PersonScores };

// What a data file holds, as far as the choices need it before anything is computed.
struct StudyFile {
    std::string path;
    std::uint64_t size = 0;  // bytes
    StudyFileKind kind = StudyFileKind::PersonScores;
    char delimiter = ',';
    PersonFileSurvey persons;  // per-person data
    // A frequency file: its first and last raw score, its number of lines and its sample size.
    Extended first_score = 0;
    Extended last_score = 0;
    std::int64_t lines = 0;
    Extended sample_size = 0;
};

// Reads the file once through. A ".csv" or ".tsv" file is per-person data, and so is a
// statistics-package file (by its ending, as vornak-batch scores takes it); any other is a
// frequency file when its first line holds two numbers, else per-person data. The delimiter is
// a tab for ".tsv" or a header with a tab, ";" for a header with ";" and no ",", else ",".
// Throws platform::Failure when the file cannot be read, or is of a kind no reader here takes.
StudyFile SurveyStudyFile(const std::string& path, StudyProgress& progress);

struct StudyChoices {
    std::string score_variable;          // per-person data
    std::string group_variable;          // per-person data; empty for one group
    std::int64_t min_score = 0;          // per-person data; a frequency file sets its own
    std::int64_t max_score = 0;
    stats::IntervalMethod method = stats::IntervalMethod::bayesian;
    std::vector<Cutoff> cutoffs;         // taken with the Bayesian method only
};

struct StudyGroup {
    ScoreGroup counts;  // its name and missing scores; the frequencies are in the run's table
    NormsRun run;
};

struct StudyTables {
    std::vector<StudyGroup> groups;  // ascending, as vornak-batch scores prints them
    bool grouped = false;
    std::string group_variable;
    std::int64_t without_group = 0;  // cases of a statistics-package file skipped without a group
    std::vector<Cutoff> cutoffs;
    // The norm scales shown beside the ranks. They take nothing from the data beyond each row's
    // rank and limits, so a window sets them without computing the tables again.
    std::vector<stats::NormScale> scales;
};

// Reads the file again and builds every group's table. Throws platform::Failure with the
// message vornak-batch gives for the same refusal (a bad score names its line, column and
// value; groups that are too small are named, one line each), and StudyCancelled.
StudyTables ComputeStudy(const StudyFile& file, const StudyChoices& choices,
                         StudyProgress& progress);

// The columns one group's table adds after the norms table's own, as vornak-batch --csv adds
// them: each scale's, then each cut-off's.
std::vector<TableColumn> StudyAddedColumns(const StudyTables& tables, const StudyGroup& group);

// The tables as the workbook of vornak-batch --xlsx, with the same columns as the CSV.
NormsWorkbook StudyWorkbook(const StudyTables& tables);

// The tables as vornak-batch --csv prints them: with a leading group column when grouped, as
// vornak-batch scores does, and the scale and cut-off columns last.
void WriteStudyCsv(std::ostream& out, const StudyTables& tables);

}  // namespace norms
