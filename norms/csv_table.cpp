#include "norms/csv_table.hpp"

#include <charconv>

namespace norms {
namespace {

std::string csv_number(Extended x)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x,
                                   std::chars_format::general, 17).ptr;
    return std::string(buffer, end);
}

}  // namespace

void WriteCsvRows(std::ostream& out, const NormsTable& table, int row_count,
                  std::string_view line_start)
{
    for (int j = 0; j < row_count; ++j) {
        const NormsRow& row = table[j];
        out << line_start << csv_number(row.RawScore) << ',' << csv_number(row.Frequency) << ','
            << csv_number(row.Below) << ',' << csv_number(row.PR) << ','
            << csv_number(row.Lower95) << ',' << csv_number(row.Upper95) << ','
            << csv_number(row.Lower90) << ',' << csv_number(row.Upper90) << '\n';
    }
}

void WriteNormsCsv(std::ostream& out, const NormsRun& run)
{
    out << CsvTableHeader << '\n';
    WriteCsvRows(out, run.table, run.row_count);
}

std::string CsvField(std::string_view text)
{
    const auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool plain = text.find_first_of(",\"\r\n") == std::string_view::npos &&
                       (text.empty() || (!is_blank(text.front()) && !is_blank(text.back())));
    if (plain)
        return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        field += c;
        if (c == '"')
            field += '"';
    }
    return field + "\"";
}

}  // namespace norms
