#include "vecmat/neighbors/KdTreeShared.h"

#include <algorithm>
#include <cmath>

#include "vecmat/neighbors/KdTreeRankedLists.h"

namespace pct::Ko::detail {

namespace {

// Ascending order of doubles that stays a strict weak order when NaN is present (NaN
// sorts last), so sorting never misbehaves on bad data.
bool ValueLess(double a, double b) {
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a < b;
}

std::size_t FirstRowWidth(const KdTreeDataTable& table) {
    return table.rows.empty() ? 0 : table.rows.front().values.size();
}

}  // namespace

KdTreeDims KdTreeShared::Preprocessing(const KdTreeDataTable& table) {
    const std::size_t width = FirstRowWidth(table);
    if (!table.dimTypes.empty() && table.dimTypes.size() != width)
        pct::detail::Fail(msg::kKdDimTypesMismatch);
    // Every split reads the values by dimension, so a short row would be read past.
    for (const KdTreeRow& row : table.rows)
        if (row.values.size() != width) pct::detail::Fail(msg::kKdDistanceDimMismatch);

    KdTreeDims dims;
    dims.dimCount = width;
    if (table.dimTypes.empty()) {
        AnalyzeDimType(table, dims);
    } else {
        for (std::size_t i = 0; i < width; ++i) {
            if (table.dimTypes[i] == static_cast<std::int32_t>(KdTreeDimType::Discrete))
                dims.disDims.push_back(i);
            else
                dims.conDims.push_back(i);
        }
    }
    if (dims.conDims.empty()) pct::detail::Fail(msg::kKdAllDiscrete);
    dims.conDims = VarianceRanking(table, dims.conDims);
    return dims;
}

void KdTreeShared::AnalyzeDimType(const KdTreeDataTable& table, KdTreeDims& dims) {
    for (std::size_t i = 0; i < dims.dimCount; ++i) {
        // Distinct values in table order, exact comparison, up to the third one.
        double seen[2] = {0.0, 0.0};
        std::size_t distinct = 0;
        for (const KdTreeRow& row : table.rows) {
            const double v = row.values[i];
            bool known = false;
            for (std::size_t j = 0; j < distinct; ++j) known = known || seen[j] == v;
            if (known) continue;
            if (distinct == 2) {
                distinct = 3;
                break;
            }
            seen[distinct++] = v;
        }
        if (distinct <= 1) pct::detail::Fail(msg::kKdConstantColumn);
        if (distinct == 2)
            dims.disDims.push_back(i);
        else
            dims.conDims.push_back(i);
    }
}

std::vector<std::size_t> KdTreeShared::VarianceRanking(const KdTreeDataTable&,
                                                       const std::vector<std::size_t>& dims) {
    // The continuous dimensions are visited in descending index order; only the shape of
    // the tree depends on this order, never the answer of a query.
    std::vector<std::size_t> order(dims);
    std::sort(order.begin(), order.end(), [](std::size_t a, std::size_t b) { return a > b; });
    order.erase(std::unique(order.begin(), order.end()), order.end());
    return order;
}

NextDimInfo KdTreeShared::FirstDim(const KdTreeDims& dims) {
    if (!dims.disDims.empty()) return NextDimInfo{KdTreeDimType::Discrete, dims.disDims.front()};
    return NextDimInfo{KdTreeDimType::Continuous, dims.conDims.front()};
}

NextDimInfo KdTreeShared::NextDim(const KdTreeDims& dims, std::size_t dim) {
    // All discrete dimensions once, then the continuous ones round and round.
    const auto dis = std::find(dims.disDims.begin(), dims.disDims.end(), dim);
    if (dis != dims.disDims.end()) {
        if (dis + 1 == dims.disDims.end())
            return NextDimInfo{KdTreeDimType::Continuous, dims.conDims.front()};
        return NextDimInfo{KdTreeDimType::Discrete, *(dis + 1)};
    }
    const auto con = std::find(dims.conDims.begin(), dims.conDims.end(), dim);
    if (con != dims.conDims.end()) {
        if (con + 1 == dims.conDims.end())
            return NextDimInfo{KdTreeDimType::Continuous, dims.conDims.front()};
        return NextDimInfo{KdTreeDimType::Continuous, *(con + 1)};
    }
    pct::detail::Fail(msg::kKdNextDimFailed);
}

KdTreeSplitter::KdTreeSplitter(const KdTreeDataTable& table, const KdTreeDims& dims)
    : dims_(dims), width_(dims.dimCount) {
    const std::size_t n = table.rows.size();
    Side& rows = sides_[0];
    rows.rows.resize(n);
    rows.labels.resize(n);
    rows.values.resize(n * width_);
    for (std::size_t r = 0; r < n; ++r) {
        std::copy(table.rows[r].values.begin(), table.rows[r].values.end(), rows.values.begin() + r * width_);
        rows.rows[r] = r;
        rows.labels[r] = table.rows[r].label;
    }
    kinds_.push_back(KdTreeShared::FirstDim(dims));
    // Tables whose continuous splits never meet a tie or NaN have them made ahead: the
    // rows are then laid out in the order of their positions.
    std::vector<std::uint32_t> pivots;
    if (dims.disDims.empty() && RankedPivots(rows.values.data(), n, width_, dims.conDims, pivots)) {
        ranked_ = true;
        Side placed;
        placed.rows.resize(n);
        placed.labels.resize(n);
        placed.values.resize(n * width_);
        for (std::size_t p = 0; p < n; ++p) {
            const std::size_t r = pivots[p];
            placed.rows[p] = r;
            placed.labels[p] = rows.labels[r];
            for (std::size_t j = 0; j < width_; ++j) placed.values[p * width_ + j] = rows.values[r * width_ + j];
        }
        sides_[0] = std::move(placed);
        return;
    }
    sides_[1] = rows;
    keyed_.reset(new Keyed[n]);
    spare_.reset(new Keyed[n]);
}

NextDimInfo KdTreeSplitter::KindAt(std::size_t depth) {
    while (kinds_.size() <= depth) kinds_.push_back(KdTreeShared::NextDim(dims_, kinds_.back().dim));
    return kinds_[depth];
}

std::size_t KdTreeSplitter::Split(std::size_t depth, std::size_t lo, std::size_t hi) {
    if (ranked_) return lo + (hi - lo) / 2;  // sides_[0] holds the pivot there, out_ stays 0
    const NextDimInfo kind = KindAt(depth);
    const Side& in = sides_[depth % 2];
    out_ = 1 - depth % 2;
    if (kind.type == KdTreeDimType::Discrete) return DisClassifier(kind.dim, in, lo, hi);
    // The discrete dimensions are split once each, on top.
    return ConClassifier(depth - dims_.disDims.size(), in, lo, hi);
}

const std::vector<std::size_t>& KdTreeSplitter::KeyDims(std::size_t level) {
    while (keyDims_.size() <= level) {
        const std::size_t l = keyDims_.size();
        std::vector<std::size_t> key{KindAt(dims_.disDims.size() + l).dim};
        if (l > 0)
            for (std::size_t d : keyDims_[l - 1])
                if (d != key.front()) key.push_back(d);
        keyDims_.push_back(std::move(key));
    }
    return keyDims_[level];
}

bool KdTreeSplitter::KeyLess(const std::vector<std::size_t>& keyDims, const Side& side, std::size_t a,
                             std::size_t b) const {
    for (std::size_t d : keyDims) {
        const double va = Value(side, a, d), vb = Value(side, b, d);
        if (ValueLess(va, vb)) return true;
        if (ValueLess(vb, va)) return false;
    }
    return side.rows[a] < side.rows[b];
}

// The list's last row whose value differs by more than eps from the largest value before
// it is the pivot (the first row when there is none); the others go left when below that
// largest value, right otherwise, both in listed order.
std::size_t KdTreeSplitter::DisClassifier(std::size_t dim, const Side& in, std::size_t lo, std::size_t hi) {
    double b = Value(in, lo, dim);
    std::size_t pivot = lo;
    for (std::size_t i = lo; i < hi; ++i) {
        const double c = Value(in, i, dim);
        if (std::fabs(c - b) > kKdEpsilon) {
            pivot = i;
            b = std::max(b, c);
        }
    }
    std::size_t to = lo;
    for (std::size_t i = lo; i < hi; ++i)
        if (i != pivot && Value(in, i, dim) < b) Move(in, i, to++);
    const std::size_t at = to;
    Move(in, pivot, to++);
    for (std::size_t i = lo; i < hi; ++i)
        if (i != pivot && !(Value(in, i, dim) < b)) Move(in, i, to++);
    return at;
}

// The common case of a continuous split, a list without NaN whose median value no other
// row shares: the median row is then the pivot, with the smaller values before it and the
// larger after, and the rest of the key decides nothing (the lists' own order does not
// matter). Selection by value alone finds it. Each pass partitions the range still holding
// the median from one buffer into the other without branches (every row is written to
// both ends, the end that keeps it advancing), since random values defeat prediction, and
// the side without the median goes straight to the output. Returns false, with the output
// range unspecified, when the list holds NaN, the median's value recurs, or values recur
// so that a pass cannot shrink the range; the full split then runs.
bool KdTreeSplitter::SplitByValue(std::size_t dim, const Side& in, std::size_t lo, std::size_t hi) {
    constexpr std::size_t kSortBelow = 16;
    constexpr std::size_t kMaxPasses = 64;
    const std::size_t n = hi - lo, m = n / 2;
    Keyed* from = spare_.get();
    Keyed* to = keyed_.get();
    const auto medianOfThree = [](double x, double y, double z) {
        return std::max(std::min(x, y), std::min(std::max(x, y), z));
    };
    const auto emit = [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) Move(in, to[i].position, lo + i);
    };

