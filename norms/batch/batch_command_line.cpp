#include "norms/batch/batch_command_line.hpp"

#include <algorithm>
#include <utility>

#include "norms/batch/batch_run.hpp"
#include "norms/write/chart_model.hpp"
#include "norms/write/xlsx_book.hpp"
#include "norms/read/frequency_file.hpp"
#include "norms/read/statistics_file.hpp"
#include "norms/read/text_source.hpp"
#include "norms/tables/scale_columns.hpp"
#include "norms/version.hpp"
#include "platform/printable_text.hpp"

namespace norms {

// Help in the order a reader looks for things: the synopsis, what the form does, its operands
// and options with one line each, then an example.
class BatchHelpFormatter : public CLI::Formatter {
public:
    std::vector<std::pair<const CLI::App*, std::string>> usages;  // "usage: ..." of each form

    const std::string& usage(const CLI::App& form) const
    {
        return std::find_if(usages.begin(), usages.end(),
                            [&](const auto& usage) { return usage.first == &form; })
            ->second;
    }

    std::string make_help(const CLI::App* form, std::string, CLI::AppFormatMode mode) const override
    {
        // The program's help shows the synopsis of every form, a form's help its own.
        std::string synopsis = usage(*form);
        if (form->get_parent() == nullptr) {
            for (const auto& [other, line] : usages)
                if (other != form)
                    synopsis += "\n" + std::string(line.find(' ') + 1, ' ') + line.substr(line.find(' ') + 1);
        }
        return synopsis + "\n\n" + make_description(form) + make_positionals(form) +
               make_groups(form, mode) + make_subcommands(form, mode) + "\n" + make_footer(form);
    }

