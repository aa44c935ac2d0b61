#include "norms/read/margins_file.hpp"

#include <algorithm>
#include <new>
#include <optional>

#include <csv.h>

#include "norms/read/frequency_file.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/raking.hpp"

namespace norms {
namespace {

// A smaller share would give its cases weights that a double rounds to 0, or near it, which the
// weights' own reader refuses.
constexpr stats::Extended smallest_share = 1e-300L;

// Gathers the rows that libcsv calls back with; errors are kept, not thrown through the C
// library, and the first one ends the reading.
class MarginsSink {
public:
    void field(std::string_view text) { row_.emplace_back(text); }

    void end_row()
    {
        if (!error)
            take_row();
        row_.clear();
    }

    std::vector<MarginsVariable> variables;
    std::optional<std::string> error;
    long line = 1;

private:
    void fail(const std::string& message)
    {
        error = "line " + std::to_string(line) + ": " + message;
    }

    void take_row()
    {
        if (!header_read_) {
            header_read_ = true;
            if (row_ != std::vector<std::string>{"variable", "value", "share"})
                fail("the header line must be \"variable,value,share\"");
            return;
        }
        if (row_.size() != 3)
            return fail(std::to_string(row_.size()) + " fields, but the header line has 3");
        const std::string& name = row_[0];
        const std::string& value = row_[1];
        if (name.empty())
            return fail("no variable name");
        if (value.empty())
            return fail("no value of the variable " + platform::in_quotes(name));
        stats::Extended share = 0;
        if (!ParseDecimalToken(row_[2], share) || !(share >= 0 && share <= 1))
            return fail("the share " + platform::in_quotes(row_[2]) + " is not a number from 0 to 1");
        if (share > 0 && share < smallest_share)
            return fail("the share " + platform::in_quotes(row_[2]) +
                        " is below 1e-300, too small to give a weight");
        const auto [found, added] = variable_of_name_.try_emplace(name, variables.size());
        if (added) {
            variables.emplace_back().name = name;
            first_lines_.emplace_back();
        }
        MarginsVariable* variable = &variables[found->second];
        std::vector<long>& lines = first_lines_[found->second];
        if (!variable->add_level(value, share))
            return fail("the variable " + platform::in_quotes(name) + " has the value " +
                        platform::in_quotes(value) + " already on line " +
                        std::to_string(lines[variable->level_of(value)]));
        lines.push_back(line);
    }

    std::vector<std::string> row_;
    bool header_read_ = false;
    std::vector<std::vector<long>> first_lines_;  // per variable, the line of each value
    platform::TextMap<std::size_t> variable_of_name_;
};

extern "C" void on_margins_field(void* data, std::size_t size, void* sink)
{
    static_cast<MarginsSink*>(sink)->field(
        data ? std::string_view(static_cast<const char*>(data), size) : std::string_view());
}

extern "C" void on_margins_row_end(int, void* sink)
{
    static_cast<MarginsSink*>(sink)->end_row();
}

}  // namespace

bool MarginsVariable::add_level(std::string_view value, stats::Extended share)
{
    if (!level_of_value_.try_emplace(std::string(value), static_cast<std::int32_t>(values.size())).second)
        return false;
    values.emplace_back(value);
    shares.push_back(share);
    return true;
}

std::int32_t MarginsVariable::level_of(std::string_view value) const
{
    const auto found = level_of_value_.find(value);
    return found == level_of_value_.end() ? stats::level_without_share : found->second;
}

std::vector<MarginsVariable> parse_margins(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    csv_parser parser{};
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw std::bad_alloc();
    MarginsSink sink;
    // Fed a line at a time, so that the sink knows the line of every row. A line ends with LF,
    // CR LF or a CR alone.
    for (std::size_t start = 0; start < text.size() && !sink.error;) {
        const std::size_t line_end = text.find_first_of("\r\n", start);
        std::size_t end = line_end == std::string_view::npos ? text.size() : line_end + 1;
        if (line_end != std::string_view::npos && text[line_end] == '\r' && end < text.size() &&
            text[end] == '\n')
            ++end;
        if (csv_parse(&parser, text.data() + start, end - start, on_margins_field,
                      on_margins_row_end, &sink) != end - start && !sink.error)
            sink.error = "line " + std::to_string(sink.line) + ": a quote character out of place";
        if (line_end != std::string_view::npos && !sink.error)
            ++sink.line;
        start = end;
    }
    if (!sink.error && csv_fini(&parser, on_margins_field, on_margins_row_end, &sink) != 0)
        sink.error = "the file ends inside a quoted field";
    csv_free(&parser);
    if (sink.error)
        throw platform::Failure("Margins file, " + *sink.error);
    if (sink.variables.empty())
        throw platform::Failure("The margins file has no margins below its header line");
    return sink.variables;
}

}  // namespace norms
