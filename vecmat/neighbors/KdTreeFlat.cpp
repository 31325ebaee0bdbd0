#include "vecmat/neighbors/KdTreeFlat.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "vecmat/neighbors/KdTreeSearch.h"

namespace pct::Ko::detail {

namespace {

// KdTreeSearch's access to a flat layout. The layout is private to its tree, so no walk
// can run away.
class FlatAccess {
public:
    using Ref = std::size_t;
    explicit FlatAccess(const KdTreeFlat& flat) : flat_(flat) {}

    Ref Root() const { return 0; }
    Ref None() const { return KdTreeFlat::kNone; }
    bool IsNone(Ref e) const { return e == KdTreeFlat::kNone; }
    Ref Left(Ref e) const { return flat_.Left(e); }
    Ref Right(Ref e) const { return flat_.Right(e); }
    Ref Parent(Ref e) const { return flat_.Parent(e); }
    const double* Point(Ref e) const { return flat_.Point(e); }
    std::size_t Width(Ref) const { return flat_.Width(); }
    std::size_t Dim(Ref e) const { return flat_.Dim(e); }
    std::size_t Index(Ref e) const { return flat_.Row(e); }
    std::int32_t Label(Ref e) const { return flat_.Label(e); }
    std::size_t StepLimit() const { return std::numeric_limits<std::size_t>::max(); }
    [[noreturn]] void Broken() const { pct::detail::Fail(msg::kKdNodeTableInvalid); }

private:
    const KdTreeFlat& flat_;
};

// Subtrees of at most this many nodes are measured whole instead of walked.
constexpr std::size_t kWholeSubtree = 32;

// A node and its square sum.
struct Candidate {
    double sum;
    std::size_t node;
};

// A node on the search's path whose far subtree is still to come, or is being searched
// (entered, with the square its dimension had before).
struct Branch {
    std::size_t far;
    std::size_t dim;
    double square;  // of the distance to the node's plane
    double saved;
    bool entered;
};

// The `size` smallest square sums met, with their nodes, ascending.
class Kept {
public:
    Kept(std::vector<Candidate>& items, std::size_t size) : items_(items) { items_.resize(size); }

