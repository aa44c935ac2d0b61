#include "norms/read/statistics_file.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include <readstat.h>

#include "norms/read/delimited_file.hpp"
#include "norms/read/portable_file_source.hpp"
#include "norms/read/text_source.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "platform/utf8.hpp"
#include "stats/listed_items.hpp"

namespace norms {
namespace {

using Parse = readstat_error_t (*)(readstat_parser_t*, const char*, void*);

struct Format {
    std::string_view ending;
    const char* name;
    Parse parse;
};

constexpr Format formats[] = {
    {".sav", "an SPSS", readstat_parse_sav},       {".zsav", "an SPSS", readstat_parse_sav},
    {".por", "an SPSS portable", readstat_parse_por}, {".dta", "a Stata", readstat_parse_dta},
    {".sas7bdat", "a SAS", readstat_parse_sas7bdat}, {".xpt", "a SAS transport", readstat_parse_xport},
};

constexpr std::string_view unreadable_endings[] = {".xlsx", ".xlsm", ".xls", ".ods", ".sas7bcat",
                                                   ".rds", ".rda", ".rdata"};

bool ends_with(std::string_view path, std::string_view ending)
{
    return path.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), path.end() - static_cast<long>(ending.size()),
                      [](char e, char c) { return e == (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
}

const Format* format_of(std::string_view path)
{
    for (const Format& format : formats)
        if (ends_with(path, format.ending))
            return &format;
    return nullptr;
}

// ReadStat gives no text as a null pointer.
std::string_view text_of(const char* text)
{
    return text ? std::string_view(text) : std::string_view();
}

// A text that may fill its slot in the file without a terminating NUL: the name of a Stata
// file's value-label set, which ReadStat hands over as it stands in the file.
std::string_view text_in_slot(const char* text, std::size_t slot)
{
    return text ? std::string_view(text, strnlen(text, slot)) : std::string_view();
}

// The size of a Stata file's slot for the name of a value-label set: 8 characters and a NUL
// before format 110, 32 and a NUL up to 117, 128 bytes of UTF-8 and a NUL from 118.
std::size_t label_set_slot(int stata_format)
{
    return stata_format >= 118 ? 129 : stata_format >= 110 ? 33 : 9;
}

// The file's variables for a message: each printable, the list cut after the first few.
std::string variable_list(const std::vector<std::string>& names)
{
    std::vector<std::string> named;  // a damaged file may give a variable no name
    for (const std::string& name : names)
        if (!name.empty())
            named.push_back(platform::PrintableText(name));
    return stats::listed_text(named);
}

// Takes ReadStat's callbacks and hands on whole cases. Nothing may unwind through the C
// library: a failure is kept and ends the reading.
class CaseAssembler {
public:
    CaseAssembler(const VariableNames& asked, CaseSink& sink, bool stata)
        : asked_(asked), sink_(sink), stata_(stata)
    {
    }

    std::exception_ptr failure;

    void format_version(int version) { stata_format_ = version; }

    int variable(int index, readstat_variable_t* variable, const char* label_set)
    {
        names_.emplace_back(text_of(readstat_variable_get_name(variable)));
        label_sets_.emplace_back(text_in_slot(label_set, label_set_slot(stata_format_)));
        if (!asked_.empty() &&
            std::find(asked_.begin(), asked_.end(), names_.back()) == asked_.end())
            return READSTAT_HANDLER_SKIP_VARIABLE;
        last_asked_index_ = index;
        return READSTAT_HANDLER_OK;
    }

    void value(int case_index, readstat_variable_t* variable, readstat_value_t value)
    {
        if (!variables_taken_)
            take_variables();
        const int index = readstat_variable_get_index(variable);
        if (index < 0 || static_cast<std::size_t>(index) >= slot_of_index_.size() ||
            slot_of_index_[static_cast<std::size_t>(index)] < 0)
            return;
        const auto slot = static_cast<std::size_t>(slot_of_index_[static_cast<std::size_t>(index)]);
        const CasePlace place{"case", "variable", case_index + 1};
        DataValue& taken = values_[slot];
        taken = {};
        if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
            std::string& text = texts_[slot];
            text.assign(text_of(readstat_string_value(value)));
            if (!platform::is_utf8_text(text))
                throw InvalidText(in_place(place, slot) + "the text is not UTF-8");
            if (!readstat_value_is_missing(value, variable))
                taken = IsMissingValue(text) ? DataValue{DataValue::Kind::missing, 0, text, true}
                                             : DataValue{DataValue::Kind::text, 0, text};
        } else if (beyond_stata_numbers(value)) {
            taken = {DataValue::Kind::number, std::numeric_limits<double>::infinity(), {}};
        } else {
            const double number = readstat_double_value(value);
            if (!readstat_value_is_missing(value, variable) && !std::isnan(number))
                taken = {DataValue::Kind::number, number, {}};
        }
        if (index == last_asked_index_)
            sink_.take_case(values_, place);
    }

    void weight_variable(readstat_variable_t* variable)
    {
        sink_.take_weight_variable(text_of(readstat_variable_get_name(variable)));
    }

    void value_label(const char* label_set, readstat_value_t value, const char* label)
    {
        if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_NUMERIC &&
            !readstat_value_is_system_missing(value) && !readstat_value_is_tagged_missing(value))
            labels_[std::string(text_in_slot(label_set, label_set_slot(stata_format_)))].try_emplace(
                readstat_double_value(value), text_of(label));
    }

