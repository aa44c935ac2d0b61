#include "stats/best_subsets.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace stats {
namespace {

constexpr Extended infinity = std::numeric_limits<Extended>::infinity();

SubsetMembers bit(int candidate)
{
    return SubsetMembers{1} << candidate;
}

// The sweep operator on variable k of a symmetric size × size matrix (Goodnight 1979): swept
// on a set of variables, the matrix holds minus the inverse of their cross products, their
// regression coefficients in the response's column and the residual sum of squares in its
// corner.
void sweep(std::vector<Extended>& a, int size, int k)
{
    const Extended pivot = a[k * size + k];
    for (int i = 0; i < size; ++i)
        for (int j = 0; j < size; ++j)
            if (i != k && j != k)
                a[i * size + j] -= a[i * size + k] * a[k * size + j] / pivot;
    for (int i = 0; i < size; ++i)
        if (i != k) {
            a[i * size + k] /= pivot;
            a[k * size + i] /= pivot;
        }
    a[k * size + k] = -1 / pivot;
}

class Search {
public:
    Search(int largest_size, int kept, Interruption* interruption, std::size_t node_budget)
        : largest_size_(largest_size), kept_(kept), interruption_(interruption), node_budget_(node_budget)
    {
        best_.by_size.resize(largest_size + 1);
        thresholds_.assign(largest_size + 1, infinity);
    }

    BestSubsets run(std::vector<Extended> matrix, int candidates)
    {
        const std::vector<int> active = sweep_all(matrix, candidates);
        const int m = static_cast<int>(active.size());
        // The root: the swept matrix on the active candidates and the response.
        std::vector<Extended> root((m + 1) * (m + 1));
        std::vector<int> index = active;
        index.push_back(candidates);
        for (int a = 0; a <= m; ++a)
            for (int b = 0; b <= m; ++b)
                root[a * (m + 1) + b] = matrix[index[a] * (candidates + 1) + index[b]];
        SubsetMembers members = 0;
        for (const int candidate : active)
            members |= bit(candidate);
        record(members, m, root[m * (m + 1) + m]);
        levels_.resize(m + 1);
        for (int d = 1; d <= m; ++d)
            levels_[d] = {std::vector<int>(d),           std::vector<Extended>(d), std::vector<Extended>(d * d),
                          std::vector<int>(d),           std::vector<Extended>(d), std::vector<Extended>(d),
                          std::vector<int>(d)};
        if (m == 0)
            return finished();
        subsets_ = std::ldexp(Extended{1}, m);
        decided_ = 1;  // the root
        std::vector<Extended> diagonal(m);
        std::vector<Extended> with_score(m);
        for (int i = 0; i < m; ++i) {
            diagonal[i] = root[i * (m + 1) + i];
            with_score[i] = root[i * (m + 1) + m];
        }
        if (expand(diagonal.data(), with_score.data(), root[m * (m + 1) + m], active.data(), m, members, m))
            descend(root.data(), active.data(), m, members, m);
        return finished();
    }

private:
    // Sweeps every candidate in turn, leaving out those whose unexplained part falls below the
    // tolerance once the earlier ones are swept. Returns the candidates swept.
    std::vector<int> sweep_all(std::vector<Extended>& a, int candidates)
    {
        const int size = candidates + 1;
        std::vector<int> active;
        for (int k = 0; k < candidates; ++k) {
            const Extended pivot = a[k * size + k];
            if (!(pivot > dependence_tolerance)) {
                best_.dependent.push_back(k);
                continue;
            }
            sweep(a, size, k);
            active.push_back(k);
        }
        return active;
    }

    Extended threshold(int size) const
    {
        return size >= 1 && size <= largest_size_ ? thresholds_[size] : -infinity;
    }

    void record(SubsetMembers members, int size, Extended unexplained)
    {
        if (!(unexplained < threshold(size)))
            return;
        auto& best = best_.by_size[size];
        const auto place = std::upper_bound(best.begin(), best.end(), unexplained,
                                            [](Extended u, const FittedSubset& s) { return u < s.unexplained; });
        best.insert(place, {members, unexplained});
        if (static_cast<int>(best.size()) > kept_)
            best.pop_back();
        if (static_cast<int>(best.size()) == kept_)
            thresholds_[size] = best.back().unexplained;
    }

    // Whether a subtree whose root leaves `unexplained` could still give a subset of a size
    // from `smallest` to `largest` that is kept.
    bool worth_visiting(Extended unexplained, int smallest, int largest) const
    {
        for (int size = std::max(smallest, 1); size <= std::min(largest, largest_size_); ++size)
            if (unexplained < thresholds_[size])
                return true;
        return false;
    }

    // A node: the subset `members` of m candidates, of which it may drop the d in `droppable`.
    // `diagonal` and `with_score` hold their diagonal entries and the response's column in the
    // matrix swept on the subset. Orders them by what dropping each costs, the largest first,
    // and records the subsets without each. Returns whether any child is worth visiting.
    bool expand(const Extended* diagonal, const Extended* with_score, Extended unexplained, const int* droppable,
                int d, SubsetMembers members, int m)
    {
        Level& level = levels_[d];
        for (int i = 0; i < d; ++i) {
            level.order[i] = i;
            const Extended inverse = -diagonal[i];
            level.rise[i] = inverse > 0 ? with_score[i] * with_score[i] / inverse : infinity;
        }
        const Extended* rise = level.rise.data();
        std::sort(level.order.begin(), level.order.end(),
                  [&](int x, int y) { return rise[x] > rise[y] || (rise[x] == rise[y] && x < y); });
        for (int position = 0; position < d; ++position)
            record(members & ~bit(droppable[level.order[position]]), m - 1, unexplained + rise[level.order[position]]);
        for (int position = 0; position < d; ++position)
            if (child_worth_visiting(unexplained + rise[level.order[position]], m - d + position, m))
                return true;
        return false;
    }

