#include "vecmat/neighbors/KdTreeShared.h"

#include <algorithm>
#include <cmath>

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

KdTreeBranch KdTreeShared::DisClassifier(const std::vector<std::size_t>& indexes, std::size_t dim,
                                         const KdTreeDataTable& table) {
    KdTreeBranch branch;
    if (indexes.empty()) return branch;
    double b = table.rows[indexes.front()].values[dim];
    for (std::size_t row : indexes) {
        const double c = table.rows[row].values[dim];
        if (std::fabs(c - b) > kKdEpsilon) {
            branch.pivot = row;
            b = std::max(b, c);
        }
    }
    // Rows that all hold one value (within eps) offer no pivot: the first row becomes the
    // node and the others follow the same rule as below, so the split stays consistent.
    if (branch.pivot == KdTreeBranch{}.pivot) branch.pivot = indexes.front();
    for (std::size_t row : indexes) {
        if (row == branch.pivot) continue;
        if (table.rows[row].values[dim] < b)
            branch.left.push_back(row);
        else
            branch.right.push_back(row);
    }
    return branch;
}

KdTreeBranch KdTreeShared::ConClassifier(const std::vector<std::size_t>& indexes, std::size_t dim,
                                         const KdTreeDataTable& table) {
    KdTreeBranch branch;
    const std::size_t n = indexes.size();
    if (n == 0) return branch;
    if (n == 1) {
        branch.pivot = indexes[0];
        return branch;
    }
    if (n == 2) {
        const bool secondLarger =
            table.rows[indexes[1]].values[dim] > table.rows[indexes[0]].values[dim];
        branch.pivot = indexes[secondLarger ? 1 : 0];
        branch.left.push_back(indexes[secondLarger ? 0 : 1]);
        return branch;
    }

    // Sort (value, row) pairs rather than row numbers: the values sit next to each other,
    // and a stable sort keeps equal values in their listed order.
    std::vector<std::pair<double, std::size_t>> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = {table.rows[indexes[i]].values[dim], indexes[i]};
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return ValueLess(a.first, b.first); });

    // Median, or the nearest position around it whose successor is strictly larger:
    // m, m+1, m-1, m+2, m-2, ... until a position falls outside the list.
    const auto accepted = [&](std::size_t p) { return p + 1 < n && sorted[p + 1].first > sorted[p].first; };
    const std::size_t m = n / 2;
    std::size_t p = m;
    for (std::size_t step = 1; !accepted(p); ++step) {
        const std::size_t offset = (step + 1) / 2;
        const bool up = step % 2 == 1;
        if (up ? m + offset >= n : offset > m) break;
        p = up ? m + offset : m - offset;
    }

    branch.pivot = sorted[p].second;
    branch.left.reserve(p);
    for (std::size_t i = 0; i < p; ++i) branch.left.push_back(sorted[i].second);
    branch.right.reserve(n - p - 1);
    for (std::size_t i = p + 1; i < n; ++i) branch.right.push_back(sorted[i].second);
    return branch;
}

double KdTreeShared::ComputeDistance(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) pct::detail::Fail(msg::kKdDistanceDimMismatch);
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = a[i] - b[i];
        sum += d * d;
    }
    return std::sqrt(sum);
}

}  // namespace pct::Ko::detail
