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

namespace {

void write_row(std::ostream& out, const NormsRow& row)
{
    out << CsvNumber(row.RawScore) << ',' << CsvNumber(row.Frequency) << ','
        << CsvNumber(row.Below) << ',' << CsvNumber(row.PR) << ',' << CsvNumber(row.Lower95)
        << ',' << CsvNumber(row.Upper95) << ',' << CsvNumber(row.Lower90) << ','
        << CsvNumber(row.Upper90);
}

}  // namespace

void WriteCsvHeader(std::ostream& out, const std::vector<TableColumn>& added,
                    std::string_view line_start)
{
    out << line_start << CsvTableHeader;
    for (const TableColumn& column : added)
        out << ',' << column.name;
    out << '\n';
}

void WriteCsvRows(std::ostream& out, const NormsTable& table, int row_count,
                  const std::vector<TableColumn>& added, std::string_view line_start)
{
    for (int j = 0; j < row_count; ++j) {
        out << line_start;
        write_row(out, table[j]);
        for (const TableColumn& column : added)
            out << ',' << CsvNumber(column.value(table[j]));
        out << '\n';
    }
}

void WriteNormsCsv(std::ostream& out, const NormsRun& run, const std::vector<TableColumn>& added)
{
    WriteCsvHeader(out, added);
    WriteCsvRows(out, run.table, run.row_count, added);
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
