#include <cmath>
#include <limits>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"

using pct::Matrix;
using pct::Vector;

namespace {

Matrix Make(size_t rows, size_t columns, std::vector<double> values) {
    return Matrix(rows, columns, values.data());
}

void ExpectNear(const Matrix& actual, const Matrix& expected, double tolerance) {
    ASSERT_EQ(actual.GetRowCount(), expected.GetRowCount());
    ASSERT_EQ(actual.GetColumnCount(), expected.GetColumnCount());
    for (size_t r = 0; r < actual.GetRowCount(); ++r) {
        for (size_t c = 0; c < actual.GetColumnCount(); ++c) {
            EXPECT_NEAR(actual.GetPointValue(r, c), expected.GetPointValue(r, c), tolerance)
                << "element (" << r << ", " << c << ")";
        }
    }
}

// Bitwise element comparison (operator== of Matrix allows a difference of 2^-52).
void ExpectSameBits(const Matrix& actual, const Matrix& expected) {
    ASSERT_EQ(actual.GetRowCount(), expected.GetRowCount());
    ASSERT_EQ(actual.GetColumnCount(), expected.GetColumnCount());
    for (size_t r = 0; r < actual.GetRowCount(); ++r) {
        for (size_t c = 0; c < actual.GetColumnCount(); ++c) {
            EXPECT_EQ(actual.GetPointValue(r, c), expected.GetPointValue(r, c))
                << "element (" << r << ", " << c << ")";
        }
    }
}

}  // namespace

TEST(QRDecomposition, ReflectsFirstColumnOntoPositiveAxis) {
    Matrix a = Make(2, 2, {3, 1, 4, 2});
    const Matrix original = a;
    auto [q, r] = a.QRDecomposition(1e-12);

    ExpectNear(r, Make(2, 2, {5, 2.2, 0, -0.4}), 1e-12);
    ExpectNear(q, Make(2, 2, {0.6, 0.8, 0.8, -0.6}), 1e-12);
    ExpectNear(q * r, original, 1e-12);
    ExpectSameBits(a, original);
}

TEST(QRDecomposition, ThreeByThreeGivesOrthogonalQAndTriangularR) {
    Matrix a = Make(3, 3, {12, -51, 4, 6, 167, -68, -4, 24, -41});
    auto [q, r] = a.QRDecomposition(1e-12);

    ExpectNear(q * r, a, 1e-10);
    ExpectNear(q.Transpose() * q, Matrix::CreateIdentityMatrix(3), 1e-12);
    EXPECT_TRUE(std::fabs(r.GetPointValue(1, 0)) <= 1e-12);
    EXPECT_TRUE(std::fabs(r.GetPointValue(2, 0)) <= 1e-12);
    EXPECT_TRUE(std::fabs(r.GetPointValue(2, 1)) <= 1e-12);
    // d is always subtracted, so every reflected diagonal element is the positive length.
    EXPECT_NEAR(r.GetPointValue(0, 0), 14.0, 1e-12);
    EXPECT_NEAR(r.GetPointValue(1, 1), 175.0, 1e-10);
}

TEST(QRDecomposition, WithoutAnyReflectionQIsTheIdentity) {
    auto [q1, r1] = Make(1, 1, {5}).QRDecomposition(1e-12);
    ExpectSameBits(q1, Matrix::CreateIdentityMatrix(1));
    ExpectSameBits(r1, Make(1, 1, {5}));

    // Column 0 below the diagonal is within the threshold: nothing to reflect.
    Matrix small = Make(2, 2, {1e-9, 2, -1e-9, 3});
    auto [q2, r2] = small.QRDecomposition(1e-6);
    ExpectSameBits(q2, Matrix::CreateIdentityMatrix(2));
    ExpectSameBits(r2, small);

    // Every column negligible (here all zero): still no reflection.
    auto [q4, r4] = Matrix(3, 3).QRDecomposition(0.5);
    ExpectSameBits(q4, Matrix::CreateIdentityMatrix(3));
    ExpectSameBits(r4, Matrix(3, 3));

    // The same matrix reflected when the threshold is below its elements.
    auto [q3, r3] = small.QRDecomposition(1e-12);
    ExpectNear(q3 * r3, small, 1e-12);
    EXPECT_NE(q3.GetPointValue(0, 0), 1.0);
}

