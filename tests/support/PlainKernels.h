#pragma once

// The library's kernels as they were before they were tiled and blocked: plain loops, kept
// as the reference of the bit-identity tests and of the benchmarks.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace testing_support::plain {

constexpr double kEps = 2.220446049250313e-16;

// a (m x depth) times b (depth x n): a zeroed result, and row i gathering a(i, k) times
// row k of b for k in order.
inline std::vector<double> PlainProduct(const std::vector<double>& a, const std::vector<double>& b,
                                        size_t m, size_t depth, size_t n) {
    std::vector<double> c(m * n, 0.0);
    for (size_t i = 0; i < m; ++i)
        for (size_t k = 0; k < depth; ++k)
            for (size_t j = 0; j < n; ++j) c[i * n + j] += a[i * depth + k] * b[k * n + j];
    return c;
}

// One whole pivot step at row and column s.
inline void PlainStep(double* m, size_t rows, size_t columns, size_t s, double zero, bool fuzzy) {
    size_t c = s;
    size_t p = rows;
    for (; c < columns; ++c) {
        for (size_t r = s; r < rows; ++r) {
            if (std::fabs(m[r * columns + c]) > zero) {
                p = r;
                break;
            }
        }
        if (p < rows) break;
        if (fuzzy)
            for (size_t r = s; r < rows; ++r) m[r * columns + c] = 0.0;
    }
    if (c == columns) return;
    size_t q = p;
    for (size_t r = p; r < rows; ++r) {
        if (std::fabs(m[r * columns + c] - 1.0) <= kEps) {
            q = r;
            break;
        }
    }
    if (q != s) std::swap_ranges(m + s * columns, m + (s + 1) * columns, m + q * columns);
    double* pivotRow = m + s * columns;
    const double v = pivotRow[c];
    if (std::fabs(v - 1.0) > kEps)
        for (size_t k = c; k < columns; ++k) pivotRow[k] = pivotRow[k] / v;
    for (size_t r = s + 1; r < rows; ++r) {
        double* row = m + r * columns;
        const double f = row[c];
        if (std::fabs(f) <= zero) {
            if (fuzzy) row[c] = 0.0;
            continue;
        }
        for (size_t k = c; k < columns; ++k) row[k] = row[k] / f - pivotRow[k];
    }
}

inline void PlainEchelon(std::vector<double>& m, size_t rows, size_t columns, double zero, bool fuzzy) {
    for (size_t i = 0; i < rows && i < columns; ++i) PlainStep(m.data(), rows, columns, i, zero, fuzzy);
}

// From the last row up, each row's leading 1 clears its column in every row above.
inline void PlainBackEliminate(std::vector<double>& m, size_t rows, size_t columns) {
    for (size_t r = rows; r-- > 0;) {
        const double* row = m.data() + r * columns;
        size_t c = 0;
        while (c < columns && !(std::fabs(row[c] - 1.0) <= kEps)) ++c;
        if (c == columns) continue;
        for (size_t q = r; q-- > 0;) {
            double* upper = m.data() + q * columns;
            const double f = upper[c];
            for (size_t k = c; k < columns; ++k) upper[k] = upper[k] - f * row[k];
        }
    }
}

// The right half of [M | I] in reduced row echelon form (n >= 2; no invertibility check).
inline std::vector<double> PlainInverse(const std::vector<double>& m, size_t n) {
    std::vector<double> augmented(n * 2 * n, 0.0);
    for (size_t r = 0; r < n; ++r) {
        std::copy(m.begin() + r * n, m.begin() + (r + 1) * n, augmented.begin() + r * 2 * n);
        augmented[r * 2 * n + n + r] = 1.0;
    }
    PlainEchelon(augmented, n, 2 * n, kEps, false);
    PlainBackEliminate(augmented, n, 2 * n);
    std::vector<double> inverse;
    for (size_t r = 0; r < n; ++r)
        inverse.insert(inverse.end(), augmented.begin() + r * 2 * n + n, augmented.begin() + (r + 1) * 2 * n);
    return inverse;
}

}  // namespace testing_support::plain
