#include "vecmat/classify/LinearClassifierTrainer.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/classify/OuterProductSums.h"

namespace pct::Ko {

namespace {

// The class tag a matrix element stands for: truncated toward zero (2.9 gives 2, -1.5
// gives -1). A value with no int equivalent (NaN, infinite or out of range) gives INT_MIN,
// the value the processor's truncating conversion produces for it.
int TagFromValue(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
    return INT_MIN;
}

// The rows of a class matrix one after another in a flat array, each padded with zeros to
// a whole number of blocks for the outer product sums.
struct ClassRows {
    size_t count;
    size_t width;
    size_t stride;
    std::vector<double> values;

    explicit ClassRows(const pct::Matrix& m)
        : count(m.GetRowCount()),
          width(m.GetColumnCount()),
          stride(pct::detail::PaddedWidth(width)) {
        values.reserve(count * stride);
        for (size_t r = 0; r < count; ++r) {
            for (size_t j = 0; j < width; ++j) values.push_back(m.GetPointValue(r, j));
            values.resize((r + 1) * stride, 0.0);
        }
    }

    const double* Row(size_t r) const { return values.data() + r * stride; }

    // Mean of each column: the column's sum in row order divided by the row count.
    pct::Vector ColumnMeans() const {
        std::vector<double> sums(stride, 0.0);
        for (size_t r = 0; r < count; ++r) {
            const double* row = Row(r);
            for (size_t j = 0; j < stride; ++j) sums[j] += row[j];
        }
        pct::Vector mean(width);
        for (size_t j = 0; j < width; ++j) mean.SetValue(j, sums[j] / static_cast<double>(count));
        return mean;
    }

