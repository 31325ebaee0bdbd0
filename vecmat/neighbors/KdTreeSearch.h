#pragma once

// Internal: the k-nearest query both k-d trees answer. It repeats a one-nearest search
// that skips the nodes already reported: descend to the first unreported node on the
// query's side (FindLeaf), then climb towards the root looking for anything closer
// (Backtrack, FindLesserNode). Nodes are reached through an access policy:
//   using Ref = ...;                        a node reference, ordered (map key)
//   Ref Root() const; bool IsNone(Ref) const; Ref None() const;
//   Ref Left(Ref), Right(Ref), Parent(Ref) const;
//   const std::vector<double>& Point(Ref) const; std::size_t Dim(Ref) const;
//   std::size_t Index(Ref) const; std::int32_t Label(Ref) const;
//   std::size_t StepLimit() const;          bound on any walk (a broken table must not hang)
//   [[noreturn]] void Broken() const;       reports a walk that exceeded that bound

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko::detail {

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
    double Distance(Ref node) const { return KdTreeShared::ComputeDistance(query_, access_.Point(node)); }
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

}  // namespace pct::Ko::detail
