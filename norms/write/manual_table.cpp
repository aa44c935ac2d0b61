#include "norms/write/manual_table.hpp"

#include <algorithm>
#include <cctype>

#include "norms/count/score_grid.hpp"
#include "norms/write/report.hpp"
#include "norms/write/table_cells.hpp"
#include "norms/write/xlsx_book.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

constexpr const char* en_dash = "\u2013";

std::string lower_case(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The score as the windows round it: a rank as the report does, a norm score as the
// norm-scales window does.
std::string point_text(const std::optional<stats::NormScale>& scale, Extended value)
{
    return scale ? ScaleCellText(*scale, value) : RankText(value);
}

// A limit likewise; a rank's limit in percent with one decimal, as LimitText shows it.
std::string limit_text(const std::optional<stats::NormScale>& scale, Extended value)
{
    return scale ? ScaleCellText(*scale, value) : stats::format_fixed(value, 0, 1);
}

// "47–57"; spaced where the upper limit is negative, so that the dash stands apart from its sign.
std::string range_text(const std::string& lower, const std::string& upper)
{
    return lower + (upper.starts_with('-') ? std::string(" ") + en_dash + " " : en_dash) + upper;
}

ManualCell cell_of(const ManualValue& value, const ManualChoices& choices)
{
    ManualCell cell{point_text(choices.scale, value.score.point), ""};
    if (value.beyond != 0)
        cell.point = (value.beyond < 0 ? "<" : ">") + cell.point;
    if (choices.interval == ManualInterval::none || value.beyond != 0)
        return cell;
    const bool level95 = choices.interval == ManualInterval::level95;
    cell.interval = "(" +
                    range_text(limit_text(choices.scale, level95 ? value.score.lower95 : value.score.lower90),
                               limit_text(choices.scale, level95 ? value.score.upper95 : value.score.upper90)) +
                    ")";
    return cell;
}

std::string score_title(const std::optional<stats::NormScale>& scale)
{
    if (!scale)
        return "percentile rank (PR)";
    return scale->title == "custom scale" ? scale->title + " " + scale->name : scale->title;
}

// The columns' raw scores by the step from min_score, one per value.
std::vector<std::int64_t> grid_scores(const std::vector<ManualColumn>& columns, std::int64_t min_score,
                                      std::int64_t score_step)
{
    std::vector<std::int64_t> scores(columns.empty() ? 0 : columns.front().values.size());
    for (std::size_t j = 0; j < scores.size(); ++j)
        scores[j] = min_score + static_cast<std::int64_t>(j) * score_step;
    return scores;
}

}  // namespace

std::string reversal_rank_text(Extended pr)
{
    return stats::format_fixed(pr, 0, 2);
}

std::string reversal_interval_text(Extended lower, Extended upper)
{
    return range_text(stats::format_fixed(lower, 0, 1), stats::format_fixed(upper, 0, 1));
}

std::string reversals_explanation(AbilityTrend trend)
{
    const bool increasing = trend == AbilityTrend::increasing;
    return std::string("The ability ") + (increasing ? "increases" : "decreases") +
           " across the columns, so a raw score's percentile rank should not " +
           (increasing ? "rise" : "fall") +
           " from one column to the next. Each column is compared with the next on the exact "
           "ranks. Where the two 95% intervals overlap, the reversal lies within the ranks' "
           "uncertainty; where they do not, it needs a look.";
}

std::string no_reversals_text(AbilityTrend trend)
{
    return std::string("None: no raw score's percentile rank ") +
           (trend == AbilityTrend::increasing ? "rises" : "falls") + " from one column to the next.";
}

bool parse_manual_scale(const std::string& text, std::optional<stats::NormScale>& scale,
                        std::string& reason)
{
    if (text == "PR") {
        scale.reset();
        return true;
    }
    scale = ParseScaleOption(text, reason);
    if (scale)
        return true;
    // The reasons name --scale, which takes the same names except PR.
    const std::string_view scale_option = "--scale";
    if (reason.starts_with(scale_option))
        reason = "--manual-scale" + reason.substr(scale_option.size());
    if (const std::size_t names = reason.find(" takes z, "); names != std::string::npos)
        reason.insert(names + 7, "PR, ");
    return false;
}

std::optional<ManualInterval> manual_interval_named(std::string_view name)
{
    if (name == "none")
        return ManualInterval::none;
    if (name == "95")
        return ManualInterval::level95;
    if (name == "90")
        return ManualInterval::level90;
    return std::nullopt;
}

std::optional<AbilityTrend> ability_trend_named(std::string_view name)
{
    if (name == "increasing")
        return AbilityTrend::increasing;
    if (name == "decreasing")
        return AbilityTrend::decreasing;
    return std::nullopt;
}

