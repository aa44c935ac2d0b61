// The command line of vornak-batch, parsed by CLI11: its forms, the options that every form
// takes, and one parse with the help and usage lines.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "norms/batch/batch_options.hpp"
#include "norms/count/group_counter.hpp"
#include "stats/norm_scales.hpp"

namespace norms {

// Adds the options that every form takes to `form`, which fills `options` as it parses and
// refuses the combinations that make no sense.
void AddSharedOptions(CLI::App& form, SharedOptions& options);

// Throws CLI::ValidationError, with the reason, for shared options that make no sense together.
void check_shared_options(const SharedOptions& options);

// Adds an option (or, for a name without dashes, an operand) that hands each of its values to
// `take`. A value that `take` refuses stops the parse with "NAME takes WHAT". Given more than
// once, every value is taken in turn.
CLI::Option* AddTakenOption(CLI::App& form, const std::string& name,
                            const std::function<bool(const std::string&)>& take,
                            const std::string& what, const std::string& description);

// The scale a --scale names; throws CLI::ValidationError with the reason for any other text,
// so that each refusal of a scale gives its own reason.
stats::NormScale scale_option_value(const std::string& name);

// Adds --method NAME, which sets `method` to the method of that command-line name.
void AddMethodOption(CLI::App& form, stats::IntervalMethod& method);

// Adds --plot PICTURE, a file name ending in .png, .svg or .pdf.
void AddPlotOption(CLI::App& form, std::string& path, const std::string& description);

// Adds --xlsx WORKBOOK, a file name ending in .xlsx.
void AddWorkbookOption(CLI::App& form, std::string& path, const std::string& description);

// Adds the operand FILE, which must not be blank.
void AddFileOperand(CLI::App& form, std::string& file, const std::string& description);

// Adds an option that takes a name that is not empty, such as a variable's, into `name`.
CLI::Option* AddNameOption(CLI::App& form, const std::string& option, std::string& name, const std::string& what,
                           const std::string& description);

// Adds --delimiter C and --encoding NAME, how a delimited text file of per-person data is read.
void AddTextFileOptions(CLI::App& form, PersonScoreLayout& layout);

// Adds the operand FILE of per-person data: delimited text, or by its ending a statistics
// file; a spreadsheet or R file is refused.
CLI::Option* AddPersonFileOperand(CLI::App& form, std::string& file);

class BatchHelpFormatter;

// The program and its forms. The first argument alone chooses the form, so that a later
// operand such as a file named "scores" stays an operand.
class BatchCommandLine {
public:
    // The program is its own first form, taken when the first argument names no other.
    BatchCommandLine(const std::string& description, const std::string& usage,
                     const std::string& example);

    CLI::App& program() { return program_; }

    // Adds the form that `name` as the first argument chooses.
    CLI::App& add_form(const std::string& name, const std::string& description,
                       const std::string& usage, const std::string& example);

    // Parses `arguments`. Gives nullopt when the chosen form is to run, else the exit status:
    // 0 once the help or the version is printed on `out`, 2 for wrong arguments, refused on
    // `err` with the reason and the form's usage line.
    std::optional<int> parse(const std::vector<std::string>& arguments, std::ostream& out,
                             std::ostream& err);

    // The form that the arguments chose; `program()` for the first form.
    const CLI::App& chosen() const { return *chosen_; }

private:
    CLI::App program_;
    std::shared_ptr<BatchHelpFormatter> help_;
    const CLI::App* chosen_ = &program_;
};

}  // namespace norms
