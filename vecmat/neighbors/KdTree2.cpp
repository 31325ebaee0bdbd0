#include "vecmat/neighbors/KdTree2.h"

#include <utility>

#include "vecmat/neighbors/KdTreeFlat.h"
#include "vecmat/neighbors/KdTreeSearch.h"
#include "vecmat/neighbors/KdTreeShared.h"

namespace pct::Ko {

namespace {

using Node = KdTree2::KdTreeNode;

using detail::KdTreeFlat;

// Build sink: numbers the nodes 1, 2, ... in the order the walk makes them (pre-order),
// and lays entry e out flat as node e - 1.
class TableSink {
public:
    TableSink(std::vector<Node>& nodes, KdTreeFlat& flat) : nodes_(nodes), flat_(flat) {}

    std::size_t MakeRoot(std::size_t dim) {
        counter_ = 1;
        nodes_[1].id = 1;
        nodes_[1].dim = static_cast<std::int32_t>(dim);
        flat_.Add(KdTreeFlat::kNone, false, dim);
        return 1;
    }
    std::size_t MakeChild(std::size_t parent, bool left, std::size_t dim) {
        const std::size_t e = ++counter_;
        (left ? nodes_[parent].left : nodes_[parent].right) = e;
        nodes_[e].parent = nodes_[parent].id;
        nodes_[e].id = e;
        nodes_[e].dim = static_cast<std::int32_t>(dim);
        flat_.Add(parent - 1, left, dim);
        return e;
    }
    void Fill(std::size_t e, std::size_t row, const double* values, std::int32_t label) {
        nodes_[e].index = row;
        nodes_[e].point.assign(values, values + flat_.Width());
        nodes_[e].label = label;
        flat_.SetRow(e - 1, row, label, values);
    }

private:
    std::vector<Node>& nodes_;
    KdTreeFlat& flat_;
    std::size_t counter_ = 0;
};

// Query access by entry number. The table can be edited by the caller through GetNodes,
// so every step is checked: a link outside the table, a dimension outside the point or the
// query, or a walk longer than the table fails instead of reading astray or running for ever.
class TableAccess {
public:
    using Ref = std::size_t;
    TableAccess(const std::vector<Node>& nodes, std::size_t width) : nodes_(nodes), width_(width) {}

