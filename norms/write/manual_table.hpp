// The norm table of a test manual: raw scores down the side, the norm groups (or ages) across,
// in each cell the norm score with its interval, and consecutive raw scores whose cells agree
// in every column merged into one row "12–14". Beside it, the check for reversals: a raw score
// whose percentile rank moves against the ability's trend from one column to the next.
//
// The table is built from columns of exact values, whatever made them (a group's norms table,
// or a continuous model at one age), and holds only text and numbers; its pages are laid out
// in manual_pages.hpp and its workbook written in manual_workbook.hpp.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "norms/tables/scale_columns.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

// Which interval a cell shows in parentheses after its score.
enum class ManualInterval { none, level95, level90 };

// How the ability that the test measures moves across the columns, in their order: with age it
// usually increases, and the same raw score then earns a lower rank in a later column.
enum class AbilityTrend { increasing, decreasing };

struct ManualChoices {
    std::optional<stats::NormScale> scale;  // none: the percentile rank
    ManualInterval interval = ManualInterval::level95;
    std::optional<AbilityTrend> reversals;  // none: no check
};

// "PR" for the percentile rank, or a name that --scale takes. False with the reason in `reason`
// for any other text.
bool parse_manual_scale(const std::string& text, std::optional<stats::NormScale>& scale,
                        std::string& reason);
// "none", "95" or "90".
std::optional<ManualInterval> manual_interval_named(std::string_view name);
// "increasing" or "decreasing".
std::optional<AbilityTrend> ability_trend_named(std::string_view name);

enum class ManualFormat { pdf, xlsx };

// The format named by a file's ending (".pdf" or ".xlsx", in any case).
std::optional<ManualFormat> manual_format_of(std::string_view path);

// One raw score's norm in one column, exact.
struct ManualValue {
    ScaleValues score;  // on the table's scale; a percentile rank and its limits in percent
    Extended pr = 0;    // the percentile rank and its 95% limits, in percent, for the check
    Extended pr_lower95 = 0;
    Extended pr_upper95 = 0;
    // A raw score beyond a model's range: its norm lies below (-1) or above (+1) the point,
    // which is the end of the range, and is shown as "<23" or ">77", without an interval.
    int beyond = 0;
};

// A norm group's norms, or those of one age.
struct ManualColumn {
    std::string title;               // the group's name, or the age
    std::vector<std::string> sizes;  // lines under the title, such as "n = 97"
    std::vector<ManualValue> values;  // one per raw score, the lowest first
};

// What a manual table is made of.
struct ManualSource {
    std::string title;            // empty: "Norms table"
    std::string columns_caption;  // what the columns are, such as "age_band"; may be empty
    std::string method;           // where the intervals come from: "Bayesian method"
    std::int64_t min_score = 0;
    std::vector<ManualColumn> columns;  // all with the same number of values
    std::vector<std::string> footnotes;  // further notes under the table
    // Scores by a step with decimals: min_score and the step count in units of 10^-score_decimals.
    std::int64_t score_step = 1;
    int score_decimals = 0;
    // Listed raw scores instead, one per value and in the same units, when not empty.
    std::vector<std::int64_t> listed_scores = {};
};

// A cell: the score as the norm-scales window rounds it, and its interval as "(47–57)", or
// nothing when none is shown.
struct ManualCell {
    std::string point;
    std::string interval;

    bool operator==(const ManualCell&) const = default;
};

// "52 (47–57)", or "52" alone.
std::string manual_cell_text(const ManualCell& cell);

struct ManualRow {
    std::int64_t first_score = 0;
    std::int64_t last_score = 0;
    std::string raw;  // "12", or "12–14" for merged scores
    std::vector<ManualCell> cells;  // one per column
};

// A raw score whose exact percentile rank moves against the trend from column `column` to
// column `column + 1`.
struct Reversal {
    std::int64_t raw_score = 0;
    std::size_t column = 0;
    ManualValue earlier;
    ManualValue later;
    bool intervals_overlap = false;  // the two 95% intervals of the rank
};

// The most characters of a column title, three of its wrapped lines; a longer one is cut with
// "…" and given in full once, apart from the table.
inline constexpr std::size_t longest_column_title = 48;

struct ManualTable {
    std::string title;
    std::string subtitle;  // the score, the columns and the method
    std::vector<std::string> column_titles;
    std::vector<std::string> full_titles;  // "title…": the whole title, for each title cut
    std::vector<std::vector<std::string>> column_sizes;
    std::vector<ManualRow> rows;
    std::vector<std::string> footnotes;
    std::optional<AbilityTrend> trend;  // set when reversals were looked for
    std::vector<Reversal> reversals;
    std::vector<std::string> column_labels;  // "age_band 9": a column as a reversal names it
    int score_decimals = 0;  // the scores' (first_score, last_score, raw_score) units are 10^-score_decimals
};

// A reversal's raw score as the table shows its scores.
std::string reversal_score_text(const ManualTable& table, const Reversal& reversal);

// The table of the source's columns as the choices show them, with its reversals when they
// are looked for. Titles and names show their control characters escaped; a column title
// longer than longest_column_title is cut.
ManualTable build_manual_table(const ManualSource& source, const ManualChoices& choices);

// Every raw score whose exact rank rises (for an increasing ability) or falls (decreasing)
// from one column to the next, by raw score and then by column.
std::vector<Reversal> find_reversals(const std::vector<ManualColumn>& columns,
                                     std::int64_t min_score, AbilityTrend trend, std::int64_t score_step = 1);
// The same for values at the raw scores `scores`, one per value.
std::vector<Reversal> find_reversals(const std::vector<ManualColumn>& columns,
                                     const std::vector<std::int64_t>& scores, AbilityTrend trend);

// The reversal in words: "reversal at raw score 14: PR 30.58 for age_band 9, 31.20 for
// age_band 10; the 95% intervals overlap".
std::string reversal_text(const ManualTable& table, const Reversal& reversal);

// A reversal's rank as the lists show it, with two decimals, and its interval, "20.4–42.0".
std::string reversal_rank_text(Extended pr);
std::string reversal_interval_text(Extended lower, Extended upper);

// What a list of reversals is, and what it says when there are none.
std::string reversals_explanation(AbilityTrend trend);
std::string no_reversals_text(AbilityTrend trend);

// Whether the two intervals share a point.
bool intervals_overlap(Extended lower_a, Extended upper_a, Extended lower_b, Extended upper_b);

// The table's PDF document. The drawing is Qt's, so the windows' layer provides it to the
// layers below, as it does the chart's (ChartPainter).
using ManualPdfPainter = std::function<std::string(const ManualTable& table)>;

}  // namespace norms
