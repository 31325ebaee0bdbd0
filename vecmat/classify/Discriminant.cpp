#include "vecmat/classify/Discriminant.h"

#include <algorithm>
#include <iterator>

#include "vecmat/Messages.h"
#include "vecmat/classify/OuterProductSums.h"

namespace pct::Ko::detail {

namespace {

std::vector<double> Values(const pct::Vector& v) {
    std::vector<double> values(v.Size());
    for (size_t j = 0; j < values.size(); ++j) values[j] = v.GetValue(j);
    return values;
}

// Adds (x - mean)(x - mean)^T of every sample to the scatter, sample after sample. The
// centred samples go through the outer product sums in blocks, padded to whole lanes. The
// scatter is symmetric (d_i d_j is d_j d_i), so only its upper part is summed; `upper`
// holds d rows of PaddedWidth(d) values.
void AddScatter(const ClassRows& rows, const pct::Vector& mean, std::vector<double>& upper) {
    constexpr size_t kBlockRows = 256;  // centred samples per block, kept in cache
    const size_t d = rows.width;
    const size_t stride = pct::detail::PaddedWidth(d);
    const std::vector<double> means = Values(mean);
    std::vector<double> centred(kBlockRows * stride, 0.0);
    for (size_t first = 0; first < rows.count; first += kBlockRows) {
        const size_t count = std::min(kBlockRows, rows.count - first);
        for (size_t r = 0; r < count; ++r) {
            const double* x = rows.Row(first + r);
            for (size_t j = 0; j < d; ++j) centred[r * stride + j] = x[j] - means[j];
        }
        pct::detail::AddOuterProducts(upper.data(), d, centred.data(), stride, centred.data(),
                                      stride, count, true);
    }
}

double Smallest(const std::vector<double>& v) {
    double result = v.front();
    for (double x : v) {
        if (x < result) result = x;
    }
    return result;
}

double Largest(const std::vector<double>& v) {
    double result = v.front();
    for (double x : v) {
        if (x > result) result = x;
    }
    return result;
}

}  // namespace

pct::Vector ClassRows::ColumnMeans() const {
    std::vector<double> sums(width, 0.0);
    for (size_t r = 0; r < count; ++r) {
        const double* row = Row(r);
        for (size_t j = 0; j < width; ++j) sums[j] += row[j];
    }
    pct::Vector mean(width);
    for (size_t j = 0; j < width; ++j) mean.SetValue(j, sums[j] / static_cast<double>(count));
    return mean;
}

std::vector<double> ClassRows::Projections(const pct::Vector& w) const {
    if (count > 0 && w.Size() != width) pct::detail::Fail(pct::msg::kDotSizeMismatch);
    const std::vector<double> weights = Values(w);
    std::vector<double> projections(count);
    pct::detail::RowDots(values, width, weights.data(), width, count, projections.data());
    return projections;
}

pct::Ko::LCMData Discriminant(const std::map<int, ClassRows>& classes) {
    const size_t d = classes.begin()->second.width;

    std::map<int, pct::Vector> means;
    for (const auto& [tag, rows] : classes) means.emplace(tag, rows.ColumnMeans());

    if (d == 0) pct::detail::Fail(pct::msg::kMatrixZeroDimension);

    // Within-class scatter: the sum over every class and sample of (x - m)(x - m)^T.
    const size_t stride = pct::detail::PaddedWidth(d);
    std::vector<double> upper(d * stride, 0.0);
    for (const auto& [tag, rows] : classes) {
        if (rows.count == 0) continue;
        if (rows.width != d) pct::detail::Fail(pct::msg::kAddShapeMismatch);
        AddScatter(rows, means.at(tag), upper);
    }
    std::vector<double> scatter(d * d);
    for (size_t i = 0; i < d; ++i) {
        for (size_t j = 0; j < d; ++j) {
            scatter[i * d + j] = j >= i ? upper[i * stride + j] : upper[j * stride + i];
        }
    }

    const auto first = classes.begin();
    const auto second = std::next(first);
    const int tagP = first->first;
    const int tagN = second->first;
    const pct::Vector& meanP = means.at(tagP);
    const pct::Vector& meanN = means.at(tagN);
    const pct::Vector difference = meanP - meanN;

    const pct::Matrix s(d, d, scatter.data());
    const pct::Vector w = s.InverseMatrixEx() * difference;

    const double sP = w.Dot(meanP);
    const double sN = w.Dot(meanN);

    // Projections of the training samples of the two classes.
    const std::vector<double> a = first->second.Projections(w);
    const std::vector<double> b = second->second.Projections(w);

    // Both classes hold samples here: a class without samples has width 0 and failed above
    // (as the first class by its width, as the second by the difference of the means).
    if (a.empty() || b.empty()) pct::detail::Fail(pct::msg::kNotTwoClasses);
    const double threshold =
        sP > sN ? 0.5 * (Smallest(a) + Largest(b)) : 0.5 * (Largest(a) + Smallest(b));

    return pct::Ko::LCMData{w, threshold, tagP, tagN};
}

pct::Ko::LCMData Discriminant(const std::map<int, pct::Matrix>& matrices) {
    std::map<int, ClassRows> classes;
    for (const auto& [tag, m] : matrices) classes.emplace(tag, ClassRows(m));
    return Discriminant(classes);
}

}  // namespace pct::Ko::detail
