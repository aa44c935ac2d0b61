#include "norms/write/workbook_digits.hpp"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include <zip.h>

#include "platform/failure.hpp"

namespace norms {
namespace {

bool is_xml_part(std::string_view name)
{
    return name.ends_with(".xml") || name.ends_with(".rels");
}

// The sheet's XML with the value of each number cell, a <c> without a type, replaced in turn.
// Gives nothing when the cells do not match the texts.
std::optional<std::string> with_texts(const std::string& xml, const SheetNumbers& sheet)
{
    constexpr auto none = std::string::npos;
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
            return std::nullopt;
        result.append(xml, copied, value + 3 - copied);
        result += sheet.texts[used++];
        copied = value_end;
    }
    if (used != sheet.texts.size())
        return std::nullopt;
    return result.append(xml, copied);
}

// The workbook as a zip archive in memory, read and rewritten by libzip.
class Archive {
public:
    Archive(const std::string& path, const std::string& bytes) : path_(path)
    {
        zip_error_t error;
        zip_error_init(&error);
        source_ = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (source_)
            archive_ = zip_open_from_source(source_, 0, &error);
        if (!archive_) {
            const platform::Failure failure = this->failure(zip_error_strerror(&error));
            zip_error_fini(&error);
            zip_source_free(source_);
            throw failure;
        }
        zip_source_keep(source_);  // to read the rewritten archive back once it is closed
    }
    ~Archive()
    {
        if (archive_)
            zip_discard(archive_);
        zip_source_free(source_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    platform::Failure failure(const std::string& cause) const
    {
        return platform::output_failure(path_, cause);
    }

    platform::Failure zip_failure() const
    {
        return failure(std::string("the workbook cannot be rewritten: ") + zip_strerror(archive_));
    }

    zip_int64_t entry_count() const { return zip_get_num_entries(archive_, 0); }

    std::string entry_name(zip_int64_t index) const
    {
        const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(index), 0);
        if (!name)
            throw zip_failure();
        return name;
    }

    std::string entry_text(zip_int64_t index) const
    {
        const auto at = static_cast<zip_uint64_t>(index);
        zip_stat_t status;
        zip_stat_init(&status);
        if (zip_stat_index(archive_, at, 0, &status) != 0)
            throw zip_failure();
        const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(archive_, at, 0), zip_fclose);
        if (!file)
            throw zip_failure();
        std::string text(status.size, '\0');
        if (zip_fread(file.get(), text.data(), status.size) != static_cast<zip_int64_t>(status.size))
            throw zip_failure();
        return text;
    }

    // The entry's new text, which must live until the archive is closed.
    void replace(zip_int64_t index, const std::string& text)
    {
        zip_source_t* source = zip_source_buffer(archive_, text.data(), text.size(), 0);
        if (!source)
            throw zip_failure();
        if (zip_file_replace(archive_, static_cast<zip_uint64_t>(index), source, 0) != 0) {
            zip_source_free(source);
            throw zip_failure();
        }
    }

    // Writes the changes and gives the archive's bytes.
    std::string close()
    {
        if (zip_close(archive_) != 0)
            throw zip_failure();
        archive_ = nullptr;
        std::string bytes;
        if (zip_source_open(source_) != 0)
            throw failure(zip_error_strerror(zip_source_error(source_)));
        char buffer[65536];
        zip_int64_t count = 0;
        while ((count = zip_source_read(source_, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(count));
        zip_source_close(source_);
        if (count < 0)
            throw failure(zip_error_strerror(zip_source_error(source_)));
        return bytes;
    }

private:
    std::string path_;
    zip_source_t* source_ = nullptr;
    zip_t* archive_ = nullptr;
};

}  // namespace

bool is_whole_xml_part(std::string_view xml)
{
    std::size_t root = xml.find('<');
    if (root != std::string_view::npos && xml.substr(root).starts_with("<?"))
        root = xml.find('<', root + 2);
    if (root == std::string_view::npos)
        return false;
    const std::size_t name_end = xml.find_first_of(" \t\r\n/>", root + 1);
    if (name_end == std::string_view::npos)
        return false;
    const std::string end_tag = "</" + std::string(xml.substr(root + 1, name_end - root - 1)) + ">";
    const std::string_view trimmed = xml.substr(0, xml.find_last_not_of(" \t\r\n") + 1);
    // A root without content ends where it starts: "<root/>".
    return trimmed.ends_with(end_tag) ||
           (trimmed.ends_with("/>") && trimmed.find('>', root) == trimmed.size() - 1);
}

std::string finish_workbook(const std::string& path, const std::string& workbook,
                            const std::vector<SheetNumbers>& sheets)
{
    Archive archive(path, workbook);
    std::vector<std::string> parts;  // libzip reads them when the archive is closed
    parts.reserve(sheets.size());
    for (zip_int64_t index = 0; index < archive.entry_count(); ++index) {
        const std::string name = archive.entry_name(index);
        const std::string text = archive.entry_text(index);
        if (is_xml_part(name) && !is_whole_xml_part(text))
            throw archive.failure("incomplete, as when the disk is full");
        const auto sheet = std::find_if(sheets.begin(), sheets.end(),
                                        [&](const SheetNumbers& numbers) { return numbers.entry == name; });
        if (sheet == sheets.end())
            continue;
        std::optional<std::string> restored = with_texts(text, *sheet);
        if (!restored)
            throw archive.failure("its numbers do not match its tables");
        parts.push_back(std::move(*restored));
        archive.replace(index, parts.back());
    }
    if (parts.size() != sheets.size())
        throw archive.failure("a sheet of its tables is missing");
    return archive.close();
}

}  // namespace norms
