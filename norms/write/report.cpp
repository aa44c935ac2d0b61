#include "norms/write/report.hpp"

#include "norms/program_strings.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

std::string strip_control_characters(const std::string& text)
{
    const auto is_kept = [](char c) { return static_cast<unsigned char>(c) > 32; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && !is_kept(text[first]))
        ++first;
    while (last > first && !is_kept(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

const std::string rule(103, '_');

}  // namespace

std::string EchoInputLine(const std::string& caption, const std::string& text)
{
    const std::string stripped = strip_control_characters(caption);
    return " " + stripped.substr(0, stripped.rfind(':')) + "= " + text;
}

std::string TableRowLine(const NormsRow& row, int score_decimals)
{
    using stats::format_fixed;
    // A score's decimals widen its column by as much as they narrow the rank's, so the rank
    // and the limits stay under their headings.
    const int widened = score_decimals > 0 ? score_decimals + 1 : 0;
    std::string line = format_fixed(row.RawScore, 3 + widened, score_decimals) + " ";
    const Extended lower95 = row.Lower95 * 100;
    if (row.PR < 5)
        line += format_fixed(row.PR, 20 - widened, 1) + "   " + format_fixed(lower95, 14, 1);
    else if (row.PR > 95)
        line += format_fixed(row.PR, 20 - widened, 1) + "    " + format_fixed(lower95, 13, 1);
    else
        line += format_fixed(row.PR, 18 - widened, 0) + "    " + format_fixed(lower95, 15, 1);
    return line + " " + format_fixed(row.Upper95 * 100, 13, 1) + "            (" +
           format_fixed(row.Lower90 * 100, 6, 1) + "    " +
           format_fixed(row.Upper90 * 100, 6, 1) + "   )";
}

std::string RankText(Extended pr)
{
    return stats::format_fixed(pr, 0, pr < 5 || pr > 95 ? 1 : 0);
}

std::string LimitText(Extended proportion)
{
    return stats::format_fixed(proportion * 100, 0, 1);
}

void AppendReport(const NormsTable& table, int row_count, const std::string& data_file_path,
                  const WorksheetView& worksheet, ResultsView& results, int score_decimals)
{
    // The separator goes in on its own, so that the viewer shows the report from its first line.
    if (results.has_lines())
        results.append_lines({std::string(36, '-')});
    std::vector<std::string> lines = {
        "", TitleLine, "",
        " THIS PROGRAM IMPLEMENTS STATISTICAL METHODS DEVELOPED IN THE FOLLOWING PAPERS:",
        "", " Brown, L. D., Cai, T. T., & DasGupta, A. (2001).",
        " Interval estimation for a binomial proportion.",
        " Statistical Science, 16, 101-133.", "", ""};

    // A terminal's escape or a stray byte in the notes or the path would reach the screen, or
    // the report file, as it is.
    const std::vector<std::string> notes = worksheet.notes_lines();
    if (!notes.empty()) {
        lines.push_back(" " + worksheet.notes_caption() + " " + platform::PrintableText(notes.front(), 0));
        for (std::size_t i = 1; i < notes.size(); ++i)
            lines.push_back(std::string(15, ' ') + platform::PrintableText(notes[i], 0));
        lines.emplace_back(" ");
    }

    lines.emplace_back(" INPUTS:");
    for (int box = 1; box <= worksheet.visible_input_count(); ++box)
        lines.push_back(EchoInputLine(worksheet.label_caption(box), worksheet.input_text(box)));
    lines.insert(lines.end(),
                 {"", " Frequency data were loaded from the following file: ",
                  " " + platform::PrintableText(data_file_path, 0), "", "", " OUTPUTS:",
                  " Table of percentile ranks with accompanying interval estimates:", "", rule,
                  "Raw Score        Percentile              95% Interval              (   90% "
                  "Interval    ) ",
                  "                   Rank             Lower          Upper           (  Lower "
                  "    Upper  )",
                  rule});
    for (int j = 0; j < row_count; ++j)
        lines.push_back(TableRowLine(table[j], score_decimals));
    lines.insert(lines.end(), {rule, ""});
    results.append_lines(lines);
}

}  // namespace norms