    Ref Root() const { return 1; }
    Ref None() const { return 0; }
    bool IsNone(Ref e) const { return e == 0; }
    Ref Left(Ref e) const { return At(e).left; }
    Ref Right(Ref e) const { return At(e).right; }
    Ref Parent(Ref e) const { return At(e).parent; }
    const double* Point(Ref e) const { return At(e).point.data(); }
    std::size_t Width(Ref e) const { return At(e).point.size(); }
    std::size_t Dim(Ref e) const {
        const Node& node = At(e);
        // A node reached only through a parent link has not been measured yet, so its
        // point may be longer than the query: its dimension must fit both.
        if (node.dim < 0 || static_cast<std::size_t>(node.dim) >= node.point.size() ||
            static_cast<std::size_t>(node.dim) >= width_)
            Broken();
        return static_cast<std::size_t>(node.dim);
    }
    std::size_t Index(Ref e) const { return At(e).index; }
    std::int32_t Label(Ref e) const { return At(e).label; }
    std::size_t StepLimit() const { return nodes_.size(); }
    [[noreturn]] void Broken() const { pct::detail::Fail(msg::kKdNodeTableInvalid); }

private:
    const Node& At(Ref e) const {
        if (e >= nodes_.size()) Broken();
        return nodes_[e];
    }
    const std::vector<Node>& nodes_;
    std::size_t width_;  // length of the query
};

// True when `nodes` holds one well-formed tree under entry 1.
bool IsValidTable(const std::vector<Node>& nodes) {
    if (nodes.size() < 2 || nodes[1].point.empty() || nodes[1].parent != 0) return false;
    const std::size_t width = nodes[1].point.size();
    for (const Node& node : nodes) {
        if (node.left >= nodes.size() || node.right >= nodes.size() || node.parent >= nodes.size())
            return false;
        if (!node.point.empty() && node.point.size() != width) return false;
    }
    // Every node under entry 1 is reached once, names its parent and splits inside its point.
    std::vector<bool> reached(nodes.size(), false);
    std::vector<std::size_t> pending{1};
    reached[1] = true;
    while (!pending.empty()) {
        const std::size_t e = pending.back();
        pending.pop_back();
        const Node& node = nodes[e];
        if (node.point.size() != width || node.dim < 0 || static_cast<std::size_t>(node.dim) >= width)
            return false;
        for (const std::size_t child : {node.left, node.right}) {
            if (child == 0) continue;
            if (reached[child] || nodes[child].parent != e) return false;
            reached[child] = true;
            pending.push_back(child);
        }
    }
    return true;
}

// The flat layout of a well-formed table (IsValidTable) whose nodes are entries 1, 2, ...
// in pre-order, as a build leaves them; null for any other table.
std::unique_ptr<KdTreeFlat> FlattenPreOrdered(const std::vector<Node>& nodes) {
    const std::size_t width = nodes[1].point.size();
    auto flat = std::make_unique<KdTreeFlat>(width, nodes.size());
    std::vector<std::size_t> pending{1};
    while (!pending.empty()) {
        const std::size_t e = pending.back();
        pending.pop_back();
        if (e != flat->Count() + 1) return nullptr;
        const Node& node = nodes[e];
        const std::size_t parent = node.parent == 0 ? KdTreeFlat::kNone : node.parent - 1;
        flat->Add(parent, node.parent != 0 && nodes[node.parent].left == e, static_cast<std::size_t>(node.dim));
        flat->SetRow(e - 1, node.index, node.label, node.point.data());
        if (node.right != 0) pending.push_back(node.right);
        if (node.left != 0) pending.push_back(node.left);
    }
    flat->Seal(false);
    return flat;
}

std::unique_ptr<KdTreeFlat> CopyOf(const std::unique_ptr<KdTreeFlat>& flat) {
    return flat ? std::make_unique<KdTreeFlat>(*flat) : nullptr;
}

}  // namespace

KdTree2::KdTree2() = default;

KdTree2::KdTree2(const KdTree2& other)
    : root(other.root),
      disDims(other.disDims),
      conDims(other.conDims),
      dimCount(other.dimCount),
      nodes(other.nodes),
      flat(CopyOf(other.flat)) {}

KdTree2::KdTree2(KdTree2&& other) noexcept
    : root(std::exchange(other.root, 0)),
      disDims(std::move(other.disDims)),
      conDims(std::move(other.conDims)),
      dimCount(std::exchange(other.dimCount, 0)),
      nodes(std::move(other.nodes)),
      flat(std::move(other.flat)) {
    other.disDims.clear();
    other.conDims.clear();
    other.nodes.clear();
}

KdTree2& KdTree2::operator=(const KdTree2& other) {
    if (this != &other) {
        KdTree2 copy(other);
        *this = std::move(copy);
    }
    return *this;
}

KdTree2& KdTree2::operator=(KdTree2&& other) noexcept {
    if (this != &other) {
        root = std::exchange(other.root, 0);
        disDims = std::move(other.disDims);
        conDims = std::move(other.conDims);
        dimCount = std::exchange(other.dimCount, 0);
        nodes = std::move(other.nodes);
        flat = std::move(other.flat);
        other.disDims.clear();
        other.conDims.clear();
        other.nodes.clear();
    }
    return *this;
}

// The nodes go last first, the reverse of the order a build allocates their points in,
// which lets the allocator reuse the blocks in address order.
KdTree2::~KdTree2() {
    while (!nodes.empty()) nodes.pop_back();
}

void KdTree2::CtreatTree(const KdTreeDataTable& table) {
    detail::KdTreeDims dims = detail::KdTreeShared::Preprocessing(table);
    // Always a fresh table, also when a tree was present, so that nodes and lists describe
    // the same table.
    std::vector<KdTreeNode> built(table.rows.size() + 20);
    auto flattened = std::make_unique<KdTreeFlat>(dims.dimCount, table.rows.size());
    TableSink sink(built, *flattened);
    flattened->Seal(detail::CreateBranch(table, dims, sink));

    nodes = std::move(built);
    flat = std::move(flattened);
    root = 1;
    disDims = std::move(dims.disDims);
    conDims = std::move(dims.conDims);
    dimCount = dims.dimCount;
}

std::vector<NearbyPoint> KdTree2::FindNearbyPoints(const std::vector<double>& query,
                                                   std::size_t k) const {
    if (root == 0) return {};
    if (query.size() != dimCount) pct::detail::Fail(msg::kKdQueryDimMismatch);
    if (flat) return flat->FindNearbyPoints(query, k);
    const TableAccess access(nodes, query.size());
    return detail::KdTreeSearch<TableAccess>(access, query).FindNearbyPoints(k);
}

std::vector<KdTree2::KdTreeNode>& KdTree2::GetNodes() {
    flat.reset();
    return nodes;
}
const std::vector<KdTree2::KdTreeNode>& KdTree2::GetNodes() const { return nodes; }

void KdTree2::LoadData(const std::vector<KdTreeNode>& table) {
    if (!IsValidTable(table)) pct::detail::Fail(msg::kKdNodeTableInvalid);
    std::vector<KdTreeNode> copy(table);
    std::unique_ptr<KdTreeFlat> flattened = FlattenPreOrdered(copy);
    nodes = std::move(copy);
    flat = std::move(flattened);
    root = 1;
    dimCount = nodes[1].point.size();
    // The lists only serve a build; they do not describe a loaded table.
    disDims.clear();
    conDims.clear();
}

double KdTree2::ComputeDistance(const std::vector<double>& a, const std::vector<double>& b) {
    return detail::KdTreeShared::ComputeDistance(a, b);
}

}  // namespace pct::Ko
