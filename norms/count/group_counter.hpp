// The one counter of scores per norm group. Every reader hands it one case at a time, and it
// alone decides the groups and their order and names, what counts as a valid score, the missing
// and skipped counts, and the limit on the number of groups.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "norms/count/score_grid.hpp"
#include "norms/read/case_sink.hpp"
#include "platform/text_map.hpp"
#include "stats/distrib.hpp"
#include "stats/effective_sample.hpp"

namespace norms {

using stats::Extended;

// The most norm groups one file may give. More distinct values mean, almost always, that the
// group variable is the wrong one (an id, say).
inline constexpr std::size_t MaxScoreGroups = 1000;

// How the file is written, where the scores are and which of them count.
struct PersonScoreLayout {
    char delimiter = ',';
    std::string score_column;
    std::string group_column;  // empty: all cases form one group
    std::int64_t min_score = 0;
    std::int64_t max_score = 0;
    std::string encoding;  // a name iconv knows, such as "windows-1252"; empty for UTF-8
    std::string weight_column = {};  // each case's sampling weight; empty: every case weighs 1
    // The scores by a step (MIN, MIN + S, … MAX); none: the whole scores min_score to max_score.
    std::optional<ScoreGrid> grid = {};
};

// The layout's grid: its step's, or the whole scores from min_score to max_score.
ScoreGrid layout_grid(const PersonScoreLayout& layout);

struct ScoreGroup {
    std::string name;  // the group's value or label; empty without a group variable
    std::vector<std::int64_t> frequencies;  // one per score from min_score to max_score
    std::int64_t size = 0;                  // valid scores
    std::int64_t missing = 0;               // cases skipped for a missing score
    std::int64_t missing_weights = 0;       // cases with a score skipped for a missing weight
    // The weights of the valid scores, per score, when the cases are weighted.
    std::optional<stats::ScoreWeights> weights = {};
};

// What a case without a group value means: an error in the file (delimited text, where every
// row names its group), or a case to skip and count (a statistics file's missing value).
enum class MissingGroupValue { refused, skipped };

struct CountedGroups {
    std::vector<ScoreGroup> groups;
    std::int64_t without_group = 0;  // cases skipped for a missing group value
    // The variable the file names as its case weight, when the counting does not weigh by it.
    std::string unapplied_file_weight;
};

// Reads the cases' weights, one after the other, keeping their total, which every output gives
// as a double: a weight that takes it beyond a double's range is refused as it is read.
class CaseWeightReader {
public:
    // As case_weight; throws platform::Failure, naming the case's place and the weight
    // variable, also for a weight that takes the total beyond a double's range.
    std::optional<Extended> read(const DataValue& value, const CasePlace& place,
                                 const std::string& weight_variable);

private:
    Extended total_ = 0;
};

// Ascending: by number when every group has one (a numeric code, or a name that is a decimal
// number), else by name.
class GroupCounter : public CaseSink {
public:
    // The cases weigh what `case_weights` gives them, in the order the cases come, when it is
    // given (raked weights; NaN for a case without a weight); else what the layout's weight
    // variable gives them, if it names one.
    GroupCounter(const PersonScoreLayout& layout, MissingGroupValue missing_group,
                 std::vector<Extended> case_weights = {});

    // The variables a reader is to hand on: the score's, the group's if there is one, and the
    // weight variable's.
    const VariableNames& asked() const { return asked_; }

    // A case whose score is missing is counted as a missing score; one with a score but
    // without a weight, as a missing weight. Throws platform::Failure for a score that is not a
    // whole number from min_score to max_score (suggesting a step for one with decimals), or
    // not on the layout's grid when it has one, a weight that is not a finite number above 0 or
    // that takes the weights' total beyond a double's range, and a refused missing group value,
    // naming the case's place.
    void take_case(std::span<const DataValue> values, const CasePlace& place) override;
    void take_label(std::size_t variable, double code, std::string_view label) override;
    void take_weight_variable(std::string_view name) override;

    // The groups, in order and named. A numeric code is named by its label; a label that is
    // empty or that two codes share is shown with its code ("adults (2)"), and a code without
    // a label by its number. Throws platform::Failure for more than MaxScoreGroups groups.
    CountedGroups take_groups();

private:
    struct Group {
        ScoreGroup counts;
        std::optional<double> code;  // a statistics file's numeric value
        std::optional<stats::ScoreWeightCounter> weights;
    };

    Group* group_of(const DataValue& value);
    // The row of the case's score in its group's frequencies; throws as take_case says.
    std::size_t score_row(const DataValue& score, const CasePlace& place) const;
    // The case's weight; none when it is missing; 1 for unweighted cases.
    std::optional<Extended> weight_of(std::span<const DataValue> values, const CasePlace& place);
    void name_coded_groups();

    PersonScoreLayout layout_;
    MissingGroupValue missing_group_;
    std::vector<Extended> case_weights_;
    std::size_t case_index_ = 0;
    int weight_slot_ = -1;  // where the weight variable's value comes among the asked
    CaseWeightReader weight_reader_;
    VariableNames asked_;
    std::size_t row_count_;
    // Codes that are small whole numbers, by far the most common, are found by their place;
    // other codes by hashing.
    static constexpr int direct_codes = 4096;

    std::vector<Group> groups_;
    std::vector<int> group_of_small_code_ = std::vector<int>(direct_codes, -1);
    std::unordered_map<double, std::size_t> group_of_code_;
    platform::TextMap<std::size_t> group_of_text_;
    std::size_t last_group_ = 0;
    bool over_limit_ = false;
    std::map<double, std::string> labels_;  // the group variable's, by code
    std::int64_t without_group_ = 0;
    std::string file_weight_;
};

// A case's sampling weight from its value of the weight variable; none for a missing value.
// Throws platform::Failure, naming the case's place, for a value that is not a finite number
// above 0.
std::optional<Extended> case_weight(const DataValue& value, const CasePlace& place,
                                    const std::string& weight_variable);

// A raw score: a whole number from min_score to max_score, as a number or as text in the data
// file's grammar ("12" and "12.0" are 12). Throws platform::Failure naming the case's place for
// any other value: "case 17, variable "raw": 12.5 is not a whole number from 0 to 30".
std::int64_t checked_score(const DataValue& value, const CasePlace& place, const std::string& variable,
                           std::int64_t min_score, std::int64_t max_score);

// "line 6, column "raw": ", as messages name a value's place.
std::string value_place(const CasePlace& place, const std::string& variable);

// Sorts as the counter orders its groups, taking a name that is a decimal number as its number.
void SortGroups(std::vector<ScoreGroup>& groups);

}  // namespace norms
