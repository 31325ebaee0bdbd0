#include "vecmat/classify/OuterProductSums.h"

#include "vecmat/core/CpuDispatch.h"

namespace pct::detail {

namespace {

// kLanes doubles, added and multiplied lane by lane (one ymm register with AVX2, two xmm
// registers in the generic build).
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
static_assert(kLanes == 4, "a scale is built from four copies of its value");

// Rows of the sum per tile: with two blocks of columns, eight accumulators stay in registers.
constexpr size_t kTileRows = 4;

// A tile whose accumulators stay in registers: A rows of the sum by B blocks of columns.
// `sum`, `u` and `v` point at the tile's first row and column.
template <int A, int B>
VECMAT_ALWAYS_INLINE inline void AddTile(double* sum, const double* u, size_t uStride,
                                         const double* v, size_t stride, size_t rows) {
    Lanes acc[A][B];
#pragma GCC unroll 4
    for (int a = 0; a < A; ++a) {
#pragma GCC unroll 4
        for (int b = 0; b < B; ++b) {
            __builtin_memcpy(&acc[a][b], sum + a * stride + b * kLanes, sizeof(Lanes));
        }
    }
    for (size_t r = 0; r < rows; ++r) {
        Lanes x[B];
#pragma GCC unroll 4
        for (int b = 0; b < B; ++b) {
            __builtin_memcpy(&x[b], v + r * stride + b * kLanes, sizeof(Lanes));
        }
#pragma GCC unroll 4
        for (int a = 0; a < A; ++a) {
            const double s = u[r * uStride + a];
            const Lanes scale = {s, s, s, s};
#pragma GCC unroll 4
            for (int b = 0; b < B; ++b) acc[a][b] = acc[a][b] + scale * x[b];
        }
    }
#pragma GCC unroll 4
    for (int a = 0; a < A; ++a) {
#pragma GCC unroll 4
        for (int b = 0; b < B; ++b) {
            __builtin_memcpy(sum + a * stride + b * kLanes, &acc[a][b], sizeof(Lanes));
        }
    }
}

// A tile of `a` rows (1 to kTileRows) by B blocks.
static_assert(kTileRows == 4, "one case per tile height");
template <int B>
VECMAT_ALWAYS_INLINE inline void AddTileRows(size_t a, double* sum, const double* u,
                                             size_t uStride, const double* v, size_t stride,
                                             size_t rows) {
    switch (a) {
        case 1: AddTile<1, B>(sum, u, uStride, v, stride, rows); break;
        case 2: AddTile<2, B>(sum, u, uStride, v, stride, rows); break;
        case 3: AddTile<3, B>(sum, u, uStride, v, stride, rows); break;
        default: AddTile<4, B>(sum, u, uStride, v, stride, rows); break;
    }
}

VECMAT_ALWAYS_INLINE inline void AddOuterProductsBody(double* sum, size_t aCount,
                                                      const double* u, size_t uStride,
                                                      const double* v, size_t stride,
                                                      size_t rows, bool upperOnly) {
    const size_t blocks = stride / kLanes;
    for (size_t a = 0; a < aCount; a += kTileRows) {
        const size_t tileRows = aCount - a < kTileRows ? aCount - a : kTileRows;
        // From the block holding column a on: every b >= a of the tile's rows.
        size_t block = upperOnly ? a / kLanes : 0;
        for (; block + 2 <= blocks; block += 2) {
            AddTileRows<2>(tileRows, sum + a * stride + block * kLanes, u + a, uStride,
                           v + block * kLanes, stride, rows);
        }
        if (block < blocks) {
            AddTileRows<1>(tileRows, sum + a * stride + block * kLanes, u + a, uStride,
                           v + block * kLanes, stride, rows);
        }
    }
}

VECMAT_AVX2 void AddOuterProductsAvx2(double* sum, size_t aCount, const double* u,
                                      size_t uStride, const double* v, size_t stride,
                                      size_t rows, bool upperOnly) {
    AddOuterProductsBody(sum, aCount, u, uStride, v, stride, rows, upperOnly);
}

void AddOuterProductsGeneric(double* sum, size_t aCount, const double* u, size_t uStride,
                             const double* v, size_t stride, size_t rows, bool upperOnly) {
    AddOuterProductsBody(sum, aCount, u, uStride, v, stride, rows, upperOnly);
}

}  // namespace

void AddOuterProducts(double* sum, size_t aCount, const double* u, size_t uStride,
                      const double* v, size_t stride, size_t rows, bool upperOnly) {
    if (pct::cpu::UseAvx2()) {
        AddOuterProductsAvx2(sum, aCount, u, uStride, v, stride, rows, upperOnly);
    } else {
        AddOuterProductsGeneric(sum, aCount, u, uStride, v, stride, rows, upperOnly);
    }
}

void RowDots(const double* x, size_t stride, const double* t, size_t width, size_t rows,
             double* out) {
    size_t r = 0;
    // Four rows at a time: four independent sums, each still in column order.
    for (; r + 4 <= rows; r += 4) {
        const double* x0 = x + r * stride;
        const double* x1 = x0 + stride;
        const double* x2 = x1 + stride;
        const double* x3 = x2 + stride;
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        for (size_t j = 0; j < width; ++j) {
            s0 += t[j] * x0[j];
            s1 += t[j] * x1[j];
            s2 += t[j] * x2[j];
            s3 += t[j] * x3[j];
        }
        out[r] = s0;
        out[r + 1] = s1;
        out[r + 2] = s2;
        out[r + 3] = s3;
    }
    for (; r < rows; ++r) {
        const double* xr = x + r * stride;
        double s = 0.0;
        for (size_t j = 0; j < width; ++j) s += t[j] * xr[j];
        out[r] = s;
    }
}

}  // namespace pct::detail
