#include "vecmat/features/CorrelationCoefficient.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "vecmat/Messages.h"
#include "vecmat/core/IMatrixFeature.h"

namespace pct {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// The values of a feature, read through its element access.
std::vector<double> ValuesOf(const IMatrixFeature* feature) {
    const std::size_t n = feature->Size();
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = feature->GetValue(i);
    return values;
}

// The five sums in index order, then the closed form; n > 0.
template <class AtX, class AtY>
double Pearson(std::size_t n, AtX x, AtY y) {
    double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double xi = x(i);
        const double yi = y(i);
        sx += xi;
        sy += yi;
        sxx += xi * xi;
        syy += yi * yi;
        sxy += xi * yi;
    }
    const double count = static_cast<double>(n);
    return (count * sxy - sy * sx) / (std::sqrt(count * syy - sy * sy) * std::sqrt(count * sxx - sx * sx));
}

// Rank of every element: how many elements of the sequence lie below it by more than
// epsilon, i.e. satisfy value - other > epsilon. For a fixed value that test is monotone
// in `other` (true for a prefix of the ascending order), so a binary search over the sorted
// values counts exactly what comparing every pair would count. A NaN never passes the test
// on either side: it ranks 0 and is never counted, so it stays out of the sorted list
// (which also keeps the sort's ordering well defined).
std::vector<std::size_t> Ranks(const std::vector<double>& values) {
    std::vector<double> sorted;
    sorted.reserve(values.size());
    for (double v : values)
        if (!std::isnan(v)) sorted.push_back(v);
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::size_t> ranks(values.size(), 0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double value = values[i];
        if (std::isnan(value)) continue;
        const auto end = std::partition_point(sorted.begin(), sorted.end(),
                                              [value](double other) { return value - other > kEpsilon; });
        ranks[i] = static_cast<std::size_t>(end - sorted.begin());
    }
    return ranks;
}

// 1 - 6 * sum(d^2) / ((n*n - 1) * n); d is the exact integer rank difference, the sum runs
// in index order from 0.0; n > 0.
double Spearman(const std::vector<double>& x, const std::vector<double>& y) {
    const std::vector<std::size_t> rx = Ranks(x);
    const std::vector<std::size_t> ry = Ranks(y);
    double sum = 0.0;
    for (std::size_t i = 0; i < rx.size(); ++i) {
        const std::int64_t d = static_cast<std::int64_t>(rx[i]) - static_cast<std::int64_t>(ry[i]);
        const double dd = static_cast<double>(d);
        sum += dd * dd;
    }
    const double n = static_cast<double>(rx.size());
    return 1.0 - 6.0 * sum / ((n * n - 1.0) * n);
}

}  // namespace

double CorrelationCoefficient::PCCs(const std::vector<double>& x, const std::vector<double>& y) {
    if (x.size() != y.size()) detail::Fail(msg::kLengthsDiffer);
    if (x.empty()) return 0.0;
    return Pearson(
        x.size(), [&x](std::size_t i) { return x[i]; }, [&y](std::size_t i) { return y[i]; });
}

double CorrelationCoefficient::PCCs(const IMatrixFeature* x, const IMatrixFeature* y) {
    const std::size_t n = x->Size();
    if (n != y->Size()) detail::Fail(msg::kLengthsDiffer);
    if (n == 0) return 0.0;
    return Pearson(
        n, [x](std::size_t i) { return x->GetValue(i); }, [y](std::size_t i) { return y->GetValue(i); });
}

double CorrelationCoefficient::SCCs(const std::vector<double>& x, const std::vector<double>& y) {
    if (x.size() != y.size()) detail::Fail(msg::kLengthsDiffer);
    if (x.empty()) return 0.0;
    return Spearman(x, y);
}

double CorrelationCoefficient::SCCs(const IMatrixFeature* x, const IMatrixFeature* y) {
    if (x->Size() != y->Size()) detail::Fail(msg::kLengthsDiffer);
    if (x->Size() == 0) return 0.0;
    return Spearman(ValuesOf(x), ValuesOf(y));
}

}  // namespace pct
