#include "vecmat/neighbors/KdTree.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "vecmat/neighbors/KdTreeSearch.h"
#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko {

namespace detail {

// A KdTree's nodes numbered in pre-order, each a record of its links, its splitting
// dimension and its point side by side, so that a query's step to a node reads one place.
// Rows and labels, needed only for the answer, lie apart.
class KdTreeFlat {
public:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    KdTreeFlat(std::size_t width, std::size_t count) : width_(width), stride_(kPoint + width) {
        data_.reserve(count * stride_);
        rows_.reserve(count);
        labels_.reserve(count);
    }

    // Appends a node without children; returns its number.
    std::size_t Add(std::size_t parent, std::size_t dim) {
        const std::size_t e = rows_.size();
        data_.resize(data_.size() + stride_);
        rows_.push_back(0);
        labels_.push_back(0);
        SetWord(e, kLeft, kNone);
        SetWord(e, kRight, kNone);
        SetWord(e, kParent, parent);
        SetWord(e, kDim, dim);
        return e;
    }
    void SetChild(std::size_t e, bool left, std::size_t child) { SetWord(e, left ? kLeft : kRight, child); }
    void SetRow(std::size_t e, std::size_t row, std::int32_t label, const double* values) {
        rows_[e] = row;
        labels_[e] = label;
        std::copy(values, values + width_, data_.begin() + e * stride_ + kPoint);
    }

    std::size_t Left(std::size_t e) const { return Word(e, kLeft); }
    std::size_t Right(std::size_t e) const { return Word(e, kRight); }
    std::size_t Parent(std::size_t e) const { return Word(e, kParent); }
    std::size_t Dim(std::size_t e) const { return Word(e, kDim); }
    const double* Point(std::size_t e) const { return data_.data() + e * stride_ + kPoint; }
    std::size_t Width() const { return width_; }
    std::size_t Row(std::size_t e) const { return rows_[e]; }
    std::int32_t Label(std::size_t e) const { return labels_[e]; }

private:
    // Slots of a record: four words (stored in doubles' places), then the point.
    static constexpr std::size_t kLeft = 0, kRight = 1, kParent = 2, kDim = 3, kPoint = 4;

    std::size_t Word(std::size_t e, std::size_t slot) const {
        std::size_t word;
        std::memcpy(&word, data_.data() + e * stride_ + slot, sizeof word);
        return word;
    }
    void SetWord(std::size_t e, std::size_t slot, std::size_t word) {
        std::memcpy(data_.data() + e * stride_ + slot, &word, sizeof word);
    }

    std::size_t width_;
    std::size_t stride_;
    std::vector<double> data_;
    std::vector<std::size_t> rows_;
    std::vector<std::int32_t> labels_;
};

}  // namespace detail

namespace {

using Node = KdTree::KdTreeNode;
using detail::KdTreeFlat;


// Releases a subtree without recursion: a tree of many equal rows can be very deep.
void ReleaseNodes(Node* top) {
    std::vector<Node*> pending;
    if (top != nullptr) pending.push_back(top);
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (node->left != nullptr) pending.push_back(node->left);
        if (node->right != nullptr) pending.push_back(node->right);
        delete node;
    }
}

// Owns a tree under construction until it is handed over, so a throw frees it.
struct TreeHolder {
    Node* root = nullptr;
    ~TreeHolder() { ReleaseNodes(root); }
    Node* Release() { return std::exchange(root, nullptr); }
};

// Build sink: allocates and links one node per row, and lays the same nodes out flat in
// the order they come (pre-order).
class LinkedSink {
public:
    struct Handle {
        Node* node;
        std::size_t number;  // in pre-order
    };

    LinkedSink(TreeHolder& holder, KdTreeFlat& flat) : holder_(holder), flat_(flat) {}

    Handle MakeRoot(std::size_t dim) {
        holder_.root = new Node();
        holder_.root->dim = static_cast<std::int32_t>(dim);
        return Add(holder_.root, KdTreeFlat::kNone);
    }
    Handle MakeChild(Handle parent, bool left, std::size_t dim) {
        Node* child = new Node();
        child->dim = static_cast<std::int32_t>(dim);
        child->parent = parent.node;
        (left ? parent.node->left : parent.node->right) = child;
        const Handle made = Add(child, parent.number);
        flat_.SetChild(parent.number, left, made.number);
        return made;
    }
    void Fill(Handle node, std::size_t row, const double* values, std::int32_t label) {
        node.node->index = row;
        node.node->point.assign(values, values + flat_.Width());
        node.node->label = label;
        flat_.SetRow(node.number, row, label, values);
    }

private:
    Handle Add(Node* node, std::size_t parent) {
        return Handle{node, flat_.Add(parent, static_cast<std::size_t>(node->dim))};
    }

