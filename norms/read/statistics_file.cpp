#include "norms/read/statistics_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <optional>

#include <readstat.h>

#include "norms/read/portable_file_source.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"

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

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// ReadStat gives no text as a null pointer.
std::string text_of(const char* text)
{
    return text ? text : "";
}

// The shortest decimal text that reads back as the same number: 8 for 8.0, 12.5 for 12.5.
std::string number_text(double value)
{
    char buffer[32];
    return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr};
}

// One variable's value in the current case, kept until the case's other variable arrives.
struct CaseValue {
    bool missing = true;
    double number = 0;
    std::string text;  // for a string variable
};

CaseValue case_value(readstat_variable_t* variable, readstat_value_t value)
{
    CaseValue result;
    result.missing = readstat_value_is_missing(value, variable);
    if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
        result.text = text_of(readstat_string_value(value));
        result.missing = result.missing || IsMissingValue(result.text);
    } else {
        result.number = readstat_double_value(value);
        result.missing = result.missing || std::isnan(result.number);
    }
    return result;
}

// Takes ReadStat's callbacks. Errors are kept rather than thrown, since they would have to
// unwind through the C library; the first one ends the reading.
class CaseHandler {
public:
    virtual ~CaseHandler() = default;
    virtual int variable(int index, readstat_variable_t* variable, const char* label_set) = 0;
    virtual int value(int case_index, readstat_variable_t* variable, readstat_value_t value) = 0;
    virtual void value_label(const char*, readstat_value_t, const char*) {}

    std::optional<std::string> error;
};

// Counts each case into its group.
class CaseCounter : public CaseHandler {
public:
    CaseCounter(const PersonScoreLayout& layout)
        : layout_(layout), row_count_(layout.max_score - layout.min_score + 1)
    {
    }

    int variable(int index, readstat_variable_t* variable, const char* label_set) override
    {
        const std::string name = text_of(readstat_variable_get_name(variable));
        variable_names_.push_back(name);
        const bool is_string = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_STRING;
        if (name == layout_.score_column) {
            score_index_ = index;
            score_is_string_ = is_string;
        }
        if (!layout_.group_column.empty() && name == layout_.group_column) {
            group_index_ = index;
            group_is_string_ = is_string;
            group_label_set_ = text_of(label_set);
        }
        return score_index_ == index || group_index_ == index ? READSTAT_HANDLER_OK
                                                              : READSTAT_HANDLER_SKIP_VARIABLE;
    }

    int value(int case_index, readstat_variable_t* variable, readstat_value_t value) override
    {
        if (!variables_checked_ && !check_variables())
            return READSTAT_HANDLER_ABORT;
        const int index = readstat_variable_get_index(variable);
        if (index == score_index_)
            score_ = case_value(variable, value);
        if (index == group_index_)
            group_ = case_value(variable, value);
        if (index == std::max(score_index_, group_index_))
            count_case(case_index + 1);
        return error ? READSTAT_HANDLER_ABORT : READSTAT_HANDLER_OK;
    }

    void value_label(const char* label_set, readstat_value_t value, const char* label) override
    {
        if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_NUMERIC &&
            !readstat_value_is_system_missing(value) && !readstat_value_is_tagged_missing(value))
            labels_[text_of(label_set)].try_emplace(readstat_double_value(value), text_of(label));
    }

    // The groups in the order of their codes (numbers) or names (strings), each named.
    StatisticsFileScores finish()
    {
        if (!variables_checked_ && !check_variables())
            throw platform::Failure(*error);
        StatisticsFileScores scores{{}, without_group_};
        const std::map<double, std::string>& labels = labels_[group_label_set_];
        for (auto& [code, group] : numeric_groups_) {
            const auto label = labels.find(code);
            if (!layout_.group_column.empty())
                group.name = label != labels.end() ? label->second : number_text(code);
            scores.groups.push_back(std::move(group));
        }
        for (auto& [name, group] : string_groups_) {
            group.name = name;
            scores.groups.push_back(std::move(group));
        }
        return scores;
    }

