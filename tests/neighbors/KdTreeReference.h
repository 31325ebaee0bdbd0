#pragma once

// The k-d trees' build walk, split rules and query as the library ran them before their
// nodes and points were laid out flat: kept as the reference of the bit-identity tests.
// Only what decides the shape of a tree and the answer of a query is here; the dimension
// analysis comes from the trees themselves (GetDisDims, GetConDims).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "vecmat/neighbors/KdTree.h"
#include "vecmat/neighbors/KdTree2.h"

namespace kdref {

using pct::Ko::KdTreeBranch;
using pct::Ko::KdTreeDataTable;
using pct::Ko::KdTreeDimType;
using pct::Ko::NearbyPoint;
using pct::Ko::NextDimInfo;

constexpr double kKdEpsilon = 2.220446049250313e-16;

struct Dims {
    std::vector<std::size_t> disDims;
    std::vector<std::size_t> conDims;
};

inline bool ValueLess(double a, double b) {
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a < b;
}

inline NextDimInfo NextDim(const Dims& dims, std::size_t dim) {
    // All discrete dimensions once, then the continuous ones round and round.
    const auto dis = std::find(dims.disDims.begin(), dims.disDims.end(), dim);
    if (dis != dims.disDims.end()) {
        if (dis + 1 == dims.disDims.end())
            return NextDimInfo{KdTreeDimType::Continuous, dims.conDims.front()};
        return NextDimInfo{KdTreeDimType::Discrete, *(dis + 1)};
    }
    const auto con = std::find(dims.conDims.begin(), dims.conDims.end(), dim);
    if (con != dims.conDims.end()) {
        if (con + 1 == dims.conDims.end())
            return NextDimInfo{KdTreeDimType::Continuous, dims.conDims.front()};
        return NextDimInfo{KdTreeDimType::Continuous, *(con + 1)};
    }
    throw std::logic_error("no next dimension");
}

inline KdTreeBranch DisClassifier(const std::vector<std::size_t>& indexes, std::size_t dim,
                                         const KdTreeDataTable& table) {
    KdTreeBranch branch;
    if (indexes.empty()) return branch;
    double b = table.rows[indexes.front()].values[dim];
    for (std::size_t row : indexes) {
        const double c = table.rows[row].values[dim];
        if (std::fabs(c - b) > kKdEpsilon) {
            branch.pivot = row;
            b = std::max(b, c);
        }
    }
    // Rows that all hold one value (within eps) offer no pivot: the first row becomes the
    // node and the others follow the same rule as below, so the split stays consistent.
    if (branch.pivot == KdTreeBranch{}.pivot) branch.pivot = indexes.front();
    for (std::size_t row : indexes) {
        if (row == branch.pivot) continue;
        if (table.rows[row].values[dim] < b)
            branch.left.push_back(row);
        else
            branch.right.push_back(row);
    }
    return branch;
}

inline KdTreeBranch ConClassifier(const std::vector<std::size_t>& indexes, std::size_t dim,
                                         const KdTreeDataTable& table) {
    KdTreeBranch branch;
    const std::size_t n = indexes.size();
    if (n == 0) return branch;
    if (n == 1) {
        branch.pivot = indexes[0];
        return branch;
    }
    if (n == 2) {
        const bool secondLarger =
            table.rows[indexes[1]].values[dim] > table.rows[indexes[0]].values[dim];
        branch.pivot = indexes[secondLarger ? 1 : 0];
        branch.left.push_back(indexes[secondLarger ? 0 : 1]);
        return branch;
    }

    // Sort (value, row) pairs rather than row numbers: the values sit next to each other,
    // and a stable sort keeps equal values in their listed order.
    std::vector<std::pair<double, std::size_t>> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = {table.rows[indexes[i]].values[dim], indexes[i]};
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return ValueLess(a.first, b.first); });

    // Median, or the nearest position around it whose successor is strictly larger:
    // m, m+1, m-1, m+2, m-2, ... until a position falls outside the list.
    const auto accepted = [&](std::size_t p) { return p + 1 < n && sorted[p + 1].first > sorted[p].first; };
    const std::size_t m = n / 2;
    std::size_t p = m;
    for (std::size_t step = 1; !accepted(p); ++step) {
        const std::size_t offset = (step + 1) / 2;
        const bool up = step % 2 == 1;
        if (up ? m + offset >= n : offset > m) break;
        p = up ? m + offset : m - offset;
    }

    branch.pivot = sorted[p].second;
    branch.left.reserve(p);
    for (std::size_t i = 0; i < p; ++i) branch.left.push_back(sorted[i].second);
    branch.right.reserve(n - p - 1);
    for (std::size_t i = p + 1; i < n; ++i) branch.right.push_back(sorted[i].second);
    return branch;
}

inline double ComputeDistance(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) throw std::length_error("dimension mismatch");
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = a[i] - b[i];
        sum += d * d;
    }
    return std::sqrt(sum);
}

