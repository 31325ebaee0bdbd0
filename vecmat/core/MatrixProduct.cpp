#include "vecmat/core/MatrixProduct.h"

#include <algorithm>
#include <vector>

#include "vecmat/core/CpuDispatch.h"

namespace pct::detail {

namespace {

using cpu::Double2;
using cpu::Double4;
using cpu::kLanes;
using cpu::Load;
using cpu::Store;

// Register tile: kTileRows rows of c times two vectors of columns, held in registers while
// the terms k = 0, 1, ... of a depth block pass through. A depth block of packed b
// (kDepthBlock x tile columns) stays in the first-level cache, a block of packed a
// (kRowBlock x kDepthBlock) in the second. Each element still takes its terms in k order,
// block after block, so the blocking changes nothing but the speed.
constexpr size_t kTileRows = 4;
constexpr size_t kDepthBlock = 256;
constexpr size_t kRowBlock = 64;

// Products of up to this many multiplies run the plain loop: packing would cost more.
constexpr size_t kPlainLimit = 4096;

template <class V>
inline constexpr size_t kTileColumns = 2 * kLanes<V>;

// Copies rows k0 .. k0 + depth - 1 of b into column panels of kTileColumns<V>: panel p
// holds, for each k in order, the tile's columns of row k, zero beyond column n - 1.
template <class V>
void PackB(const double* b, size_t n, size_t k0, size_t depth, double* packed) {
    constexpr size_t w = kTileColumns<V>;
    for (size_t j0 = 0; j0 < n; j0 += w) {
        const size_t width = std::min(w, n - j0);
        for (size_t k = 0; k < depth; ++k) {
            const double* row = b + (k0 + k) * n + j0;
            std::copy(row, row + width, packed);
            std::fill(packed + width, packed + w, 0.0);
            packed += w;
        }
    }
}

// Copies rows i0 .. i0 + rows - 1, columns k0 .. k0 + depth - 1 of a (depth `stride`) into
// row panels of kTileRows: panel t holds, for each k in order, the tile's kTileRows values
// of column k, zero below the last row.
void PackA(const double* a, size_t stride, size_t i0, size_t rows, size_t k0, size_t depth,
           double* packed) {
    for (size_t t = 0; t < rows; t += kTileRows) {
        const size_t height = std::min(kTileRows, rows - t);
        for (size_t k = 0; k < depth; ++k) {
            for (size_t r = 0; r < kTileRows; ++r)
                packed[r] = r < height ? a[(i0 + t + r) * stride + k0 + k] : 0.0;
            packed += kTileRows;
        }
    }
}

// One register tile of c (row stride ldc): starts from 0.0 when `first`, else from c,
// then adds ap(k, r) * bp(k, column) for k = 0 .. depth - 1 in order.
template <class V>
VECMAT_ALWAYS_INLINE inline void Tile(const double* ap, const double* bp, size_t depth, double* c,
                                      size_t ldc, bool first) {
    constexpr size_t L = kLanes<V>;
    V acc[kTileRows][2];
#pragma GCC unroll 4
    for (size_t r = 0; r < kTileRows; ++r) {
        acc[r][0] = first ? V{} : Load<V>(c + r * ldc);
        acc[r][1] = first ? V{} : Load<V>(c + r * ldc + L);
    }
    for (size_t k = 0; k < depth; ++k) {
        const V b0 = Load<V>(bp + k * 2 * L);
        const V b1 = Load<V>(bp + k * 2 * L + L);
#pragma GCC unroll 4
        for (size_t r = 0; r < kTileRows; ++r) {
            const double a = ap[k * kTileRows + r];
            acc[r][0] += a * b0;
            acc[r][1] += a * b1;
        }
    }
#pragma GCC unroll 4
    for (size_t r = 0; r < kTileRows; ++r) {
        Store<V>(c + r * ldc, acc[r][0]);
        Store<V>(c + r * ldc + L, acc[r][1]);
    }
}

// A tile cut short by the edge of c: computed in a full-size scratch tile.
template <class V>
VECMAT_ALWAYS_INLINE inline void EdgeTile(const double* ap, const double* bp, size_t depth, double* c,
                                          size_t ldc, size_t rows, size_t columns, bool first) {
    constexpr size_t w = kTileColumns<V>;
    double scratch[kTileRows * w] = {};
    if (!first)
        for (size_t r = 0; r < rows; ++r) std::copy(c + r * ldc, c + r * ldc + columns, scratch + r * w);
    Tile<V>(ap, bp, depth, scratch, w, first);
    for (size_t r = 0; r < rows; ++r) std::copy(scratch + r * w, scratch + r * w + columns, c + r * ldc);
}

template <class V>
VECMAT_ALWAYS_INLINE inline void Blocked(const double* a, const double* b, double* c, size_t m,
                                         size_t depth, size_t n) {
    constexpr size_t w = kTileColumns<V>;
    const size_t panels = (n + w - 1) / w;
    const size_t depthBlock = std::min(depth, kDepthBlock);
    const size_t rowBlock = std::min(m, kRowBlock);
    std::vector<double> packedB(panels * w * depthBlock);
    std::vector<double> packedA((rowBlock + kTileRows - 1) / kTileRows * kTileRows * depthBlock);
    for (size_t k0 = 0; k0 < depth; k0 += kDepthBlock) {
        const size_t kc = std::min(kDepthBlock, depth - k0);
        const bool first = k0 == 0;
        PackB<V>(b, n, k0, kc, packedB.data());
        for (size_t i0 = 0; i0 < m; i0 += kRowBlock) {
            const size_t mc = std::min(kRowBlock, m - i0);
            PackA(a, depth, i0, mc, k0, kc, packedA.data());
            for (size_t p = 0; p < panels; ++p) {
                const double* bp = packedB.data() + p * kc * w;
                const size_t columns = std::min(w, n - p * w);
                for (size_t t = 0; t < mc; t += kTileRows) {
                    const double* ap = packedA.data() + t * kc;
                    double* ct = c + (i0 + t) * n + p * w;
                    const size_t rows = std::min(kTileRows, mc - t);
                    if (rows == kTileRows && columns == w)
                        Tile<V>(ap, bp, kc, ct, n, first);
                    else
                        EdgeTile<V>(ap, bp, kc, ct, n, rows, columns, first);
                }
            }
        }
    }
}

VECMAT_AVX2 void MultiplyAvx2(const double* a, const double* b, double* c, size_t m, size_t depth,
                              size_t n) {
    Blocked<Double4>(a, b, c, m, depth, n);
}

void MultiplyGeneric(const double* a, const double* b, double* c, size_t m, size_t depth, size_t n) {
    Blocked<Double2>(a, b, c, m, depth, n);
}

// The i-k-j loop: row i of c gathers a(i, k) times row k of b, k in order.
void MultiplyPlain(const double* a, const double* b, double* c, size_t m, size_t depth, size_t n) {
    std::fill(c, c + m * n, 0.0);
    for (size_t i = 0; i < m; ++i) {
        double* cRow = c + i * n;
        for (size_t k = 0; k < depth; ++k) {
            const double aik = a[i * depth + k];
            const double* bRow = b + k * n;
            for (size_t j = 0; j < n; ++j) cRow[j] += aik * bRow[j];
        }
    }
}

}  // namespace

void MultiplyInto(const double* a, const double* b, double* c, size_t m, size_t depth, size_t n) {
    if (m * depth <= kPlainLimit / n)
        MultiplyPlain(a, b, c, m, depth, n);
    else if (cpu::UseAvx2())
        MultiplyAvx2(a, b, c, m, depth, n);
    else
        MultiplyGeneric(a, b, c, m, depth, n);
}

}  // namespace pct::detail
