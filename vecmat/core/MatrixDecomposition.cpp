// Spectral members of pct::Matrix: Householder QR, the unshifted QR iteration for
// eigenvalues, the power method and eigenvectors by elimination of A - lambda I.

#include <cmath>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"

namespace pct {

namespace {

// The library's zero tolerance (2^-52).
constexpr double kZeroTolerance = 2.220446049250313e-16;

// The threshold below which the QR iteration treats a column as already reduced.
constexpr double kIterationQrThreshold = 1e-5;

// True when column i's part from the diagonal down has every element within t of zero,
// so no reflection is formed for it (NaN counts as significant).
bool ColumnNegligible(const Matrix& m, size_t i, double t) {
    const size_t n = m.GetRowCount();
    for (size_t j = i; j < n; ++j) {
        if (!(std::fabs(m.GetPointValue(j, i)) <= t)) return false;
    }
    return true;
}

// True when a QR decomposition at threshold t would form no reflection at all.
bool FormsNoReflection(const Matrix& m, double t) {
    const size_t n = m.GetRowCount();
    for (size_t i = 0; i + 1 < n; ++i) {
        if (!ColumnNegligible(m, i, t)) return false;
    }
    return true;
}

}  // namespace

std::pair<Matrix, Matrix> Matrix::QRDecomposition(double tolerance) {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kQrNeedsSquare);

    const size_t n = rows;
    Matrix r(*this);
    Matrix q;
    bool reflected = false;

    for (size_t i = 0; i + 1 < n; ++i) {
        if (ColumnNegligible(r, i, tolerance)) continue;

        const size_t k = n - i;
        Vector v(k);
        for (size_t j = 0; j < k; ++j) v.SetValue(j, r.data[(i + j) * n + i]);
        Vector e1(k);
        e1.SetValue(0, 1.0);
        const double d = v.L2();
        if (std::fabs(d) <= kZeroTolerance) detail::FailByPointer(msg::kQrZeroColumn);

        // The reflection always subtracts d, whatever the sign of the leading element.
        Vector u = (v - e1 * d).ToUnit();
        std::vector<double> twoU = (u * 2.0).ToFeatureDatas();
        std::vector<double> uRow = u.ToFeatureDatas();
        const Matrix reflector =
            CreateIdentityMatrix(k) - Matrix(k, 1, twoU.data()) * Matrix(1, k, uRow.data());

        // R's lower-right block becomes H' times that block.
        const Matrix block = r.GetZone(i, i, k, k);
        const Matrix reflected_block = reflector * block;
        for (size_t a = 0; a < k; ++a) {
            for (size_t b = 0; b < k; ++b) {
                r.data[(i + a) * n + (i + b)] = reflected_block.data[a * k + b];
            }
        }

        Matrix h = CreateIdentityMatrix(n);
        for (size_t a = 0; a < k; ++a) {
            for (size_t b = 0; b < k; ++b) {
                h.data[(i + a) * n + (i + b)] = reflector.data[a * k + b];
            }
        }

        // Q is the product of the reflections in the order they are formed.
        if (reflected) {
            q = q * h;
        } else {
            q = std::move(h);
            reflected = true;
        }
    }

    // With no reflection formed the product is empty: Q is the identity.
    if (!reflected) q = CreateIdentityMatrix(n);
    return {std::move(q), std::move(r)};
}

std::pair<std::vector<double>, Matrix> Matrix::EigenDecomposition(double tolerance,
                                                                  int maxIterations) {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kEigenNeedsSquare);

    const size_t n = rows;
    Matrix a(*this);
    Matrix v = CreateIdentityMatrix(n);
    bool converged = a.IsUpperT(tolerance);

    if (maxIterations <= 0) {
        if (!converged) detail::Fail(msg::kEigenNotConverged);
    } else {
        int count = 0;
        while (!converged) {
            // Without any reflection Q is the identity and A never changes again, so the
            // remaining iterations cannot converge: report that at once.
            if (FormsNoReflection(a, kIterationQrThreshold)) {
                detail::Fail(msg::kEigenNotConverged);
            }
            std::pair<Matrix, Matrix> qr = a.QRDecomposition(kIterationQrThreshold);
            a = qr.second * qr.first;
            v = v * qr.first;
            converged = a.IsUpperT(tolerance);
            ++count;
            if (count >= maxIterations) {
                if (!converged) detail::Fail(msg::kEigenNotConverged);
                break;
            }
        }
    }

    std::vector<double> values(n);
    for (size_t i = 0; i < n; ++i) values[i] = a.data[i * n + i];
    return {std::move(values), std::move(v)};
}

double Matrix::PowershipMethod(Vector& v, double tolerance, size_t maxIterations) const {
    if (maxIterations == 0) return 0.0;

    size_t count = 0;
    for (;;) {
        Vector y = (*this) * v;
        const size_t size = y.Size();
        double m = 0.0;
        for (size_t i = 0; i < size; ++i) {
            const double magnitude = std::fabs(y.GetValue(i));
            if (magnitude > m) m = magnitude;
        }
        if (m <= kZeroTolerance) detail::Fail(msg::kPowerZeroVector);
        for (size_t i = 0; i < size; ++i) y.SetValue(i, y.GetValue(i) / m);

        const double diff = (y - v).L2();
        v = y;
        if (tolerance > diff) return m;
        ++count;
        if (count >= maxIterations) return m;
    }
}

Vector Matrix::EigenVector(double lambda, double tolerance) {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kEigenVectorNeedsSquare);

    const size_t n = rows;
    Matrix b = *this - CreateIdentityMatrix(n) * lambda;
    b.TransformationRowSimplestFuzzy(tolerance);

    // Pivot column of every row and pivot row of every column, -1 where there is none.
    std::vector<long long> pivotColumn(n, -1);
    std::vector<long long> pivotRow(n, -1);
    for (size_t r = 0; r < n; ++r) {
        for (size_t c = 0; c < n; ++c) {
            if (std::fabs(b.data[r * n + c]) > kZeroTolerance) {
                pivotColumn[r] = static_cast<long long>(c);
                pivotRow[c] = static_cast<long long>(r);
                break;
            }
        }
    }

    size_t firstFree = n;
    for (size_t c = 0; c < n; ++c) {
        if (pivotRow[c] == -1) {
            firstFree = c;
            break;
        }
    }
    if (firstFree == n) detail::Fail(msg::kEigenVectorNoFreeVariable);

    // The first free variable is 1, the other free ones 0; pivots follow by back
    // substitution.
    std::vector<double> x(n, 0.0);
    x[firstFree] = 1.0;
    for (size_t step = 0; step < n; ++step) {
        const size_t r = n - 1 - step;
        if (pivotColumn[r] < 0) continue;
        const size_t c = static_cast<size_t>(pivotColumn[r]);
        double s = 0.0;
        for (size_t l = c + 1; l < n; ++l) {
            const double coefficient = b.data[r * n + l];
            if (std::fabs(coefficient) <= kZeroTolerance) continue;
            s += coefficient * x[l];
        }
        const double pivot = b.data[r * n + c];
        x[c] = std::fabs(pivot - 1.0) <= kZeroTolerance ? -s : -s / pivot;
    }
    return Vector(x.data(), n);
}

}  // namespace pct
