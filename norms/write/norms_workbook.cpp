#include "norms/write/norms_workbook.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <map>
#include <sstream>

#include <locale.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include "norms/program_strings.hpp"
#include "norms/version.hpp"
#include "norms/write/workbook_digits.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "platform/utf8.hpp"
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

constexpr std::size_t max_cell_text = 32767;  // characters

// The text as a cell holds it: what XML cannot hold escaped, and a text longer than a cell
// takes cut with "…".
std::string cell_text(std::string_view text)
{
    std::string shown = platform::xml_text(text);
    const std::size_t end = stats::utf8_prefix_bytes(shown, max_cell_text);
    if (end < shown.size())
        shown = shown.substr(0, stats::utf8_prefix_bytes(shown, max_cell_text - 1)) + "…";
    return shown;
}

std::string lower_case(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return text;
}

// The group's name with the characters Excel refuses in sheet names, control characters and
// bytes that are not UTF-8 replaced by "_", cut to `length` characters, and without an
// apostrophe at either end.
std::string sheet_name(const std::string& group, std::size_t length)
{
    const std::string_view source = group.empty() ? std::string_view("Norms") : std::string_view(group);
    std::string name;
    for (std::size_t at = 0; at < source.size();) {
        char32_t c = 0;
        const std::size_t bytes = platform::NextCodePoint(source, at, c);
        const bool unsafe = bytes == 0 || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE ||
                            c == 0xFFFF || std::u32string_view(U"[]:*?/\\").find(c) != std::u32string_view::npos;
        if (unsafe)
            name += '_';
        else
            name.append(source, at, bytes);
        at += bytes == 0 ? 1 : bytes;
    }
    name.resize(stats::utf8_prefix_bytes(name, length));
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

// A file in memory with a name that opens it, for libxlsxwriter, which writes its package to a
// file by name: there its writing cannot fail on a full or read-only disk, whose failures the
// library would print on standard error.
class MemoryFile {
public:
    explicit MemoryFile(const std::string& path) : fd_(::memfd_create("vornak-workbook", MFD_CLOEXEC))
    {
        if (fd_ < 0)
            throw platform::output_failure(path, errno);
        name_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& name() const { return name_; }

    std::string bytes(const std::string& path) const
    {
        std::string contents;
        char buffer[65536];
        for (off_t offset = 0;;) {
            const ssize_t count = ::pread(fd_, buffer, sizeof buffer, offset);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                throw platform::output_failure(path, errno);
            if (count == 0)
                return contents;
            contents.append(buffer, static_cast<std::size_t>(count));
            offset += count;
        }
    }

private:
    int fd_;
    std::string name_;
};

std::string today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    return {text, std::strftime(text, sizeof text, "%Y-%m-%d", &local)};
}

class WorkbookWriter {
public:
    // Failures name `path`, the workbook's own file; the library writes its package to
    // `package` and its scratch files into `scratch_folder`.
    WorkbookWriter(const std::string& path, const std::string& package, std::string scratch_folder)
        : path_(path), scratch_folder_(std::move(scratch_folder))
    {
        lxw_workbook_options options{};
        options.tmpdir = scratch_folder_.data();
        workbook_ = workbook_new_opt(package.c_str(), &options);
        if (!workbook_)
            throw std::bad_alloc();
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

    void write(const SheetsWorkbook& content)
    {
        std::vector<std::string> wanted;
        for (const SheetsWorkbook::Sheet& sheet : content.sheets)
            wanted.push_back(sheet.name);
        const std::vector<std::string> names = WorksheetNames(wanted);
        write_facts(content.about);
        for (std::size_t i = 0; i < content.sheets.size(); ++i)
            write_sheet(names[i], content.sheets[i]);
    }

    const std::vector<SheetNumbers>& numbers() const { return numbers_; }

    void close()
    {
        const lxw_error status = workbook_close(workbook_);
        workbook_ = nullptr;
        check(status);
    }

private:
    // The rank shows as the report rounds it, the limits in percent.
    lxw_format* own_format(const std::string& column) const
    {
        if (column == "pr")
            return rank_;
        return column.starts_with("lower") || column.starts_with("upper") ? limit_ : nullptr;
    }

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

    // A failure of the library, which has refused what it was given or could not write.
    void check(lxw_error status) const
    {
        if (status != LXW_NO_ERROR)
            throw platform::output_failure(path_, std::string("the workbook library failed: ") +
                                                      lxw_strerror(status));
    }

    lxw_worksheet* add_sheet(const std::string& name)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook_, name.c_str());
        if (!sheet)
            throw platform::output_failure(path_, "the workbook library refused the sheet name " +
                                                      platform::in_quotes(name));
        return sheet;
    }

    // Every text of a cell goes through here, so that none can break the file or be left out.
    void write_text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, std::string_view text,
                    lxw_format* format = nullptr)
    {
        check(worksheet_write_string(sheet, row, column, cell_text(text).c_str(), format));
    }

    void write_about(const NormsWorkbook& content, const std::vector<std::string>& names)
    {
        lxw_worksheet* sheet = add_sheet(about_sheet);
        worksheet_set_column(sheet, 0, 0, 14, bold_);
        worksheet_set_column(sheet, 1, 1, 40, nullptr);
        lxw_row_t row = 0;
        const auto line = [&](const char* key, std::string_view value) {
            write_text(sheet, row, 0, key);
            write_text(sheet, row++, 1, value);
        };
        line("Method", stats::interval_method_entry(content.method).caption);
        line("Data file", content.data_file);
        line("Program", VersionLine);
        line("Date", today());
        write_text(sheet, row, 0, "Notes");
        for (const std::string& note : content.notes)
            write_text(sheet, row++, 1, note);
        row = std::max<lxw_row_t>(row, 5) + 1;
        const bool weighted = !content.tables.empty() && content.tables.front().run.weighting;
        const std::vector<const char*> titles =
            weighted ? std::vector<const char*>{"Group", "Sheet", "Cases", "Sum of weights",
                                                "Effective n", "Design effect"}
                     : std::vector<const char*>{"Group", "Sheet", "n"};
        for (std::size_t c = 0; c < titles.size(); ++c)
            write_text(sheet, row, static_cast<lxw_col_t>(c), titles[c], bold_);
        ++row;
        for (std::size_t i = 0; i < content.tables.size(); ++i, ++row) {
            const NormsRun& run = content.tables[i].run;
            write_text(sheet, row, 0, content.tables[i].group);
            write_text(sheet, row, 1, names[i]);
            if (!run.weighting) {
                check(worksheet_write_number(sheet, row, 2, static_cast<double>(run.sample_size), nullptr));
                continue;
            }
            const Extended figures[] = {run.weighting->cases_total, run.weighting->total_weight,
                                        run.weighting->effective_size, run.weighting->design_effect};
            for (lxw_col_t c = 0; c < 4; ++c)
                check(worksheet_write_number(sheet, row, 2 + c, static_cast<double>(figures[c]), nullptr));
        }
    }

    void write_table(const std::string& name, const NormsWorkbook::Table& table)
    {
        lxw_worksheet* sheet = add_sheet(name);
        // The sheets' parts are numbered in the order they are added, "About" first.
        numbers_.push_back({"xl/worksheets/sheet" + std::to_string(numbers_.size() + 2) + ".xml", {}});
        std::vector<std::string> header = own_column_names(table.run.weighting.has_value());
        const auto own_count = static_cast<lxw_col_t>(header.size());
        for (const TableColumn& column : table.added)
            header.push_back(column.name);
        for (std::size_t c = 0; c < header.size(); ++c)
            write_text(sheet, 0, static_cast<lxw_col_t>(c), header[c], bold_);
        worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(header.size() - 1), 12, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);

        for (int j = 0; j < table.run.row_count; ++j) {
            const auto cell = static_cast<lxw_row_t>(j + 1);
            const std::vector<Extended> own = own_column_values(table.run, j);
            for (lxw_col_t c = 0; c < own_count; ++c)
                write_number(sheet, cell, c, own[c], own_format(header[c]));
            for (std::size_t a = 0; a < table.added.size(); ++a)
                write_number(sheet, cell, static_cast<lxw_col_t>(own_count + a),
                             table.added[a].value(table.run.table[j]),
                             decimals_format(table.added[a].decimals));
        }
    }

    // Keeps the CSV table's text of the number for the file, where the library's has fewer digits.
    // An open end of a norm-scale interval has no number in a workbook: it stands as the text
    // the CSV table gives it.
    void write_number(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value, lxw_format* format)
    {
        if (std::isinf(value)) {
            write_text(sheet, row, column, value < 0 ? "-inf" : "inf");
            return;
        }
        check(worksheet_write_number(sheet, row, column, static_cast<double>(value), format));
        numbers_.back().texts.push_back(CsvNumber(value));
    }

    // The About sheet of a SheetsWorkbook: a key and its text or number on each row.
    void write_facts(const std::vector<SheetsWorkbook::Fact>& facts)
    {
        lxw_worksheet* sheet = add_sheet(about_sheet);
        numbers_.push_back({"xl/worksheets/sheet1.xml", {}});
        worksheet_set_column(sheet, 0, 0, 18, bold_);
        worksheet_set_column(sheet, 1, 1, 40, nullptr);
        for (std::size_t i = 0; i < facts.size(); ++i) {
            const auto row = static_cast<lxw_row_t>(i);
            write_text(sheet, row, 0, facts[i].key);
            if (facts[i].number)
                write_number(sheet, row, 1, *facts[i].number, nullptr);
            else
                write_text(sheet, row, 1, facts[i].text);
        }
    }

    void write_sheet(const std::string& name, const SheetsWorkbook::Sheet& content)
    {
        lxw_worksheet* sheet = add_sheet(name);
        numbers_.push_back({"xl/worksheets/sheet" + std::to_string(numbers_.size() + 1) + ".xml", {}});
        for (std::size_t c = 0; c < content.header.size(); ++c)
            write_text(sheet, 0, static_cast<lxw_col_t>(c), content.header[c], bold_);
        worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(content.header.size() - 1), 12, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        std::vector<lxw_format*> formats;
        for (const SheetsWorkbook::ColumnFormat& format : content.formats)
            formats.push_back(format.rank ? rank_ : decimals_format(format.decimals));
        for (std::size_t r = 0; r < content.rows.size(); ++r)
            for (std::size_t c = 0; c < content.rows[r].size(); ++c)
                write_number(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c), content.rows[r][c],
                             c < formats.size() ? formats[c] : nullptr);
    }

    std::string path_;
    std::string scratch_folder_;
    lxw_workbook* workbook_ = nullptr;
    std::vector<SheetNumbers> numbers_;
    lxw_format* bold_ = nullptr;
    lxw_format* rank_ = nullptr;
    lxw_format* limit_ = nullptr;
    std::map<int, lxw_format*> decimals_formats_;
};

// The bytes of the workbook of either kind that is to stand at `path`.
template <class Content>
std::string workbook_file(const std::string& path, const Content& workbook)
{
    std::string scratch_folder;
    try {
        scratch_folder = platform::save_folder(path);
    } catch (const platform::FileFailure& failure) {
        throw platform::output_failure(path, failure.error_code());
    }
    const MemoryFile package(path);
    const CLocaleNumbers numbers;
    WorkbookWriter writer(path, package.name(), scratch_folder);
    writer.write(workbook);
    writer.close();
    return finish_workbook(path, package.bytes(path), writer.numbers());
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

std::string norms_workbook_file(const std::string& path, const NormsWorkbook& workbook)
{
    return workbook_file(path, workbook);
}

std::string sheets_workbook_file(const std::string& path, const SheetsWorkbook& workbook)
{
    return workbook_file(path, workbook);
}

void SaveNormsWorkbook(const std::string& path, const NormsWorkbook& workbook)
{
    platform::StagedFiles file;
    file.add(path, norms_workbook_file(path, workbook));
    file.commit();
}

}  // namespace norms
