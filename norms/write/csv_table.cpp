#include "norms/write/csv_table.hpp"

#include <charconv>
#include <sstream>

#include "platform/printable_text.hpp"
#include "platform/whole_file.hpp"

namespace norms {

std::string CsvNumber(Extended x)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x,
                                   std::chars_format::general, 17).ptr;
    return std::string(buffer, end);
}

std::string CsvScore(Extended score, int decimals)
{
    if (decimals == 0)
        return CsvNumber(score);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, score, std::chars_format::fixed, decimals).ptr;
    return std::string(buffer, end);
}

std::vector<std::string> own_column_names(bool weighted)
{
    std::vector<std::string> names;
    std::istringstream header(CsvTableHeader);
    for (std::string name; std::getline(header, name, ',');) {
        names.push_back(name);
        if (weighted && name == "frequency")
            names.insert(names.end(), {"weighted_frequency", "effective_frequency"});
    }
    if (weighted)
        names.insert(names.end(), {"cases", "sum_of_weights", "effective_size", "design_effect"});
    return names;
}

std::vector<Extended> own_column_values(const NormsRun& run, int j)
{
    const NormsRow& row = run.table[j];
    if (!run.weighting)
        return {row.RawScore, row.Frequency, row.Below, row.PR,
                row.Lower95, row.Upper95, row.Lower90, row.Upper90};
    const RunWeighting& weighting = *run.weighting;
    const auto at = static_cast<std::size_t>(j);
    return {row.RawScore,          weighting.cases[at],       weighting.weighted[at],
            row.Frequency,         weighting.cases_below[at], row.PR,
            row.Lower95,           row.Upper95,               row.Lower90,
            row.Upper90,           weighting.cases_total,     weighting.total_weight,
            weighting.effective_size, weighting.design_effect};
}

void WriteCsvHeader(std::ostream& out, const std::vector<TableColumn>& added,
                    std::string_view line_start, bool weighted)
{
    out << line_start;
    const std::vector<std::string> names = own_column_names(weighted);
    for (std::size_t i = 0; i < names.size(); ++i)
        out << (i ? "," : "") << names[i];
    for (const TableColumn& column : added)
        out << ',' << column.name;
    out << '\n';
}

void WriteCsvRows(std::ostream& out, const NormsRun& run, const std::vector<TableColumn>& added,
                  std::string_view line_start)
{
    for (int j = 0; j < run.row_count; ++j) {
        out << line_start;
        const std::vector<Extended> values = own_column_values(run, j);
        out << CsvScore(values[0], run.score_decimals);
        for (std::size_t i = 1; i < values.size(); ++i)
            out << ',' << CsvNumber(values[i]);
        for (const TableColumn& column : added)
            out << ',' << CsvNumber(column.value(run.table[j]));
        out << '\n';
    }
}

void WriteNormsCsv(std::ostream& out, const NormsRun& run, const std::vector<TableColumn>& added)
{
    WriteCsvHeader(out, added, {}, run.weighting.has_value());
    WriteCsvRows(out, run, added);
}

bool ExportNormsCsv(platform::Desktop& desktop, platform::FileDialog& proposed, const NormsRun& run,
                    const std::vector<TableColumn>& added)
{
    const std::optional<std::string> file = platform::ChooseSaveFile(desktop, proposed);
    if (!file)
        return false;
    std::ostringstream csv;
    WriteNormsCsv(csv, run, added);
    platform::SaveWholeFile(*file, csv.str());
    return true;
}

std::string CsvField(std::string_view value)
{
    std::string text = platform::utf8_text(value);
    // A spreadsheet takes a field that starts so for a formula and runs it; the apostrophe
    // makes it text there. A number keeps its sign.
    Extended number = 0;
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
        !ParseDecimalToken(text, number))
        text.insert(0, 1, '\'');
    const auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool plain = text.find_first_of(",\"\r\n") == std::string::npos &&
                       (text.empty() || (!is_blank(text.front()) && !is_blank(text.back())));
    if (plain)
        return text;
    std::string field = "\"";
    for (char c : text) {
        field += c;
        if (c == '"')
            field += '"';
    }
    return field + "\"";
}

}  // namespace norms