TEST(QRDecomposition, SkipsNegligibleColumnsButReflectsLaterOnes) {
    // Column 0 is negligible; column 1 from the diagonal down is (3, 4) and is reflected.
    Matrix a = Make(3, 3, {0, 1, 2, 0, 3, 5, 0, 4, 6});
    auto [q, r] = a.QRDecomposition(1e-12);
    ExpectNear(r, Make(3, 3, {0, 1, 2, 0, 5, 7.8, 0, 0, 0.4}), 1e-12);
    ExpectNear(q, Make(3, 3, {1, 0, 0, 0, 0.6, 0.8, 0, 0.8, -0.6}), 1e-12);
    EXPECT_EQ(r.GetPointValue(0, 2), 2.0);
    ExpectNear(q * r, a, 1e-12);
}

TEST(QRDecomposition, FailuresInOrder) {
    EXPECT_THROW_MSG(Matrix().QRDecomposition(1e-12), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Make(2, 3, {1, 2, 3, 4, 5, 6}).QRDecomposition(1e-12),
                     "QR分解需要对方阵进行计算");
    // Significant at threshold 0 but of length below 2^-52: thrown by pointer.
    EXPECT_THROW_PTR_MSG(Make(2, 2, {1e-17, 1, 0, 1}).QRDecomposition(0.0),
                         "向量模为0，不能进行QR分解");
}

TEST(EigenDecomposition, UpperTriangularNeedsNoIteration) {
    auto [values, v] = Make(2, 2, {2, 0, 0, 3}).EigenDecomposition(1e-9, 100);
    EXPECT_EQ(values, (std::vector<double>{2, 3}));
    ExpectSameBits(v, Matrix::CreateIdentityMatrix(2));

    // A huge tolerance accepts anything below the diagonal up to it, unsorted.
    auto [values2, v2] = Make(2, 2, {1, 7, 99999, 5}).EigenDecomposition(100000.0, 0);
    EXPECT_EQ(values2, (std::vector<double>{1, 5}));
    ExpectSameBits(v2, Matrix::CreateIdentityMatrix(2));
}

TEST(EigenDecomposition, SymmetricTwoByTwoConvergesInFourteenSteps) {
    Matrix a = Make(2, 2, {2, 1, 1, 2});
    const Matrix original = a;
    auto [values, v] = a.EigenDecomposition(1e-6, 14);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_NEAR(values[0], 3.0, 1e-9);
    EXPECT_NEAR(values[1], 1.0, 1e-9);
    const double half = std::sqrt(0.5);
    EXPECT_NEAR(std::fabs(v.GetPointValue(0, 0)), half, 1e-6);
    EXPECT_NEAR(std::fabs(v.GetPointValue(0, 1)), half, 1e-6);
    EXPECT_NEAR(std::fabs(v.GetPointValue(1, 0)), half, 1e-6);
    EXPECT_NEAR(std::fabs(v.GetPointValue(1, 1)), half, 1e-6);
    // Columns are the eigenvectors: A v = lambda v.
    for (size_t c = 0; c < 2; ++c) {
        Vector column = v.GetColVector(c);
        Vector image = original * column;
        EXPECT_NEAR(image.GetValue(0), values[c] * column.GetValue(0), 1e-6);
        EXPECT_NEAR(image.GetValue(1), values[c] * column.GetValue(1), 1e-6);
    }
    ExpectSameBits(a, original);

    // A larger budget stops at the same point.
    auto [values100, v100] = a.EigenDecomposition(1e-6, 100);
    EXPECT_EQ(values100, values);
    ExpectSameBits(v100, v);

    EXPECT_THROW_MSG(a.EigenDecomposition(1e-6, 13), "计算矩阵特征值，结果未收敛");
}

