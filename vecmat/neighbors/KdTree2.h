#pragma once

// Exact k-nearest-neighbour search with the nodes kept in one table, linked by entry
// number, so a built tree can be taken out (GetNodes) and installed again (LoadData).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/neighbors/KdTreeData.h"

namespace pct::Ko {

namespace detail {
class KdTreeFlat;
}

// The same tree as KdTree. Entry 0 of the node table is never a node (0 means "none" in
// every link); the root is entry 1 and the nodes are numbered in pre-order. A build
// leaves a table of rows + 20 entries, the unused ones holding fresh values.
class VECMAT_API KdTree2 {
public:
    struct KdTreeNode {
        std::size_t index = 0;     // row of the table
        std::size_t id = 0;        // this entry's own number
        std::int32_t dim = -1;     // dimension this node splits on
        std::vector<double> point; // the row's values
        std::int32_t label = -1;   // the row's label
        std::size_t left = 0;      // entry of the left child, 0 for none
        std::size_t right = 0;     // entry of the right child, 0 for none
        std::size_t parent = 0;    // entry of the parent, 0 at the root
    };

    struct KdTreeLeaf {
        std::size_t node = 0;
        double distance = 0.0;
    };

    KdTree2();
    KdTree2(const KdTree2& other);
    KdTree2(KdTree2&& other) noexcept;
    KdTree2& operator=(const KdTree2& other);
    KdTree2& operator=(KdTree2&& other) noexcept;
    ~KdTree2();

    // Builds the tree of `table` into a fresh node table, replacing any tree the object
    // holds. A failing build leaves the object as it was.
    void CtreatTree(const KdTreeDataTable& table);

    // The k rows nearest to `query`, nearest first (all rows when k exceeds their number).
    std::vector<NearbyPoint> FindNearbyPoints(const std::vector<double>& query, std::size_t k) const;

    // The node table itself, not a copy. Queries walk a copy of the table laid out for
    // them; since the caller may change the table through the non-const reference, taking
    // it drops that copy, and queries walk the table itself (more slowly, with the same
    // answers) until the next CtreatTree or LoadData.
    std::vector<KdTreeNode>& GetNodes();
    const std::vector<KdTreeNode>& GetNodes() const;

    // Installs a node table taken from a built tree. The table is checked first (at least
    // two entries, links inside the table forming one tree under entry 1, every node with
    // a point of one length and a dimension inside it); a broken table is refused and the
    // object stays as it was.
    void LoadData(const std::vector<KdTreeNode>& nodes);

    static double ComputeDistance(const std::vector<double>& a, const std::vector<double>& b);

    bool HasTree() const { return root != 0; }
    const std::vector<std::size_t>& GetDisDims() const { return disDims; }
    const std::vector<std::size_t>& GetConDims() const { return conDims; }
    std::size_t GetDimCount() const { return dimCount; }

private:
    // Entry number of the root (1) while a tree is present, 0 otherwise. A number rather
    // than an address, since the table handed out by GetNodes may be reallocated.
    std::size_t root = 0;
    std::vector<std::size_t> disDims;
    std::vector<std::size_t> conDims;
    std::size_t dimCount = 0;
    std::vector<KdTreeNode> nodes;
    // The nodes under entry 1 laid out flat (entry e as node e - 1), while the table is
    // known to be as built or loaded and in pre-order; null otherwise.
    std::unique_ptr<detail::KdTreeFlat> flat;
};

}  // namespace pct::Ko
