#include "norms/read/delimited_file.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include <csv.h>

#include "norms/read/frequency_file.hpp"
#include "platform/printable_text.hpp"
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

// A decimal number in the data file's grammar.
std::optional<Extended> decimal_value(std::string_view text)
{
    Extended value = 0;
    if (!ParseDecimalToken(text, value))
        return std::nullopt;
    return value;
}

// What libcsv calls back for every field and row end. Errors are kept rather than thrown,
// since they would have to unwind through the C library; the first one ends the reading.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void field(std::string_view text) = 0;
    virtual void end_row() = 0;

    long line = 1;
    std::optional<std::string> error;
};

// Collects the header, then counts each row's score into its group.
class ScoreCounter : public RowSink {
public:
    explicit ScoreCounter(const PersonScoreLayout& layout)
        : layout_(layout), row_count_(layout.max_score - layout.min_score + 1)
    {
    }

    void field(std::string_view text) override
    {
        if (error)
            return;
        if (!header_done_)
            header_.emplace_back(text);
        else if (field_index_ == score_index_)
            take_score(text);
        else if (field_index_ == group_index_)
            group_text_.assign(text);
        ++field_index_;
    }

    void end_row() override
    {
        if (error)
            return;
        if (!header_done_)
            take_header();
        else if (field_index_ != header_.size())
            fail("line " + std::to_string(line) + " has " + std::to_string(field_index_) +
                 " fields, but the header line has " + std::to_string(header_.size()));
        else
            count_row();
        field_index_ = 0;
        // A row too short for a column leaves that column empty.
        take_score({});
        group_text_.clear();
    }

    bool header_read() const { return header_done_; }

    std::vector<ScoreGroup> take_groups()
    {
        if (group_index_by_name_.size() > MaxScoreGroups)
            throw platform::Failure(
                "The group column " + platform::in_quotes(layout_.group_column) + " has " +
                std::to_string(group_index_by_name_.size()) + " distinct values, more than the " +
                std::to_string(MaxScoreGroups) + " norm groups a run takes; check that it is the group column");
        return std::move(groups_);
    }

private:
    void fail(std::string message)
    {
        if (!error)
            error = std::move(message);
    }

    std::size_t column_index(const std::string& name)
    {
        const auto found = std::find(header_.begin(), header_.end(), name);
        if (found == header_.end())
            fail("The header line has no column named " + platform::in_quotes(name));
        else if (std::find(found + 1, header_.end(), name) != header_.end())
            fail("The header line has more than one column named " + platform::in_quotes(name));
        return static_cast<std::size_t>(found - header_.begin());
    }

    void take_header()
    {
        header_done_ = true;
        score_index_ = column_index(layout_.score_column);
        if (!layout_.group_column.empty())
            group_index_ = column_index(layout_.group_column);
    }

    std::string at_line(const std::string& column) const
    {
        return "line " + std::to_string(line) + ", column " + platform::in_quotes(column) + ": ";
    }

    // The row's group; none once there are too many groups to count, when only their names
    // are still gathered for the message.
    ScoreGroup* group_of_row()
    {
        if (!groups_.empty() && groups_[last_group_].name == group_text_)
            return &groups_[last_group_];
        const auto [entry, added] = group_index_by_name_.try_emplace(group_text_, groups_.size());
        if (group_index_by_name_.size() > MaxScoreGroups) {
            groups_ = {};
            return nullptr;
        }
        if (added)
            groups_.push_back({group_text_, std::vector<std::int64_t>(row_count_), 0, 0});
        last_group_ = entry->second;
        return &groups_[last_group_];
    }

    // A score is judged as its field arrives, so that a field of any length is not kept.
    void take_score(std::string_view text)
    {
        score_missing_ = IsMissingValue(text);
        score_ = score_missing_ ? std::nullopt : valid_score(text);
        if (!score_missing_ && !score_)
            bad_score_ = platform::in_quotes(text);
    }

    void count_row()
    {
        if (!layout_.group_column.empty() && IsMissingValue(group_text_))
            return fail(at_line(layout_.group_column) + "no group value");
        ScoreGroup* group = group_of_row();
        if (!score_missing_ && !score_)
            return fail(at_line(layout_.score_column) + bad_score_ +
                        " is not a whole number from " + std::to_string(layout_.min_score) +
                        " to " + std::to_string(layout_.max_score));
        if (group == nullptr)
            return;
        if (score_missing_) {
            ++group->missing;
            return;
        }
        ++group->frequencies[*score_ - layout_.min_score];
        ++group->size;
    }