    // The subtree of a child of a node of m candidates gives sizes child_kept … m - 2; the child
    // itself is recorded already.
    bool child_worth_visiting(Extended child_unexplained, int child_kept, int m) const
    {
        return child_kept <= m - 2 && worth_visiting(child_unexplained, child_kept, m - 2);
    }

    // Visits the children of an expanded node whose swept matrix over its droppable candidates
    // and the response (last) is `a`. The child at place k of the order drops that candidate and
    // keeps those before it for good, so its matrix needs only the candidates after it: a
    // reverse sweep updates the entries among the others from those entries alone. Its
    // diagonal and response column come first, and the whole matrix only when one of its own
    // children is to be visited, which spares most of the work near the leaves.
    void descend(const Extended* a, const int* droppable, int d, SubsetMembers members, int m)
    {
        check(interruption_);
        if (best_.nodes == node_budget_) {
            best_.budget_reached = true;
            return;
        }
        ++best_.nodes;
        report_progress();
        const int size = d + 1;
        const Extended unexplained = a[d * size + d];
        Level& level = levels_[d];
        for (int position = 0; position + 1 < d; ++position) {
            const int dropped = level.order[position];
            const Extended child_unexplained = unexplained + level.rise[dropped];
            // The child's subtree holds 2^child_d subsets: decided at once when passed over,
            // else the child now and the rest as its own children are.
            const Extended child_subsets = std::ldexp(Extended{1}, d - position - 1);
            if (best_.budget_reached)
                return;
            if (!child_worth_visiting(child_unexplained, m - d + position, m)) {
                decided_ += child_subsets;
                continue;
            }
            // The child's droppable candidates: those after `dropped` in the order, then the response.
            const int child_d = d - position - 1;
            Level& below = levels_[child_d];
            int* rows = level.rows.data();
            for (int x = 0; x < child_d; ++x)
                rows[x] = level.order[position + 1 + x];
            rows[child_d] = d;
            const Extended* pivot_row = a + dropped * size;
            const Extended pivot = pivot_row[dropped];
            int* child_droppable = below.candidates.data();
            for (int x = 0; x < child_d; ++x) {
                const Extended* row = a + rows[x] * size;
                const Extended factor = row[dropped] / pivot;
                below.diagonal[x] = row[rows[x]] - factor * pivot_row[rows[x]];
                below.with_score[x] = row[d] - factor * pivot_row[d];
                child_droppable[x] = droppable[rows[x]];
            }
            const SubsetMembers child_members = members & ~bit(droppable[dropped]);
            if (!expand(below.diagonal.data(), below.with_score.data(), child_unexplained, child_droppable, child_d,
                        child_members, m - 1)) {
                decided_ += child_subsets;
                continue;
            }
            decided_ += 1;
            const int child_size = child_d + 1;
            Extended* child = level.child.data();
            for (int x = 0; x < child_size; ++x) {
                const Extended* row = a + rows[x] * size;
                const Extended factor = row[dropped] / pivot;
                for (int y = x; y < child_size; ++y) {
                    const Extended value = row[rows[y]] - factor * pivot_row[rows[y]];
                    child[x * child_size + y] = value;
                    child[y * child_size + x] = value;
                }
            }
            descend(child, child_droppable, child_d, child_members, m - 1);
        }
        decided_ += 1;  // the last child, a single subset recorded by expand
    }

    void report_progress() const
    {
        if (!interruption_)
            return;
        interruption_->nodes.store(best_.nodes, std::memory_order_relaxed);
        interruption_->share.store(static_cast<double>(decided_ / subsets_), std::memory_order_relaxed);
    }

    BestSubsets finished()
    {
        if (interruption_ && !best_.budget_reached)
            interruption_->share.store(1, std::memory_order_relaxed);
        return std::move(best_);
    }

    // Work space for the nodes that may drop d candidates, reused by each in turn; `child`,
    // `rows` and `candidates` serve its children, `diagonal` and `with_score` itself.
    struct Level {
        std::vector<int> order;
        std::vector<Extended> rise;
        std::vector<Extended> child;
        std::vector<int> rows;
        std::vector<Extended> diagonal;
        std::vector<Extended> with_score;
        std::vector<int> candidates;
    };

    int largest_size_;
    int kept_;
    Interruption* interruption_;
    std::size_t node_budget_;
    // The subsets of the whole tree, and those visited, recorded or passed over so far.
    Extended subsets_ = 1;
    Extended decided_ = 0;
    BestSubsets best_;
    std::vector<Extended> thresholds_;
    std::vector<Level> levels_;
};

}  // namespace

BestSubsets find_best_subsets(const std::vector<Extended>& correlations, int candidates, int largest_size,
                            int kept, Interruption* interruption, std::size_t node_budget)
{
    if (candidates < 1 || candidates > 64 || kept < 1 || largest_size < 1)
        throw std::invalid_argument("A subset search needs 1 to 64 candidates and keeps at least one subset.");
    if (correlations.size() != static_cast<std::size_t>((candidates + 1) * (candidates + 1)))
        throw std::invalid_argument("The cross-product matrix does not match the number of candidates.");
    return Search(std::min(largest_size, candidates), kept, interruption, node_budget).run(correlations, candidates);
}

}  // namespace stats