TEST(EigenDecomposition, StallsAboveTightTolerance) {
    Matrix a = Make(2, 2, {2, 1, 1, 2});
    EXPECT_THROW_MSG(a.EigenDecomposition(1e-9, 100), "计算矩阵特征值，结果未收敛");
    EXPECT_THROW_MSG(a.EigenDecomposition(1e-9, 1000), "计算矩阵特征值，结果未收敛");
    EXPECT_THROW_MSG(a.EigenDecomposition(1e-6, 0), "计算矩阵特征值，结果未收敛");
    EXPECT_THROW_MSG(a.EigenDecomposition(1e-6, -3), "计算矩阵特征值，结果未收敛");
}

TEST(EigenDecomposition, MatrixNegligibleForTheInnerDecompositionFailsAtOnce) {
    // Column 0 is (1e-6, 1e-6): not triangular at 1e-9, yet no reflection forms at 1e-5,
    // so the iteration can never move. A huge budget must still end promptly.
    Matrix a = Make(2, 2, {1e-6, 5, 1e-6, 3});
    EXPECT_THROW_MSG(a.EigenDecomposition(1e-9, 1000000000), "计算矩阵特征值，结果未收敛");
    EXPECT_THROW_MSG(a.EigenDecomposition(1e-9, 1), "计算矩阵特征值，结果未收敛");
    auto [values, v] = a.EigenDecomposition(1e-6, 5);
    EXPECT_EQ(values, (std::vector<double>{1e-6, 3}));
    ExpectSameBits(v, Matrix::CreateIdentityMatrix(2));
}

TEST(EigenDecomposition, FailuresInOrder) {
    EXPECT_THROW_MSG(Matrix().EigenDecomposition(1e-6, 10), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Make(1, 2, {1, 2}).EigenDecomposition(1e-6, 10), "特征值分解需要方阵");
    EXPECT_THROW_MSG(Make(1, 2, {1, 2}).EigenDecomposition(1e-6, 0), "特征值分解需要方阵");
}

TEST(PowershipMethod, FindsDominantMagnitude) {
    Matrix a = Make(2, 2, {2, 0, 0, 1});
    Vector v(std::vector<double>{1, 1});
    EXPECT_NEAR(a.PowershipMethod(v, 1e-12, 1000), 2.0, 1e-12);
    EXPECT_NEAR(v.GetValue(0), 1.0, 1e-12);
    EXPECT_NEAR(v.GetValue(1), 0.0, 1e-12);

    // A negative dominant eigenvalue still gives its magnitude.
    Matrix b = Make(2, 2, {-3, 0, 0, 1});
    Vector w(std::vector<double>{1, 1});
    EXPECT_NEAR(b.PowershipMethod(w, 1e-12, 1000), 3.0, 1e-12);
    EXPECT_NEAR(std::fabs(w.GetValue(0)), 1.0, 1e-12);
}

