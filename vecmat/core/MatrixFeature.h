#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vecmat/core/IMatrixFeature.h"

namespace pct {

class Matrix;

// Non-owning view of one row (kind 0) or one column (kind 1) of a matrix. It reads and
// writes the matrix's storage in place, through the matrix object, so it follows the
// matrix across assignments. Internal to the library; callers see IMatrixFeature.
class MatrixFeature : public IMatrixFeature {
public:
    static constexpr std::uint64_t kRow = 0;
    static constexpr std::uint64_t kColumn = 1;

    MatrixFeature(const Matrix* matrix, std::uint64_t kind, size_t index);
    ~MatrixFeature() override;

    size_t Size() const override;
    double GetValue(size_t i) const override;
    void SetValue(size_t i, double value) override;
    double& operator[](size_t i) override;
    double operator[](size_t i) const override;
    std::vector<double> ToFeatureDatas() override;

private:
    // Position of element i of the view in the matrix's array; fails on a bad kind,
    // then on a row or column outside the matrix.
    size_t Offset(size_t i) const;

    const Matrix* matrix;
    std::uint64_t kind;
    size_t index;
};

}  // namespace pct
