// The cases of a continuous norming run, from a per-person file of any kind: each complete
// case's raw score, age and ranking group, as the reader hands them on.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "norms/count/data_file.hpp"
#include "norms/read/case_sink.hpp"
#include "stats/continuous_ranking.hpp"

namespace norms {

struct NormingLayout {
    std::string score_variable;
    std::string age_variable;    // empty: the model's age is the group's value
    std::string group_variable;  // empty: the cases are ranked within age windows
    std::int64_t min_score = 0;
    std::int64_t max_score = 0;
    // Whether a score must be a whole number (a count of items); else any number from
    // min_score to max_score is fitted as it is.
    bool whole_scores = true;

    friend bool operator==(const NormingLayout&, const NormingLayout&) = default;
};

struct NormingCases {
    stats::NormingSample sample;  // the complete cases, in the file's order
    std::int64_t skipped = 0;     // cases without a score, an age or a group value
};

// Ages and group values are numbers: a statistics file's numbers, or texts in the data file's
// decimal grammar, each taken as the nearest double, so that a text file and a statistics file
// of the same cases give the same sample. A group of texts that are not all numbers is coded by
// the texts' order and named by its text; it needs an age variable, since without one the
// group's value is the model's age.
class NormingCaseSink : public CaseSink {
public:
    explicit NormingCaseSink(const NormingLayout& layout);

    // The score's variable, then the age's and the group's where the layout names them.
    const VariableNames& asked() const { return asked_; }

    // The complete cases taken so far.
    std::size_t taken() const { return cases_.sample.scores.size(); }

    // A case missing any of its values is skipped and counted. Throws platform::Failure,
    // naming the case's place, for a score that is not a number from min_score to max_score
    // (a whole number when the layout asks for whole scores) and for an age that is not a
    // number.
    void take_case(std::span<const DataValue> values, const CasePlace& place) override;

    // Throws platform::Failure for a file without a complete case, and for groups that are not
    // numbers when there is no age variable.
    NormingCases take_cases();

private:
    struct GroupValue {
        bool numeric = false;
        double number = 0;
        std::string text;
    };

    std::uint32_t group_code(const DataValue& value);

    NormingLayout layout_;
    VariableNames asked_;
    int age_slot_ = -1;
    int group_slot_ = -1;
    NormingCases cases_;
    std::vector<std::uint32_t> group_codes_;  // per case, into group_values_
    std::vector<GroupValue> group_values_;
    std::unordered_map<std::string, std::uint32_t> code_of_text_;
    std::unordered_map<double, std::uint32_t> code_of_number_;
};

// Every complete case of the file as `read` hands them on.
NormingCases read_norming_cases(const CaseReading& read, const NormingLayout& layout);

// "12 cases skipped for a missing score or age", naming the values the layout asks for.
std::string skipped_cases_notice(std::int64_t cases, const NormingLayout& layout);

}  // namespace norms