TEST(PowershipMethod, ExactStepsAndBudget) {
    Matrix a = Make(2, 2, {2, 0, 0, 1});
    Vector v(std::vector<double>{1, 1});
    EXPECT_EQ(a.PowershipMethod(v, 1e-12, 0), 0.0);
    EXPECT_EQ(v.ToFeatureDatas(), (std::vector<double>{1, 1}));

    // One step: y = (2, 1), m = 2, v = (1, 0.5).
    EXPECT_EQ(a.PowershipMethod(v, 1e-12, 1), 2.0);
    EXPECT_EQ(v.ToFeatureDatas(), (std::vector<double>{1, 0.5}));
    // Two more: v = (1, 0.25), then (1, 0.125).
    EXPECT_EQ(a.PowershipMethod(v, 1e-12, 2), 2.0);
    EXPECT_EQ(v.ToFeatureDatas(), (std::vector<double>{1, 0.125}));

    // A generous tolerance stops after the first step: |(1, 0.5) - (1, 1)| = 0.5 < 0.6.
    Vector u(std::vector<double>{1, 1});
    EXPECT_EQ(a.PowershipMethod(u, 0.6, 1000), 2.0);
    EXPECT_EQ(u.ToFeatureDatas(), (std::vector<double>{1, 0.5}));
    // A tolerance equal to a step's difference (0.25 at step 2) does not stop it: the
    // test is strictly greater, so the run ends after step 3.
    Vector s(std::vector<double>{1, 1});
    EXPECT_EQ(a.PowershipMethod(s, 0.25, 5), 2.0);
    EXPECT_EQ(s.ToFeatureDatas(), (std::vector<double>{1, 0.125}));
}

TEST(PowershipMethod, Failures) {
    Vector v(std::vector<double>{1, 1});
    EXPECT_THROW_MSG(Matrix(2, 2).PowershipMethod(v, 1e-12, 10),
                     "幂方法迭代过程中出现0向量，无法继续迭代");
    EXPECT_EQ(v.ToFeatureDatas(), (std::vector<double>{1, 1}));
    EXPECT_THROW_MSG(Matrix().PowershipMethod(v, 1e-12, 10), "矩阵不能为空矩阵");
    Vector three(std::vector<double>{1, 1, 1});
    EXPECT_THROW_MSG(Make(2, 2, {1, 0, 0, 1}).PowershipMethod(three, 1e-12, 10),
                     "矩阵与向量不能进行相乘");
    // A zero budget answers before the matrix or the vector is looked at.
    EXPECT_EQ(Matrix().PowershipMethod(three, 1e-12, 0), 0.0);
    EXPECT_EQ(three.ToFeatureDatas(), (std::vector<double>{1, 1, 1}));

    // Nilpotent: the first step succeeds, the second meets the zero vector; v keeps the
    // value of the completed step.
    Matrix nilpotent = Make(2, 2, {0, 1, 0, 0});
    Vector w(std::vector<double>{0, 1});
    EXPECT_THROW_MSG(nilpotent.PowershipMethod(w, 1e-12, 10),
                     "幂方法迭代过程中出现0向量，无法继续迭代");
    EXPECT_EQ(w.ToFeatureDatas(), (std::vector<double>{1, 0}));
}

TEST(EigenVector, SolvesForAnEigenvalue) {
    Matrix a = Make(2, 2, {2, 1, 1, 2});
    EXPECT_EQ(a.EigenVector(3, 1e-9).ToFeatureDatas(), (std::vector<double>{1, 1}));
    EXPECT_EQ(a.EigenVector(1, 1e-9).ToFeatureDatas(), (std::vector<double>{-1, 1}));
    ExpectSameBits(a, Make(2, 2, {2, 1, 1, 2}));

    // Two free columns: the first is set to 1, the other stays 0.
    Matrix d = Make(3, 3, {5, 0, 0, 0, 2, 0, 0, 0, 2});
    EXPECT_EQ(d.EigenVector(2, 1e-9).ToFeatureDatas(), (std::vector<double>{0, 1, 0}));

    // The zero matrix has every column free.
    EXPECT_EQ(Matrix(2, 2).EigenVector(0, 1e-9).ToFeatureDatas(),
              (std::vector<double>{1, 0}));
}

TEST(EigenVector, FailuresInOrder) {
    EXPECT_THROW_MSG(Matrix().EigenVector(1, 1e-9), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Make(2, 1, {1, 2}).EigenVector(1, 1e-9), "计算特征向量需要方阵");
    EXPECT_THROW_MSG(Make(2, 2, {2, 1, 1, 2}).EigenVector(5, 1e-9),
                     "未找到自由变量，无法构造非零特征向量（可能数值误差或矩阵不可约）");
}
