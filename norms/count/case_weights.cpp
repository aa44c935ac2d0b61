#include "norms/count/case_weights.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <variant>

#include "norms/count/group_counter.hpp"
#include "platform/failure.hpp"
#include "platform/printable_text.hpp"
#include "stats/number_format.hpp"
#include "stats/raking.hpp"

namespace norms {
namespace {

// The stratification variables' values of every case with a starting weight, each variable's
// values coded by their first appearance, and the numeric codes' labels: a plain record that
// the reader fills.
struct StrataCollector : CaseSink {
    StrataCollector(const std::vector<MarginsVariable>& margins, const std::string& weight_variable,
                    const std::string& margins_file)
        : weight_variable(weight_variable), margins_file(margins_file), strata(margins.size())
    {
        for (const MarginsVariable& variable : margins)
            asked.push_back(variable.name);
        if (!weight_variable.empty())
            asked.push_back(weight_variable);
    }

    void take_variables(const std::vector<std::string>& names) override
    {
        for (std::size_t v = 0; v < strata.size(); ++v)
            if (std::find(names.begin(), names.end(), asked[v]) == names.end())
                throw platform::Failure("The margins file " + platform::in_quotes(margins_file) +
                                        " has the variable " + platform::in_quotes(asked[v]) +
                                        ", which the data file does not have");
    }

    void take_case(std::span<const DataValue> values, const CasePlace& place) override
    {
        unit = place.unit;
        variable_kind = place.variable_kind;
        const std::optional<Extended> weight =
            weight_variable.empty() ? std::optional<Extended>(1)
                                     : starting_weights.read(values[strata.size()], place, weight_variable);
        weights.push_back(weight ? *weight : NAN);
        if (!weight)
            return;
        places.push_back(place.number);
        for (std::size_t v = 0; v < strata.size(); ++v)
            strata[v].take(values[v]);
    }

    void take_label(std::size_t variable, double code, std::string_view label) override
    {
        if (variable < strata.size())
            strata[variable].labels.try_emplace(code, label);
    }

    // What a case's value must be for the margins to give it a share.
    struct Stratum {
        std::vector<DataValue> values;  // each different value once, texts in `texts`
        std::vector<std::string> texts;
        std::unordered_map<std::string, std::int32_t> code_of;
        std::vector<std::int32_t> codes;  // per case
        std::map<double, std::string> labels;

        void take(const DataValue& value)
        {
            std::string key = value.kind == DataValue::Kind::missing ? "" :
                              value.kind == DataValue::Kind::number
                                  ? "n" + stats::data_number_text(value.number)
                                  : "t" + std::string(value.text);
            const auto [entry, added] = code_of.try_emplace(key, static_cast<std::int32_t>(values.size()));
            if (added) {
                texts.emplace_back(value.text);
                values.push_back(value);
            }
            codes.push_back(entry->second);
        }

        // The margins' level of each different value: by its text, or for a numeric code by
        // its digits or else its label.
        std::vector<std::int32_t> levels(const MarginsVariable& margins) const
        {
            std::vector<std::int32_t> levels;
            for (std::size_t i = 0; i < values.size(); ++i) {
                const DataValue& value = values[i];
                std::int32_t level = stats::level_without_share;
                if (value.kind == DataValue::Kind::text) {
                    level = margins.level_of(texts[i]);
                } else if (value.kind == DataValue::Kind::number) {
                    level = margins.level_of(stats::data_number_text(value.number));
                    const auto label = labels.find(value.number);
                    if (level == stats::level_without_share && label != labels.end())
                        level = margins.level_of(label->second);
                }
                levels.push_back(level);
            }
            return levels;
        }

        std::string shown(std::int32_t code) const
        {
            const DataValue& value = values[static_cast<std::size_t>(code)];
            if (value.kind == DataValue::Kind::missing)
                return "a missing value";
            return value.kind == DataValue::Kind::text ? platform::in_quotes(texts[static_cast<std::size_t>(code)])
                                                       : stats::data_number_text(value.number);
        }
    };