    std::optional<std::int64_t> valid_score(std::string_view text) const
    {
        std::int64_t score = 0;
        // Plain digits, by far the common case, skip the general decimal parser.
        if (!text.empty() && text.size() <= 18 &&
            std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            for (char c : text)
                score = score * 10 + (c - '0');
        } else {
            const std::optional<Extended> value = decimal_value(text);
            if (!value || *value != std::trunc(*value) || *value < layout_.min_score ||
                *value > layout_.max_score)
                return std::nullopt;
            score = static_cast<std::int64_t>(*value);
        }
        if (score < layout_.min_score || score > layout_.max_score)
            return std::nullopt;
        return score;
    }

    const PersonScoreLayout& layout_;
    const std::int64_t row_count_;
    bool header_done_ = false;
    std::vector<std::string> header_;
    std::size_t score_index_ = 0;
    std::size_t group_index_ = static_cast<std::size_t>(-1);
    std::size_t field_index_ = 0;
    bool score_missing_ = true;
    std::optional<std::int64_t> score_;
    std::string bad_score_;  // as a message shows it
    std::string group_text_;
    std::vector<ScoreGroup> groups_;
    std::unordered_map<std::string, std::size_t> group_index_by_name_;
    std::size_t last_group_ = 0;
};

// Every data row: its count, and the smallest and largest whole number in each column.
// Hands libcsv's fields to a survey.
class ColumnSurvey : public RowSink {
public:
    PersonSurveyBuilder builder;

    void field(std::string_view text) override { builder.field(text); }
    void end_row() override { builder.end_row(); }
};

void take_whole_number(std::optional<ScoreRange>& range, std::string_view text)
{
    const std::optional<Extended> value = decimal_value(text);
    if (!value || *value != std::trunc(*value) || std::abs(*value) > 1e18L)
        return;
    const auto score = static_cast<std::int64_t>(*value);
    if (!range)
        range = ScoreRange{score, score};
    range->min = std::min(range->min, score);
    range->max = std::max(range->max, score);
}

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
        counter.error = "line " + std::to_string(counter.line) + ": a quote character out of place";
    }

    void finish(RowSink& counter)
    {
        if (csv_fini(&parser_, on_field, on_row_end, &counter) != 0 && !counter.error)
            counter.error = "line " + std::to_string(counter.line) +
                            ": the file ends inside a quoted field";
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
    for (std::size_t filled; !counter.error && (filled = read(buffer.get(), buffer_size));) {
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
        while (next < end && !counter.error) {
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
    if (!counter.error)
        parser.finish(counter);
    if (counter.error)
        throw platform::Failure(*counter.error);
}

}  // namespace

bool IsMissingValue(std::string_view field)
{
    return field.empty() || field == "NA" || field == ".";
}

std::vector<ScoreGroup> CountPersonScores(ByteSource& source, const PersonScoreLayout& layout)
{
    ScoreCounter counter(layout);
    parse_rows(source, layout.delimiter, layout.encoding, counter);
    if (!counter.header_read())
        throw platform::Failure("The file has no header line");
    return counter.take_groups();
}

void PersonSurveyBuilder::field(std::string_view text)
{
    if (!header_done_) {
        survey_.variables.emplace_back(text);
        survey_.ranges.emplace_back();
        values_.emplace_back();
    } else if (field_index_ < survey_.ranges.size()) {
        take_whole_number(survey_.ranges[field_index_], text);
        if (values_[field_index_].size() <= DistinctCountLimit)
            values_[field_index_].emplace(text);
    }
    ++field_index_;
}

void PersonSurveyBuilder::end_row()
{
    if (header_done_)
        ++survey_.cases;
    header_done_ = true;
    field_index_ = 0;
}

PersonFileSurvey PersonSurveyBuilder::take_survey()
{
    for (const auto& values : values_)
        survey_.distinct.push_back(values.size());
    return std::move(survey_);
}

PersonFileSurvey SurveyPersonScores(ByteSource& source, char delimiter, const std::string& encoding)
{
    ColumnSurvey survey;
    parse_rows(source, delimiter, encoding, survey);
    if (!survey.builder.header_read())
        throw platform::Failure("The file has no header line");
    return survey.builder.take_survey();
}

void SortGroups(std::vector<ScoreGroup>& groups)
{
    const bool numeric = std::all_of(groups.begin(), groups.end(), [](const ScoreGroup& group) {
        return decimal_value(group.name).has_value();
    });
    std::stable_sort(groups.begin(), groups.end(), [numeric](const ScoreGroup& a, const ScoreGroup& b) {
        if (numeric) {
            const Extended x = *decimal_value(a.name);
            const Extended y = *decimal_value(b.name);
            if (x != y)
                return x < y;
        }
        return a.name < b.name;
    });
}

}  // namespace norms
