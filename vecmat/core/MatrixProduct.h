#pragma once

// The matrix product kernel behind operator*. Internal header.

#include <cstddef>

namespace pct::detail {

// c (m x n) = a (m x depth) * b (depth x n), all row-major. Element (i, j) is the sum over
// k = 0, 1, ... of a(i, k) * b(k, j), each term a separate multiply and add into one
// accumulator starting at 0.0: to the bit, the plain triple loop. Runs the AVX2 build of
// the kernel when the processor has it.
void MultiplyInto(const double* a, const double* b, double* c, size_t m, size_t depth, size_t n);

}  // namespace pct::detail
