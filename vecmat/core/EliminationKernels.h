#pragma once

// The row elimination behind the echelon forms and InverseMatrixEx. Internal header.
//
// Each function works in place on a rows x columns row-major array and performs, on every
// element, exactly the divisions, multiplies and subtractions of the one-step-at-a-time
// elimination in the same order; the blocking only changes when each element is visited.
// Each runs the AVX2 build of its kernel when the processor has it.

#include <cstddef>

namespace pct::detail {

// One pivot step for row and column `start`. `zero` is the threshold up to which an
// element counts as zero; with `fuzzy`, such elements of a passed-over column and of the
// pivot column below the pivot are stored as exactly 0.0. Closeness to 1 is judged with
// 2^-52.
void PivotStep(double* m, size_t rows, size_t columns, size_t start, double zero, bool fuzzy);

// Pivot steps 0, 1, ... while the step is below both counts: the row echelon form. A
// matrix wider than a panel takes the steps a panel of columns at a time.
void Echelon(double* m, size_t rows, size_t columns, double zero, bool fuzzy);

// From the last row upwards: the column of each row's first element within 2^-52 of 1 is
// cleared in every row above it.
void BackEliminate(double* m, size_t rows, size_t columns);

}  // namespace pct::detail