    // After the last case: the labels of the asked variables.
    void finish()
    {
        if (!variables_taken_)
            take_variables();
        for (std::size_t index = 0; index < slot_of_index_.size(); ++index) {
            const int slot = slot_of_index_[index];
            const auto labels = labels_.find(label_sets_[index]);
            if (slot < 0 || labels == labels_.end())
                continue;
            for (const auto& [code, label] : labels->second) {
                if (!platform::is_utf8_text(label))
                    throw InvalidText("variable " + platform::in_quotes(names_[index]) +
                                      ": a value label is not UTF-8");
                sink_.take_label(static_cast<std::size_t>(slot), code, label);
            }
        }
    }

private:
    // Stata keeps its missing values ".a" to ".z" above its largest number; ReadStat reads any
    // larger double as one of them, with a tag outside "a" to "z" for one that is none (an
    // infinity, a NaN, or a number beyond Stata's range), whose value it does not keep.
    bool beyond_stata_numbers(readstat_value_t value) const
    {
        const char tag = readstat_value_tag(value);
        return stata_ && readstat_value_is_tagged_missing(value) && !(tag >= 'a' && tag <= 'z');
    }

    std::string in_place(const CasePlace& place, std::size_t slot) const
    {
        return std::string(place.unit) + " " + std::to_string(place.number) + ", " +
               std::string(place.variable_kind) + " " + platform::in_quotes(wanted()[slot]) + ": ";
    }

    const VariableNames& wanted() const { return asked_.empty() ? names_ : asked_; }

    // Where each asked variable stands in the file, once the file has named them all.
    void take_variables()
    {
        variables_taken_ = true;
        sink_.take_variables(names_);  // a sink may name its own source of a missing variable
        slot_of_index_.assign(names_.size(), -1);
        for (std::size_t slot = 0; slot < wanted().size(); ++slot) {
            const auto found = std::find(names_.begin(), names_.end(), wanted()[slot]);
            if (found == names_.end())
                throw platform::Failure("The file has no variable named " +
                                        platform::in_quotes(wanted()[slot]) +
                                        "; its variables are: " + variable_list(names_));
            slot_of_index_[static_cast<std::size_t>(found - names_.begin())] = static_cast<int>(slot);
        }
        values_.resize(wanted().size());
        texts_.resize(wanted().size());
    }

    const VariableNames& asked_;
    CaseSink& sink_;
    bool stata_;
    int stata_format_ = 0;
    std::vector<std::string> names_;
    std::vector<std::string> label_sets_;  // each variable's, by its index
    bool variables_taken_ = false;
    std::vector<int> slot_of_index_;  // per variable of the file: its place among the asked, or -1
    int last_asked_index_ = -1;
    std::vector<DataValue> values_;
    std::vector<std::string> texts_;
    std::map<std::string, std::map<double, std::string>> labels_;  // by label set, then code
};

// ReadStat asks for a few bytes at a time, so the file is read ahead in large pieces. A
// failure of the source (or a request to stop that it passes on) is kept for the caller, since
// the library only learns that the read failed.
class ReadAhead {
public:
    explicit ReadAhead(ByteSource& source) : source_(source), buffer_(new char[capacity]) {}

    std::exception_ptr failure;

    std::int64_t read(char* out, std::size_t size)
    {
        std::size_t filled = 0;
        while (filled < size) {
            if (begin_ == end_ && !refill())
                break;  // ReadStat takes a short read for the end of the file
            const std::size_t count = std::min(size - filled, end_ - begin_);
            std::memcpy(out + filled, buffer_.get() + begin_, count);
            begin_ += count;
            filled += count;
        }
        return static_cast<std::int64_t>(filled);
    }

    std::int64_t seek(std::int64_t offset, int origin)
    {
        const std::int64_t here = buffer_start_ + static_cast<std::int64_t>(begin_);
        const std::int64_t target = origin == SEEK_SET ? offset : origin == SEEK_CUR ? here + offset : -1;
        if (target >= buffer_start_ && target <= buffer_start_ + static_cast<std::int64_t>(end_)) {
            begin_ = static_cast<std::size_t>(target - buffer_start_);
            return target;
        }
        const std::int64_t place = source_.seek(origin == SEEK_CUR ? target : offset,
                                                origin == SEEK_CUR ? SEEK_SET : origin);
        if (place >= 0) {
            buffer_start_ = place;
            begin_ = end_ = 0;
        }
        return place;
    }

private:
    static constexpr std::size_t capacity = 256 * 1024;

    bool refill()
    {
        buffer_start_ += static_cast<std::int64_t>(end_);
        begin_ = end_ = 0;
        end_ = source_.read(buffer_.get(), capacity);
        return end_ > 0;
    }