std::optional<ManualFormat> manual_format_of(std::string_view path)
{
    const std::string lower = lower_case(path);
    if (lower.ends_with(".pdf"))
        return ManualFormat::pdf;
    if (IsWorkbookName(path))
        return ManualFormat::xlsx;
    return std::nullopt;
}

std::string manual_cell_text(const ManualCell& cell)
{
    return cell.interval.empty() ? cell.point : cell.point + " " + cell.interval;
}

bool intervals_overlap(Extended lower_a, Extended upper_a, Extended lower_b, Extended upper_b)
{
    return lower_a <= upper_b && lower_b <= upper_a;
}

std::vector<Reversal> find_reversals(const std::vector<ManualColumn>& columns,
                                     std::int64_t min_score, AbilityTrend trend, std::int64_t score_step)
{
    return find_reversals(columns, grid_scores(columns, min_score, score_step), trend);
}

std::vector<Reversal> find_reversals(const std::vector<ManualColumn>& columns,
                                     const std::vector<std::int64_t>& scores, AbilityTrend trend)
{
    std::vector<Reversal> reversals;
    for (std::size_t j = 0; j < scores.size(); ++j)
        for (std::size_t c = 0; c + 1 < columns.size(); ++c) {
            const ManualValue& earlier = columns[c].values[j];
            const ManualValue& later = columns[c + 1].values[j];
            const bool against = trend == AbilityTrend::increasing ? later.pr > earlier.pr
                                                                   : later.pr < earlier.pr;
            if (against)
                reversals.push_back({scores[j], c, earlier, later,
                                     intervals_overlap(earlier.pr_lower95, earlier.pr_upper95,
                                                       later.pr_lower95, later.pr_upper95)});
        }
    return reversals;
}

std::string reversal_score_text(const ManualTable& table, const Reversal& reversal)
{
    return ScoreUnitsText(reversal.raw_score, table.score_decimals);
}

std::string reversal_text(const ManualTable& table, const Reversal& reversal)
{
    return "reversal at raw score " + reversal_score_text(table, reversal) + ": PR " +
           reversal_rank_text(reversal.earlier.pr) + " for " + table.column_labels[reversal.column] +
           ", " + reversal_rank_text(reversal.later.pr) + " for " + table.column_labels[reversal.column + 1] +
           "; the 95% intervals " + (reversal.intervals_overlap ? "overlap" : "do not overlap");
}

ManualTable build_manual_table(const ManualSource& source, const ManualChoices& choices)
{
    ManualTable table;
    table.score_decimals = source.score_decimals;
    table.title = source.title.empty() ? "Norms table" : platform::PrintableText(source.title, 0);
    const std::string caption = platform::PrintableText(source.columns_caption, 0);
    std::string method = source.method;  // "continuous norm model" begins a sentence here
    if (!method.empty())
        method[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(method[0])));
    table.subtitle = "Norm score: " + score_title(choices.scale) + "." +
                     (caption.empty() ? "" : " Columns: " + caption + ".") + " " + method + ".";
    for (const ManualColumn& column : source.columns) {
        const std::string title = platform::PrintableText(column.title, longest_column_title - 1);
        if (const std::string full = platform::PrintableText(column.title, 0); full != title)
            table.full_titles.push_back(title + ": " + full);
        table.column_titles.push_back(title);
        table.column_sizes.push_back(column.sizes);
        table.column_labels.push_back(caption.empty() ? title : caption + " " + title);
    }

    // Each raw score's cells; a score whose cells all equal those of the score before joins its row.
    const std::vector<std::int64_t> scores = source.listed_scores.empty()
                                                 ? grid_scores(source.columns, source.min_score, source.score_step)
                                                 : source.listed_scores;
    for (std::size_t j = 0; j < scores.size(); ++j) {
        std::vector<ManualCell> cells;
        for (const ManualColumn& column : source.columns)
            cells.push_back(cell_of(column.values[j], choices));
        const std::int64_t score = scores[j];
        if (!table.rows.empty() && table.rows.back().cells == cells)
            table.rows.back().last_score = score;
        else
            table.rows.push_back({score, score, "", std::move(cells)});
    }
    for (ManualRow& row : table.rows)
        row.raw = ScoreUnitsText(row.first_score, source.score_decimals) +
                  (row.last_score > row.first_score ? en_dash + ScoreUnitsText(row.last_score, source.score_decimals)
                                                    : "");

    if (choices.interval != ManualInterval::none)
        table.footnotes.push_back(
            "In parentheses: the " +
            std::string(choices.interval == ManualInterval::level95 ? "95" : "90") +
            "% interval of the norm score, " + source.method + ".");
    table.footnotes.insert(table.footnotes.end(), source.footnotes.begin(), source.footnotes.end());
    if (choices.reversals) {
        table.trend = choices.reversals;
        table.reversals = find_reversals(source.columns, scores, *choices.reversals);
    }
    return table;
}

}  // namespace norms
