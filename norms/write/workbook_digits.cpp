#include "norms/write/workbook_digits.hpp"

#include <memory>

#include <zip.h>

#include "platform/failure.hpp"

namespace norms {
namespace {

platform::Failure zip_failure(zip_t* archive)
{
    return platform::Failure(std::string("The workbook cannot be rewritten: ") + zip_strerror(archive));
}

std::string entry_text(zip_t* archive, const std::string& entry)
{
    zip_stat_t status;
    zip_stat_init(&status);
    if (zip_stat(archive, entry.c_str(), 0, &status) != 0)
        throw zip_failure(archive);
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen(archive, entry.c_str(), 0), zip_fclose);
    if (!file)
        throw zip_failure(archive);
    std::string text(status.size, '\0');
    if (zip_fread(file.get(), text.data(), status.size) != static_cast<zip_int64_t>(status.size))
        throw zip_failure(archive);
    return text;
}

// The sheet's XML with the value of each number cell, a <c> without a type, replaced in turn.
std::string with_texts(const std::string& xml, const SheetNumbers& sheet)
{
    constexpr auto none = std::string::npos;
    const platform::Failure mismatch("The workbook's numbers do not match its tables");
    std::string result;
    std::size_t copied = 0;  // the XML before this place is in the result
    std::size_t used = 0;
    for (std::size_t cell = xml.find("<c "); cell != none; cell = xml.find("<c ", cell + 1)) {
        const std::size_t tag_end = xml.find('>', cell);
        if (tag_end == none)
            break;
        if (xml[tag_end - 1] == '/' || std::string_view(xml).substr(cell, tag_end - cell).find(" t=\"") != none)
            continue;
        const std::size_t value = xml.find("<v>", tag_end);
        const std::size_t value_end = xml.find("</v>", value);
        if (value_end == none || used == sheet.texts.size())
            throw mismatch;
        result.append(xml, copied, value + 3 - copied);
        result += sheet.texts[used++];
        copied = value_end;
    }
    if (used != sheet.texts.size())
        throw mismatch;
    return result.append(xml, copied);
}

}  // namespace

void RestoreDigits(const std::string& workbook_path, const std::vector<SheetNumbers>& sheets)
{
    int error = 0;
    zip_t* archive = zip_open(workbook_path.c_str(), 0, &error);
    if (!archive)
        throw platform::Failure("The workbook cannot be rewritten");
    std::vector<std::string> parts;  // the library reads them when the archive is closed
    parts.reserve(sheets.size());
    try {
        for (const SheetNumbers& sheet : sheets) {
            parts.push_back(with_texts(entry_text(archive, sheet.entry), sheet));
            const zip_int64_t index = zip_name_locate(archive, sheet.entry.c_str(), 0);
            zip_source_t* source = zip_source_buffer(archive, parts.back().data(), parts.back().size(), 0);
            if (!source)
                throw zip_failure(archive);
            if (index < 0 || zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, 0) != 0) {
                zip_source_free(source);
                throw zip_failure(archive);
            }
        }
        if (zip_close(archive) != 0)
            throw zip_failure(archive);
    } catch (...) {
        zip_discard(archive);
        throw;
    }
}

}  // namespace norms
