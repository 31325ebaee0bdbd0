#pragma once

// Internal: the parts both k-d trees share. The dimension analysis and order, the two
// split rules, the distance and the build walk live here once; KdTree and KdTree2 differ
// only in how they store nodes. Nothing here is exported.

#include <cstddef>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/neighbors/KdTreeData.h"

namespace pct::Ko::detail {

// Zero tolerance of the discrete split and of "the query coincides with a node".
inline constexpr double kKdEpsilon = 2.220446049250313e-16;

// What a build derives from its table before any node exists.
struct KdTreeDims {
    std::vector<std::size_t> disDims;  // discrete dimensions in visiting order
    std::vector<std::size_t> conDims;  // continuous dimensions in visiting order
    std::size_t dimCount = 0;          // values per row
};

class KdTreeShared {
public:
    // Checks the table and classifies its dimensions; fails with the table's fault.
    static KdTreeDims Preprocessing(const KdTreeDataTable& table);
    // Sorts every dimension into discrete (two values) or continuous (more).
    static void AnalyzeDimType(const KdTreeDataTable& table, KdTreeDims& dims);
    // The visiting order of the continuous dimensions.
    static std::vector<std::size_t> VarianceRanking(const KdTreeDataTable& table,
                                                    const std::vector<std::size_t>& dims);
    // The dimension a build starts with.
    static NextDimInfo FirstDim(const KdTreeDims& dims);
    // The dimension a child of a node splitting on `dim` splits on.
    static NextDimInfo NextDim(const KdTreeDims& dims, std::size_t dim);
    static KdTreeBranch DisClassifier(const std::vector<std::size_t>& indexes, std::size_t dim,
                                      const KdTreeDataTable& table);
    static KdTreeBranch ConClassifier(const std::vector<std::size_t>& indexes, std::size_t dim,
                                      const KdTreeDataTable& table);
    static double ComputeDistance(const std::vector<double>& a, const std::vector<double>& b);
};

// Builds the whole tree of `table`, from the root down, through `sink`, which owns the
// node storage:
//   Handle sink.MakeRoot(std::size_t dim)
//   Handle sink.MakeChild(Handle parent, bool left, std::size_t dim)
//   void   sink.Fill(Handle node, std::size_t row)
// Nodes are made in pre-order (a node, its whole left subtree, then its right child), so
// a sink that numbers them as they come gets pre-order numbers. The walk keeps its own
// stack: a table of many equal rows makes a deep tree without deepening the call stack.
template <class Sink>
void CreateBranch(const KdTreeDataTable& table, const KdTreeDims& dims, Sink& sink) {
    using Handle = decltype(sink.MakeRoot(std::size_t{0}));
    struct Task {
        Handle parent;
        bool isRoot;
        bool isLeft;
        NextDimInfo kind;
        std::vector<std::size_t> indexes;
    };
    std::vector<Task> pending;
    std::vector<std::size_t> all(table.rows.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    pending.push_back(Task{Handle{}, true, false, KdTreeShared::FirstDim(dims), std::move(all)});

    while (!pending.empty()) {
        Task task = std::move(pending.back());
        pending.pop_back();
        const Handle node = task.isRoot ? sink.MakeRoot(task.kind.dim)
                                        : sink.MakeChild(task.parent, task.isLeft, task.kind.dim);
        KdTreeBranch branch = task.kind.type == KdTreeDimType::Discrete
                                  ? KdTreeShared::DisClassifier(task.indexes, task.kind.dim, table)
                                  : KdTreeShared::ConClassifier(task.indexes, task.kind.dim, table);
        sink.Fill(node, branch.pivot);
        if (branch.left.empty() && branch.right.empty()) continue;
        const NextDimInfo next = KdTreeShared::NextDim(dims, task.kind.dim);
        // The right task goes first so that the left subtree is finished before it.
        if (!branch.right.empty())
            pending.push_back(Task{node, false, false, next, std::move(branch.right)});
        if (!branch.left.empty())
            pending.push_back(Task{node, false, true, next, std::move(branch.left)});
    }
}

}  // namespace pct::Ko::detail