    // The first pass reads the values from the list itself.
    double pivot = medianOfThree(Value(in, lo, dim), Value(in, lo + m, dim), Value(in, hi - 1, dim));
    std::size_t below = 0, above = n;
    bool nan = false;
    for (std::size_t i = 0; i < n; ++i) {
        const Keyed x{Value(in, lo + i, dim), lo + i};
        nan = nan || std::isnan(x.value);
        to[below] = x;
        to[above - 1] = x;
        const bool less = x.value < pivot;
        below += less;
        above -= !less;
    }
    if (nan) return false;
    // [a, b) is the range holding the median; `below` is where its partition in `to` ends.
    std::size_t a = 0, b = n;
    for (std::size_t pass = 1;; ++pass) {
        if (below == a || pass > kMaxPasses) return false;
        if (m < below) {
            emit(below, b);
            b = below;
        } else {
            emit(a, below);
            a = below;
        }
        std::swap(from, to);
        if (b - a <= kSortBelow) break;
        pivot = medianOfThree(from[a].value, from[a + (b - a) / 2].value, from[b - 1].value);
        below = a;
        above = b;
        for (std::size_t i = a; i < b; ++i) {
            const Keyed x = from[i];
            to[below] = x;
            to[above - 1] = x;
            const bool less = x.value < pivot;
            below += less;
            above -= !less;
        }
    }
    std::sort(from + a, from + b, [](const Keyed& x, const Keyed& y) { return x.value < y.value; });
    const double v = from[m].value;
    if ((m > a && from[m - 1].value == v) || (m + 1 < b && from[m + 1].value == v)) return false;
    std::swap(from, to);
    emit(a, b);
    return true;
}

