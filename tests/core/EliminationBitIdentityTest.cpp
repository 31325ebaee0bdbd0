#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/BitIdentity.h"
#include "tests/support/PlainKernels.h"
#include "vecmat/core/Matrix.h"

using pct::Matrix;
using testing_support::AwkwardSizes;
using testing_support::AwkwardValues;
using testing_support::MatrixElements;
using testing_support::SameBits;
using namespace testing_support::plain;

namespace {

// Random values with what steers the elimination's choices: rows that start with zeros
// (left alone by the steps before theirs) and a 1 where their step looks (a row exchange;
// a 1 off by an ulp is not divided and leaves ulps left of later pivots),
// zero columns (passed over, once a whole panel of them) and repeated rows (which clear
// to zero).
std::vector<double> Steering(size_t rows, size_t columns, unsigned seed) {
    std::vector<double> m = AwkwardValues(rows * columns, seed);
    const auto at = [&](size_t r, size_t c) -> double& { return m[r * columns + c]; };
    for (size_t r = 3; r < rows; r += 5) {
        const size_t lead = std::min(columns - 1, r / 2);
        for (size_t c = 0; c < lead; ++c) at(r, c) = 0.0;
        at(r, lead) = r % 3 == 0 ? 1.0 : std::nextafter(1.0, r % 3 == 1 ? 2.0 : 0.0);
    }
    for (size_t c = 0; c < columns; ++c) {
        if (c % 29 == 11 || (c >= 40 && c < 80))
            for (size_t r = 0; r < rows; ++r) at(r, c) = 0.0;
    }
    for (size_t r = 6; r < rows; r += 13)
        for (size_t c = 0; c < columns; ++c) at(r, c) = at(r - 4, c);
    return m;
}

// Small values that the fuzzy elimination stores as zeros, mixed with ordinary ones.
std::vector<double> WithSmallValues(size_t rows, size_t columns, unsigned seed) {
    std::vector<double> m = AwkwardValues(rows * columns, seed);
    for (size_t i = 0; i < m.size(); i += 3) m[i] *= 1e-5;
    return m;
}

}  // namespace

// Echelon and reduced forms, exact and fuzzy, on every pair of awkward row and column
// counts: the same bits as the one-step-at-a-time elimination.
TEST(EliminationBitIdentity, EchelonAndReducedFormsKeepEveryBit) {
    unsigned seed = 100;
    for (size_t rows : AwkwardSizes()) {
        for (size_t columns : AwkwardSizes()) {
            const std::vector<double> exact = Steering(rows, columns, seed++);
            std::vector<double> want = exact;
            PlainEchelon(want, rows, columns, kEps, false);
            Matrix got(rows, columns, exact.data());
            got.ToRowEchelonMatrix();
            EXPECT_TRUE(SameBits(want, MatrixElements(got))) << "echelon " << rows << " x " << columns;
            PlainBackEliminate(want, rows, columns);
            got = Matrix(rows, columns, exact.data());
            got.TransformationRowSimplest();
            EXPECT_TRUE(SameBits(want, MatrixElements(got))) << "reduced " << rows << " x " << columns;

            const std::vector<double> fuzzy = WithSmallValues(rows, columns, seed++);
            want = fuzzy;
            PlainEchelon(want, rows, columns, 1e-4, true);
            PlainBackEliminate(want, rows, columns);
            got = Matrix(rows, columns, fuzzy.data());
            got.TransformationRowSimplestFuzzy(1e-4);
            EXPECT_TRUE(SameBits(want, MatrixElements(got))) << "fuzzy " << rows << " x " << columns;
        }
    }
}

// The inverse of [M | I] reduced, at the awkward sizes and at the size the benchmarks use;
// a matrix with a leading 1 in a lower row makes the elimination exchange rows.
TEST(EliminationBitIdentity, InverseKeepsEveryBit) {
    std::vector<size_t> sizes = AwkwardSizes();
    sizes.push_back(300);
    unsigned seed = 500;
    for (size_t n : sizes) {
        if (n == 1) continue;  // a 1 x 1 matrix is inverted without elimination
        std::vector<double> m = AwkwardValues(n * n, seed++);
        if (n > 5) m[5 * n] = 1.0;
        EXPECT_TRUE(SameBits(PlainInverse(m, n), MatrixElements(Matrix(n, n, m.data()).InverseMatrixEx()))) << n;
    }
}
