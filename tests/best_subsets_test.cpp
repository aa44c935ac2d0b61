#include "stats/best_subsets.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "stats/continuous_least_squares.hpp"
#include "tests/support/continuous_samples.hpp"
#include "tests/support/independent_fit.hpp"

using namespace stats;

namespace {

// Every subset of the candidates, by size, the best fit first, through `unexplained_of`.
template <class Unexplained>
std::vector<std::vector<FittedSubset>> all_subsets(std::size_t candidates, Unexplained unexplained_of)
{
    std::vector<std::vector<FittedSubset>> by_size(candidates + 1);
    for (SubsetMembers members = 1; members < (SubsetMembers{1} << candidates); ++members)
        by_size[std::popcount(members)].push_back({members, unexplained_of(members)});
    for (auto& subsets : by_size)
        std::sort(subsets.begin(), subsets.end(),
                  [](const FittedSubset& a, const FittedSubset& b) { return a.unexplained < b.unexplained; });
    return by_size;
}

void expect_same_best(const BestSubsets& found, const std::vector<std::vector<FittedSubset>>& every, std::size_t kept,
                      long double tolerance)
{
    ASSERT_EQ(found.by_size.size(), every.size());
    for (std::size_t p = 1; p < every.size(); ++p) {
        ASSERT_EQ(found.by_size[p].size(), std::min(kept, every[p].size())) << p << " terms";
        for (std::size_t rank = 0; rank < found.by_size[p].size(); ++rank) {
            EXPECT_EQ(found.by_size[p][rank].members, every[p][rank].members) << p << " terms, place " << rank;
            EXPECT_NEAR(found.by_size[p][rank].unexplained, every[p][rank].unexplained, tolerance);
        }
    }
}

}  // namespace

// k = t = 2: the 255 subsets of 8 candidates, each fitted on its raw columns by QR.
TEST(BestSubsets, FindTheBestFewOfEverySizeThatEveryFitFinds)
{
    const RankedCases ranked = rank_cases(continuous_samples::age_trend(4, 80, 11), {});
    const std::vector<PowerTerm> candidates = candidate_terms(2, 2);
    const CandidateRegression regression(ranked, candidates);
    const auto every = all_subsets(candidates.size(), [&](SubsetMembers members) {
        return 1 - independent_fit::least_squares(ranked, terms_of(members, candidates)).r2;
    });
    const BestSubsets found = find_best_subsets(regression.correlations(), static_cast<int>(candidates.size()), 8, 3);
    EXPECT_TRUE(found.dependent.empty());
    // QR on raw columns of L²A² (up to 10^6) against sweeps of their correlations.
    expect_same_best(found, every, 3, 1e-13L);
}

// k = t = 3: 32,767 subsets of 15 candidates, a tree deep enough for the bounds to pass over
// most of it, against each subset solved on its own from the cross products.
TEST(BestSubsets, PassOverNoSubsetThatBelongsAmongTheBest)
{
    const RankedCases ranked = rank_cases(continuous_samples::age_trend(5, 60, 12), {});
    const std::vector<PowerTerm> candidates = candidate_terms(3, 3);
    const CandidateRegression regression(ranked, candidates);
    const auto every = all_subsets(candidates.size(), [&](SubsetMembers members) {
        return regression.fit_from_correlations(members).unexplained;
    });
    for (const std::size_t kept : {1u, 4u}) {
        const BestSubsets found = find_best_subsets(regression.correlations(), 15, 15, static_cast<int>(kept));
        // The sweeps start from the inverse of all 15 candidates' cross products, whose
        // condition number is near 10^10, so they carry about 10^10 × 2^-64 of it.
        expect_same_best(found, every, kept, 1e-10L);
    }
    // Sizes above the largest asked are not searched.
    const BestSubsets small = find_best_subsets(regression.correlations(), 15, 4, 2);
    ASSERT_EQ(small.by_size.size(), 5u);
    EXPECT_EQ(small.by_size[4][1].members, every[4][1].members);
}

// The budget bounds the nodes, what was found by then is kept, and a watcher learns how far
// the search has come: all of its tree once it is through.
TEST(BestSubsets, StopAtTheirNodeBudgetWithTheBestFoundSoFar)
{
    const RankedCases ranked = rank_cases(continuous_samples::age_trend(5, 60, 12), {});
    const CandidateRegression regression(ranked, candidate_terms(3, 3));
    Interruption whole_watch;
    const BestSubsets whole = find_best_subsets(regression.correlations(), 15, 15, 4, &whole_watch);
    EXPECT_FALSE(whole.budget_reached);
    EXPECT_GT(whole.nodes, 10u);
    EXPECT_EQ(whole_watch.nodes, whole.nodes);
    EXPECT_EQ(whole_watch.share, 1.0);

    Interruption cut_watch;
    const BestSubsets cut = find_best_subsets(regression.correlations(), 15, 15, 4, &cut_watch, whole.nodes / 2);
    EXPECT_TRUE(cut.budget_reached);
    EXPECT_EQ(cut.nodes, whole.nodes / 2);
    EXPECT_GT(cut_watch.share, 0.0);
    EXPECT_LT(cut_watch.share, 1.0);
    // The root and its children are recorded before any node is visited.
    EXPECT_EQ(cut.by_size[15].front().members, whole.by_size[15].front().members);
    EXPECT_EQ(cut.by_size[14].front().members, whole.by_size[14].front().members);
    const BestSubsets exactly = find_best_subsets(regression.correlations(), 15, 15, 4, nullptr, whole.nodes);
    EXPECT_FALSE(exactly.budget_reached);
}

// Weighting a case by its count gives the cross products of its copies.
TEST(CandidateRegression, CountedCasesWeighAsTheirCopiesWould)
{
    RankedCases counted = rank_cases(continuous_samples::age_trend(3, 40, 13), {});
    RankedCases copied;
    for (std::size_t c = 0; c < counted.score.size(); ++c) {
        counted.counts.push_back(c % 4);
        for (std::uint32_t k = 0; k < c % 4; ++k) {
            copied.score.push_back(counted.score[c]);
            copied.A.push_back(counted.A[c]);
            copied.L.push_back(counted.L[c]);
        }
    }
    const std::vector<PowerTerm> candidates = candidate_terms(2, 1);
    const CandidateRegression by_counts(counted, candidates);
    const CandidateRegression by_copies(copied, candidates);
    for (std::size_t i = 0; i < by_counts.correlations().size(); ++i)
        EXPECT_NEAR(by_counts.correlations()[i], by_copies.correlations()[i], 1e-15L) << i;
    const TermFit a = by_counts.fit_from_correlations(all_candidates(candidates.size()));
    const TermFit b = by_copies.fit_from_columns(all_candidates(candidates.size()));
    EXPECT_NEAR(a.intercept, b.intercept, 1e-9L * std::abs(b.intercept));
    EXPECT_NEAR(a.unexplained, b.unexplained, 1e-12L);
}