    std::string weight_variable;
    std::string margins_file;
    CaseWeightReader starting_weights;
    VariableNames asked;
    std::vector<Stratum> strata;
    std::vector<Extended> weights;      // per case; NaN without a weight
    std::vector<std::int64_t> places;  // per case with a weight
    std::string unit = "case";
    std::string variable_kind = "variable";
};

std::string quoted_names(const std::vector<MarginsVariable>& margins,
                         const std::vector<std::size_t>& which)
{
    std::string names;
    for (std::size_t i = 0; i < which.size(); ++i)
        names += (i ? ", " : "") + platform::in_quotes(margins[which[i]].name);
    return names;
}

[[noreturn]] void refuse(const stats::RakingRefusal& refusal, const std::vector<MarginsVariable>& margins,
                         const StrataCollector& strata)
{
    const MarginsVariable& variable = margins[refusal.variable];
    const std::string name = platform::in_quotes(variable.name);
    const auto level = [&](std::int32_t at) {
        return at >= 0 && static_cast<std::size_t>(at) < variable.values.size()
                   ? platform::in_quotes(variable.values[static_cast<std::size_t>(at)])
                   : std::string("?");
    };
    switch (refusal.problem) {
    case stats::RakingProblem::shares_not_adding_to_one:
        throw platform::Failure("The shares of " + name + " in the margins add up to " +
                                stats::data_number_text(static_cast<double>(refusal.share_total)) +
                                ", not 1");
    case stats::RakingProblem::case_without_share: {
        const StrataCollector::Stratum& stratum = strata.strata[refusal.variable];
        const CasePlace place{strata.unit, strata.variable_kind, strata.places[refusal.case_index]};
        throw platform::Failure(value_place(place, variable.name) +
                                stratum.shown(stratum.codes[refusal.case_index]) +
                                " has no share in the margins");
    }
    case stats::RakingProblem::level_without_cases:
        throw platform::Failure("The margins give " + name + " = " + level(refusal.level) +
                                " a share, but no case has it");
    case stats::RakingProblem::no_convergence:
        throw platform::Failure("Raking to the margins of " + quoted_names(margins, refusal.variables) +
                                " did not converge in " + std::to_string(stats::raking_pass_limit) +
                                " passes; the margins may be impossible to meet together");
    case stats::RakingProblem::share_not_valid:
    case stats::RakingProblem::starting_weight_not_valid:
        break;
    }
    throw platform::Failure("The margins of " + name + " cannot be met");
}

}  // namespace

std::vector<Extended> raked_case_weights(const CaseReading& read,
                                         const std::vector<MarginsVariable>& margins,
                                         const std::string& weight_variable,
                                         const std::string& margins_file)
{
    StrataCollector strata(margins, weight_variable, margins_file);
    read(strata.asked, strata);
    if (margins.empty())
        return std::move(strata.weights);

    std::vector<stats::RakingVariable> variables;
    for (std::size_t v = 0; v < margins.size(); ++v) {
        const std::vector<std::int32_t> level_of_code = strata.strata[v].levels(margins[v]);
        stats::RakingVariable variable{margins[v].name, margins[v].shares, {}};
        for (const std::int32_t code : strata.strata[v].codes)
            variable.levels.push_back(level_of_code[static_cast<std::size_t>(code)]);
        variables.push_back(std::move(variable));
    }
    std::vector<Extended> starting;
    for (const Extended weight : strata.weights)
        if (!std::isnan(weight))
            starting.push_back(weight);
    const auto raked = stats::rake(variables, starting);
    if (const auto* refusal = std::get_if<stats::RakingRefusal>(&raked))
        refuse(*refusal, margins, strata);
    const std::vector<Extended>& weights = std::get<stats::RakedWeights>(raked).weights;
    std::vector<Extended> case_weights = strata.weights;
    std::size_t next = 0;
    for (Extended& weight : case_weights)
        if (!std::isnan(weight))
            weight = weights[next++];
    return case_weights;
}

std::string weights_file_text(const std::vector<Extended>& weights)
{
    Extended total = 0;
    std::size_t weighted = 0;
    for (const Extended weight : weights)
        if (!std::isnan(weight)) {
            total += weight;
            ++weighted;
        }
    std::string text = "case,weight\n";
    for (std::size_t c = 0; c < weights.size(); ++c) {
        text += std::to_string(c + 1) + ",";
        if (!std::isnan(weights[c]))
            text += stats::data_number_text(static_cast<double>(weights[c] * static_cast<Extended>(weighted) / total));
        text += '\n';
    }
    return text;
}

}  // namespace norms
