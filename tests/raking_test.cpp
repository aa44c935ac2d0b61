// Raking checked against what its fixed point must satisfy: every variable's margins, the
// post-stratification weights in closed form for one variable, and for two variables the
// cross-product ratio of the starting table, which iterative proportional fitting keeps.
#include "stats/raking.hpp"

#include <cmath>
#include <map>
#include <random>

#include <gtest/gtest.h>

using stats::Extended;
using stats::RakingProblem;
using stats::RakingVariable;

namespace {

stats::RakedWeights raked(const std::vector<RakingVariable>& variables,
                          const std::vector<Extended>& starting = {})
{
    auto outcome = stats::rake(variables, starting);
    if (auto* refusal = std::get_if<stats::RakingRefusal>(&outcome))
        ADD_FAILURE() << "refused: problem " << static_cast<int>(refusal->problem);
    return std::get_if<stats::RakedWeights>(&outcome) ? std::get<stats::RakedWeights>(outcome)
                                                      : stats::RakedWeights{};
}

stats::RakingRefusal refused(const std::vector<RakingVariable>& variables,
                             const std::vector<Extended>& starting = {})
{
    auto outcome = stats::rake(variables, starting);
    EXPECT_TRUE(std::holds_alternative<stats::RakingRefusal>(outcome));
    return std::holds_alternative<stats::RakingRefusal>(outcome)
               ? std::get<stats::RakingRefusal>(outcome)
               : stats::RakingRefusal{};
}

// Each level's share of the total weight.
std::vector<Extended> weighted_shares(const RakingVariable& variable,
                                      const std::vector<Extended>& weights)
{
    std::vector<Extended> shares(variable.shares.size());
    Extended total = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        shares[variable.levels[i]] += weights[i];
        total += weights[i];
    }
    for (Extended& share : shares)
        share /= total;
    return shares;
}

// Levels that depend on one another: each case's level of a variable leans on its level of
// the variable before, so that raking one variable upsets the others.
std::vector<RakingVariable> dependent_variables(std::size_t cases,
                                                const std::vector<std::vector<Extended>>& shares)
{
    std::mt19937_64 random(20240611);
    std::vector<RakingVariable> variables;
    for (std::size_t v = 0; v < shares.size(); ++v) {
        RakingVariable& variable = variables.emplace_back();
        variable.name = "v" + std::to_string(v);
        variable.shares = shares[v];
        const auto level_count = static_cast<std::int32_t>(shares[v].size());
        for (std::size_t i = 0; i < cases; ++i) {
            const auto drawn = static_cast<std::int32_t>(random() % level_count);
            const std::int32_t before = v == 0 ? drawn : variables[v - 1].levels[i] % level_count;
            variable.levels.push_back(random() % 3 == 0 ? drawn : before);
        }
    }
    return variables;
}

}  // namespace

TEST(Raking, ReachesEveryMarginAndKeepsTheStartingWeightsWithinEachCell)
{
    const std::vector<std::vector<Extended>> two = {{0.2L, 0.3L, 0.5L}, {0.1L, 0.4L, 0.3L, 0.2L}};
    const std::vector<std::vector<Extended>> three = {
        {0.2L, 0.3L, 0.5L}, {0.1L, 0.4L, 0.3L, 0.2L}, {0.05L, 0.15L, 0.3L, 0.25L, 0.25L}};
    for (const auto& shares : {two, three}) {
        const std::vector<RakingVariable> variables = dependent_variables(5000, shares);
        std::vector<Extended> starting;
        for (std::size_t i = 0; i < 5000; ++i)
            starting.push_back(0.5L + (i % 7) * 0.25L);
        const stats::RakedWeights result = raked(variables, starting);
        ASSERT_EQ(result.weights.size(), 5000u);
        EXPECT_GT(result.passes, 2);
        for (const RakingVariable& variable : variables) {
            const std::vector<Extended> shares_now = weighted_shares(variable, result.weights);
            for (std::size_t level = 0; level < shares_now.size(); ++level)
                EXPECT_NEAR(shares_now[level], variable.shares[level], 1e-9L) << variable.name;
        }
        // One factor per combination of levels.
        std::map<std::vector<std::int32_t>, Extended> factor_of_cell;
        for (std::size_t i = 0; i < 5000; ++i) {
            std::vector<std::int32_t> cell;
            for (const RakingVariable& variable : variables)
                cell.push_back(variable.levels[i]);
            const Extended factor = result.weights[i] / starting[i];
            const auto [entry, added] = factor_of_cell.emplace(cell, factor);
            EXPECT_NEAR(factor / entry->second, 1, 1e-17L) << "case " << i;
        }
    }
}

TEST(Raking, OneVariableGivesThePostStratificationWeights)
{
    // Each case: share × total starting weight / its level's starting weight.
    RakingVariable region{"region", {0.5L, 0.3L, 0.2L}, {0, 0, 1, 2, 2, 2, 1}};
    const std::vector<Extended> starting = {1, 3, 2, 0.5L, 0.25L, 1.25L, 2};
    const Extended level_totals[] = {4, 4, 2};
    const stats::RakedWeights result = raked({region}, starting);
    ASSERT_EQ(result.weights.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        const int level = region.levels[i];
        EXPECT_NEAR(result.weights[i] / (starting[i] * region.shares[level] * 10 / level_totals[level]),
                    1, 4 * stats::unit_roundoff);
    }
    // The second pass finds nothing left to change.
    EXPECT_EQ(result.passes, 2);
}