    TreeHolder& holder_;
    KdTreeFlat& flat_;
};

// Query access to the flat copy; the nodes are private to the tree, so no walk can run away.
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

}  // namespace

KdTree::KdTree() = default;

KdTree::KdTree(const KdTree& other)
    : root(CopyBranch(other.root)),
      disDims(other.disDims),
      conDims(other.conDims),
      dimCount(other.dimCount) {
    // A failed copy of the flat arrays must not leak the copied nodes.
    try {
        if (other.flat) flat = std::make_unique<KdTreeFlat>(*other.flat);
    } catch (...) {
        FreeBranch(root);
        throw;
    }
}

KdTree::KdTree(KdTree&& other) noexcept
    : root(std::exchange(other.root, nullptr)),
      disDims(std::move(other.disDims)),
      conDims(std::move(other.conDims)),
      dimCount(std::exchange(other.dimCount, 0)),
      flat(std::move(other.flat)) {}

KdTree& KdTree::operator=(const KdTree& other) {
    if (this != &other) {
        KdTree copy(other);
        *this = std::move(copy);
    }
    return *this;
}

KdTree& KdTree::operator=(KdTree&& other) noexcept {
    if (this != &other) {
        FreeBranch(root);
        root = std::exchange(other.root, nullptr);
        disDims = std::move(other.disDims);
        conDims = std::move(other.conDims);
        dimCount = std::exchange(other.dimCount, 0);
        flat = std::move(other.flat);
        other.disDims.clear();
        other.conDims.clear();
    }
    return *this;
}

KdTree::~KdTree() { FreeBranch(root); }

void KdTree::CtreatTree(const KdTreeDataTable& table) {
    detail::KdTreeDims dims = detail::KdTreeShared::Preprocessing(table);
    TreeHolder built;
    auto flattened = std::make_unique<KdTreeFlat>(dims.dimCount, table.rows.size());
    LinkedSink sink(built, *flattened);
    detail::CreateBranch(table, dims, sink);

    // Nothing can fail from here on: replace the old tree and lists together.
    FreeBranch(root);
    root = built.Release();
    flat = std::move(flattened);
    disDims = std::move(dims.disDims);
    conDims = std::move(dims.conDims);
    dimCount = dims.dimCount;
}

void KdTree::FreeTree() {
    FreeBranch(root);
    root = nullptr;
    flat.reset();
}

std::vector<NearbyPoint> KdTree::FindNearbyPoints(const std::vector<double>& query,
                                                  std::size_t k) const {
    if (root == nullptr) return {};
    if (query.size() != dimCount) pct::detail::Fail(msg::kKdQueryDimMismatch);
    const FlatAccess access(*flat);
    return detail::KdTreeSearch<FlatAccess>(access, query).FindNearbyPoints(k);
}

double KdTree::ComputeDistance(const std::vector<double>& a, const std::vector<double>& b) {
    return detail::KdTreeShared::ComputeDistance(a, b);
}

void KdTree::FreeBranch(KdTreeNode* node) { ReleaseNodes(node); }

KdTree::KdTreeNode* KdTree::CopyBranch(const KdTreeNode* node) {
    // Copies node by node with an explicit stack; a partial copy is freed on a throw.
    TreeHolder copy;
    if (node == nullptr) return nullptr;
    copy.root = new Node(*node);
    copy.root->left = copy.root->right = copy.root->parent = nullptr;
    std::vector<std::pair<const Node*, Node*>> pending{{node, copy.root}};
    while (!pending.empty()) {
        const auto [source, target] = pending.back();
        pending.pop_back();
        for (const bool left : {true, false}) {
            const Node* child = left ? source->left : source->right;
            if (child == nullptr) continue;
            Node* made = new Node(*child);
            made->left = made->right = nullptr;
            made->parent = target;
            (left ? target->left : target->right) = made;
            pending.emplace_back(child, made);
        }
    }
    return copy.Release();
}

}  // namespace pct::Ko
