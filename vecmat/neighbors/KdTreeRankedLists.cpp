#include "vecmat/neighbors/KdTreeRankedLists.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace pct::Ko::detail {

namespace {

// The bits of a double as an unsigned number in the same order (-0 just below +0).
std::uint64_t OrderedBits(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

constexpr unsigned kDigitBits = 11;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
constexpr std::uint64_t kHighHalf = ~std::uint64_t{0} << 32;

// Writes the rows 0 .. count - 1 to `order` ascending by their value in `dim`. A radix
// sort orders the rows by the high halves of the values' ordered bits, packed above each
// row's number, in three passes of at most 11 bits; runs that share a high half, short
// unless values crowd together, are then sorted by the whole bits. False, with `order`
// unspecified, when a value is NaN or infinite or two values are equal.
class RowSorter {
public:
    explicit RowSorter(std::size_t count) : keys_(count), packed_(count), spare_(count) {}
    bool Sort(const double* values, std::size_t width, std::size_t dim, std::uint32_t* order);

private:
    std::vector<std::uint64_t> keys_, packed_, spare_;
};

bool RowSorter::Sort(const double* values, std::size_t width, std::size_t dim, std::uint32_t* order) {
    constexpr unsigned kShifts[] = {32, 32 + kDigitBits, 32 + 2 * kDigitBits};
    const std::size_t count = keys_.size();
    std::uint32_t histogram[std::size(kShifts) * kBuckets] = {};
    // Equal values have equal bits, except -0 and +0, which differ in their high halves.
    bool zero[2] = {false, false};
    for (std::size_t r = 0; r < count; ++r) {
        const double v = values[r * width + dim];
        if (!std::isfinite(v)) return false;
        if (v == 0.0) zero[std::signbit(v) ? 1 : 0] = true;
        keys_[r] = OrderedBits(v);
        packed_[r] = (keys_[r] & kHighHalf) | r;
        for (std::size_t d = 0; d < std::size(kShifts); ++d)
            ++histogram[d * kBuckets + ((keys_[r] >> kShifts[d]) & (kBuckets - 1))];
    }
    if (zero[0] && zero[1]) return false;
    for (std::size_t d = 0; d < std::size(kShifts); ++d) {
        std::uint32_t* starts = histogram + d * kBuckets;
        // A digit all keys share leaves the order as it is.
        if (std::find(starts, starts + kBuckets, count) != starts + kBuckets) continue;
        std::uint32_t sum = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) sum += std::exchange(starts[b], sum);
        for (std::size_t i = 0; i < count; ++i) spare_[starts[(packed_[i] >> kShifts[d]) & (kBuckets - 1)]++] = packed_[i];
        packed_.swap(spare_);
    }
    const auto rowOf = [](std::uint64_t p) { return static_cast<std::uint32_t>(p); };
    for (std::size_t a = 0, b = 0; a < count; a = b) {
        for (b = a + 1; b < count && (packed_[b] & kHighHalf) == (packed_[a] & kHighHalf);) ++b;
        if (b - a == 1) continue;
        const auto first = packed_.begin() + a, last = packed_.begin() + b;
        std::sort(first, last, [&](std::uint64_t x, std::uint64_t y) { return keys_[rowOf(x)] < keys_[rowOf(y)]; });
        if (std::adjacent_find(first, last, [&](std::uint64_t x, std::uint64_t y) {
                return keys_[rowOf(x)] == keys_[rowOf(y)];
            }) != last)
            return false;
    }
    std::transform(packed_.begin(), packed_.end(), order, rowOf);
    return true;
}

}  // namespace

bool RankedPivots(const double* values, std::size_t count, std::size_t width, const std::vector<std::size_t>& dims,
                  std::vector<std::uint32_t>& pivots) {
    if (count > std::numeric_limits<std::uint32_t>::max()) return false;
    const std::size_t slots = dims.size();
    // Each dimension's lists in one of two arrays, `in` telling which: a level writes the
    // lists it divides to the other one, while the split dimension's lists, already divided
    // by position, stay where they are.
    std::vector<std::uint32_t> lists[2] = {std::vector<std::uint32_t>(slots * count),
                                           std::vector<std::uint32_t>(slots * count)};
    std::vector<std::size_t> in(slots, 0);
    const auto list = [&](std::size_t s, std::size_t which) { return lists[which].data() + s * count; };
    RowSorter sorter(count);
    for (std::size_t s = 0; s < slots; ++s)
        if (!sorter.Sort(values, width, dims[s], list(s, 0))) return false;

    struct Range {
        std::size_t lo, median, hi;
    };
    const auto rangeOf = [](std::size_t lo, std::size_t hi) { return Range{lo, lo + (hi - lo) / 2, hi}; };
    pivots.assign(count, 0);
    // By row, during a level: whether it lies after its node's pivot. One bit each keeps
    // the set in the nearest cache while the lists stream past.
    std::vector<std::uint64_t> after((count + 63) / 64);
    const auto liesAfter = [&after](std::uint32_t row) { return (after[row >> 6] >> (row & 63)) & 1; };
    std::vector<Range> ranges, divided, children;
    for (auto* level : {&ranges, &divided, &children}) level->reserve(count / 2 + 1);
    if (count > 0) ranges.push_back(rangeOf(0, count));
    for (std::size_t depth = 0; !ranges.empty(); ++depth) {
        const std::size_t split = depth % slots;
        const std::uint32_t* sorted = list(split, in[split]);
        divided.clear();
        children.clear();
        for (const Range r : ranges) {
            // Of three rows or fewer, each is the pivot of the range it is the only row of
            // or the median of, in sorted order.
            if (r.hi - r.lo <= 3) {
                std::copy(sorted + r.lo, sorted + r.hi, pivots.begin() + r.lo);
                continue;
            }
            for (std::size_t i = r.lo; i < r.median; ++i) after[sorted[i] >> 6] &= ~(std::uint64_t{1} << (sorted[i] & 63));
            for (std::size_t i = r.median + 1; i < r.hi; ++i) after[sorted[i] >> 6] |= std::uint64_t{1} << (sorted[i] & 63);
            pivots[r.median] = sorted[r.median];
            divided.push_back(r);
            children.push_back(rangeOf(r.lo, r.median));
            children.push_back(rangeOf(r.median + 1, r.hi));
        }
        // The other lists of each node divided stably around its pivot: the rows before it
        // to [lo, median), those after it to (median, hi).
        for (std::size_t s = 0; s < slots && !divided.empty(); ++s) {
            if (s == split) continue;
            const std::uint32_t* from = list(s, in[s]);
            std::uint32_t* to = list(s, 1 - in[s]);
            in[s] = 1 - in[s];
            for (const Range r : divided) {
                const std::uint32_t pivot = pivots[r.median];
                std::size_t left = r.lo, right = r.median + 1;
                for (std::size_t i = r.lo; i < r.hi; ++i) {
                    const std::uint32_t row = from[i];
                    if (row == pivot) continue;
                    const std::uint64_t isRight = liesAfter(row);
                    to[isRight != 0 ? right : left] = row;
                    left += 1 - isRight;
                    right += isRight;
                }
            }
        }
        ranges.swap(children);
    }
    return true;
}

}  // namespace pct::Ko::detail
