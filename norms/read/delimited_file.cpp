#include "norms/read/delimited_file.hpp"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <optional>

#include <csv.h>

#include "norms/read/text_source.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

namespace norms {
namespace {

constexpr std::size_t buffer_size = 64 * 1024;
// libcsv grows a field's buffer by this much at a time. Its own step, 128 bytes, makes a long
// field cost time quadratic in its length wherever realloc() copies (under AddressSanitizer an
// 8 MB field took minutes); a much larger step would make every small file pay for it.
constexpr std::size_t field_growth = 64 * 1024;

// What libcsv calls back for every field and row end. Nothing may unwind through the C
// library, so a failure is kept, and the first one ends the reading.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void field(std::string_view text) = 0;
    virtual void end_row() = 0;

    long line = 1;
    std::exception_ptr failure;

    template <class Call>
    void guarded(Call call)
    {
        if (failure)
            return;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    void fail(const std::string& message)
    {
        if (!failure)
            failure = std::make_exception_ptr(platform::Failure(message));
    }
};

// Takes the header, then hands each row's asked fields to the case sink.
class CaseRows : public RowSink {
public:
    CaseRows(const VariableNames& asked, CaseSink& sink) : asked_(asked), sink_(sink) {}

    void field(std::string_view text) override
    {
        guarded([&] {
            if (!header_done_) {
                header_.emplace_back(text);
            } else if (field_index_ < slot_of_field_.size()) {
                const int slot = slot_of_field_[field_index_];
                if (slot >= 0)
                    texts_[static_cast<std::size_t>(slot)].assign(text);
            }
            ++field_index_;
        });
    }

    void end_row() override
    {
        guarded([&] {
            if (!header_done_)
                take_header();
            else if (field_index_ != header_.size())
                fail("line " + std::to_string(line) + " has " + std::to_string(field_index_) +
                     " fields, but the header line has " + std::to_string(header_.size()));
            else
                hand_on_row();
            field_index_ = 0;
        });
    }

    bool header_read() const { return header_done_; }

private:
    std::size_t column_index(const std::string& name)
    {
        const auto found = std::find(header_.begin(), header_.end(), name);
        if (found == header_.end())
            throw platform::Failure("The header line has no column named " + platform::in_quotes(name));
        if (std::find(found + 1, header_.end(), name) != header_.end())
            throw platform::Failure("The header line has more than one column named " +
                                    platform::in_quotes(name));
        return static_cast<std::size_t>(found - header_.begin());
    }

    void take_header()
    {
        header_done_ = true;
        sink_.take_variables(header_);
        const VariableNames& wanted = asked_.empty() ? header_ : asked_;
        slot_of_field_.assign(header_.size(), -1);
        for (std::size_t slot = 0; slot < wanted.size(); ++slot)
            slot_of_field_[asked_.empty() ? slot : column_index(wanted[slot])] = static_cast<int>(slot);
        texts_.resize(wanted.size());
        values_.resize(wanted.size());
    }

    void hand_on_row()
    {
        for (std::size_t slot = 0; slot < texts_.size(); ++slot) {
            const std::string& text = texts_[slot];
            values_[slot] = IsMissingValue(text) ? DataValue{}
                                                 : DataValue{DataValue::Kind::text, 0, text};
        }
        sink_.take_case(values_, {"line", "column", line});
    }