    // The value's name after an option that takes one; nothing after a flag or an operand.
    std::string make_option_opts(const CLI::Option* option) const override
    {
        return option->get_positional() || option->get_type_size() == 0
                   ? ""
                   : " " + option->get_type_name();
    }
};

namespace {

// Lines as a notes box holds them: a final line feed starts no further line.
std::vector<std::string> split_notes(const std::string& text)
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

}  // namespace

void check_shared_options(const SharedOptions& options)
{
    if (!options.cutoffs.empty() && !gives_cutoff_probabilities(options.method))
        throw CLI::ValidationError(
            "--cutoff gives a posterior probability, which needs the Bayesian method");
    // The columns that cut-offs and scales add need an output that has columns.
    const bool adds_columns = !options.cutoffs.empty() || !options.scales.empty();
    if (adds_columns && !options.csv && options.xlsx_path.empty())
        throw CLI::ValidationError(std::string(options.cutoffs.empty() ? "--scale" : "--cutoff") +
                                   " adds columns to the table, which needs --csv or --xlsx");
}

CLI::Option* AddTakenOption(CLI::App& form, const std::string& name,
                            const std::function<bool(const std::string&)>& take,
                            const std::string& what, const std::string& description)
{
    const auto take_all = [name, take, what](const CLI::results_t& values) {
        for (const std::string& value : values)
            if (!take(value))
                throw CLI::ValidationError(name + " takes " + what);
        return true;
    };
    return form.add_option(name, take_all, description)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void AddFileOperand(CLI::App& form, std::string& file, const std::string& description)
{
    // A name of nothing but white space would be a cancelled dialog to the Compute run.
    AddTakenOption(
        form, "FILE",
        [&file](const std::string& name) {
            file = name;
            return !IsBlankFileName(name);
        },
        "a file name that is not blank", description)
        ->required();
}

CLI::Option* AddNameOption(CLI::App& form, const std::string& option, std::string& name, const std::string& what,
                           const std::string& description)
{
    return AddTakenOption(
        form, option,
        [&name](const std::string& value) {
            name = value;
            return !value.empty();
        },
        what, description);
}

void AddTextFileOptions(CLI::App& form, PersonScoreLayout& layout)
{
    AddTakenOption(
        form, "--delimiter",
        [&layout](const std::string& delimiter) {
            if (delimiter != "," && delimiter != ";" && delimiter != "\t" && delimiter != "\\t")
                return false;
            layout.delimiter = delimiter == "\\t" ? '\t' : delimiter[0];
            return true;
        },
        "\",\", \";\" or a tab", "the field delimiter: \",\" (the default), \";\" or a tab (\\t)")
        ->type_name("C");
    AddTakenOption(
        form, "--encoding",
        [&layout](const std::string& encoding) {
            layout.encoding = encoding;
            return IsKnownEncoding(encoding);
        },
        "an encoding that iconv knows, such as windows-1252",
        "the file's encoding, when it is not UTF-8: any name iconv knows, such as windows-1252")
        ->type_name("NAME");
}

CLI::Option* AddPersonFileOperand(CLI::App& form, std::string& file)
{
    return AddTakenOption(
        form, "FILE",
        [&file](const std::string& name) {
            file = name;
            if (IsUnreadableDataFileName(name))
                throw CLI::ValidationError(name + ": " + UnreadableDataFileReason);
            return !IsBlankFileName(name);
        },
        "a file name that is not blank",
        "delimited text with a header line and one row per person, or by its ending an SPSS "
        "(.sav, .zsav, .por), Stata (.dta) or SAS (.sas7bdat, .xpt) file");
}

stats::NormScale scale_option_value(const std::string& name)
{
    std::string reason;
    const std::optional<stats::NormScale> scale = ParseScaleOption(name, reason);
    if (!scale)
        throw CLI::ValidationError(reason);
    return *scale;
}

void AddMethodOption(CLI::App& form, stats::IntervalMethod& method)
{
    AddTakenOption(
        form, "--method",
        [&method](const std::string& name) {
            const std::optional<stats::IntervalMethod> named = stats::interval_method_named(name);
            if (named)
                method = *named;
            return named.has_value();
        },
        "bayesian, classical or mid-p", "the interval method: bayesian (the default), classical or mid-p")
        ->type_name("NAME");
}

void AddPlotOption(CLI::App& form, std::string& path, const std::string& description)
{
    AddTakenOption(
        form, "--plot",
        [&path](const std::string& name) {
            path = name;
            return ChartFormatOf(name).has_value();
        },
        "a picture name ending in .png, .svg or .pdf", description)
        ->type_name("PICTURE");
}

void AddWorkbookOption(CLI::App& form, std::string& path, const std::string& description)
{
    AddTakenOption(
        form, "--xlsx",
        [&path](const std::string& name) {
            path = name;
            return IsWorkbookName(name);
        },
        "a workbook name ending in .xlsx", description)
        ->type_name("WORKBOOK");
}

void AddSharedOptions(CLI::App& form, SharedOptions& options)
{
    AddMethodOption(form, options.method);
    form.add_flag("--csv", options.csv, "print the table as comma-separated values instead of the report");
    AddTakenOption(
        form, "--scale",
        [&options](const std::string& name) {
            options.scales.push_back(scale_option_value(name));
            return true;
        },
        "", "with --csv or --xlsx: add the rank and its limits as z, T, IQ, scaled, NCE, stanine, sten or "
            "M,SD scores; repeatable")
        ->type_name("NAME");
    AddWorkbookOption(form, options.xlsx_path, "also write the table to WORKBOOK, an Excel file with one sheet per group");
    AddTakenOption(
        form, "--cutoff",
        [&options](const std::string& text) {
            const std::optional<Cutoff> cutoff = ParseCutoff(text);
            if (cutoff)
                options.cutoffs.push_back(*cutoff);
            return cutoff.has_value();
        },
        "a percentile rank between 0 and 100, such as 2.5",
        "with --csv or --xlsx, Bayesian: add the probability that the rank lies below P; repeatable")
        ->type_name("P");
    AddTakenOption(
        form, "--notes",
        [&options](const std::string& text) {
            options.notes = split_notes(text);
            return true;
        },
        "", "notes for the report's heading, one line per line feed")
        ->type_name("TEXT");
    form.final_callback([&options] { check_shared_options(options); });
}

BatchCommandLine::BatchCommandLine(const std::string& description, const std::string& usage,
                                   const std::string& example)
    : program_(description, "vornak-batch"), help_(std::make_shared<BatchHelpFormatter>())
{
    help_->column_width(26);
    help_->label("Positionals", "Operands");
    help_->usages.emplace_back(&program_, usage);
    program_.formatter(help_);  // before the forms are added, which take it over
    program_.footer("Example:\n  " + example);
    program_.set_help_flag("-h,--help", "print this help and exit");
    program_.set_version_flag("--version", VersionLine, "print the program's name and version, and exit");
}

CLI::App& BatchCommandLine::add_form(const std::string& name, const std::string& description,
                                     const std::string& usage, const std::string& example)
{
    CLI::App* form = program_.add_subcommand(name, description);
    form->footer("Example:\n  " + example);
    help_->usages.emplace_back(form, usage);
    return *form;
}

std::optional<int> BatchCommandLine::parse(const std::vector<std::string>& arguments,
                                           std::ostream& out, std::ostream& err)
{
    chosen_ = &program_;
    for (CLI::App* form : program_.get_subcommands([](CLI::App*) { return true; })) {
        const bool named = !arguments.empty() && form->check_name(arguments.front());
        form->disabled(!named);
        if (named)
            chosen_ = form;
    }
    // The first form's operands are wanted only when it is the form chosen.
    if (chosen_ != &program_) {
        for (CLI::Option* operand : program_.get_options([](CLI::Option* option) { return option->get_positional(); }))
            operand->required(false);
    }

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());  // as CLI11 takes them
    try {
        program_.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return WriteOutput(out, err, chosen_->help());
    } catch (const CLI::CallForVersion& version) {
        return WriteOutput(out, err, version.what() + std::string("\n"));
    } catch (const CLI::ParseError& wrong) {
        // An unknown option such as "-csv" leaves an operand short; it is the better reason.
        const std::vector<std::string> unknown = chosen_->remaining();
        const bool operand_short = dynamic_cast<const CLI::RequiredError*>(&wrong) != nullptr;
        // The parser's own messages echo arguments as they came, so they go through the one rule
        // for echoed text too.
        const std::string reason = operand_short && !unknown.empty() ? CLI::ExtrasError(unknown).what() : wrong.what();
        err << "vornak-batch: " << platform::PrintableText(reason, 0) << '\n' << help_->usage(*chosen_) << '\n';
        return 2;
    }
    return std::nullopt;
}

}  // namespace norms
