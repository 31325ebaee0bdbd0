#pragma once

// The inner loops of the discriminant's scatter matrix and the logistic classifier's Hessian:
// sums of outer products of sample rows, and the dot product of every row with one vector.
// Internal header.
//
// Samples lie in flat arrays, one row after another, each row padded with zeros to a multiple
// of kLanes values so that the sums can work in blocks of kLanes columns. Every element of a
// sum still receives its terms row after row, each as one multiply and one add, so the
// results are those of the plain loops to the last bit.

#include <cstddef>

namespace pct::detail {

// Columns handled together; row strides are multiples of it.
constexpr size_t kLanes = 4;

// `width` rounded up to a multiple of kLanes.
constexpr size_t PaddedWidth(size_t width) { return (width + kLanes - 1) / kLanes * kLanes; }

// For r = 0, 1, ..., rows - 1 in order, every element (a, b) with a < aCount and
// b < stride becomes sum[a * stride + b] + u[r * uStride + a] * v[r * stride + b].
// `stride` is a multiple of kLanes. With `upperOnly`, columns left of a's block of kLanes
// rows are skipped: every element with b >= a is still summed (for a symmetric sum).
void AddOuterProducts(double* sum, size_t aCount, const double* u, size_t uStride,
                      const double* v, size_t stride, size_t rows, bool upperOnly);

// out[r] = sum over j < width in order of t[j] * x[r * stride + j], from 0.0, for every
// r < rows: what pct::Vector::Dot gives for t and the row.
void RowDots(const double* x, size_t stride, const double* t, size_t width, size_t rows,
             double* out);

}  // namespace pct::detail
