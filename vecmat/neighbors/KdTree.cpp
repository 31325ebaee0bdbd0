#include "vecmat/neighbors/KdTree.h"

#include <limits>
#include <memory>
#include <utility>

#include "vecmat/neighbors/KdTreeSearch.h"
#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko {

namespace {

using Node = KdTree::KdTreeNode;

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

// Build sink: allocates and links one node per row.
class LinkedSink {
public:
    LinkedSink(const KdTreeDataTable& table, TreeHolder& holder) : table_(table), holder_(holder) {}

    Node* MakeRoot(std::size_t dim) {
        holder_.root = new Node();
        holder_.root->dim = static_cast<std::int32_t>(dim);
        return holder_.root;
    }
    Node* MakeChild(Node* parent, bool left, std::size_t dim) {
        Node* child = new Node();
        child->dim = static_cast<std::int32_t>(dim);
        child->parent = parent;
        (left ? parent->left : parent->right) = child;
        return child;
    }
    void Fill(Node* node, std::size_t row) {
        node->index = row;
        node->point = table_.rows[row].values;
        node->label = table_.rows[row].label;
    }

private:
    const KdTreeDataTable& table_;
    TreeHolder& holder_;
};

// Query access to linked nodes; they are private to the tree, so no walk can run away.
class LinkedAccess {
public:
    using Ref = const Node*;
    explicit LinkedAccess(const Node* root) : root_(root) {}

    Ref Root() const { return root_; }
    Ref None() const { return nullptr; }
    bool IsNone(Ref node) const { return node == nullptr; }
    Ref Left(Ref node) const { return node->left; }
    Ref Right(Ref node) const { return node->right; }
    Ref Parent(Ref node) const { return node->parent; }
    const std::vector<double>& Point(Ref node) const { return node->point; }
    std::size_t Dim(Ref node) const { return static_cast<std::size_t>(node->dim); }
    std::size_t Index(Ref node) const { return node->index; }
    std::int32_t Label(Ref node) const { return node->label; }
    std::size_t StepLimit() const { return std::numeric_limits<std::size_t>::max(); }
    [[noreturn]] void Broken() const { pct::detail::Fail(msg::kKdNodeTableInvalid); }

private:
    const Node* root_;
};

}  // namespace

KdTree::KdTree() = default;

KdTree::KdTree(const KdTree& other)
    : root(CopyBranch(other.root)),
      disDims(other.disDims),
      conDims(other.conDims),
      dimCount(other.dimCount) {}

KdTree::KdTree(KdTree&& other) noexcept
    : root(std::exchange(other.root, nullptr)),
      disDims(std::move(other.disDims)),
      conDims(std::move(other.conDims)),
      dimCount(std::exchange(other.dimCount, 0)) {}

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
        other.disDims.clear();
        other.conDims.clear();
    }
    return *this;
}

KdTree::~KdTree() { FreeBranch(root); }

void KdTree::CtreatTree(const KdTreeDataTable& table) {
    detail::KdTreeDims dims = detail::KdTreeShared::Preprocessing(table);
    TreeHolder built;
    LinkedSink sink(table, built);
    detail::CreateBranch(table, dims, sink);

    // Nothing can fail from here on: replace the old tree and lists together.
    FreeBranch(root);
    root = built.Release();
    disDims = std::move(dims.disDims);
    conDims = std::move(dims.conDims);
    dimCount = dims.dimCount;
}

void KdTree::FreeTree() {
    FreeBranch(root);
    root = nullptr;
}

std::vector<NearbyPoint> KdTree::FindNearbyPoints(const std::vector<double>& query,
                                                  std::size_t k) const {
    if (root == nullptr) return {};
    if (query.size() != dimCount) pct::detail::Fail(msg::kKdQueryDimMismatch);
    const LinkedAccess access(root);
    return detail::KdTreeSearch<LinkedAccess>(access, query).FindNearbyPoints(k);
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
