#include <algorithm>
#include <cmath>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/core/Determinant.h"
#include "vecmat/core/EliminationKernels.h"
#include "vecmat/core/Matrix.h"

namespace pct {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// Advances `pick` (k ascending indices below n) to the next combination in lexicographic
// order; false after the last.
bool NextCombination(std::vector<size_t>& pick, size_t n) {
    const size_t k = pick.size();
    size_t i = k;
    while (i > 0 && pick[i - 1] == n - k + (i - 1)) --i;
    if (i == 0) return false;
    ++pick[i - 1];
    for (size_t j = i; j < k; ++j) pick[j] = pick[j - 1] + 1;
    return true;
}

// Whether some k x k minor of the rows x columns array m has a determinant above 2^-52 in
// absolute value. Column choices run in the outer loop, row choices in the inner one.
bool HasNonVanishingMinor(const double* m, size_t rows, size_t columns, size_t k) {
    std::vector<size_t> cols(k);
    for (size_t i = 0; i < k; ++i) cols[i] = i;
    std::vector<double> block(k * k);
    do {
        std::vector<size_t> picked(k);
        for (size_t i = 0; i < k; ++i) picked[i] = i;
        do {
            for (size_t i = 0; i < k; ++i) {
                for (size_t j = 0; j < k; ++j) block[i * k + j] = m[picked[i] * columns + cols[j]];
            }
            if (std::fabs(Determinant(k, block.data()).getValue()) > kEpsilon) return true;
        } while (NextCombination(picked, rows));
    } while (NextCombination(cols, columns));
    return false;
}

}  // namespace

void Matrix::SimpleColmunTrans(size_t start) {
    detail::PivotStep(data, rows, columns, start, kEpsilon, false);
}

void Matrix::SimpleColmunTransFuzzy(size_t start, double tolerance) {
    detail::PivotStep(data, rows, columns, start, tolerance, true);
}

// The steps SimpleColmunTrans(0), SimpleColmunTrans(1), ..., which a wide matrix takes
// together so that they can pass over a block of it while it is in cache.
void Matrix::ToRowEchelonMatrix() {
    if (IsEmpty()) return;
    detail::Echelon(data, rows, columns, kEpsilon, false);
}

void Matrix::ToRowEchelonMatrixFuzzy(double tolerance) {
    if (IsEmpty()) return;
    detail::Echelon(data, rows, columns, tolerance, true);
}

void Matrix::TransformationRowSimplest() {
    if (IsEmpty()) return;
    ToRowEchelonMatrix();
    detail::BackEliminate(data, rows, columns);
}

void Matrix::TransformationRowSimplestFuzzy(double tolerance) {
    if (IsEmpty()) return;
    ToRowEchelonMatrixFuzzy(tolerance);
    detail::BackEliminate(data, rows, columns);
}

int Matrix::Rank() const {
    if (IsEmpty()) return 0;
    const size_t most = std::min(rows, columns);
    for (size_t k = 1; k <= most; ++k) {
        if (!HasNonVanishingMinor(data, rows, columns, k)) return static_cast<int>(k - 1);
    }
    return static_cast<int>(most);
}

int Matrix::RankEx() const {
    if (IsEmpty()) return 0;
    Matrix copy(*this);
    copy.ToRowEchelonMatrix();
    for (size_t r = rows; r-- > 0;) {
        for (size_t c = 0; c < columns; ++c) {
            if (std::fabs(copy.data[r * columns + c]) > kEpsilon) return static_cast<int>(r + 1);
        }
    }
    return 0;
}

Matrix Matrix::InverseMatrix() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kInverseNeedsSquare);
    const Determinant determinant = ToDeterminant();
    const double d = determinant.getValue();
    if (std::fabs(d) < kEpsilon) detail::Fail(msg::kDeterminantZeroNoSolution);
    return determinant.AdjugateMatrix() * (1.0 / d);
}

Matrix Matrix::InverseMatrixEx() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kInverseNeedsSquare);
    const size_t n = rows;
    if (n == 1) {
        const double x = data[0];
        if (std::fabs(x) <= kEpsilon) detail::Fail(msg::kInverseDoesNotExist);
        const double inverse = 1.0 / x;
        return Matrix(1, 1, &inverse);
    }
    Matrix augmented = RowMerge(CreateIdentityMatrix(n));
    augmented.TransformationRowSimplest();
    for (size_t i = 0; i < n; ++i) {
        if (std::fabs(augmented.data[i * augmented.columns + i] - 1.0) > kEpsilon) {
            detail::Fail(msg::kMatrixNotInvertible);
        }
    }
    return augmented.GetZone(n, 0, n, n);
}

bool Matrix::IsUpperT(double tolerance) const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kPowerNeedsSquare);
    for (size_t r = 1; r < rows; ++r) {
        for (size_t c = 0; c < r; ++c) {
            if (!(std::fabs(data[r * columns + c]) <= tolerance)) return false;
        }
    }
    return true;
}

Matrix Matrix::Power(size_t exponent) const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kPowerNeedsSquare);
    if (exponent == 0) detail::Fail(msg::kExponentNotPositive);
    Matrix result(*this);
    for (size_t i = 1; i < exponent; ++i) result = result * *this;
    return result;
}

}  // namespace pct
