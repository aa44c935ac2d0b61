// Best-subset regression by branch and bound: for every number of terms p, the few subsets of
// p candidates whose least-squares fit (with an intercept) leaves the smallest residual sum of
// squares, found exactly, not by stepwise steps.
//
// The search is the leaps-and-bounds idea of Furnival & Wilson (1974) on a tree that drops one
// variable at a time (Gatu & Kontoghiorghes 2006): a node is a set V of which the first f are
// kept, and its subtree holds every subset of V that keeps them. Its children drop one of the
// others each. No subset in a subtree fits better than the subtree's root, so a subtree whose
// root fits worse than the kept subsets of every size it could still give is passed over.
//
// A node carries the cross-product matrix swept on V: there the residual sum of squares of V
// without variable v is RSS(V) + b_v² / (X'X)⁻¹_vv, one division per child, and a child's own
// matrix is one reverse sweep of its parent's, over the variables it may still drop and the
// response only. The variables a node may drop are taken in the
// order of their contribution, the largest first, so the large subtrees come first and are the
// ones most often passed over.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/distrib.hpp"
#include "stats/interruption.hpp"

namespace stats {

// Subsets of at most 64 candidates, one bit each.
using SubsetMembers = std::uint64_t;

struct FittedSubset {
    SubsetMembers members = 0;
    // Residual sum of squares as a share of the total: 1 - R².
    Extended unexplained = 1;
};

struct BestSubsets {
    // by_size[p]: the best subsets of p candidates, the best first, at most `kept` of them.
    std::vector<std::vector<FittedSubset>> by_size;
    // Candidates that the data cannot tell apart from a combination of earlier candidates and
    // that the search therefore leaves out.
    std::vector<int> dependent;
    // The nodes the search visited, and whether it stopped at its budget before it was through,
    // with the best subsets it had found by then.
    std::size_t nodes = 0;
    bool budget_reached = false;
};

// The nodes a search visits at most unless told otherwise: some 60 times what 23 candidates
// take, and about 15 s on 600 cases with 48 candidates, the most the terms allow, which would
// take minutes without it (docs/performance.md).
inline constexpr std::size_t default_node_budget = 10'000'000;

// The share of a candidate's variance that the earlier candidates must leave unexplained for
// it to take part. Below it the cross products no longer hold the candidate's own part to a
// few digits, in 80-bit arithmetic.
inline constexpr Extended dependence_tolerance = 1e-12L;

// `correlations` is the (q + 1) × (q + 1) matrix, row by row, of the cross products of the
// candidates' columns and then the response, each centred on its mean and scaled to length 1
// (a correlation matrix). Searches subsets of 1 … largest_size candidates and keeps the best
// `kept` of each size, visiting at most `node_budget` nodes. Throws Interrupted when
// `interruption` asks it to stop, and tells it the nodes visited and the share decided.
BestSubsets find_best_subsets(const std::vector<Extended>& correlations, int candidates, int largest_size,
                            int kept, Interruption* interruption = nullptr,
                            std::size_t node_budget = default_node_budget);

}  // namespace stats
