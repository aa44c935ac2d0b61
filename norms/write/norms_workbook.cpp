#include "norms/write/norms_workbook.hpp"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <locale.h>
#include <stdlib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include "norms/program_strings.hpp"
#include "norms/version.hpp"
#include "norms/write/workbook_digits.hpp"
#include "platform/failure.hpp"
#include "platform/whole_file.hpp"
#include "stats/utf8.hpp"

namespace norms {
namespace {

constexpr std::size_t max_sheet_name = 31;  // characters
constexpr const char* about_sheet = "About";

// The rank in percent as the report rounds it: one decimal below 5 and above 95, none between.
constexpr const char* rank_format = "[<5]0.0\"%\";[<=95]0\"%\";0.0\"%\"";
// The limits are proportions, shown as percent with one decimal.
constexpr const char* limit_format = "0.0%";

// The text cut to at most `count` characters, never inside one.
std::string first_characters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if (!stats::is_utf8_continuation(text[end]) && seen++ == count)
            break;
    }
    return std::string(text.substr(0, end));
}

std::string lower_case(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return text;
}

// The group's name with the characters Excel refuses in sheet names replaced, cut to `length`
// characters, and without an apostrophe at either end.
std::string sheet_name(const std::string& group, std::size_t length)
{
    std::string name = group.empty() ? "Norms" : group;
    std::replace_if(name.begin(), name.end(),
                    [](char c) { return std::string_view("[]:*?/\\").find(c) != std::string_view::npos; },
                    '_');
    name = first_characters(name, length);
    if (name.front() == '\'')
        name.front() = '_';
    if (name.back() == '\'')
        name.back() = '_';
    return name;
}

// Number formatting inside libxlsxwriter follows the C library's locale, which a window
// program sets from the user's; the file needs "." whatever that is.
class CLocaleNumbers {
public:
    CLocaleNumbers() : c_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0))), old_(uselocale(c_)) {}
    ~CLocaleNumbers()
    {
        uselocale(old_);
        freelocale(c_);
    }
    CLocaleNumbers(const CLocaleNumbers&) = delete;
    CLocaleNumbers& operator=(const CLocaleNumbers&) = delete;

private:
    locale_t c_;
    locale_t old_;
};

// A new empty file in the temporary folder, removed when this leaves scope.
class ScratchFile {
public:
    ScratchFile()
    {
        std::error_code error;
        path_ = (std::filesystem::temp_directory_path(error) / "vornak-XXXXXX.xlsx").string();
        const int fd = ::mkstemps(path_.data(), 5);
        if (fd < 0)
            throw platform::file_failure(errno);
        ::close(fd);
    }
    ~ScratchFile() { ::unlink(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    return {text, std::strftime(text, sizeof text, "%Y-%m-%d", &local)};
}

std::vector<std::string> csv_header_names()
{
    std::vector<std::string> names;
    std::istringstream header(CsvTableHeader);
    for (std::string name; std::getline(header, name, ',');)
        names.push_back(name);
    return names;
}

class WorkbookWriter {
public:
    explicit WorkbookWriter(const std::string& path) : workbook_(workbook_new(path.c_str()))
    {
        if (!workbook_)
            throw platform::Failure("The workbook cannot be created");
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
        rank_ = number_format(rank_format);
        limit_ = number_format(limit_format);
    }
    ~WorkbookWriter()
    {
        if (workbook_)
            workbook_close(workbook_);
    }
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    void write(const NormsWorkbook& content)
    {
        std::vector<std::string> groups;
        for (const NormsWorkbook::Table& table : content.tables)
            groups.push_back(table.group);
        const std::vector<std::string> names = WorksheetNames(groups);
        write_about(content, names);
        for (std::size_t i = 0; i < content.tables.size(); ++i)
            write_table(names[i], content.tables[i]);
    }

    const std::vector<SheetNumbers>& numbers() const { return numbers_; }

    void close()
    {
        const lxw_error status = workbook_close(workbook_);
        workbook_ = nullptr;
        if (status != LXW_NO_ERROR)
            throw platform::Failure(std::string("The workbook cannot be written: ") + lxw_strerror(status));
    }

private:
    // "0", "0.0", "0.00" and so on, made once for each number of decimals.
    lxw_format* decimals_format(std::optional<int> decimals)
    {
        if (!decimals)
            return nullptr;
        lxw_format*& format = decimals_formats_[*decimals];
        if (!format)
            format = number_format(*decimals == 0 ? "0" : ("0." + std::string(*decimals, '0')).c_str());
        return format;
    }

    lxw_format* number_format(const char* format)
    {
        lxw_format* added = workbook_add_format(workbook_);
        format_set_num_format(added, format);
        return added;
    }

    lxw_worksheet* add_sheet(const std::string& name)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook_, name.c_str());
        if (!sheet)
            throw platform::Failure("The workbook cannot take a sheet named \"" + name + "\"");
        return sheet;
    }