    ByteSource& source_;
    std::unique_ptr<char[]> buffer_;
    std::int64_t buffer_start_ = 0;  // the file's place of the buffer's first byte
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

struct Reading {
    ReadAhead input;
    CaseAssembler cases;
};

template <typename Call>
int guarded(void* reading, Call call)
{
    auto& cases = static_cast<Reading*>(reading)->cases;
    try {
        return call(cases);
    } catch (...) {
        cases.failure = std::current_exception();
        return READSTAT_HANDLER_ABORT;
    }
}

extern "C" {

int open_input(const char*, void*)
{
    return 0;  // the caller opened the source
}

int close_input(void*)
{
    return 0;
}

readstat_off_t seek_input(readstat_off_t offset, readstat_io_flags_t whence, void* context)
{
    const int origin = whence == READSTAT_SEEK_SET ? SEEK_SET : whence == READSTAT_SEEK_CUR ? SEEK_CUR : SEEK_END;
    ReadAhead& input = static_cast<Reading*>(context)->input;
    try {
        return static_cast<readstat_off_t>(input.seek(offset, origin));
    } catch (...) {
        input.failure = std::current_exception();
        return -1;
    }
}

ssize_t read_input(void* buffer, std::size_t size, void* context)
{
    ReadAhead& input = static_cast<Reading*>(context)->input;
    try {
        return static_cast<ssize_t>(input.read(static_cast<char*>(buffer), size));
    } catch (...) {
        input.failure = std::current_exception();
        return -1;
    }
}

readstat_error_t update_input(long, readstat_progress_handler, void*, void*)
{
    return READSTAT_OK;
}

int on_metadata(readstat_metadata_t* metadata, void* reading)
{
    return guarded(reading, [&](CaseAssembler& c) {
        c.format_version(readstat_get_file_format_version(metadata));
        return READSTAT_HANDLER_OK;
    });
}

int on_variable(int index, readstat_variable_t* variable, const char* label_set, void* reading)
{
    return guarded(reading, [&](CaseAssembler& c) { return c.variable(index, variable, label_set); });
}

int on_weight_variable(readstat_variable_t* variable, void* reading)
{
    return guarded(reading, [&](CaseAssembler& c) {
        c.weight_variable(variable);
        return READSTAT_HANDLER_OK;
    });
}

int on_value(int case_index, readstat_variable_t* variable, readstat_value_t value, void* reading)
{
    return guarded(reading, [&](CaseAssembler& c) {
        c.value(case_index, variable, value);
        return READSTAT_HANDLER_OK;
    });
}

int on_value_label(const char* label_set, readstat_value_t value, const char* label, void* reading)
{
    return guarded(reading, [&](CaseAssembler& c) {
        c.value_label(label_set, value, label);
        return READSTAT_HANDLER_OK;
    });
}

}  // extern "C"

struct ParserDeleter {
    void operator()(readstat_parser_t* parser) const { readstat_parser_free(parser); }
};

}  // namespace

bool IsStatisticsFileName(std::string_view path)
{
    return format_of(path) != nullptr;
}

bool IsUnreadableDataFileName(std::string_view path)
{
    return std::any_of(std::begin(unreadable_endings), std::end(unreadable_endings),
                       [path](std::string_view ending) { return ends_with(path, ending); });
}

void read_statistics_cases(ByteSource& source, const std::string& file_name,
                           const std::string& encoding, const VariableNames& asked, CaseSink& sink)
{
    const Format* format = format_of(file_name);
    if (!format)
        throw platform::Failure(platform::in_quotes(file_name) + " is not a statistics-package file");
    const std::unique_ptr<readstat_parser_t, ParserDeleter> parser(readstat_parser_init());
    if (!parser)
        throw std::bad_alloc();
    PortableFileSource mended(source);  // see there: ReadStat misreads PSPP's portable files
    Reading reading{ReadAhead(format->parse == readstat_parse_por ? mended : source),
                    CaseAssembler(asked, sink, format->parse == readstat_parse_dta)};
    readstat_set_open_handler(parser.get(), open_input);
    readstat_set_close_handler(parser.get(), close_input);
    readstat_set_seek_handler(parser.get(), seek_input);
    readstat_set_read_handler(parser.get(), read_input);
    readstat_set_update_handler(parser.get(), update_input);
    readstat_set_io_ctx(parser.get(), &reading);
    readstat_set_metadata_handler(parser.get(), on_metadata);
    readstat_set_variable_handler(parser.get(), on_variable);
    readstat_set_fweight_handler(parser.get(), on_weight_variable);
    readstat_set_value_handler(parser.get(), on_value);
    readstat_set_value_label_handler(parser.get(), on_value_label);
    if (!encoding.empty())
        readstat_set_file_character_encoding(parser.get(), encoding.c_str());

    const readstat_error_t status = format->parse(parser.get(), file_name.c_str(), &reading);
    if (reading.cases.failure)
        std::rethrow_exception(reading.cases.failure);
    if (reading.input.failure)
        std::rethrow_exception(reading.input.failure);
    if (status != READSTAT_OK)
        throw platform::Failure(platform::in_quotes(file_name) + " cannot be read as " +
                                format->name + " file: " + readstat_error_message(status));
    reading.cases.finish();
}

}  // namespace norms
