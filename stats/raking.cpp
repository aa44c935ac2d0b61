#include "stats/raking.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <unordered_map>

#include "stats/compensated_sum.hpp"

namespace stats {
namespace {

// Raking multiplies the weights of all cases with the same levels of every variable by the
// same factors, so it runs on these cells, each with the total of its cases' starting
// weights, and a case's weight is its starting weight times its cell's factor. A sample has
// at most as many cells as cases, and usually far fewer.
struct Cells {
    std::vector<std::uint32_t> of_case;
    std::vector<std::vector<std::int32_t>> levels;  // per variable, each cell's level
    std::vector<Extended> totals;                   // the starting weights of each cell's cases
};

// Numbers the combinations of levels in the order they first appear, one variable at a time:
// a case's cell so far and its level of the next variable give its next cell.
std::vector<std::uint32_t> cell_of_each_case(const std::vector<RakingVariable>& variables,
                                             std::size_t case_count, std::size_t& cell_count)
{
    std::vector<std::uint32_t> cell(case_count, 0);
    cell_count = case_count > 0 ? 1 : 0;
    for (const RakingVariable& variable : variables) {
        const std::uint64_t level_count = variable.shares.size();
        std::uint32_t numbered = 0;
        // Holds each key's cell plus 1, so that the 0 a new entry starts with means "none yet".
        const auto renumber = [&](auto& cell_after_key) {
            for (std::size_t i = 0; i < case_count; ++i) {
                std::uint32_t& next = cell_after_key[cell[i] * level_count + variable.levels[i]];
                if (next == 0)
                    next = ++numbered;
                cell[i] = next - 1;
            }
        };
        // A table indexed by the key while it stays about the size of the sample, else a map.
        if (cell_count * level_count <= std::max<std::uint64_t>(case_count, 1 << 16)) {
            std::vector<std::uint32_t> cell_after_key(cell_count * level_count);
            renumber(cell_after_key);
        } else {
            std::unordered_map<std::uint64_t, std::uint32_t> cell_after_key;
            renumber(cell_after_key);
        }
        cell_count = numbered;
    }
    return cell;
}

Cells cells_of(const std::vector<RakingVariable>& variables,
               const std::vector<Extended>& starting_weights, std::size_t case_count)
{
    Cells cells;
    std::size_t cell_count = 0;
    cells.of_case = cell_of_each_case(variables, case_count, cell_count);
    for (const RakingVariable& variable : variables) {
        std::vector<std::int32_t>& levels = cells.levels.emplace_back(cell_count);
        for (std::size_t i = 0; i < case_count; ++i)
            levels[cells.of_case[i]] = variable.levels[i];
    }
    std::vector<CompensatedSum> totals(cell_count);
    for (std::size_t i = 0; i < case_count; ++i)
        totals[cells.of_case[i]].add(starting_weights.empty() ? 1 : starting_weights[i]);
    for (const CompensatedSum& total : totals)
        cells.totals.push_back(total.value());
    return cells;
}

std::optional<RakingRefusal> variable_refusal(const RakingVariable& variable,
                                              std::size_t variable_index)
{
    RakingRefusal refusal;
    refusal.problem = RakingProblem::share_not_valid;
    refusal.variable = variable_index;
    CompensatedSum share_total;
    for (std::size_t level = 0; level < variable.shares.size(); ++level) {
        const Extended share = variable.shares[level];
        if (!(share >= 0) || std::isinf(share)) {
            refusal.level = static_cast<std::int32_t>(level);
            return refusal;
        }
        share_total.add(share);
    }
    if (!(std::fabs(share_total.value() - 1) <= share_total_tolerance)) {
        refusal.problem = RakingProblem::shares_not_adding_to_one;
        refusal.share_total = share_total.value();
        return refusal;
    }
    std::vector<bool> level_has_cases(variable.shares.size());
    for (std::size_t i = 0; i < variable.levels.size(); ++i) {
        const std::int32_t level = variable.levels[i];
        if (level < 0 || static_cast<std::size_t>(level) >= variable.shares.size() ||
            variable.shares[level] == 0) {
            refusal.problem = RakingProblem::case_without_share;
            refusal.case_index = i;
            refusal.level = level;
            return refusal;
        }
        level_has_cases[level] = true;
    }
    for (std::size_t level = 0; level < variable.shares.size(); ++level) {
        if (variable.shares[level] > 0 && !level_has_cases[level]) {
            refusal.problem = RakingProblem::level_without_cases;
            refusal.level = static_cast<std::int32_t>(level);
            return refusal;
        }
    }
    return std::nullopt;
}

std::optional<RakingRefusal> refusal_of(const std::vector<RakingVariable>& variables,
                                        const std::vector<Extended>& starting_weights)
{
    for (std::size_t i = 0; i < starting_weights.size(); ++i) {
        const Extended weight = starting_weights[i];
        if (!(weight > 0) || std::isinf(weight)) {
            RakingRefusal refusal;
            refusal.problem = RakingProblem::starting_weight_not_valid;
            refusal.case_index = i;
            return refusal;
        }
    }
    for (std::size_t v = 0; v < variables.size(); ++v)
        if (std::optional<RakingRefusal> refusal = variable_refusal(variables[v], v))
            return refusal;
    return std::nullopt;
}

std::size_t case_count_of(const std::vector<RakingVariable>& variables,
                          const std::vector<Extended>& starting_weights)
{
    const std::size_t count = !starting_weights.empty() ? starting_weights.size()
                              : !variables.empty()      ? variables.front().levels.size()
                                                        : 0;
    for (const RakingVariable& variable : variables)
        if (variable.levels.size() != count)
            throw std::invalid_argument("rake: the variable " + variable.name + " has " +
                                        std::to_string(variable.levels.size()) +
                                        " levels for " + std::to_string(count) + " cases");
    if (count >= std::numeric_limits<std::uint32_t>::max())
        throw std::invalid_argument("rake: more cases than it numbers");
    return count;
}

}  // namespace

std::variant<RakedWeights, RakingRefusal> rake(const std::vector<RakingVariable>& variables,
                                               const std::vector<Extended>& starting_weights)
{
    const std::size_t case_count = case_count_of(variables, starting_weights);
    if (std::optional<RakingRefusal> refusal = refusal_of(variables, starting_weights))
        return *refusal;

    const Cells cells = cells_of(variables, starting_weights, case_count);
    const std::size_t cell_count = cells.totals.size();
    CompensatedSum total;
    for (Extended cell_total : cells.totals)
        total.add(cell_total);

    // Each level's target total: its share of the starting weights' total, the shares taken in
    // proportion to their own total.
    std::vector<std::vector<Extended>> targets;
    for (const RakingVariable& variable : variables) {
        CompensatedSum share_total;
        for (Extended share : variable.shares)
            share_total.add(share);
        std::vector<Extended>& level_targets = targets.emplace_back();
        for (Extended share : variable.shares)
            level_targets.push_back(share / share_total.value() * total.value());
    }

    std::vector<Extended> factor_of_cell(cell_count, 1);
    std::vector<std::size_t> moving;  // variables whose factors moved a weight in this pass
    int passes = 0;
    while (!variables.empty()) {
        if (passes == raking_pass_limit) {
            RakingRefusal refusal;
            refusal.problem = RakingProblem::no_convergence;
            refusal.variables = moving;
            return refusal;
        }
        ++passes;
        moving.clear();
        for (std::size_t v = 0; v < variables.size(); ++v) {
            const std::vector<std::int32_t>& level_of_cell = cells.levels[v];
            std::vector<Extended> factors(targets[v].size());
            for (std::size_t c = 0; c < cell_count; ++c)
                factors[level_of_cell[c]] += cells.totals[c] * factor_of_cell[c];
            bool moved = false;
            for (std::size_t level = 0; level < factors.size(); ++level) {
                // A level without cases has a share of 0 and nothing to adjust.
                factors[level] = factors[level] > 0 ? targets[v][level] / factors[level] : 1;
                moved = moved || !(std::fabs(factors[level] - 1) <= raking_tolerance);
            }
            if (moved)
                moving.push_back(v);
            for (std::size_t c = 0; c < cell_count; ++c)
                factor_of_cell[c] *= factors[level_of_cell[c]];
        }
        if (moving.empty())
            break;
    }

    RakedWeights raked{std::vector<Extended>(case_count), passes};
    for (std::size_t i = 0; i < case_count; ++i)
        raked.weights[i] = (starting_weights.empty() ? 1 : starting_weights[i]) *
                           factor_of_cell[cells.of_case[i]];
    return raked;
}

}  // namespace stats
