#pragma once

// Exact k-nearest-neighbour search under the Euclidean distance, with linked nodes.

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

// A k-d tree whose nodes are allocated one by one and linked by address. Every row of the
// table becomes one node; two-valued dimensions are split first, once each, continuous
// dimensions at a median and then in turn.
class VECMAT_API KdTree {
public:
    struct KdTreeNode {
        std::size_t index = 0;       // row of the table
        std::int32_t dim = 0;        // dimension this node splits on
        std::vector<double> point;   // the row's values
        std::int32_t label = 0;      // the row's label
        KdTreeNode* left = nullptr;  // smaller values
        KdTreeNode* right = nullptr; // larger values
        KdTreeNode* parent = nullptr;
    };

    struct KdTreeLeaf {
        const KdTreeNode* node = nullptr;
        double distance = 0.0;
    };

    KdTree();
    KdTree(const KdTree& other);
    KdTree(KdTree&& other) noexcept;
    KdTree& operator=(const KdTree& other);
    KdTree& operator=(KdTree&& other) noexcept;
    ~KdTree();

    // Builds the tree of `table`, replacing any tree the object holds. A failing build
    // leaves the object as it was.
    void CtreatTree(const KdTreeDataTable& table);

    // Releases every node; the dimension lists and count stay.
    void FreeTree();

    // The k rows nearest to `query`, nearest first (all rows when k exceeds their number).
    std::vector<NearbyPoint> FindNearbyPoints(const std::vector<double>& query, std::size_t k) const;

    static double ComputeDistance(const std::vector<double>& a, const std::vector<double>& b);

    // Read access to the tree and to what the last build derived from its table.
    const KdTreeNode* GetRoot() const { return root; }
    const std::vector<std::size_t>& GetDisDims() const { return disDims; }
    const std::vector<std::size_t>& GetConDims() const { return conDims; }
    std::size_t GetDimCount() const { return dimCount; }

private:
    static void FreeBranch(KdTreeNode* node);
    static KdTreeNode* CopyBranch(const KdTreeNode* node);

    KdTreeNode* root = nullptr;
    std::vector<std::size_t> disDims;
    std::vector<std::size_t> conDims;
    std::size_t dimCount = 0;
    // The same nodes numbered in pre-order in flat arrays, which queries walk: present
    // exactly while root is.
    std::unique_ptr<detail::KdTreeFlat> flat;
};

}  // namespace pct::Ko
