// Raking checked against what its fixed point must satisfy: every variable's margins, the
// post-stratification weights in closed form for one variable, and for two variables the
// cross-product ratio of the starting table, which iterative proportional fitting keeps.
#include "stats/raking.hpp"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

using stats::Extended;
using stats::RakingProblem;
using stats::RakingVariable;

namespace {

// The outcome of rake(), expected to be a T.
template <typename T>
T outcome(const std::vector<RakingVariable>& variables, const std::vector<Extended>& starting = {})
{
    const auto result = stats::rake(variables, starting);
    EXPECT_TRUE(std::holds_alternative<T>(result));
    return std::holds_alternative<T>(result) ? std::get<T>(result) : T{};
}
stats::RakedWeights raked(const std::vector<RakingVariable>& variables,
                          const std::vector<Extended>& starting = {})
{
    return outcome<stats::RakedWeights>(variables, starting);
}
stats::RakingRefusal refused(const std::vector<RakingVariable>& variables,
                             const std::vector<Extended>& starting = {})
{
    return outcome<stats::RakingRefusal>(variables, starting);
}

}  // namespace

TEST(Raking, ReachesEveryMarginOfDependentVariables)
{
    const std::vector<std::vector<Extended>> shares = {
        {0.2L, 0.3L, 0.5L}, {0.1L, 0.4L, 0.3L, 0.2L}, {0.05L, 0.15L, 0.3L, 0.25L, 0.25L}};
    for (std::size_t variable_count : {2, 3}) {
        // Each case's level copies its level of the variable before in two cases out of three.
        std::mt19937_64 random(20240611);
        std::vector<RakingVariable> variables;
        std::vector<Extended> starting;
        for (std::size_t i = 0; i < 5000; ++i)
            starting.push_back(0.5L + (i % 7) * 0.25L);
        for (std::size_t v = 0; v < variable_count; ++v) {
            RakingVariable& variable = variables.emplace_back(RakingVariable{"v", shares[v], {}});
            const auto level_count = static_cast<std::int32_t>(shares[v].size());
            for (std::size_t i = 0; i < 5000; ++i) {
                const auto drawn = static_cast<std::int32_t>(random() % level_count);
                const std::int32_t before = v == 0 ? drawn : variables[v - 1].levels[i] % level_count;
                variable.levels.push_back(random() % 3 == 0 ? drawn : before);
            }
        }
        const stats::RakedWeights result = raked(variables, starting);
        ASSERT_EQ(result.weights.size(), 5000u);
        EXPECT_GT(result.passes, 2);
        for (std::size_t v = 0; v < variable_count; ++v) {
            std::vector<Extended> totals(shares[v].size());
            for (std::size_t i = 0; i < 5000; ++i)
                totals[variables[v].levels[i]] += result.weights[i];
            // The starting weights add up to 6,248.75, and so do the raked ones.
            for (std::size_t level = 0; level < totals.size(); ++level)
                EXPECT_NEAR(totals[level] / 6248.75L, shares[v][level], 1e-9L) << "variable " << v;
        }
    }
}

TEST(Raking, OneVariableGivesThePostStratificationWeights)
{
    // Each case: share × total starting weight / its level's starting weight.
    const RakingVariable region{"region", {0.5L, 0.3L, 0.2L}, {0, 0, 1, 2, 2, 2, 1}};
    const std::vector<Extended> starting = {1, 3, 2, 0.5L, 0.25L, 1.25L, 2};
    const Extended level_totals[] = {4, 4, 2};
    const stats::RakedWeights result = raked({region}, starting);
    ASSERT_EQ(result.weights.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        const int level = region.levels[i];
        EXPECT_NEAR(result.weights[i] / (starting[i] * region.shares[level] * 10 / level_totals[level]),
                    1, 4 * stats::unit_roundoff);
    }
}

TEST(Raking, OneCaseALevelSetsEveryWeight)
{
    // 300 cases: "id" gives each its own level, with shares in proportion to 1 + i mod 7, and
    // "pair" joins cases i and i + 250 with the shares that agree. So many combinations of
    // levels are numbered through a map rather than a table.
    RakingVariable pair{"pair", std::vector<Extended>(250), {}};
    RakingVariable id{"id", {}, {}};
    for (std::int32_t i = 0; i < 300; ++i) {
        id.levels.push_back(i);
        id.shares.push_back((1 + i % 7) / 1197.0L);
        pair.levels.push_back(i % 250);
        pair.shares[i % 250] += id.shares.back();
    }
    const stats::RakedWeights result = raked({pair, id});
    for (std::size_t i = 0; i < 300; ++i)
        EXPECT_NEAR(result.weights[i], 300 * id.shares[i], 1e-15L) << "case " << i;
}

TEST(Raking, TwoByTwoKeepsTheCrossProductRatio)
{
    // Cells 00, 01, 10, 11 hold 10, 30, 20, 40 cases: a cross-product ratio θ = 10·40 / (30·20).
    // Raked to rows 0.6/0.4 and columns 0.3/0.7 of 100, cell 00 holds the t with the same
    // ratio: θ (60 - t)(30 - t) = t (10 + t), or (θ - 1) t² - (90θ + 10) t + 1800θ = 0.
    RakingVariable rows{"rows", {0.6L, 0.4L}, {}};
    RakingVariable columns{"columns", {0.3L, 0.7L}, {}};
    for (const auto& [row, column, count] : {std::tuple{0, 0, 10}, {0, 1, 30}, {1, 0, 20}, {1, 1, 40}}) {
        rows.levels.insert(rows.levels.end(), count, row);
        columns.levels.insert(columns.levels.end(), count, column);
    }
    const Extended theta = 2.0L / 3, a = theta - 1, b = -(90 * theta + 10), c = 1800 * theta;
    const Extended t00 = (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a);
    EXPECT_NEAR(raked({rows, columns}).weights.front() * 10, t00, 1e-9L);
}

TEST(Raking, CountsItsPassesAndNamesMarginsImpossibleTogether)
{
    // Margins already met: one pass that changes nothing. Independent levels: the first pass
    // meets both margins, the second confirms it. No variables: the starting weights.
    RakingVariable sex{"sex", {0.5L, 0.5L}, {0, 0, 1, 1}};
    RakingVariable age{"age", {0.5L, 0.5L}, {0, 1, 0, 1}};
    EXPECT_EQ(raked({sex, age}).passes, 1);
    age.shares = {0.4L, 0.6L};
    EXPECT_EQ(raked({sex, age}).passes, 2);
    const stats::RakedWeights none = raked({}, {2, 3});
    EXPECT_EQ(none.weights, (std::vector<Extended>{2, 3}));
    EXPECT_EQ(none.passes, 0);

    // The same variable twice with shares that contradict each other: each pass swings the
    // weights there and back, changing nothing over the whole pass. Age, independent of both,
    // stays met.
    const RakingVariable gender{"gender", {0.3L, 0.7L}, sex.levels};
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
    const stats::RakedWeights close = raked({sex, {"band", {0.25L, 0.7500005L}, {0, 0, 1, 1}}});
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
