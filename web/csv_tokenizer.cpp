// A strict RFC 4180 tokenizer behind the C interface of include/csv.h, for the page's build.
// Fields are separated by the delimiter and rows end at CR, LF or CR LF; blank lines give no
// row. Blanks (space, tab) around an unquoted field and after a closing quote are dropped. A
// quoted field may hold the delimiter, line ends and doubled quotes. A quote inside an unquoted
// field, or anything but a blank, the delimiter or a line end after a closing quote, stops
// the parse with CSV_EPARSE.
#include <csv.h>

#include <cstdlib>
#include <cstring>

namespace {

enum State { row_not_begun, field_not_begun, in_field, after_quote };

bool is_blank(unsigned char c)
{
    return c == ' ' || c == '\t';
}

bool append(csv_parser& parser, unsigned char c)
{
    if (parser.field_size == parser.field_capacity) {
        const size_t capacity = parser.field_capacity == 0 ? 256 : parser.field_capacity * 2;
        void* grown = std::realloc(parser.field, capacity);
        if (grown == nullptr)
            return false;
        parser.field = static_cast<char*>(grown);
        parser.field_capacity = capacity;
    }
    parser.field[parser.field_size++] = static_cast<char>(c);
    if (parser.quoted || !is_blank(c))
        parser.kept_size = parser.field_size;
    return true;
}

void submit_field(csv_parser& parser, void (*on_field)(void*, size_t, void*), void* context)
{
    on_field(parser.field, parser.kept_size, context);
    parser.field_size = parser.kept_size = 0;
    parser.quoted = 0;
    parser.state = field_not_begun;
}

void end_row(csv_parser& parser, int terminator, void (*on_row_end)(int, void*), void* context)
{
    on_row_end(terminator, context);
    parser.state = row_not_begun;
}

// A delimiter or a line end closes the field (and a line end the row): true when `c` did.
bool closes_field(csv_parser& parser, unsigned char c, void (*on_field)(void*, size_t, void*),
                  void (*on_row_end)(int, void*), void* context)
{
    const bool line_end = c == '\r' || c == '\n';
    if (c != parser.delimiter && !line_end)
        return false;
    submit_field(parser, on_field, context);
    if (line_end)
        end_row(parser, c, on_row_end, context);
    return true;
}

}  // namespace

extern "C" {

int csv_init(csv_parser* parser, unsigned char)
{
    std::memset(parser, 0, sizeof *parser);
    parser->delimiter = ',';
    return 0;
}

void csv_set_delim(csv_parser* parser, unsigned char delimiter)
{
    parser->delimiter = delimiter;
}

void csv_set_blk_size(csv_parser*, size_t) {}

size_t csv_parse(csv_parser* parser, const void* data, size_t size,
                 void (*on_field)(void*, size_t, void*), void (*on_row_end)(int, void*),
                 void* context)
{
    csv_parser& p = *parser;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = bytes[i];
        const bool line_end = c == '\r' || c == '\n';
        switch (p.state) {
        case row_not_begun:
        case field_not_begun:
            if (line_end && p.state == row_not_begun)
                break;
            if (is_blank(c) || closes_field(p, c, on_field, on_row_end, context))
                break;
            if (c == '"') {
                p.quoted = 1;
                p.state = in_field;
            } else {
                p.state = in_field;
                if (!append(p, c))
                    return p.error = CSV_ENOMEM, i;
            }
            break;
        case in_field:
            if (p.quoted) {
                if (c == '"')
                    p.state = after_quote;
                else if (!append(p, c))
                    return p.error = CSV_ENOMEM, i;
            } else if (!closes_field(p, c, on_field, on_row_end, context)) {
                if (c == '"')
                    return p.error = CSV_EPARSE, i;
                if (!append(p, c))
                    return p.error = CSV_ENOMEM, i;
            }
            break;
        case after_quote:
            if (c == '"') {
                p.state = in_field;
                if (!append(p, c))
                    return p.error = CSV_ENOMEM, i;
            } else if (!closes_field(p, c, on_field, on_row_end, context) && !is_blank(c)) {
                return p.error = CSV_EPARSE, i;
            }
            break;
        }
    }
    return size;
}

int csv_fini(csv_parser* parser, void (*on_field)(void*, size_t, void*),
             void (*on_row_end)(int, void*), void* context)
{
    csv_parser& p = *parser;
    if (p.state == in_field && p.quoted) {
        p.error = CSV_EPARSE;
        return -1;
    }
    if (p.state != row_not_begun) {
        submit_field(p, on_field, context);
        end_row(p, -1, on_row_end, context);
    }
    return 0;
}

void csv_free(csv_parser* parser)
{
    std::free(parser->field);
    parser->field = nullptr;
    parser->field_size = parser->field_capacity = parser->kept_size = 0;
}

int csv_error(const csv_parser* parser)
{
    return parser->error;
}

}  // extern "C"