// The split of a continuous dimension: the median of the sorted list, or the nearest
// position around it whose successor is strictly larger (m, m+1, m-1, m+2, m-2, ... until
// a position falls outside the list); of two rows the larger (the first when equal).
std::size_t KdTreeSplitter::ConClassifier(std::size_t level, const Side& in, std::size_t lo, std::size_t hi) {
    const std::vector<std::size_t>& key = KeyDims(level);
    const std::vector<std::size_t>& parentKey = level > 0 ? keyDims_[level - 1] : rowOrder_;
    const std::size_t dim = key.front();
    const std::size_t n = hi - lo;
    if (n <= 2) {
        // Two rows in their parent's key order; the second is the pivot unless it is not
        // larger, and the other row is the left list.
        std::size_t left = lo, pivot = hi - 1;
        if (n == 2) {
            if (KeyLess(parentKey, in, pivot, left)) std::swap(left, pivot);
            if (!(Value(in, pivot, dim) > Value(in, left, dim))) std::swap(left, pivot);
            Move(in, left, lo);
        }
        Move(in, pivot, hi - 1);
        return hi - 1;
    }
    if (SplitByValue(dim, in, lo, hi)) return lo + n / 2;

    // Selection runs on (value, position) pairs side by side; equal values fall back to
    // the rest of the key. Without NaN in the list, plain comparisons order the values.
    Keyed* const keyed = keyed_.get();
    bool nan = false;
    for (std::size_t i = 0; i < n; ++i) {
        keyed[i] = Keyed{Value(in, lo + i, dim), lo + i};
        nan = nan || std::isnan(keyed[i].value);
    }
    const auto less = [&](const Keyed& a, const Keyed& b) {
        if (nan) {
            if (ValueLess(a.value, b.value)) return true;
            if (ValueLess(b.value, a.value)) return false;
        } else if (a.value != b.value) {
            return a.value < b.value;
        }
        return KeyLess(key, in, a.position, b.position);
    };
    const std::size_t m = n / 2;
    std::nth_element(keyed, keyed + m, keyed + n, less);
    // The run of the median's value in sorted order, [first, last].
    const double v = keyed[m].value;
    std::size_t below = 0, equal = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = keyed[i].value;
        if (nan ? ValueLess(w, v) : w < v)
            ++below;
        else if (nan ? !ValueLess(v, w) : w == v)
            ++equal;
    }
    const std::size_t first = below, last = below + equal - 1;
    // Without NaN, the successor of position p is strictly larger exactly at the run's
    // ends, and the search meets no other position before it stops. NaN compares larger
    // than nothing, so a list holding one is sorted in full and searched by value.
    if (nan) std::sort(keyed, keyed + n, less);
    const auto accepted = [&](std::size_t p) {
        if (nan) return p + 1 < n && keyed[p + 1].value > keyed[p].value;
        return p + 1 < n && (p == last || p + 1 == first);
    };
    std::size_t p = m;
    for (std::size_t step = 1; !accepted(p); ++step) {
        const std::size_t offset = (step + 1) / 2;
        const bool up = step % 2 == 1;
        if (up ? m + offset >= n : offset > m) break;
        p = up ? m + offset : m - offset;
    }
    if (!nan && p > m) std::nth_element(keyed + m + 1, keyed + p, keyed + n, less);
    if (!nan && p < m) std::nth_element(keyed, keyed + p, keyed + m, less);
    for (std::size_t i = 0; i < n; ++i) Move(in, keyed[i].position, lo + i);
    return lo + p;
}

double KdTreeShared::ComputeDistance(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) pct::detail::Fail(msg::kKdDistanceDimMismatch);
    return std::sqrt(SquareSum(a.data(), b.data(), a.size()));
}

}  // namespace pct::Ko::detail
