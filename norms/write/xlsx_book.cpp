#include "norms/write/xlsx_book.hpp"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cmath>
#include <new>

#include <locale.h>
#include <sys/mman.h>
#include <unistd.h>

#include "norms/write/csv_table.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "platform/whole_file.hpp"
#include "stats/utf8.hpp"

namespace norms {

bool IsWorkbookName(std::string_view path)
{
    constexpr std::string_view ending = ".xlsx";
    return path.size() > ending.size() &&
           std::equal(ending.rbegin(), ending.rend(), path.rbegin(), [](char wanted, char given) {
               return wanted == std::tolower(static_cast<unsigned char>(given));
           });
}
namespace {

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

std::string scratch_folder_of(const std::string& path)
{
    try {
        return platform::save_folder(path);
    } catch (const platform::FileFailure& failure) {
        throw platform::output_failure(path, failure.error_code());
    }
}

}  // namespace

// Where the library writes: the package in memory, its scratch files beside the workbook's
// file, numbers in the C locale's form.
class XlsxBook::Package {
public:
    explicit Package(const std::string& path) : scratch_folder(scratch_folder_of(path)), file(path) {}

    std::string scratch_folder;
    MemoryFile file;
    CLocaleNumbers numbers;
};

void set_print_layout(lxw_worksheet* sheet, int title_rows)
{
    // A4, as the manual table's PDF: a sheet that names no paper prints on Letter.
    worksheet_set_paper(sheet, 9);
    worksheet_set_landscape(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);
    if (title_rows > 0)
        worksheet_repeat_rows(sheet, 0, static_cast<lxw_row_t>(title_rows - 1));
    worksheet_set_footer(sheet, "&CPage &P of &N");
}

XlsxBook::XlsxBook(const std::string& path) : path_(path), package_(std::make_unique<Package>(path))
{
    lxw_workbook_options options{};
    options.tmpdir = package_->scratch_folder.data();
    workbook_ = workbook_new_opt(package_->file.name().c_str(), &options);
    if (!workbook_)
        throw std::bad_alloc();
    bold_ = workbook_add_format(workbook_);
    format_set_bold(bold_);
}

XlsxBook::~XlsxBook()
{
    if (workbook_)
        workbook_close(workbook_);
}

lxw_format* XlsxBook::number_format(const char* pattern)
{
    lxw_format* added = workbook_add_format(workbook_);
    format_set_num_format(added, pattern);
    return added;
}

lxw_format* XlsxBook::decimals_format(std::optional<int> decimals)
{
    if (!decimals)
        return nullptr;
    lxw_format*& format = decimals_formats_[*decimals];
    if (!format)
        format = number_format(*decimals == 0 ? "0" : ("0." + std::string(*decimals, '0')).c_str());
    return format;
}

void XlsxBook::check(lxw_error status) const
{
    if (status != LXW_NO_ERROR)
        throw platform::output_failure(path_, std::string("the workbook library failed: ") +
                                                  lxw_strerror(status));
}

lxw_worksheet* XlsxBook::add_sheet(const std::string& name)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook_, name.c_str());
    if (!sheet)
        throw platform::output_failure(path_, "the workbook library refused the sheet name " +
                                                  platform::in_quotes(name));
    sheets_.push_back(sheet);
    return sheet;
}

void XlsxBook::write_text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column,
                          std::string_view text, lxw_format* format)
{
    check(worksheet_write_string(sheet, row, column, cell_text(text).c_str(), format));
}

void XlsxBook::write_number(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value,
                            lxw_format* format)
{
    if (written_as_text(sheet, row, column, value))
        return;
    check(worksheet_write_number(sheet, row, column, static_cast<double>(value), format));
    auto numbered = std::find(numbered_sheets_.begin(), numbered_sheets_.end(), sheet);
    if (numbered == numbered_sheets_.end()) {
        // The sheets' parts are numbered in the order they were added, from 1.
        const auto part = std::find(sheets_.begin(), sheets_.end(), sheet) - sheets_.begin() + 1;
        numbered_sheets_.push_back(sheet);
        numbers_.push_back({"xl/worksheets/sheet" + std::to_string(part) + ".xml", {}});
        numbered = numbered_sheets_.end() - 1;
    }
    numbers_[static_cast<std::size_t>(numbered - numbered_sheets_.begin())].texts.push_back(CsvNumber(value));
}

void XlsxBook::write_plain_number(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value)
{
    if (!written_as_text(sheet, row, column, value))
        check(worksheet_write_number(sheet, row, column, static_cast<double>(value), nullptr));
}

bool XlsxBook::written_as_text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, Extended value)
{
    if (std::isfinite(static_cast<double>(value)))
        return false;
    write_text(sheet, row, column, std::isinf(value) ? (value < 0 ? "-inf" : "inf") : CsvNumber(value));
    return true;
}

std::string XlsxBook::bytes()
{
    const lxw_error status = workbook_close(workbook_);
    workbook_ = nullptr;
    check(status);
    return finish_workbook(path_, package_->file.bytes(path_), numbers_);
}

}  // namespace norms