    // w . x of every row; fails as the dot product does when a row and w differ in length.
    std::vector<double> Projections(const std::vector<double>& w) const {
        if (count > 0 && w.size() != width) pct::detail::Fail(pct::msg::kDotSizeMismatch);
        std::vector<double> projections(count);
        pct::detail::RowDots(values.data(), stride, w.data(), width, count, projections.data());
        return projections;
    }
};

// Adds (x - mean)(x - mean)^T of every row to the scatter, row after row. The scatter is
// symmetric (d_i d_j is d_j d_i), so only its upper part is summed; `scatter` holds d rows
// of `stride` values.
void AddScatter(const ClassRows& rows, const pct::Vector& mean, std::vector<double>& scatter) {
    constexpr size_t kBlockRows = 256;  // centred rows per block, kept in cache
    const size_t d = rows.width;
    std::vector<double> means(d);
    for (size_t j = 0; j < d; ++j) means[j] = mean.GetValue(j);
    std::vector<double> centred(kBlockRows * rows.stride, 0.0);
    for (size_t first = 0; first < rows.count; first += kBlockRows) {
        const size_t count = std::min(kBlockRows, rows.count - first);
        for (size_t r = 0; r < count; ++r) {
            const double* x = rows.Row(first + r);
            for (size_t j = 0; j < d; ++j) centred[r * rows.stride + j] = x[j] - means[j];
        }
        pct::detail::AddOuterProducts(scatter.data(), d, centred.data(), rows.stride,
                                      centred.data(), rows.stride, count, true);
    }
}

}  // namespace

LinearClassifierTrainer::LinearClassifierTrainer() = default;
LinearClassifierTrainer::LinearClassifierTrainer(const LinearClassifierTrainer& other) = default;
LinearClassifierTrainer::LinearClassifierTrainer(LinearClassifierTrainer&& other) noexcept =
    default;
LinearClassifierTrainer& LinearClassifierTrainer::operator=(const LinearClassifierTrainer& other) {
    if (this != &other) {
        std::map<int, pct::Matrix> copy(other.classMatrices);  // may fail; nothing changed yet
        classMatrices.swap(copy);
    }
    return *this;
}
LinearClassifierTrainer& LinearClassifierTrainer::operator=(
    LinearClassifierTrainer&& other) noexcept = default;
LinearClassifierTrainer::~LinearClassifierTrainer() = default;

void LinearClassifierTrainer::InputAllMatrix(const pct::Matrix& all) {
    const size_t rows = all.GetRowCount();
    const size_t columns = all.GetColumnCount();
    // A matrix without rows (or without columns, which has no tag column) holds no tags.
    if (rows == 0 || columns == 0) pct::detail::Fail(pct::msg::kNotTwoClasses);
    const size_t features = columns - 1;

    // The rows of each tag, one after another.
    std::vector<int> tags(rows);
    std::map<int, size_t> counts;
    for (size_t i = 0; i < rows; ++i) {
        tags[i] = TagFromValue(all.GetPointValue(i, features));
        ++counts[tags[i]];
    }
    if (counts.size() != 2) pct::detail::Fail(pct::msg::kNotTwoClasses);
    std::map<int, std::vector<double>> samples;
    for (const auto& [tag, count] : counts) samples[tag].reserve(count * features);
    for (size_t i = 0; i < rows; ++i) {
        std::vector<double>& values = samples[tags[i]];
        for (size_t j = 0; j < features; ++j) values.push_back(all.GetPointValue(i, j));
    }

    // Build both matrices before storing either, then move them in without allocating.
    // Without features a class matrix is empty.
    std::map<int, pct::Matrix> built;
    for (const auto& [tag, values] : samples) {
        built.emplace(tag, features == 0 ? pct::Matrix()
                                         : pct::Matrix(values.size() / features, features,
                                                       values.data()));
    }
    while (!built.empty()) {
        auto node = built.extract(built.begin());
        auto held = classMatrices.find(node.key());
        if (held != classMatrices.end()) {
            held->second = std::move(node.mapped());
        } else {
            classMatrices.insert(std::move(node));
        }
    }
}

void LinearClassifierTrainer::SetMatrix(int tag, const pct::Matrix& m) {
    if (!classMatrices.empty() &&
        m.GetColumnCount() != classMatrices.begin()->second.GetColumnCount()) {
        pct::detail::Fail(pct::msg::kClassWidthMismatch);
    }
    if (classMatrices.size() == 2 && classMatrices.find(tag) == classMatrices.end()) {
        pct::detail::Fail(pct::msg::kAlreadyTwoClasses);
    }
    pct::Matrix copy(m);
    classMatrices[tag] = std::move(copy);
}

std::vector<size_t> LinearClassifierTrainer::GetTags() const {
    std::vector<size_t> tags;
    tags.reserve(classMatrices.size());
    // int to size_t is a modular conversion: a negative tag is sign-extended.
    for (const auto& entry : classMatrices) tags.push_back(static_cast<size_t>(entry.first));
    return tags;
}

pct::Matrix LinearClassifierTrainer::GetMatrix(int tag) const {
    const auto found = classMatrices.find(tag);
    if (found == classMatrices.end()) pct::detail::Fail(pct::msg::kClassMatrixMissing);
    return found->second;
}

pct::Ko::LCMData LinearClassifierTrainer::LDA() const {
    // Without a second class there is nothing to discriminate against.
    if (classMatrices.size() < 2) pct::detail::Fail(pct::msg::kNotTwoClasses);

    const size_t d = classMatrices.begin()->second.GetColumnCount();

    std::map<int, ClassRows> flat;
    std::map<int, pct::Vector> means;
    for (const auto& entry : classMatrices) {
        const ClassRows& rows = flat.emplace(entry.first, ClassRows(entry.second)).first->second;
        means.emplace(entry.first, rows.ColumnMeans());
    }

    if (d == 0) pct::detail::Fail(pct::msg::kMatrixZeroDimension);

    // Within-class scatter: the sum over every class and row of (x - m)(x - m)^T.
    const size_t stride = pct::detail::PaddedWidth(d);
    std::vector<double> upper(d * stride, 0.0);
    for (const auto& [tag, rows] : flat) {
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

    auto first = classMatrices.begin();
    auto second = std::next(first);
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
    std::vector<double> weights(d);
    for (size_t j = 0; j < d; ++j) weights[j] = w.GetValue(j);
    const std::vector<double> a = flat.at(tagP).Projections(weights);
    const std::vector<double> b = flat.at(tagN).Projections(weights);

    // Both classes hold rows here: a class without rows has width 0 and failed above
    // (as the first class by its width, as the second by the difference of the means).
    auto smallest = [](const std::vector<double>& v) {
        double result = v.front();
        for (double x : v) {
            if (x < result) result = x;
        }
        return result;
    };
    auto largest = [](const std::vector<double>& v) {
        double result = v.front();
        for (double x : v) {
            if (x > result) result = x;
        }
        return result;
    };
    if (a.empty() || b.empty()) pct::detail::Fail(pct::msg::kNotTwoClasses);
    const double threshold =
        sP > sN ? 0.5 * (smallest(a) + largest(b)) : 0.5 * (largest(a) + smallest(b));

    return pct::Ko::LCMData{w, threshold, tagP, tagN};
}

}  // namespace pct::Ko