    // Whether nodes whose sums are at least `bound` can be left out: the list is full and
    // none of them would displace a sum kept.
    bool Beyond(double bound) const { return count_ == items_.size() && !(bound < worst_); }
    void Add(double sum, std::size_t node) {
        if (Beyond(sum)) return;
        Candidate* items = items_.data();
        std::size_t i = count_ < items_.size() ? count_++ : count_ - 1;
        for (; i > 0 && items[i - 1].sum > sum; --i) items[i] = items[i - 1];
        items[i] = Candidate{sum, node};
        if (count_ == items_.size()) worst_ = items[count_ - 1].sum;
    }
    const Candidate& operator[](std::size_t i) const { return items_[i]; }

private:
    std::vector<Candidate>& items_;
    std::size_t count_ = 0;
    double worst_ = 0.0;  // the largest sum kept, once full
};

// What a search needs besides the tree: kept for the thread's next query, so that a
// query allocates nothing but its answer. Reached through a function that is not inlined,
// so that a query looks the thread's copy up once instead of at every use.
struct Scratch {
    std::vector<Candidate> kept;
    std::vector<Branch> path;
    std::vector<double> squares;
    std::vector<AnswerEntry> entries;
};

__attribute__((noinline)) Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

}  // namespace

KdTreeFlat::KdTreeFlat(std::size_t width, std::size_t count) : width_(width), stride_(kPoint + width) {
    while (dimMask_ + 1 < width) dimMask_ = dimMask_ << 1 | 1;
    for (std::size_t mask = dimMask_; mask != 0; mask >>= 1) ++dimBits_;
    data_.reserve(count * stride_);
    parents_.reserve(count);
    rows_.reserve(count);
    labels_.reserve(count);
}

std::size_t KdTreeFlat::Add(std::size_t parent, bool left, std::size_t dim) {
    const std::size_t e = rows_.size();
    for (std::size_t j = 0; j < stride_; ++j) data_.push_back(0.0);  // within the reserve
    parents_.push_back(parent);
    rows_.push_back(0);
    labels_.push_back(0);
    SetHeader(e, 1, dim, false);
    if (parent != kNone && left) SetHeader(parent, Size(parent), Dim(parent), true);
    return e;
}

void KdTreeFlat::SetRow(std::size_t e, std::size_t row, std::int32_t label, const double* values) {
    rows_[e] = row;
    labels_[e] = label;
    std::copy(values, values + width_, data_.begin() + e * stride_ + kPoint);
}

void KdTreeFlat::Seal(bool ordered) {
    // A parent comes before its children, so from the last node back every subtree is
    // complete when it is added to its parent's.
    for (std::size_t e = Count(); e-- > 1;) {
        const std::size_t p = parents_[e];
        SetHeader(p, Size(p) + Size(e), Dim(p), HasLeft(p));
    }
    direct_ = ordered || SplitOrderHolds();
}

// Every value is finite, and every node lies within the planes of its ancestors: at most
// the plane of an ancestor whose left subtree holds it, at least that of one whose right
// subtree does. A depth-first walk keeps the bounds of the nodes on its path, one set per
// depth: between a node and its children only deeper nodes are walked, so a node's parent's
// set is still there when it comes.
bool KdTreeFlat::SplitOrderHolds() const {
    for (std::size_t e = 0; e < Count(); ++e)
        for (std::size_t i = 0; i < width_; ++i)
            if (!std::isfinite(Point(e)[i])) return false;
    if (Count() == 0) return true;

    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> low, high;
    std::vector<std::pair<std::size_t, std::size_t>> pending{{0, 0}};  // node and depth
    while (!pending.empty()) {
        const auto [e, depth] = pending.back();
        pending.pop_back();
        if (low.size() < (depth + 1) * width_) {
            low.resize((depth + 1) * width_);
            high.resize((depth + 1) * width_);
        }
        double* lo = low.data() + depth * width_;
        double* hi = high.data() + depth * width_;
        if (depth == 0) {
            std::fill(lo, lo + width_, -inf);
            std::fill(hi, hi + width_, inf);
        } else {
            std::copy(lo - width_, lo, lo);
            std::copy(hi - width_, hi, hi);
            const std::size_t parent = Parent(e);
            const std::size_t dim = Dim(parent);
            const double plane = Point(parent)[dim];
            if (Left(parent) == e)
                hi[dim] = std::min(hi[dim], plane);
            else
                lo[dim] = std::max(lo[dim], plane);
        }
        const double* point = Point(e);
        for (std::size_t i = 0; i < width_; ++i)
            if (point[i] < lo[i] || point[i] > hi[i]) return false;
        if (Right(e) != kNone) pending.emplace_back(Right(e), depth + 1);
        if (Left(e) != kNone) pending.emplace_back(Left(e), depth + 1);
    }
    return true;
}

std::vector<NearbyPoint> KdTreeFlat::FindNearbyPoints(const std::vector<double>& query,
                                                      std::size_t k) const {
    std::vector<NearbyPoint> result;
    if (FindNearest(query, k, result)) return result;
    const FlatAccess access(*this);
    return KdTreeSearch<FlatAccess>(access, query).FindNearbyPoints(k);
}

bool KdTreeFlat::FindNearest(const std::vector<double>& query, std::size_t k,
                             std::vector<NearbyPoint>& result) const {
    const std::size_t width = width_;
    Scratch& scratch = ThreadScratch();
    std::vector<AnswerEntry>& entries = scratch.entries;
    entries.clear();
    // Every node is asked for: the repeated search reports them all, whatever the tree.
    if (k >= Count()) {
        for (std::size_t e = 0; e < Count(); ++e)
            entries.push_back(AnswerEntry{e, Row(e), std::sqrt(SquareSum(query.data(), Point(e), width))});
        result = Answer(FlatAccess(*this), entries);
        return true;
    }
    if (!direct_) return false;
    for (double v : query)
        if (!std::isfinite(v)) return false;
    if (k == 0) {
        result.clear();
        return true;
    }

    // Depth first, the query's side first, keeping the k + 1 smallest square sums. A far
    // subtree is searched after the near one, with a bound below the square sum of each of
    // its nodes: for each dimension, the square of the distance to the nearest plane the
    // subtree lies beyond (0 for none), summed in index order. Since rounding keeps order,
    // a node's sum, its terms rounded and summed in that order, is no smaller. The subtree
    // is passed over when its bound is no smaller than the largest sum kept, which none of
    // its nodes could then displace. A small subtree is measured whole, node after node,
    // which costs less than walking it.
    const double* q = query.data();
    Kept kept(scratch.kept, k + 1);
    std::vector<Branch>& path = scratch.path;
    std::vector<double>& squares = scratch.squares;  // of the subtree being searched
    path.clear();
    squares.assign(width, 0.0);
    for (std::size_t e = 0;;) {
        while (e != kNone) {
            const std::size_t size = Size(e);
            if (size <= kWholeSubtree) {
                for (std::size_t x = e; x < e + size; ++x) kept.Add(SquareSum(q, Point(x), width), x);
                e = kNone;
                continue;
            }
            const double* point = Point(e);
            kept.Add(SquareSum(q, point, width), e);
            const std::size_t dim = Dim(e);
            const double gap = point[dim] - q[dim];
            const bool queryLeft = gap > 0.0;  // as JudgePointFaceLeft
            const std::size_t far = queryLeft ? Right(e) : Left(e);
            if (far != kNone) {
                __builtin_prefetch(Point(far));
                path.push_back(Branch{far, dim, gap * gap, 0.0, false});
            }
            e = queryLeft ? Left(e) : Right(e);
        }
        while (!path.empty() && path.back().entered) {
            squares[path.back().dim] = path.back().saved;
            path.pop_back();
        }
        if (path.empty()) break;
        Branch& branch = path.back();
        const double square = std::max(squares[branch.dim], branch.square);
        double bound = 0.0;
        for (std::size_t i = 0; i < width; ++i) bound += i == branch.dim ? square : squares[i];
        if (kept.Beyond(bound)) {
            path.pop_back();
            continue;  // with e none: on to the next branch
        }
        branch.entered = true;
        branch.saved = squares[branch.dim];
        squares[branch.dim] = square;
        e = branch.far;
    }

    const double last = std::sqrt(kept[k - 1].sum), beyond = std::sqrt(kept[k].sum);
    if (!(last < beyond && beyond > kKdEpsilon)) return false;
    for (std::size_t i = 0; i < k; ++i)
        entries.push_back(AnswerEntry{kept[i].node, Row(kept[i].node), std::sqrt(kept[i].sum)});
    result = Answer(FlatAccess(*this), entries);
    return true;
}

}  // namespace pct::Ko::detail