    const VariableNames& asked_;
    CaseSink& sink_;
    bool header_done_ = false;
    std::vector<std::string> header_;
    std::vector<int> slot_of_field_;  // per field of a row: its place among the asked, or -1
    std::size_t field_index_ = 0;
    std::vector<std::string> texts_;
    std::vector<DataValue> values_;
};

extern "C" void on_field(void* data, std::size_t size, void* sink)
{
    static_cast<RowSink*>(sink)->field({static_cast<const char*>(data), size});
}

extern "C" void on_row_end(int, void* sink)
{
    static_cast<RowSink*>(sink)->end_row();
}

// Owns a libcsv parser set up for RFC 4180 with the given delimiter.
class CsvParser {
public:
    explicit CsvParser(char delimiter)
    {
        if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0)
            throw std::bad_alloc();
        csv_set_delim(&parser_, static_cast<unsigned char>(delimiter));
        csv_set_blk_size(&parser_, field_growth);
    }
    ~CsvParser() { csv_free(&parser_); }
    CsvParser(const CsvParser&) = delete;
    CsvParser& operator=(const CsvParser&) = delete;

    void parse(const char* data, std::size_t size, RowSink& counter)
    {
        if (csv_parse(&parser_, data, size, on_field, on_row_end, &counter) == size)
            return;
        if (csv_error(&parser_) != CSV_EPARSE)
            throw std::bad_alloc();
        counter.fail("line " + std::to_string(counter.line) + ": a quote character out of place");
    }

    void finish(RowSink& counter)
    {
        if (csv_fini(&parser_, on_field, on_row_end, &counter) != 0)
            counter.fail("line " + std::to_string(counter.line) + ": the file ends inside a quoted field");
    }

private:
    csv_parser parser_{};
};

// Feeds the whole file, decoded from its encoding, to the sink, skipping a UTF-8 byte-order
// mark; throws platform::Failure with the first error, the sink's or the decoding's.
void parse_rows(ByteSource& file, char delimiter, const std::string& encoding, RowSink& counter)
{
    TextSource source(file, encoding);
    const auto read = [&](char* buffer, std::size_t size) {
        try {
            return source.read(buffer, size);
        } catch (const InvalidText& invalid) {
            throw InvalidText("line " + std::to_string(counter.line) + ": " + invalid.what());
        }
    };
    CsvParser parser(delimiter);
    const std::unique_ptr<char[]> buffer(new char[buffer_size]);
    constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    std::size_t mark_bytes = 0;  // how much of a byte-order mark the file has begun with
    bool in_mark = true;
    bool after_cr = false;
    // The parser is fed one line at a time, so that the line count is right at every callback.
    for (std::size_t filled; !counter.failure && (filled = read(buffer.get(), buffer_size));) {
        const char* next = buffer.get();
        const char* const end = next + filled;
        for (; in_mark && next < end; ++next, ++mark_bytes) {
            if (mark_bytes == byte_order_mark.size() || *next != byte_order_mark[mark_bytes]) {
                // Not a mark after all: its bytes are data.
                if (mark_bytes < byte_order_mark.size())
                    parser.parse(byte_order_mark.data(), mark_bytes, counter);
                in_mark = false;
                break;
            }
        }
        while (next < end && !counter.failure) {
            const char* stop = next;
            while (stop < end && *stop != '\n' && *stop != '\r')
                ++stop;
            const bool line_ends = stop < end;
            stop += line_ends ? 1 : 0;
            parser.parse(next, static_cast<std::size_t>(stop - next), counter);
            if (line_ends) {
                const bool lf_after_cr = after_cr && stop - next == 1 && *next == '\n';
                counter.line += lf_after_cr ? 0 : 1;
                after_cr = stop[-1] == '\r';
            } else {
                after_cr = false;
            }
            next = stop;
        }
    }
    if (!counter.failure)
        parser.finish(counter);
    if (counter.failure)
        std::rethrow_exception(counter.failure);
}

}  // namespace

bool IsMissingValue(std::string_view field)
{
    return field.empty() || field == "NA" || field == ".";
}

void read_delimited_cases(ByteSource& source, const DelimitedFormat& format,
                          const VariableNames& asked, CaseSink& sink)
{
    CaseRows rows(asked, sink);
    parse_rows(source, format.delimiter, format.encoding, rows);
    if (!rows.header_read())
        throw platform::Failure("The file has no header line");
}

}  // namespace norms