TEST(Raking, TwoByTwoKeepsTheCrossProductRatio)
{
    // Cells 00, 01, 10, 11 hold 10, 30, 20, 40 cases: a cross-product ratio of 10·40 / (30·20).
    // The raked table with rows 0.6/0.4 and columns 0.3/0.7 of a total of 100 has the same
    // ratio, so its cell t = t00 solves θ (60 - t)(30 - t) = t (10 + t) with θ = 2/3.
    RakingVariable rows{"rows", {0.6L, 0.4L}, {}};
    RakingVariable columns{"columns", {0.3L, 0.7L}, {}};
    for (const auto& [row, column, count] : {std::tuple{0, 0, 10}, {0, 1, 30}, {1, 0, 20}, {1, 1, 40}}) {
        rows.levels.insert(rows.levels.end(), count, row);
        columns.levels.insert(columns.levels.end(), count, column);
    }
    const stats::RakedWeights result = raked({rows, columns});
    // θ(60 - t)(30 - t) = t(10 + t)  ⇔  (θ - 1) t² - (90θ + 10) t + 1800θ = 0.
    const Extended theta = 2.0L / 3, a = theta - 1, b = -(90 * theta + 10), c = 1800 * theta;
    const Extended t00 = (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a);
    EXPECT_NEAR(result.weights.front() * 10, t00, 1e-9L);
}

TEST(Raking, CountsItsPasses)
{
    // Margins already met: one pass that changes nothing.
    RakingVariable sex{"sex", {0.5L, 0.5L}, {0, 1, 0, 1}};
    RakingVariable band{"band", {0.5L, 0.5L}, {0, 0, 1, 1}};
    EXPECT_EQ(raked({sex, band}).passes, 1);
    // Independent levels: the first pass meets both margins, the second confirms it.
    sex.shares = {0.3L, 0.7L};
    band.shares = {0.8L, 0.2L};
    EXPECT_EQ(raked({sex, band}).passes, 2);
    // No variables: the starting weights.
    const stats::RakedWeights none = raked({}, {2, 3});
    EXPECT_EQ(none.weights, (std::vector<Extended>{2, 3}));
    EXPECT_EQ(none.passes, 0);
}

TEST(Raking, MarginsImpossibleTogetherAreNamedAfterThePassLimit)
{
    // The same variable twice, with shares that contradict each other: each pass swings the
    // weights from one set of shares to the other and back, changing nothing over a whole pass.
    // Age is independent of both, so its margin, once met, stays met.
    const std::vector<std::int32_t> levels = {0, 0, 1, 1};
    const RakingVariable sex{"sex", {0.5L, 0.5L}, levels};
    const RakingVariable gender{"gender", {0.3L, 0.7L}, levels};
    const RakingVariable age{"age", {0.4L, 0.6L}, {0, 1, 0, 1}};
    const stats::RakingRefusal refusal = refused({sex, age, gender});
    EXPECT_EQ(refusal.problem, RakingProblem::no_convergence);
    EXPECT_EQ(refusal.variables, (std::vector<std::size_t>{0, 2}));
}

TEST(Raking, Refusals)
{
    const RakingVariable sex{"sex", {0.5L, 0.5L}, {0, 1, 0, 1}};
    const auto problem_with = [&](std::vector<Extended> shares, std::vector<std::int32_t> levels) {
        return refused({sex, {"band", std::move(shares), std::move(levels)}});
    };
    // Shares: within 1e-6 of a total of 1 they are taken in proportion.
    const stats::RakingRefusal over = problem_with({0.5L, 0.500002L}, {0, 0, 1, 1});
    EXPECT_EQ(over.problem, RakingProblem::shares_not_adding_to_one);
    EXPECT_EQ(over.variable, 1u);
    EXPECT_EQ(over.share_total, 0.5L + 0.500002L);
    const stats::RakedWeights close =
        raked({sex, {"band", {0.25L, 0.7500005L}, {0, 0, 1, 1}}});
    EXPECT_NEAR(close.weights[0] + close.weights[1], 4 * 0.25L / 1.0000005L, 1e-15L);
    EXPECT_EQ(problem_with({-0.5L, 1.5L}, {0, 0, 1, 1}).problem, RakingProblem::share_not_valid);
    EXPECT_EQ(problem_with({NAN, 1}, {0, 0, 1, 1}).level, 0);

    // Cases without a share: no level, a level beyond the shares, a level with a share of 0.
    for (std::int32_t level : {stats::level_without_share, 3, 2}) {
        const stats::RakingRefusal refusal = problem_with({0.5L, 0.5L, 0}, {0, 1, level, 0});
        EXPECT_EQ(refusal.problem, RakingProblem::case_without_share);
        EXPECT_EQ(refusal.case_index, 2u);
        EXPECT_EQ(refusal.level, level);
    }
    // A level with a share but no case; one with neither is fine.
    const stats::RakingRefusal empty = problem_with({0.5L, 0.2L, 0.3L}, {0, 0, 2, 2});
    EXPECT_EQ(empty.problem, RakingProblem::level_without_cases);
    EXPECT_EQ(empty.level, 1);
    EXPECT_EQ(raked({sex, {"band", {0.5L, 0, 0.5L}, {0, 0, 2, 2}}}).weights.size(), 4u);

    for (Extended weight : {0.0L, -1.0L, Extended(INFINITY), Extended(NAN)}) {
        const stats::RakingRefusal refusal = refused({sex}, {1, 1, weight, 1});
        EXPECT_EQ(refusal.problem, RakingProblem::starting_weight_not_valid);
        EXPECT_EQ(refusal.case_index, 2u);
    }
    EXPECT_THROW(stats::rake({sex}, {1, 1, 1}), std::invalid_argument);
}
