#pragma once

// Internal: the continuous splits of a table in which no continuous dimension holds NaN or
// a repeated value, taken from lists sorted once instead of by a selection at every node.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pct::Ko::detail {

// Where the values of a dimension all differ, a node's key order is the order of its own
// dimension's values alone, and its pivot is the median of its list, at position
// lo + (hi - lo) / 2 of its range [lo, hi) (of two rows the larger, of one the row). The
// splits of such a table can therefore be made ahead of the build, a level at a time: the
// rows are sorted once by each dimension, and each level hands every sorted list of each
// node on to its children, divided stably into the rows before the median and the rows
// after it, so that every child's lists are sorted in turn.
//
// Fills `pivots` with the row that becomes the node of each range's median position (every
// position is the median of exactly one range) for `count` rows of `width` values each, row
// after row, split on dims[depth % dims.size()] at each depth. Returns false, with `pivots`
// unspecified, when a value of those dimensions is NaN, two values of one dimension are
// equal, or the rows are too many to number in 32 bits.
bool RankedPivots(const double* values, std::size_t count, std::size_t width, const std::vector<std::size_t>& dims,
                  std::vector<std::uint32_t>& pivots);

}  // namespace pct::Ko::detail
