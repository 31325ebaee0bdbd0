#include <vector>

#include "tests/support/BitIdentity.h"
#include "tests/support/PlainKernels.h"
#include "vecmat/core/Matrix.h"

using pct::Matrix;
using testing_support::AwkwardSizes;
using testing_support::AwkwardValues;
using testing_support::MatrixElements;
using testing_support::SameBits;
using testing_support::plain::PlainProduct;

// Every combination of awkward row, depth and column counts: tiles cut by the edges, depth
// blocks after the first, and the small products that take the plain loop.
TEST(ProductBitIdentity, EveryShapeGivesThePlainLoopsBits) {
    unsigned seed = 1;
    for (size_t m : AwkwardSizes()) {
        for (size_t depth : AwkwardSizes()) {
            for (size_t n : AwkwardSizes()) {
                const std::vector<double> a = AwkwardValues(m * depth, seed++);
                const std::vector<double> b = AwkwardValues(depth * n, seed++);
                const Matrix product = Matrix(m, depth, a.data()) * Matrix(depth, n, b.data());
                EXPECT_TRUE(SameBits(PlainProduct(a, b, m, depth, n), MatrixElements(product)))
                    << m << " x " << depth << " times " << depth << " x " << n;
            }
        }
    }
}

// Infinities and NaN reach exactly the elements they reach in the plain loop, and a sum
// of -0.0 terms starts from +0.0 as there.
TEST(ProductBitIdentity, SpecialValuesLandWhereThePlainLoopPutsThem) {
    const size_t m = 9, depth = 300, n = 13;
    std::vector<double> a = AwkwardValues(m * depth, 77);
    std::vector<double> b = AwkwardValues(depth * n, 78);
    a[2 * depth + 5] = 1.0 / 0.0;
    b[7 * n + 3] = -1.0 / 0.0;
    for (size_t k = 0; k < depth; ++k) a[4 * depth + k] = -0.0;
    const Matrix product = Matrix(m, depth, a.data()) * Matrix(depth, n, b.data());
    EXPECT_TRUE(SameBits(PlainProduct(a, b, m, depth, n), MatrixElements(product)));
}
