#include "vecmat/classify/LinearClassifierTrainer.h"

#include <climits>
#include <utility>

#include "vecmat/Messages.h"

namespace pct::Ko {

namespace {

// The class tag a matrix element stands for: truncated toward zero (2.9 gives 2, -1.5
// gives -1). A value with no int equivalent (NaN, infinite or out of range) gives INT_MIN,
// the value the processor's truncating conversion produces for it.
int TagFromValue(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
    return INT_MIN;
}

// Mean of each column of m: the column's sum in row order divided by the row count.
pct::Vector ColumnMeans(const pct::Matrix& m) {
    const size_t rows = m.GetRowCount();
    const size_t columns = m.GetColumnCount();
    pct::Vector mean(columns);
    for (size_t j = 0; j < columns; ++j) {
        double sum = 0.0;
        for (size_t i = 0; i < rows; ++i) sum += m.GetPointValue(i, j);
        mean.SetValue(j, sum / static_cast<double>(rows));
    }
    return mean;
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

    std::map<int, std::vector<pct::Vector>> samples;
    std::vector<double> values(features);
    for (size_t i = 0; i < rows; ++i) {
        const int tag = TagFromValue(all.GetPointValue(i, features));
        for (size_t j = 0; j < features; ++j) values[j] = all.GetPointValue(i, j);
        samples[tag].emplace_back(values.data(), features);
    }
    if (samples.size() != 2) pct::detail::Fail(pct::msg::kNotTwoClasses);

    // Build both matrices before storing either, then move them in without allocating.
    std::map<int, pct::Matrix> built;
    for (const auto& entry : samples) {
        built.emplace(entry.first,
                      pct::Matrix::CreateFromVectors(entry.second.data(), entry.second.size()));
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

    std::map<int, pct::Vector> means;
    for (const auto& entry : classMatrices) means.emplace(entry.first, ColumnMeans(entry.second));

    if (d == 0) pct::detail::Fail(pct::msg::kMatrixZeroDimension);

    // Within-class scatter: the sum over every class and row of (x - m)(x - m)^T.
    std::vector<double> scatter(d * d, 0.0);
    std::vector<double> delta(d);
    for (const auto& entry : classMatrices) {
        const pct::Matrix& m = entry.second;
        const pct::Vector& mean = means.at(entry.first);
        for (size_t r = 0; r < m.GetRowCount(); ++r) {
            if (m.GetColumnCount() != d) pct::detail::Fail(pct::msg::kAddShapeMismatch);
            for (size_t j = 0; j < d; ++j) delta[j] = m.GetPointValue(r, j) - mean.GetValue(j);
            for (size_t i = 0; i < d; ++i) {
                for (size_t j = 0; j < d; ++j) {
                    scatter[i * d + j] = delta[i] * delta[j] + scatter[i * d + j];
                }
            }
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
    auto project = [&w](const pct::Matrix& m) {
        std::vector<double> projections;
        projections.reserve(m.GetRowCount());
        for (size_t r = 0; r < m.GetRowCount(); ++r) projections.push_back(w.Dot(m.GetRowVector(r)));
        return projections;
    };
    const std::vector<double> a = project(first->second);
    const std::vector<double> b = project(second->second);

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
