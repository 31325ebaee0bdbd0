#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/classify/LCMData.h"
#include "vecmat/core/Matrix.h"

namespace pct::Ko {

// Collects one feature matrix per class tag (one sample per row, one feature per column)
// and computes the two-class Fisher discriminant of the two smallest tags.
class VECMAT_API LinearClassifierTrainer {
public:
    LinearClassifierTrainer();
    LinearClassifierTrainer(const LinearClassifierTrainer& other);
    LinearClassifierTrainer(LinearClassifierTrainer&& other) noexcept;
    LinearClassifierTrainer& operator=(const LinearClassifierTrainer& other);
    LinearClassifierTrainer& operator=(LinearClassifierTrainer&& other) noexcept;
    ~LinearClassifierTrainer();

    // Sets two classes from one matrix whose last column holds each row's tag (truncated
    // toward zero). Fails unless the rows carry exactly two distinct tags; other classes
    // already held stay.
    void InputAllMatrix(const pct::Matrix& all);
    // Sets one class directly; never lets the trainer grow past two classes, and only takes
    // a matrix as wide as the first class.
    void SetMatrix(int tag, const pct::Matrix& m);
    // The same, taking the matrix over instead of copying it (left as it was on failure).
    void SetMatrix(int tag, pct::Matrix&& m);
    // The tags held, ascending, each converted to size_t by sign extension.
    std::vector<size_t> GetTags() const;
    // A copy of the class matrix of `tag`.
    pct::Matrix GetMatrix(int tag) const;
    // The discriminant of the first two classes: weights, threshold and the two tags.
    pct::Ko::LCMData LDA() const;

private:
    std::map<int, pct::Matrix> classMatrices;
};

}  // namespace pct::Ko
