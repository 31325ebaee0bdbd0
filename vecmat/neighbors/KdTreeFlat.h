#pragma once

// Internal: a k-d tree's nodes laid out flat for queries, which both trees keep beside
// their own nodes, and the direct k-nearest search over them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "vecmat/neighbors/KdTreeData.h"
#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko::detail {

// Nodes numbered 0, 1, ... in pre-order (a node, its left subtree, then its right subtree),
// so that every subtree is a range of numbers. Each node is a record of one word, which
// packs its subtree's size, its splitting dimension and whether it has a left child (which
// is then the next node), and its point: a query's step to a node reads one place. Parents,
// rows and labels, needed only for the climb and the answer, lie apart.
class KdTreeFlat {
public:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    KdTreeFlat(std::size_t width, std::size_t count);

    // Appends a node splitting on `dim`: the root (parent kNone) or a child of `parent`.
    // Nodes must come in pre-order. Returns the node's number.
    std::size_t Add(std::size_t parent, bool left, std::size_t dim);
    void SetRow(std::size_t e, std::size_t row, std::int32_t label, const double* values);
    // Called once every node is in: counts the subtrees and decides whether FindNearest
    // may answer (see there), which `ordered` says it may without a check: every value is
    // finite and every node lies within the planes of its ancestors.
    void Seal(bool ordered);

    std::size_t Count() const { return rows_.size(); }
    std::size_t Left(std::size_t e) const { return HasLeft(e) ? e + 1 : kNone; }
    std::size_t Right(std::size_t e) const {
        const std::size_t right = e + 1 + (HasLeft(e) ? Size(e + 1) : 0);
        return right < e + Size(e) ? right : kNone;
    }
    std::size_t Parent(std::size_t e) const { return parents_[e]; }
    std::size_t Dim(std::size_t e) const { return (Header(e) >> 1) & dimMask_; }
    const double* Point(std::size_t e) const { return data_.data() + e * stride_ + kPoint; }
    std::size_t Width() const { return width_; }
    std::size_t Row(std::size_t e) const { return rows_[e]; }
    std::int32_t Label(std::size_t e) const { return labels_[e]; }

    // The k nodes nearest to `query` as the repeated one-nearest search (KdTreeSearch)
    // reports them, found directly where FindNearest can vouch for its answer.
    std::vector<NearbyPoint> FindNearbyPoints(const std::vector<double>& query, std::size_t k) const;

private:
    // A record: the header word (in a double's place), then the point. The header holds,
    // from the lowest bit, whether there is a left child, the dimension (dimBits_ bits: as
    // many as the largest dimension needs) and the subtree's size. A size always fits:
    // the points of a subtree fill width doubles each.
    static constexpr std::size_t kPoint = 1;

    std::size_t Header(std::size_t e) const {
        std::size_t word;
        std::memcpy(&word, data_.data() + e * stride_, sizeof word);
        return word;
    }
    void SetHeader(std::size_t e, std::size_t size, std::size_t dim, bool left) {
        const std::size_t word = (size << (dimBits_ + 1)) | (dim << 1) | (left ? 1 : 0);
        std::memcpy(data_.data() + e * stride_, &word, sizeof word);
    }
    std::size_t Size(std::size_t e) const { return Header(e) >> (dimBits_ + 1); }
    bool HasLeft(std::size_t e) const { return (Header(e) & 1) != 0; }
    bool SplitOrderHolds() const;

    // The answer of the repeated one-nearest search found by one search for the k + 1
    // nearest nodes instead. A pass of the repeated search finds the nearest node not yet
    // reported whenever every node's subtrees lie on their sides of its plane and no value
    // is NaN or infinite (Seal checks the tree, this the query); the exceptions are nodes
    // within 2^-52 of the query, which a pass may report out of turn. So when the k-th and
    // (k + 1)-th smallest distances differ and the (k + 1)-th exceeds 2^-52, the repeated
    // search reports exactly the k nearest nodes. Fills `result` as it would and returns
    // true then; returns false, with `result` unspecified, when it cannot vouch for that.
    bool FindNearest(const std::vector<double>& query, std::size_t k, std::vector<NearbyPoint>& result) const;

    std::size_t width_;
    std::size_t stride_;
    std::size_t dimBits_ = 0;
    std::size_t dimMask_ = 0;
    std::vector<double> data_;
    std::vector<std::size_t> parents_;
    std::vector<std::size_t> rows_;
    std::vector<std::int32_t> labels_;
    bool direct_ = false;  // FindNearest may answer
};

}  // namespace pct::Ko::detail
