#pragma once

// The two-class Fisher discriminant on the samples of each class held in one matrix, read
// in place. LinearClassifierTrainer and LinearClassifier build those matrices with
// MatricesByTag. Internal header.

#include <cstddef>
#include <map>
#include <vector>

#include "vecmat/classify/LCMData.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko::detail {

// The samples of one class, row after row: a view of a class matrix, which must outlive it.
struct ClassRows {
    const double* values = nullptr;
    size_t count = 0;
    size_t width = 0;

    explicit ClassRows(const pct::Matrix& m)
        : values(m.Data()), count(m.GetRowCount()), width(m.GetColumnCount()) {}

    const double* Row(size_t r) const { return values + r * width; }
    // Mean of each column: the column's sum in row order divided by the row count.
    pct::Vector ColumnMeans() const;
    // w . x of every sample; fails as the dot product does when w has another length.
    std::vector<double> Projections(const pct::Vector& w) const;
};

// The discriminant of the first two classes (ascending tags; at least two held): the mean of
// every class, the within-class scatter summed over every class and sample, w = S^-1 (mP - mN)
// and the threshold halfway between the innermost projections of the two classes. Fails
// with the messages of LinearClassifierTrainer::LDA.
pct::Ko::LCMData Discriminant(const std::map<int, ClassRows>& classes);

// The discriminant of the class matrices, keyed by tag.
pct::Ko::LCMData Discriminant(const std::map<int, pct::Matrix>& matrices);

// The samples of each tag as one matrix, in sample order: sample i of `rows` has the tag
// tagOf(i) and the `width` values at valuesOf(i). A tag whose samples hold no values gets
// an empty matrix.
template <class TagOf, class ValuesOf>
std::map<int, pct::Matrix> MatricesByTag(size_t rows, size_t width, TagOf&& tagOf, ValuesOf&& valuesOf) {
    std::map<int, size_t> counts;
    for (size_t i = 0; i < rows; ++i) ++counts[tagOf(i)];
    std::map<int, std::vector<double>> values;
    for (const auto& [tag, count] : counts) values[tag].reserve(count * width);
    for (size_t i = 0; i < rows; ++i) {
        const double* x = valuesOf(i);
        std::vector<double>& into = values.at(tagOf(i));
        into.insert(into.end(), x, x + width);
    }
    std::map<int, pct::Matrix> matrices;
    for (const auto& [tag, count] : counts) {
        const std::vector<double>& v = values.at(tag);
        matrices.emplace(tag, v.empty() ? pct::Matrix() : pct::Matrix(count, width, v.data()));
    }
    return matrices;
}

}  // namespace pct::Ko::detail