private:
    bool check_variables()
    {
        variables_checked_ = true;
        for (const std::string& name : {layout_.score_column, layout_.group_column}) {
            if (name.empty() || std::find(variable_names_.begin(), variable_names_.end(), name) !=
                                    variable_names_.end())
                continue;
            std::string list;
            for (const std::string& known : variable_names_)
                list += (list.empty() ? "" : ", ") + known;
            error = "The file has no variable named " + quoted(name) + "; its variables are: " + list;
            return false;
        }
        return true;
    }

    ScoreGroup& group_of_case()
    {
        if (layout_.group_column.empty())
            return numeric_groups_[0];
        if (group_is_string_)
            return string_groups_[group_.text];
        return numeric_groups_[group_.number];
    }

    void count_case(long case_number)
    {
        if (!layout_.group_column.empty() && group_.missing) {
            ++without_group_;
            return;
        }
        ScoreGroup& group = group_of_case();
        if (group.frequencies.empty())
            group.frequencies.resize(static_cast<std::size_t>(row_count_));
        if (score_.missing) {
            ++group.missing;
            return;
        }
        const std::optional<Extended> score = score_value();
        if (!score || *score != std::trunc(*score) || *score < layout_.min_score ||
            *score > layout_.max_score) {
            error = "case " + std::to_string(case_number) + ", variable " +
                    quoted(layout_.score_column) + ": " +
                    (score_is_string_ ? quoted(score_.text) : number_text(score_.number)) +
                    " is not a whole number from " + std::to_string(layout_.min_score) + " to " +
                    std::to_string(layout_.max_score);
            return;
        }
        ++group.frequencies[static_cast<std::size_t>(*score) - static_cast<std::size_t>(layout_.min_score)];
        ++group.size;
    }

    std::optional<Extended> score_value() const
    {
        if (!score_is_string_)
            return score_.number;
        Extended value = 0;
        return ParseDecimalToken(score_.text, value) ? std::optional(value) : std::nullopt;
    }

    const PersonScoreLayout& layout_;
    const std::int64_t row_count_;
    std::vector<std::string> variable_names_;
    bool variables_checked_ = false;
    int score_index_ = -1;
    int group_index_ = -1;
    bool score_is_string_ = false;
    bool group_is_string_ = false;
    std::string group_label_set_;
    CaseValue score_;
    CaseValue group_;
    std::map<double, ScoreGroup> numeric_groups_;  // also the one group of ungrouped data
    std::map<std::string, ScoreGroup> string_groups_;
    std::map<std::string, std::map<double, std::string>> labels_;  // by label set, then code
    std::int64_t without_group_ = 0;
};

// Hands every case's values to a survey, as texts, the first row being the variables' names.
class CaseSurveyor : public CaseHandler {
public:
    int variable(int index, readstat_variable_t* variable, const char*) override
    {
        builder_.field(text_of(readstat_variable_get_name(variable)));
        variable_count_ = index + 1;
        return READSTAT_HANDLER_OK;
    }

    int value(int, readstat_variable_t* variable, readstat_value_t value) override
    {
        if (!builder_.header_read())
            builder_.end_row();
        const CaseValue shown = case_value(variable, value);
        builder_.field(shown.missing ? "" : readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING
                                                ? shown.text
                                                : number_text(shown.number));
        if (readstat_variable_get_index(variable) == variable_count_ - 1)
            builder_.end_row();
        return READSTAT_HANDLER_OK;
    }

    PersonFileSurvey finish()
    {
        if (!builder_.header_read())
            builder_.end_row();  // a file without cases
        return builder_.take_survey();
    }

private:
    PersonSurveyBuilder builder_;
    int variable_count_ = 0;
};

// ReadStat reads through these, from the source; a failure of the source (or a request to stop
// that it passes on) is kept for the caller, since the library only learns that the read failed.
struct Input {
    ByteSource& source;
    std::exception_ptr failure;
};

