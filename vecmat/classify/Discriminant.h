#pragma once

// The two-class Fisher discriminant on the samples of each class held in one flat array.
// LinearClassifierTrainer::LDA copies its class matrices into such arrays; LinearClassifier
// fills them straight from its table. Internal header.

#include <cstddef>
#include <map>
#include <vector>

#include "vecmat/classify/LCMData.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko::detail {

// The samples of one class, row after row.
struct ClassRows {
    size_t count = 0;
    size_t width = 0;
    std::vector<double> values;

    // Room for `rows` samples of `width` values, none held yet.
    ClassRows(size_t width, size_t rows) : width(width) { values.reserve(rows * width); }
    explicit ClassRows(const pct::Matrix& m);

    // Appends one sample of `width` values.
    void Append(const double* row);
    const double* Row(size_t r) const { return values.data() + r * width; }
    // The samples as one matrix row each; an empty matrix when there are no values.
    pct::Matrix ToMatrix() const;
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

}  // namespace pct::Ko::detail
