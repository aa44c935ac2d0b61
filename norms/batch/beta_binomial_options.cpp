#include "norms/batch/beta_binomial_options.hpp"

#include <CLI/CLI.hpp>

#include "norms/batch/batch_command_line.hpp"
#include "norms/run/continuous_choices.hpp"
#include "stats/beta_binomial.hpp"

namespace norms {
namespace {


std::optional<int> whole_in(const std::string& text, int low, int high)
{
    std::size_t used = 0;
    try {
        const int number = std::stoi(text, &used);
        if (used == text.size() && text.find_first_not_of("0123456789") == std::string::npos && number >= low &&
            number <= high)
            return number;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

CLI::Option* add_degree(CLI::App& form, const std::string& name, std::optional<int>& degree, const std::string& shape)
{
    return AddTakenOption(
               form, name,
               [&degree](const std::string& text) {
                   degree = whole_in(text, 0, stats::most_beta_binomial_degree);
                   return degree.has_value();
               },
               "a whole number from 0 to " + std::to_string(stats::most_beta_binomial_degree),
               "the degree of log " + shape + " in age, for --family betabinomial (default: both chosen by BIC)")
        ->type_name("D");
}

// Whether the form has the option and it was given.
bool given(const CLI::App& form, const std::string& name)
{
    const CLI::Option* option = form.get_option_no_throw(name);
    return option && option->count() > 0;
}

}  // namespace

std::vector<CLI::Option*> add_family_options(CLI::App& form, BetaBinomialOptions& options, bool& best_family)
{
    std::vector<CLI::Option*> added;
    added.push_back(AddTakenOption(
                        form, "--family",
                        [&options, &best_family](const std::string& text) {
                            options.family = text == "betabinomial";
                            best_family = text == "best";
                            return text == "taylor" || text == "betabinomial" || text == "best";
                        },
                        "taylor, betabinomial or best",
                        "the model: best, the one whose norm scores err least on held-out cases (the default "
                        "unless --terms, --r2 or --model fixes a Taylor model), taylor, a polynomial in the location "
                        "and age, or betabinomial, the distribution of a count of correct items")
                        ->type_name("NAME"));
    added.push_back(AddTakenOption(
                        form, "--items",
                        [&options](const std::string& text) {
                            options.items = whole_in(text, 1, most_beta_binomial_items).value_or(0);
                            return options.items > 0;
                        },
                        "a whole number from 1 to " + std::to_string(most_beta_binomial_items),
                        "the number of items N, the highest raw score, for --family betabinomial")
                        ->type_name("N"));
    added.push_back(add_degree(form, "--alpha-degree", options.alpha_degree, "α"));
    added.push_back(add_degree(form, "--beta-degree", options.beta_degree, "β"));
    added.push_back(AddNameOption(form, "--weight", options.weight_variable, "a variable name",
                                  "each case's sampling weight, a number above 0, for --family betabinomial; a "
                                  "missing one skips the case")
                        ->type_name("VARIABLE"));
    added.push_back(AddNameOption(form, "--rake", options.margins_file, "a file name",
                                  "weight the cases to the population's shares in MARGINS (variable,value,share), "
                                  "for --family betabinomial, raking from the --weight weights if given")
                        ->type_name("MARGINS"));
    return added;
}

void check_family_choice(const CLI::App& form, const BetaBinomialOptions& options, bool best_family)
{
    if (best_family) {
        for (const char* name : {"--terms", "--r2", "--model"})
            if (given(form, name))
                throw CLI::ValidationError(std::string(name) + " has no use with --family best, which chooses the "
                                                               "model by cross-validation from the data");
    }
    if (!options.family) {
        for (const char* name : {"--items", "--alpha-degree", "--beta-degree", "--weight", "--rake"})
            if (given(form, name))
                throw CLI::ValidationError(std::string(name) + " needs --family betabinomial");
        return;
    }
    if (given(form, "--alpha-degree") != given(form, "--beta-degree"))
        throw CLI::ValidationError("--alpha-degree and --beta-degree go together: give both, or neither to have both "
                                   "chosen by BIC");
    if (given(form, "--model"))
        return;
    if (!given(form, "--items"))
        throw CLI::ValidationError("--family betabinomial needs --items: the number of items is the highest score");
    if (!given(form, "--score"))
        throw CLI::ValidationError("--score is required");
    if (!given(form, "FILE"))
        throw CLI::ValidationError("FILE is required");
    if (!given(form, "--age") && !given(form, "--group"))
        throw CLI::ValidationError(
            "--family betabinomial needs --age, or --group whose values are the model's ages");
    for (const char* name : {"--width", "--k", "--t", "--terms", "--r2"})
        if (given(form, name))
            throw CLI::ValidationError(std::string(name) +
                                       " has no use with --family betabinomial, which ranks no cases");
    if (given(form, "--seed") && !given(form, "--bootstrap"))
        throw CLI::ValidationError("--seed needs --bootstrap: it seeds the resamples");
}

}  // namespace norms