// Nothing may unwind through the library: a failure in a callback (memory) ends the reading.
template <typename Call>
int guarded(void* handler, Call call)
{
    try {
        return call(*static_cast<CaseHandler*>(handler));
    } catch (const std::exception& failure) {
        static_cast<CaseHandler*>(handler)->error = failure.what();
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
    auto* input = static_cast<Input*>(context);
    try {
        return static_cast<readstat_off_t>(input->source.seek(offset, origin));
    } catch (...) {
        input->failure = std::current_exception();
        return -1;
    }
}

ssize_t read_input(void* buffer, std::size_t size, void* context)
{
    auto* input = static_cast<Input*>(context);
    try {
        std::size_t filled = 0;
        // ReadStat takes a short read for the end of the file.
        for (std::size_t count = 1; filled < size && count > 0; filled += count)
            count = input->source.read(static_cast<char*>(buffer) + filled, size - filled);
        return static_cast<ssize_t>(filled);
    } catch (...) {
        input->failure = std::current_exception();
        return -1;
    }
}

readstat_error_t update_input(long, readstat_progress_handler, void*, void*)
{
    return READSTAT_OK;
}

int on_variable(int index, readstat_variable_t* variable, const char* label_set, void* handler)
{
    return guarded(handler, [&](CaseHandler& c) { return c.variable(index, variable, label_set); });
}

int on_value(int case_index, readstat_variable_t* variable, readstat_value_t value, void* handler)
{
    return guarded(handler, [&](CaseHandler& c) { return c.value(case_index, variable, value); });
}

int on_value_label(const char* label_set, readstat_value_t value, const char* label, void* handler)
{
    return guarded(handler, [&](CaseHandler& c) {
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

namespace {

// Reads the file through ReadStat into `handler`, throwing what the handler or the source failed
// with, or, naming the file, why it cannot be read as its ending says.
void parse(ByteSource& source, const std::string& file_name, CaseHandler& handler)
{
    const Format* format = format_of(file_name);
    if (!format)
        throw platform::Failure(quoted(file_name) + " is not a statistics-package file");
    const std::unique_ptr<readstat_parser_t, ParserDeleter> parser(readstat_parser_init());
    if (!parser)
        throw std::bad_alloc();
    PortableFileSource mended(source);  // see there: ReadStat misreads PSPP's portable files
    Input input{format->parse == readstat_parse_por ? mended : source, nullptr};
    readstat_set_open_handler(parser.get(), open_input);
    readstat_set_close_handler(parser.get(), close_input);
    readstat_set_seek_handler(parser.get(), seek_input);
    readstat_set_read_handler(parser.get(), read_input);
    readstat_set_update_handler(parser.get(), update_input);
    readstat_set_io_ctx(parser.get(), &input);
    readstat_set_variable_handler(parser.get(), on_variable);
    readstat_set_value_handler(parser.get(), on_value);
    readstat_set_value_label_handler(parser.get(), on_value_label);

    const readstat_error_t status = format->parse(parser.get(), file_name.c_str(), &handler);
    if (handler.error)
        throw platform::Failure(*handler.error);
    if (input.failure)
        std::rethrow_exception(input.failure);
    if (status != READSTAT_OK)
        throw platform::Failure(quoted(file_name) + " cannot be read as " + format->name +
                                " file: " + readstat_error_message(status));
}

}  // namespace

StatisticsFileScores CountStatisticsFileScores(ByteSource& source, const std::string& file_name,
                                               const PersonScoreLayout& layout)
{
    CaseCounter counter(layout);
    parse(source, file_name, counter);
    return counter.finish();
}

std::string WithoutGroupNotice(std::int64_t cases, const std::string& group_variable)
{
    return std::to_string(cases) + (cases == 1 ? " case" : " cases") + " with no " +
           platform::PrintableText(group_variable) + " value skipped";
}

StatisticsFileScores CountFileScores(ByteSource& source, const std::string& file_name,
                                     const PersonScoreLayout& layout)
{
    if (!IsStatisticsFileName(file_name)) {
        StatisticsFileScores scores{CountPersonScores(source, layout), 0};
        SortGroups(scores.groups);
        return scores;
    }
    StatisticsFileScores scores = CountStatisticsFileScores(source, file_name, layout);
    if (scores.groups.empty())
        throw platform::Failure(scores.without_group > 0 ? "No case in the file has a group value"
                                                         : "The file holds no cases");
    return scores;
}

PersonFileSurvey SurveyStatisticsFile(ByteSource& source, const std::string& file_name)
{
    CaseSurveyor surveyor;
    parse(source, file_name, surveyor);
    return surveyor.finish();
}

}  // namespace norms
