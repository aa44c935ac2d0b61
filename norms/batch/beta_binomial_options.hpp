// The continuous form's choice of family: the Taylor polynomial in the location and age (the
// default), or the beta-binomial distribution of a test's item count, with its number of items
// and the degrees of its two shapes over age.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}

namespace norms {

struct BetaBinomialOptions {
    bool family = false;  // --family betabinomial
    int items = 0;
    std::optional<int> alpha_degree;  // none: chosen by BIC
    std::optional<int> beta_degree;
    std::string weight_variable;  // each case's sampling weight
    std::string margins_file;     // the population's shares the cases are raked to

    friend bool operator==(const BetaBinomialOptions&, const BetaBinomialOptions&) = default;
};

// Adds --family, --items, --alpha-degree, --beta-degree, --weight and --rake, which fill `options` as they are
// parsed; gives the options added.
// --family best sets `best_family`.
std::vector<CLI::Option*> add_family_options(CLI::App& form, BetaBinomialOptions& options, bool& best_family);

// Refuses, with CLI::ValidationError, the choices that make no sense for the family chosen: the
// beta-binomial's options (and case weights) with the Taylor family; with the beta-binomial, a missing --items,
// --score, FILE or age (--age or --group), and the Taylor family's ranking and terms.
void check_family_choice(const CLI::App& form, const BetaBinomialOptions& options, bool best_family);

}  // namespace norms
