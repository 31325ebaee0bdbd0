#pragma once

// Internal: the parts both k-d trees share. The dimension analysis and order, the two
// split rules, the distance and the build walk live here once; KdTree and KdTree2 differ
// only in how they store nodes. Nothing here is exported.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/neighbors/KdTreeData.h"

namespace pct::Ko::detail {

// Zero tolerance of the discrete split and of "the query coincides with a node".
inline constexpr double kKdEpsilon = 2.220446049250313e-16;

// The sum of the squared differences of two points of `width` values, in index order: a
// squared Euclidean distance, which every distance of both trees takes the root of.
inline double SquareSum(const double* a, const double* b, std::size_t width) {
    double sum = 0.0;
    for (std::size_t i = 0; i < width; ++i) {
        const double d = a[i] - b[i];
        sum += d * d;
    }
    return sum;
}

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
    static double ComputeDistance(const std::vector<double>& a, const std::vector<double>& b);
};

// The splits of a build. The rows of every node's list, with their labels and values, lie
// in one array, each list a contiguous range of it; a split copies its range, rearranged
// into the left list, the pivot and the right list, to the same range of a second array,
// where its children's splits find it. Lists of even depth lie in one array, those of odd
// depth in the other: a node's range there is read by its children before anything else
// writes it.
//
// A continuous split takes the rows sorted by value, equal values in list order, and each
// list is in its parent's sorted order. So the order of a node's sorted list is that of a
// key: the value in the node's dimension, then the values in the dimensions of its
// continuous ancestors from the nearest up (each dimension once), then the row number (the
// first continuous node's list is in row order, since the discrete splits above keep the
// listed order). The split only needs the pivot's place in that order, which selection
// finds without sorting; the lists' own order then matters nowhere but in a list of two,
// which is put in its parent's key order. A table without discrete dimensions whose
// continuous ones hold no NaN and no repeated value has its splits made ahead from lists
// sorted once (RankedPivots), which give the same pivots.
class KdTreeSplitter {
public:
    KdTreeSplitter(const KdTreeDataTable& table, const KdTreeDims& dims);

    // The kind and dimension of the nodes at `depth` (the same on every path).
    NextDimInfo KindAt(std::size_t depth);
    // Splits the list in positions [lo, hi) of a node at `depth`; returns the position the
    // pivot ends at, with the left list before it and the right list after it.
    std::size_t Split(std::size_t depth, std::size_t lo, std::size_t hi);
    // Whether the splits were made ahead: all values finite, no two equal in a dimension.
    bool MadeAhead() const { return ranked_; }
    // The row at a position after the last split, its label and values.
    std::size_t Row(std::size_t position) const { return sides_[out_].rows[position]; }
    std::int32_t Label(std::size_t position) const { return sides_[out_].labels[position]; }
    const double* Point(std::size_t position) const { return sides_[out_].values.data() + position * width_; }

private:
    // The lists of one parity of depth: the rows, their labels and their values, row after
    // row.
    struct Side {
        std::vector<std::size_t> rows;
        std::vector<std::int32_t> labels;
        std::vector<double> values;
    };
    struct Keyed {
        double value;
        std::size_t position;
    };

    std::size_t DisClassifier(std::size_t dim, const Side& in, std::size_t lo, std::size_t hi);
    std::size_t ConClassifier(std::size_t level, const Side& in, std::size_t lo, std::size_t hi);
    bool SplitByValue(std::size_t dim, const Side& in, std::size_t lo, std::size_t hi);
    // The key of a continuous node `level` steps below the first continuous one.
    const std::vector<std::size_t>& KeyDims(std::size_t level);
    bool KeyLess(const std::vector<std::size_t>& keyDims, const Side& side, std::size_t a, std::size_t b) const;
    double Value(const Side& side, std::size_t position, std::size_t dim) const {
        return side.values[position * width_ + dim];
    }
    // Position `to` of the output side receives the row at position `from` of `in`.
    void Move(const Side& in, std::size_t from, std::size_t to) {
        Side& out = sides_[out_];
        out.rows[to] = in.rows[from];
        out.labels[to] = in.labels[from];
        const double* source = in.values.data() + from * width_;
        double* target = out.values.data() + to * width_;
        for (std::size_t j = 0; j < width_; ++j) target[j] = source[j];
    }

    const KdTreeDims& dims_;
    std::size_t width_;
    Side sides_[2];
    std::size_t out_ = 0;                            // the side the last split wrote
    std::vector<NextDimInfo> kinds_;                 // by depth, as far as reached
    std::vector<std::vector<std::size_t>> keyDims_;  // by continuous level
    const std::vector<std::size_t> rowOrder_;        // the key of row order: no dimension
    // Scratch space of the continuous splits, a list's length each (left uninitialised:
    // a split writes what it reads); not needed when the splits are made ahead.
    std::unique_ptr<Keyed[]> keyed_;
    std::unique_ptr<Keyed[]> spare_;
    // The splits were made ahead (RankedPivots): sides_[0] holds every range's pivot at its
    // median position, which is all a split then has to return.
    bool ranked_ = false;
};

// Builds the whole tree of `table`, from the root down, through `sink`, which owns the
// node storage:
//   Handle sink.MakeRoot(std::size_t dim)
//   Handle sink.MakeChild(Handle parent, bool left, std::size_t dim)
//   void   sink.Fill(Handle node, std::size_t row, const double* values, std::int32_t label)
// Nodes are made in pre-order (a node, its whole left subtree, then its right child), so
// a sink that numbers them as they come gets pre-order numbers. The walk keeps its own
// stack: a table of many equal rows makes a deep tree without deepening the call stack.
// Returns whether every value is finite and every node lies strictly within the planes of
// its ancestors, as splits made ahead guarantee (KdTreeFlat::Seal need not check then).
template <class Sink>
bool CreateBranch(const KdTreeDataTable& table, const KdTreeDims& dims, Sink& sink) {
    using Handle = decltype(sink.MakeRoot(std::size_t{0}));
    struct Task {
        Handle parent;
        bool isRoot;
        bool isLeft;
        std::size_t depth;
        std::size_t lo;
        std::size_t hi;
    };
    KdTreeSplitter splitter(table, dims);
    std::vector<Task> pending;
    pending.push_back(Task{Handle{}, true, false, 0, 0, table.rows.size()});

    while (!pending.empty()) {
        const Task task = pending.back();
        pending.pop_back();
        const std::size_t dim = splitter.KindAt(task.depth).dim;
        const Handle node = task.isRoot ? sink.MakeRoot(dim) : sink.MakeChild(task.parent, task.isLeft, dim);
        const std::size_t pivot = splitter.Split(task.depth, task.lo, task.hi);
        sink.Fill(node, splitter.Row(pivot), splitter.Point(pivot), splitter.Label(pivot));
        // The right task goes first so that the left subtree is finished before it.
        if (pivot + 1 < task.hi)
            pending.push_back(Task{node, false, false, task.depth + 1, pivot + 1, task.hi});
        if (task.lo < pivot) pending.push_back(Task{node, false, true, task.depth + 1, task.lo, pivot});
    }
    return splitter.MadeAhead();
}

}  // namespace pct::Ko::detail
