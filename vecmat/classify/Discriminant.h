#pragma once

// The two-class Fisher discriminant on the samples of each class held in one matrix, read
// in place. LinearClassifierTrainer and LinearClassifier build those matrices with
// MatricesByTag. Internal header.

#include <algorithm>
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
    // Each sample is copied once, straight to its place in its class's matrix. The rows of
    // one tag usually come in runs, so the matrix of the last tag seen is kept at hand.
    std::map<int, pct::Matrix> matrices;
    std::map<int, double*> next;
    for (const auto& [tag, count] : counts) {
        pct::Matrix& m = matrices[tag];
        if (width > 0) m = pct::Matrix(count, width);
        next[tag] = m.Data();
    }
    int lastTag = 0;
    double** into = nullptr;
    for (size_t i = 0; i < rows && width > 0; ++i) {
        const int tag = tagOf(i);
        if (into == nullptr || tag != lastTag) {
            into = &next.at(tag);
            lastTag = tag;
        }
        const double* x = valuesOf(i);
        std::copy(x, x + width, *into);
        *into += width;
    }
    return matrices;
}

}  // namespace pct::Ko::detail