inline NextDimInfo FirstDim(const Dims& dims) {
    if (!dims.disDims.empty()) return NextDimInfo{KdTreeDimType::Discrete, dims.disDims.front()};
    return NextDimInfo{KdTreeDimType::Continuous, dims.conDims.front()};
}

template <class Sink>
void CreateBranch(const KdTreeDataTable& table, const Dims& dims, Sink& sink) {
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
    pending.push_back(Task{Handle{}, true, false, FirstDim(dims), std::move(all)});

    while (!pending.empty()) {
        Task task = std::move(pending.back());
        pending.pop_back();
        const Handle node = task.isRoot ? sink.MakeRoot(task.kind.dim)
                                        : sink.MakeChild(task.parent, task.isLeft, task.kind.dim);
        KdTreeBranch branch = task.kind.type == KdTreeDimType::Discrete
                                  ? DisClassifier(task.indexes, task.kind.dim, table)
                                  : ConClassifier(task.indexes, task.kind.dim, table);
        sink.Fill(node, branch.pivot);
        if (branch.left.empty() && branch.right.empty()) continue;
        const NextDimInfo next = NextDim(dims, task.kind.dim);
        // The right task goes first so that the left subtree is finished before it.
        if (!branch.right.empty())
            pending.push_back(Task{node, false, false, next, std::move(branch.right)});
        if (!branch.left.empty())
            pending.push_back(Task{node, false, true, next, std::move(branch.left)});
    }
}

template <class Access>
class KdTreeSearch {
public:
    using Ref = typename Access::Ref;
    using Found = std::map<Ref, double>;

    struct Leaf {
        Ref node;
        double distance;
    };

    KdTreeSearch(const Access& access, const std::vector<double>& query)
        : access_(access), query_(query) {}

    // The k nodes nearest to the query, nearest first. Stops early once every node has
    // been reported, so a k above the number of rows returns every row.
    std::vector<NearbyPoint> FindNearbyPoints(std::size_t k) const {
        Found found;
        while (found.size() < k) {
            const Leaf leaf = FindLeaf(access_.Root(), found);
            if (access_.IsNone(leaf.node)) break;
            if (std::fabs(leaf.distance) <= kKdEpsilon) {
                found.emplace(leaf.node, leaf.distance);
                continue;
            }
            const Leaf best = Backtrack(found, leaf.node, leaf.distance);
            found.emplace(best.node, best.distance);
        }

        std::vector<NearbyPoint> result;
        result.reserve(found.size());
        for (const auto& [node, distance] : found)
            result.push_back(NearbyPoint{access_.Index(node), access_.Point(node),
                                         access_.Label(node), distance});
        // By distance (NaN last); equal distances by row for a stable answer.
        std::sort(result.begin(), result.end(), [](const NearbyPoint& a, const NearbyPoint& b) {
            if (a.distance < b.distance) return true;
            if (b.distance < a.distance) return false;
            const bool aNan = std::isnan(a.distance), bNan = std::isnan(b.distance);
            if (aNan != bNan) return bNan;
            return a.index < b.index;
        });
        return result;
    }

private:
    double Distance(Ref node) const { return ComputeDistance(query_, access_.Point(node)); }
    double Plane(Ref node) const { return access_.Point(node)[access_.Dim(node)]; }

    // The query lies on the node's left side.
    bool JudgePointFaceLeft(Ref node) const { return Plane(node) > query_[access_.Dim(node)]; }

    // A sphere of radius r around the query reaches the node's splitting plane.
    bool JudgePointFaceIntersection(Ref node, double r) const {
        return r >= std::fabs(Plane(node) - query_[access_.Dim(node)]);
    }

