#include "norms/batch.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <exception>
#include <iterator>
#include <optional>

#include "norms/compute_run.hpp"
#include "norms/program_strings.hpp"
#include "platform/console_desktop.hpp"
#include "platform/failure.hpp"
#include "stats/Bayes_Engines.hpp"
#include "stats/number_format.hpp"

namespace norms {
namespace {

const char* const method_names[] = {"bayesian", "classical", "mid-p"};

// The worksheet as the command line fills it: three boxes, the method, the notes.
class BatchWorksheet : public WorksheetView {
public:
    std::string texts[3];
    std::vector<std::string> notes;
    int method = 0;

    std::string input_text(int box) const override { return box <= 3 ? texts[box - 1] : ""; }
    std::string label_caption(int box) const override
    {
        return box <= 3 ? InputCaptions[box - 1] : "";
    }
    int visible_input_count() const override { return 3; }
    int method_index() const override { return method; }
    std::vector<std::string> notes_lines() const override { return notes; }
    std::string notes_caption() const override { return NotesCaption; }

    void focus_input(int) override {}
    void hide() override {}
    // Nothing is kept between runs of vornak-batch.
    void save_current_data() override {}
    platform::FileDialog& open_dialog() override { return dialog_; }

private:
    platform::FileDialog dialog_;
};

class BatchResults : public ResultsView {
public:
    std::vector<std::string> lines;

    void show() override {}
    void set_caption(const std::string&) override {}
    bool has_lines() const override { return !lines.empty(); }
    void append_lines(const std::vector<std::string>& appended) override
    {
        lines.insert(lines.end(), appended.begin(), appended.end());
    }
};

// Lines as a notes box holds them: a final line feed starts no further line.
std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// As printf's "%.17Lg" prints in the C locale, whatever the user's locale.
std::string csv_number(Extended x)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x,
                                   std::chars_format::general, 17).ptr;
    return std::string(buffer, end);
}

// A --cutoff: the percentile rank as typed, and as a proportion.
struct Cutoff {
    std::string text;
    Extended proportion;
};

// A percentile rank strictly between 0 and 100, with "." as the decimal point.
std::optional<Cutoff> parse_cutoff(const std::string& text)
{
    Extended rank = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rank);
    const Extended proportion = rank / 100;  // a rank of a few units of 1e-4950 vanishes here
    if (error != std::errc() || end != text.data() + text.size() || !(proportion > 0 && rank < 100))
        return std::nullopt;
    return Cutoff{text, proportion};
}

void write_csv(std::ostream& out, const NormsRun& run, const std::vector<Cutoff>& cutoffs)
{
    out << "raw_score,frequency,below,pr,lower95,upper95,lower90,upper90";
    for (const Cutoff& cutoff : cutoffs)
        out << ",prob_below_" << cutoff.text;
    out << '\n';
    Extended n = 0;
    for (int j = 0; j < run.row_count; ++j)
        n += run.table[j].Frequency;
    for (int j = 0; j < run.row_count; ++j) {
        const NormsRow& row = run.table[j];
        out << csv_number(row.RawScore) << ',' << csv_number(row.Frequency) << ','
            << csv_number(row.Below) << ',' << csv_number(row.PR) << ','
            << csv_number(row.Lower95) << ',' << csv_number(row.Upper95) << ','
            << csv_number(row.Lower90) << ',' << csv_number(row.Upper90);
        for (const Cutoff& cutoff : cutoffs)
            out << ',' << csv_number(stats::Bayesian_cutoff_probability(n, row.Below, row.Frequency,
                                                                         cutoff.proportion));
        out << '\n';
    }
}

}  // namespace

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    BatchWorksheet worksheet;
    bool csv = false;
    std::vector<Cutoff> cutoffs;
    bool options_ended = false;
    std::vector<std::string> operands;
    const auto usage = [&] {
        err << BatchUsage << '\n';
        return 2;
    };
    const auto refuse = [&](const std::string& reason) {
        err << "vornak-batch: " << reason << '\n';
        return usage();
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (options_ended || !argument.starts_with("--")) {
            operands.push_back(argument);  // "-1" and "-" are numbers
        } else if (argument == "--csv") {
            csv = true;
        } else if (argument == "--cutoff" && i + 1 < arguments.size()) {
            const std::optional<Cutoff> cutoff = parse_cutoff(arguments[++i]);
            if (!cutoff)
                return refuse("--cutoff takes a percentile rank between 0 and 100, such as 2.5");
            cutoffs.push_back(*cutoff);
        } else if (argument == "--notes" && i + 1 < arguments.size()) {
            worksheet.notes = split_lines(arguments[++i]);
        } else if (argument == "--method" && i + 1 < arguments.size()) {
            const auto name =
                std::find(std::begin(method_names), std::end(method_names), arguments[++i]);
            if (name == std::end(method_names))
                return usage();
            worksheet.method = static_cast<int>(name - std::begin(method_names));
        } else {
            return usage();
        }
    }
    if (!cutoffs.empty() && worksheet.method != 0)
        return refuse("--cutoff gives a posterior probability, which needs the Bayesian method");
    if (!cutoffs.empty() && !csv)
        return refuse("--cutoff adds columns to the table, which needs --csv");
    // A FILE of nothing but white space would be a silent cancel.
    if (operands.size() != 4 || IsBlankFileName(operands[3]))
        return usage();
    for (int box = 0; box < 3; ++box)
        worksheet.texts[box] = operands[box];

    platform::ConsoleDesktop desktop(err, operands[3], stats::decimal_separator());
    BatchResults results;
    NormsRun run;
    try {
        if (!RunCompute(desktop, worksheet, results, run))
            return 1;
    } catch (const std::exception& failure) {
        desktop.failure(failure.what());
        return 1;
    }

    errno = 0;
    if (csv) {
        write_csv(out, run, cutoffs);
    } else {
        for (const std::string& line : results.lines)
            out << line << '\n';
    }
    if (!out.flush()) {
        desktop.failure(platform::file_failure(errno).what());
        return 1;
    }
    return 0;
}

}  // namespace norms
