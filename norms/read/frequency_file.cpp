#include "norms/read/frequency_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

#include "platform/failure.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

constexpr std::size_t buffer_size = 64 * 1024;
constexpr std::size_t max_token_length = 64;
constexpr int end_of_file = -1;

bool is_white_space(int c)
{
    return c >= 0 && c <= 32;
}

// A whole number of 0 or more. The whole-number test rounds to a 64-bit integer, which cannot
// hold 2^63 or more, so such values count as not whole.
bool is_count(Extended x)
{
    return x >= 0 && x < 0x1p63L && x == std::trunc(x);
}

std::string current_folder()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

// Message 3 or 4: the first or last raw score against the minimum or maximum.
std::string end_mismatch(const char* entry, const char* bound, const FileCheck& check)
{
    return std::string(" The ") + entry + " entry in column one of the data file (" +
           stats::format_fixed(check.found, 2, 0) +
           ") does not match the value you entered as the " + bound +
           " raw score on the form (" + stats::format_fixed(check.expected, 3, 0) +
           "). Check your data and re-run. ";
}

}  // namespace

bool ParseDecimalToken(std::string_view token, Extended& value)
{
    if (token.empty())
        return false;
    std::size_t i = 0;
    const auto digit_at = [&](std::size_t at) {
        return at < token.size() && token[at] >= '0' && token[at] <= '9';
    };
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    const std::size_t number_start = token[0] == '+' ? 1 : 0;

    // The decimal order of the first significant digit tells an overflow from an underflow.
    bool significant = false;
    long order = 0;
    int mantissa_digits = 0;
    for (; digit_at(i); ++i, ++mantissa_digits) {
        significant = significant || token[i] != '0';
        order += significant ? 1 : 0;
    }
    if (i < token.size() && token[i] == '.') {
        for (++i; digit_at(i); ++i, ++mantissa_digits) {
            if (!significant && token[i] == '0')
                --order;
            significant = significant || token[i] != '0';
        }
    }
    if (mantissa_digits == 0)
        return false;

    long exponent = 0;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        const bool negative_exponent = i < token.size() && token[i] == '-';
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        if (!digit_at(i))
            return false;
        for (; digit_at(i); ++i)
            exponent = std::min(exponent * 10 + (token[i] - '0'), 1'000'000L);
        exponent = negative_exponent ? -exponent : exponent;
    }
    if (i != token.size())
        return false;

    const char* first = token.data() + number_start;
    const char* last = token.data() + token.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        const Extended magnitude =
            order + exponent > 0 ? std::numeric_limits<Extended>::infinity() : 0;
        value = token[0] == '-' ? -magnitude : magnitude;
        return true;
    }
    return error == std::errc() && end == last;
}

std::optional<double> parse_decimal_double(std::string_view token)
{
    Extended checked = 0;
    if (!ParseDecimalToken(token, checked) || !std::isfinite(checked))
        return std::nullopt;
    // from_chars reads the grammar's numbers in the C locale, correctly rounded, but no "+".
    const std::string_view digits = token.starts_with('+') ? token.substr(1) : token;
    double number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

FrequencyScanner::FrequencyScanner(ByteSource& source)
    : source_(source), buffer_(new char[buffer_size])
{
}

int FrequencyScanner::peek()
{
    if (position_ == filled_) {
        position_ = 0;
        filled_ = source_.read(buffer_.get(), buffer_size);
        if (filled_ == 0)
            return end_of_file;
    }
    return static_cast<unsigned char>(buffer_[position_]);
}

bool FrequencyScanner::at_end()
{
    return peek() == end_of_file;
}

Extended FrequencyScanner::read_number()
{
    int c;
    while ((c = peek()) != end_of_file && is_white_space(c))
        ++position_;
    if (c == end_of_file)
        return 0;

    char token[max_token_length];
    std::size_t length = 0;
    while (length < max_token_length && (c = peek()) != end_of_file && !is_white_space(c)) {
        token[length++] = static_cast<char>(c);
        ++position_;
    }
    Extended value = 0;
    if (!ParseDecimalToken(std::string_view(token, length), value))
        throw platform::Failure("Invalid numeric input");
    return value;
}

void FrequencyScanner::skip_line()
{
    for (int c; (c = peek()) != end_of_file;) {
        ++position_;
        if (c == '\n')
            return;
        if (c == '\r') {
            if (peek() == '\n')
                ++position_;
            return;
        }
    }
}

FileCheck ReadFrequencyRows(FrequencyScanner& scanner, Extended min_raw_score,
                            Extended max_raw_score, Extended sample_size, int row_count,
                            NormsTable& table)
{
    Extended sum = 0;
    for (int j = 1; j <= row_count; ++j) {
        const Extended r = scanner.read_number();
        const Extended f = scanner.read_number();
        scanner.skip_line();
        if (!is_count(r))
            return {1};
        if (!is_count(f))
            return {2, f};
        if (j == 1 && r != min_raw_score)
            return {3, r, min_raw_score};
        if (j == row_count && r != max_raw_score)
            return {4, r, max_raw_score};
        // A file that stops before the maximum raw score.
        if (scanner.at_end() && r != max_raw_score)
            return {4, r, max_raw_score};
        if (j >= 2 && r != table[j - 2].RawScore + 1)
            return {5};
        NormsRow& row = table.at(j - 1);
        row.RawScore = r;
        row.Frequency = f;
        sum += f;
    }
    if (sum != sample_size)
        return {6, sum, sample_size};
    return {};
}

std::string FileCheckMessage(const FileCheck& check)
{
    using stats::format_fixed;
    switch (check.message) {
    case 1:
        return " The raw scores in column one of the data file must all be positive integers (or "
               "zero). Correct your data file and re-run. ";
    case 2:
        return " The frequencies in column two of the data file must all be positive integers or "
               "zero. Correct your data file and re-run. ";
    case 3:
        return end_mismatch("first", "minimum", check);
    case 4:
        return end_mismatch("last", "maximum", check);
    case 5:
        return " The raw scores in column one of the data file must be sequential integers. "
               "Correct your data file and re-run. ";
    case 6:
        return " The sum of the frequencies in column two of the data file (" +
               format_fixed(check.found, 3, 0) +
               ") does not equal the sample size you entered on the form (" +
               format_fixed(check.expected, 3, 0) + "). Check your data and re-run. ";
    default:
        return "";
    }
}

bool IsBlankFileName(std::string_view name)
{
    return std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return is_white_space(c); });
}

bool ReadFrequencyFile(platform::Desktop& desktop, platform::FileDialog& dialog,
                       Extended min_raw_score, Extended max_raw_score, Extended sample_size,
                       int row_count, NormsTable& table, std::string& data_file_path)
{
    // The file name stays as chosen last time.
    dialog.filter = "Text files only|*.txt";
    dialog.file_must_exist = true;
    dialog.prompt_overwrite = false;
    dialog.initial_folder = current_folder();
    if (!desktop.open_file(dialog) || IsBlankFileName(dialog.file_name))
        return false;

    FileCheck check;
    {
        const std::unique_ptr<ByteSource> file = OpenDataFile(dialog.file_name);
        FrequencyScanner scanner(*file);
        check = ReadFrequencyRows(scanner, min_raw_score, max_raw_score, sample_size, row_count,
                                  table);
    }
    if (check.message != 0) {
        desktop.error(FileCheckMessage(check));
        return false;
    }
    data_file_path = dialog.file_name;
    return true;
}

}  // namespace norms
