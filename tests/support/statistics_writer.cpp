#include "tests/support/statistics_writer.hpp"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include <readstat.h>

namespace test_files {
namespace {

void check(readstat_error_t status, const char* what)
{
    if (status != READSTAT_OK)
        throw std::runtime_error(std::string(what) + ": " + readstat_error_message(status));
}

ssize_t append_bytes(const void* data, std::size_t size, void* bytes)
{
    static_cast<std::string*>(bytes)->append(static_cast<const char*>(data), size);
    return static_cast<ssize_t>(size);
}

}  // namespace

StatisticsWriter::StatisticsWriter(std::string ending, const std::vector<Variable>& variables,
                                   long case_count, int format_version)
    : writer_(readstat_writer_init())
{
    if (format_version != 0)
        check(readstat_writer_set_file_format_version(writer_, static_cast<std::uint8_t>(format_version)),
              "version");
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    readstat_set_data_writer(writer_, append_bytes);
    // A fixed time stamp, so that the same cases always give the same bytes.
    readstat_writer_set_file_timestamp(writer_, 1767225600);  // 2026-01-01
    for (const Variable& variable : variables) {
        readstat_variable_t* added = readstat_add_variable(
            writer_, variable.name.c_str(),
            variable.is_string ? READSTAT_TYPE_STRING : READSTAT_TYPE_DOUBLE, variable.width);
        if (!variable.labels.empty()) {
            readstat_label_set_t* labels =
                readstat_add_label_set(writer_, READSTAT_TYPE_DOUBLE,
                                       (variable.label_set.empty() ? variable.name + "_labels"
                                                                   : variable.label_set).c_str());
            for (const auto& [code, label] : variable.labels)
                readstat_label_double_value(labels, code, label.c_str());
            readstat_variable_set_label_set(added, labels);
        }
        if (variable.file_weight)
            check(readstat_writer_set_fweight_variable(writer_, added), "weight variable");
        for (double code : variable.missing_codes)
            check(readstat_variable_add_missing_double_value(added, code), "missing code");
        for (const auto& [low, high] : variable.missing_ranges)
            check(readstat_variable_add_missing_double_range(added, low, high), "missing range");
    }
    if (ending == ".sav" || ending == ".zsav") {
        if (ending == ".zsav")
            readstat_writer_set_compression(writer_, READSTAT_COMPRESS_BINARY);
        check(readstat_begin_writing_sav(writer_, &bytes_, case_count), "sav");
    } else if (ending == ".por") {
        check(readstat_begin_writing_por(writer_, &bytes_, case_count), "por");
    } else if (ending == ".dta") {
        check(readstat_begin_writing_dta(writer_, &bytes_, case_count), "dta");
    } else if (ending == ".xpt") {
        check(readstat_begin_writing_xport(writer_, &bytes_, case_count), "xpt");
    } else if (ending == ".sas7bdat") {
        check(readstat_begin_writing_sas7bdat(writer_, &bytes_, case_count), "sas7bdat");
    } else {
        throw std::invalid_argument("no writer for " + ending);
    }
}

StatisticsWriter::~StatisticsWriter()
{
    readstat_writer_free(writer_);
}

void StatisticsWriter::add_case(const std::vector<Cell>& cells)
{
    check(readstat_begin_row(writer_), "row");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        readstat_variable_t* variable = readstat_get_variable(writer_, static_cast<int>(i));
        if (const auto* number = std::get_if<double>(&cells[i]))
            check(std::isnan(*number) ? readstat_insert_missing_value(writer_, variable)
                                      : readstat_insert_double_value(writer_, variable, *number),
                  "number");
        else if (const auto* text = std::get_if<std::string>(&cells[i]))
            check(readstat_insert_string_value(writer_, variable, text->c_str()), "string");
        else
            check(readstat_insert_tagged_missing_value(writer_, variable, std::get<char>(cells[i])),
                  "extended missing value");
    }
    check(readstat_end_row(writer_), "row");
}

std::string StatisticsWriter::finish()
{
    check(readstat_end_writing(writer_), "end");
    return std::move(bytes_);
}

std::string StatisticsFile(const std::string& ending, const std::vector<Variable>& variables,
                           const std::vector<std::vector<Cell>>& cases, int format_version)
{
    StatisticsWriter writer(ending, variables, static_cast<long>(cases.size()), format_version);
    for (const std::vector<Cell>& cells : cases)
        writer.add_case(cells);
    return writer.finish();
}

}  // namespace test_files