    void write_about(const NormsWorkbook& content, const std::vector<std::string>& names)
    {
        lxw_worksheet* sheet = add_sheet(about_sheet);
        worksheet_set_column(sheet, 0, 0, 14, bold_);
        worksheet_set_column(sheet, 1, 1, 40, nullptr);
        lxw_row_t row = 0;
        const auto line = [&](const char* key, const std::string& value) {
            worksheet_write_string(sheet, row, 0, key, nullptr);
            worksheet_write_string(sheet, row++, 1, value.c_str(), nullptr);
        };
        line("Method", std::string(stats::interval_method_entry(content.method).caption));
        line("Data file", content.data_file);
        line("Program", VersionLine);
        line("Date", today());
        worksheet_write_string(sheet, row, 0, "Notes", nullptr);
        for (const std::string& note : content.notes)
            worksheet_write_string(sheet, row++, 1, note.c_str(), nullptr);
        row = std::max<lxw_row_t>(row, 5) + 1;
        worksheet_write_string(sheet, row, 0, "Group", bold_);
        worksheet_write_string(sheet, row, 1, "Sheet", bold_);
        worksheet_write_string(sheet, row++, 2, "n", bold_);
        for (std::size_t i = 0; i < content.tables.size(); ++i, ++row) {
            worksheet_write_string(sheet, row, 0, content.tables[i].group.c_str(), nullptr);
            worksheet_write_string(sheet, row, 1, names[i].c_str(), nullptr);
            worksheet_write_number(sheet, row, 2, static_cast<double>(content.tables[i].run.sample_size), nullptr);
        }
    }

    void write_table(const std::string& name, const NormsWorkbook::Table& table)
    {
        lxw_worksheet* sheet = add_sheet(name);
        // The sheets' parts are numbered in the order they are added, "About" first.
        numbers_.push_back({"xl/worksheets/sheet" + std::to_string(numbers_.size() + 2) + ".xml", {}});
        std::vector<std::string> header = csv_header_names();
        for (const TableColumn& column : table.added)
            header.push_back(column.name);
        for (std::size_t c = 0; c < header.size(); ++c)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), header[c].c_str(), bold_);
        worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(header.size() - 1), 12, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);

        for (int j = 0; j < table.run.row_count; ++j) {
            const NormsRow& row = table.run.table[j];
            const auto cell = static_cast<lxw_row_t>(j + 1);
            const Extended own[] = {row.RawScore, row.Frequency, row.Below, row.PR,
                                    row.Lower95, row.Upper95, row.Lower90, row.Upper90};
            for (lxw_col_t c = 0; c < 8; ++c)
                write_number(sheet, cell, c, own[c], c == 3 ? rank_ : c > 3 ? limit_ : nullptr);
            for (std::size_t a = 0; a < table.added.size(); ++a)
                write_number(sheet, cell, static_cast<lxw_col_t>(8 + a), table.added[a].value(row),
                             decimals_format(table.added[a].decimals));
        }
    }

    // Keeps the CSV table's text of the number for the file, where the library's has fewer digits.
    // An open end of a norm-scale interval has no number in a workbook: it stands as the text
    // the CSV table gives it.
    void write_number(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value, lxw_format* format)
    {
        if (std::isinf(value)) {
            worksheet_write_string(sheet, row, column, value < 0 ? "-inf" : "inf", nullptr);
            return;
        }
        worksheet_write_number(sheet, row, column, static_cast<double>(value), format);
        numbers_.back().texts.push_back(CsvNumber(value));
    }

    lxw_workbook* workbook_;
    std::vector<SheetNumbers> numbers_;
    lxw_format* bold_ = nullptr;
    lxw_format* rank_ = nullptr;
    lxw_format* limit_ = nullptr;
    std::map<int, lxw_format*> decimals_formats_;
};

std::string file_bytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    if (!(bytes << file.rdbuf()))
        throw platform::file_failure(0);
    return bytes.str();
}

}  // namespace

std::vector<std::string> WorksheetNames(const std::vector<std::string>& groups)
{
    std::vector<std::string> taken = {lower_case(about_sheet)};
    std::vector<std::string> names;
    for (const std::string& group : groups) {
        std::string name = sheet_name(group, max_sheet_name);
        for (int copy = 2; std::find(taken.begin(), taken.end(), lower_case(name)) != taken.end(); ++copy) {
            const std::string suffix = " (" + std::to_string(copy) + ")";
            name = sheet_name(group, max_sheet_name - suffix.size()) + suffix;
        }
        taken.push_back(lower_case(name));
        names.push_back(name);
    }
    return names;
}

NormsWorkbook RunWorkbook(const NormsRun& run, std::vector<TableColumn> added)
{
    return {run.method, run.data_file_path, run.notes, {{"", run, std::move(added)}}};
}

void SaveNormsWorkbook(const std::string& path, const NormsWorkbook& workbook)
{
    const ScratchFile scratch;
    {
        const CLocaleNumbers numbers;
        WorkbookWriter writer(scratch.path());
        writer.write(workbook);
        writer.close();
        RestoreDigits(scratch.path(), writer.numbers());
    }
    platform::SaveWholeFile(path, file_bytes(scratch.path()));
}

}  // namespace norms