    // First unreported node of a depth-first walk that prefers the query's side: a node
    // coinciding with the query as soon as it is met, otherwise in post-order.
    Leaf FindLeaf(Ref start, const Found& found) const {
        if (access_.IsNone(start)) return Leaf{access_.None(), 0.0};
        std::vector<Frame>& stack = frames_;
        stack.clear();
        stack.push_back(Frame{start, access_.None(), 0.0, 0});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const Ref node = frame.node;
            Ref child = access_.None();
            if (frame.stage == 0) {
                frame.distance = Distance(node);
                if (std::fabs(frame.distance) <= kKdEpsilon && found.count(node) == 0)
                    return Leaf{node, frame.distance};
                const bool left = JudgePointFaceLeft(node);
                child = left ? access_.Left(node) : access_.Right(node);
                frame.second = left ? access_.Right(node) : access_.Left(node);
                frame.stage = 1;
            } else if (frame.stage == 1) {
                child = frame.second;
                frame.stage = 2;
            } else {
                if (found.count(node) == 0) return Leaf{node, frame.distance};
                stack.pop_back();
                continue;
            }
            if (!access_.IsNone(child)) {
                if (stack.size() >= access_.StepLimit()) access_.Broken();
                stack.push_back(Frame{child, access_.None(), 0.0, 0});
            }
        }
        return Leaf{access_.None(), 0.0};
    }

    // Climbs from `start` to the root; at every ancestor whose plane lies within reach it
    // tries the ancestor itself and searches its other subtree.
    Leaf Backtrack(const Found& found, Ref start, double r) const {
        Leaf best{start, r};
        Ref from = start;
        Ref ancestor = access_.Parent(start);
        std::size_t steps = 0;
        while (!access_.IsNone(ancestor)) {
            if (++steps > access_.StepLimit()) access_.Broken();
            // Skipped only when the plane is out of reach of the current best.
            if (!(best.distance < std::fabs(Plane(ancestor) - query_[access_.Dim(ancestor)]))) {
                if (found.count(ancestor) == 0) {
                    const double d = Distance(ancestor);
                    if (d < best.distance) best = Leaf{ancestor, d};
                }
                const Ref other =
                    access_.Left(ancestor) == from ? access_.Right(ancestor) : access_.Left(ancestor);
                FindLesserNode(other, found, best);
            }
            from = ancestor;
            ancestor = access_.Parent(ancestor);
        }
        return best;
    }

    // Searches a subtree for unreported nodes closer than best, updating best with each
    // improvement. Both sides are searched where the sphere reaches the plane (left
    // first), otherwise only the query's side.
    void FindLesserNode(Ref start, const Found& found, Leaf& best) const {
        std::vector<Ref>& pending = pending_;
        pending.clear();
        Ref node = start;
        std::size_t steps = 0;
        for (;;) {
            while (!access_.IsNone(node)) {
                if (++steps > access_.StepLimit()) access_.Broken();
                if (found.count(node) == 0) {
                    const double e = Distance(node);
                    if (e < best.distance) best = Leaf{node, e};
                }
                if (JudgePointFaceIntersection(node, best.distance)) {
                    pending.push_back(access_.Right(node));
                    node = access_.Left(node);
                } else {
                    node = JudgePointFaceLeft(node) ? access_.Left(node) : access_.Right(node);
                }
            }
            if (pending.empty()) return;
            node = pending.back();
            pending.pop_back();
        }
    }

    struct Frame {
        Ref node;
        Ref second;
        double distance;
        int stage;
    };

    const Access& access_;
    const std::vector<double>& query_;
    // Scratch stacks of the walks, kept across the passes of one query.
    mutable std::vector<Frame> frames_;
    mutable std::vector<Ref> pending_;
};

// The old build's node table (KdTree2's layout: entry 0 unused, pre-order from entry 1).
inline std::vector<pct::Ko::KdTree2::KdTreeNode> Build(const KdTreeDataTable& table, const Dims& dims) {
    struct Sink {
        const KdTreeDataTable& table;
        std::vector<pct::Ko::KdTree2::KdTreeNode>& nodes;
        std::size_t counter = 0;
        std::size_t MakeRoot(std::size_t dim) {
            counter = 1;
            nodes[1].id = 1;
            nodes[1].dim = static_cast<std::int32_t>(dim);
            return 1;
        }
        std::size_t MakeChild(std::size_t parent, bool left, std::size_t dim) {
            const std::size_t e = ++counter;
            (left ? nodes[parent].left : nodes[parent].right) = e;
            nodes[e].parent = parent;
            nodes[e].id = e;
            nodes[e].dim = static_cast<std::int32_t>(dim);
            return e;
        }
        void Fill(std::size_t e, std::size_t row) {
            nodes[e].index = row;
            nodes[e].point = table.rows[row].values;
            nodes[e].label = table.rows[row].label;
        }
    };
    std::vector<pct::Ko::KdTree2::KdTreeNode> nodes(table.rows.size() + 20);
    Sink sink{table, nodes};
    CreateBranch(table, dims, sink);
    return nodes;
}

// The old query over such a node table.
class TableAccess {
public:
    using Ref = std::size_t;
    explicit TableAccess(const std::vector<pct::Ko::KdTree2::KdTreeNode>& nodes) : nodes_(nodes) {}
    Ref Root() const { return 1; }
    Ref None() const { return 0; }
    bool IsNone(Ref e) const { return e == 0; }
    Ref Left(Ref e) const { return nodes_[e].left; }
    Ref Right(Ref e) const { return nodes_[e].right; }
    Ref Parent(Ref e) const { return nodes_[e].parent; }
    const std::vector<double>& Point(Ref e) const { return nodes_[e].point; }
    std::size_t Dim(Ref e) const { return static_cast<std::size_t>(nodes_[e].dim); }
    std::size_t Index(Ref e) const { return nodes_[e].index; }
    std::int32_t Label(Ref e) const { return nodes_[e].label; }
    std::size_t StepLimit() const { return nodes_.size(); }
    [[noreturn]] void Broken() const { throw std::logic_error("broken table"); }

private:
    const std::vector<pct::Ko::KdTree2::KdTreeNode>& nodes_;
};

inline std::vector<NearbyPoint> Query(const std::vector<pct::Ko::KdTree2::KdTreeNode>& nodes,
                                      const std::vector<double>& query, std::size_t k) {
    const TableAccess access(nodes);
    return KdTreeSearch<TableAccess>(access, query).FindNearbyPoints(k);
}

}  // namespace kdref
