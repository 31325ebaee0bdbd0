#pragma once

// Input and result records shared by both k-d trees (KdTree and KdTree2).

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace pct::Ko {

// Kind of a dimension: two-valued dimensions are split first and once on each path,
// continuous ones at a median and then cycled through.
enum class KdTreeDimType : std::int32_t {
    Continuous = 0,
    Discrete = 1,
};

// One row of the input: its coordinates and a label carried through untouched.
struct KdTreeRow {
    std::vector<double> values;
    std::int32_t label = 0;
};

// The input of a build. `dimTypes` is either empty (the tree decides the kinds) or holds
// one entry per dimension, 1 meaning discrete and anything else continuous.
struct KdTreeDataTable {
    std::vector<std::int32_t> dimTypes;
    std::vector<KdTreeRow> rows;
};

// Result of splitting a list of rows: the rows of the two subtrees and the row that
// becomes the node (the largest size_t when no row qualifies).
struct KdTreeBranch {
    std::vector<std::size_t> left;
    std::vector<std::size_t> right;
    std::size_t pivot = std::numeric_limits<std::size_t>::max();
};

// The dimension (and its kind) a child node splits on.
struct NextDimInfo {
    KdTreeDimType type = KdTreeDimType::Continuous;
    std::size_t dim = 0;
};

// One neighbour in a query result.
struct NearbyPoint {
    std::size_t index = 0;
    std::vector<double> point;
    std::int32_t label = 0;
    double distance = 0.0;
};

}  // namespace pct::Ko
