#include "vecmat/neighbors/KdTree.h"

#include <memory>
#include <utility>

#include "vecmat/neighbors/KdTreeFlat.h"
#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko {

namespace {

using Node = KdTree::KdTreeNode;
using detail::KdTreeFlat;

// Releases a subtree without recursion: a tree of many equal rows can be very deep. The
// nodes go in the reverse of pre-order, the order a build allocates them in: the right
// subtree, the left subtree, then the node. Freeing in reverse lets the allocator reuse
// the blocks in address order, which makes the next build's allocations much cheaper.
void ReleaseNodes(Node* top) {
    struct Visit {
        Node* node;
        bool expanded;  // its subtrees are on the stack above it
    };
    std::vector<Visit> pending;
    if (top != nullptr) pending.push_back(Visit{top, false});
    while (!pending.empty()) {
        Visit& visit = pending.back();
        Node* node = visit.node;
        if (visit.expanded) {
            pending.pop_back();
            delete node;
            continue;
        }
        visit.expanded = true;
        if (node->left != nullptr) pending.push_back(Visit{node->left, false});
        if (node->right != nullptr) pending.push_back(Visit{node->right, false});
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
        return Add(holder_.root, KdTreeFlat::kNone, false);
    }
    Handle MakeChild(Handle parent, bool left, std::size_t dim) {
        Node* child = new Node();
        child->dim = static_cast<std::int32_t>(dim);
        child->parent = parent.node;
        (left ? parent.node->left : parent.node->right) = child;
        return Add(child, parent.number, left);
    }
    void Fill(Handle node, std::size_t row, const double* values, std::int32_t label) {
        node.node->index = row;
        node.node->point.assign(values, values + flat_.Width());
        node.node->label = label;
        flat_.SetRow(node.number, row, label, values);
    }

private:
    Handle Add(Node* node, std::size_t parent, bool left) {
        return Handle{node, flat_.Add(parent, left, static_cast<std::size_t>(node->dim))};
    }

    TreeHolder& holder_;
    KdTreeFlat& flat_;
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
    flattened->Seal(detail::CreateBranch(table, dims, sink));

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
    return flat->FindNearbyPoints(query, k);
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
