#pragma once

// Table makers and tree walks shared by the k-d tree tests.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "vecmat/neighbors/KdTree.h"
#include "vecmat/neighbors/KdTree2.h"

namespace kdtest {

using pct::Ko::KdTree;
using pct::Ko::KdTree2;
using pct::Ko::KdTreeDataTable;
using pct::Ko::NearbyPoint;

// One row per entry of `rows`; labels are 100 + row number.
inline KdTreeDataTable Table(const std::vector<std::vector<double>>& rows,
                             std::vector<std::int32_t> dimTypes = {}) {
    KdTreeDataTable table;
    table.dimTypes = std::move(dimTypes);
    for (std::size_t i = 0; i < rows.size(); ++i)
        table.rows.push_back({rows[i], static_cast<std::int32_t>(100 + i)});
    return table;
}

// A one-dimensional table of the given values.
inline KdTreeDataTable Column(const std::vector<double>& values, std::vector<std::int32_t> dimTypes = {}) {
    std::vector<std::vector<double>> rows;
    for (double v : values) rows.push_back({v});
    return Table(rows, std::move(dimTypes));
}

// One node as seen in a pre-order walk, with its children's rows (-1 for none).
struct NodeView {
    long long row;
    int dim;
    std::int32_t label;
    long long leftRow;
    long long rightRow;
    bool operator==(const NodeView& o) const {
        return row == o.row && dim == o.dim && label == o.label && leftRow == o.leftRow &&
               rightRow == o.rightRow;
    }
};

inline void Walk(const KdTree::KdTreeNode* node, std::vector<NodeView>& out) {
    if (node == nullptr) return;
    out.push_back({static_cast<long long>(node->index), node->dim, node->label,
                   node->left ? static_cast<long long>(node->left->index) : -1,
                   node->right ? static_cast<long long>(node->right->index) : -1});
    Walk(node->left, out);
    Walk(node->right, out);
}

inline std::vector<NodeView> PreOrder(const KdTree& tree) {
    std::vector<NodeView> out;
    Walk(tree.GetRoot(), out);
    return out;
}

// Entries 1 ... n of the table are the pre-order walk itself.
inline std::vector<NodeView> PreOrder(const KdTree2& tree) {
    std::vector<NodeView> out;
    const auto& nodes = tree.GetNodes();
    for (std::size_t e = 1; e < nodes.size() && !nodes[e].point.empty(); ++e) {
        const auto& n = nodes[e];
        out.push_back({static_cast<long long>(n.index), n.dim, n.label,
                       n.left ? static_cast<long long>(nodes[n.left].index) : -1,
                       n.right ? static_cast<long long>(nodes[n.right].index) : -1});
    }
    return out;
}

inline double Distance(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

// The k smallest distances from `query` to the rows of `table`, ascending.
inline std::vector<double> BruteForce(const KdTreeDataTable& table, const std::vector<double>& query,
                                      std::size_t k) {
    std::vector<double> d;
    for (const auto& row : table.rows) d.push_back(Distance(row.values, query));
    std::sort(d.begin(), d.end());
    d.resize(std::min(k, d.size()));
    return d;
}

}  // namespace kdtest
