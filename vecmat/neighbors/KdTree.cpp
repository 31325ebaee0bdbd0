#include "vecmat/neighbors/KdTree.h"

#include <limits>
#include <memory>
#include <utility>

#include "vecmat/neighbors/KdTreeSearch.h"
#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko {

namespace detail {

// A KdTree's nodes numbered in pre-order: links, splits and labels in one array, the
// points one after the other in another, so that a query walks contiguous memory.
struct KdTreeFlat {
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    struct Node {
        std::size_t left;
        std::size_t right;
        std::size_t parent;
        std::size_t index;
        std::int32_t dim;
        std::int32_t label;
    };
    std::vector<Node> nodes;
    std::vector<double> coords;  // width values per node
    std::size_t width = 0;
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

    LinkedSink(std::size_t width, TreeHolder& holder, KdTreeFlat& flat) : holder_(holder), flat_(flat) {
        flat_.width = width;
    }

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
        (left ? flat_.nodes[parent.number].left : flat_.nodes[parent.number].right) = made.number;
        return made;
    }
    void Fill(Handle node, std::size_t row, const double* values, std::int32_t label) {
        node.node->index = row;
        node.node->point.assign(values, values + flat_.width);
        node.node->label = label;
        KdTreeFlat::Node& flat = flat_.nodes[node.number];
        flat.index = row;
        flat.label = label;
        std::copy(values, values + flat_.width, flat_.coords.begin() + node.number * flat_.width);
    }

private:
    Handle Add(Node* node, std::size_t parent) {
        flat_.nodes.push_back({KdTreeFlat::kNone, KdTreeFlat::kNone, parent, 0, node->dim, 0});
        flat_.coords.resize(flat_.coords.size() + flat_.width);
        return Handle{node, flat_.nodes.size() - 1};
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
    Ref Left(Ref e) const { return flat_.nodes[e].left; }
    Ref Right(Ref e) const { return flat_.nodes[e].right; }
    Ref Parent(Ref e) const { return flat_.nodes[e].parent; }
    const double* Point(Ref e) const { return flat_.coords.data() + e * flat_.width; }
    std::size_t Width(Ref) const { return flat_.width; }
    std::size_t Dim(Ref e) const { return static_cast<std::size_t>(flat_.nodes[e].dim); }
    std::size_t Index(Ref e) const { return flat_.nodes[e].index; }
    std::int32_t Label(Ref e) const { return flat_.nodes[e].label; }
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
    auto flattened = std::make_unique<KdTreeFlat>();
    flattened->nodes.reserve(table.rows.size());
    flattened->coords.reserve(table.rows.size() * dims.dimCount);
    LinkedSink sink(dims.dimCount, built, *flattened);
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
