#include <cmath>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Matrix.h"

using pct::Matrix;

namespace {

Matrix Make(size_t rows, size_t columns, std::vector<double> values) {
    return Matrix(rows, columns, values.data());
}

// Every element compared with ==, so any difference in the last bit fails.
void ExpectExactly(const Matrix& m, size_t rows, size_t columns, const std::vector<double>& expected) {
    ASSERT_EQ(m.GetRowCount(), rows);
    ASSERT_EQ(m.GetColumnCount(), columns);
    for (size_t r = 0; r < rows; ++r) {
        for (size_t c = 0; c < columns; ++c) {
            EXPECT_EQ(m.GetPointValue(r, c), expected[r * columns + c]) << "at (" << r << ", " << c << ")";
        }
    }
}

}  // namespace

TEST(Echelon, PrefersALeadingOneAndRescalesClearedRows) {
    Matrix m = Make(2, 2, {2, 4, 1, 3});
    m.ToRowEchelonMatrix();
    // Row [1, 3] is the pivot row; [2, 4] becomes [2/2 - 1, 4/2 - 3] = [0, -1], then / -1.
    ExpectExactly(m, 2, 2, {1, 3, 0, 1});
    m.TransformationRowSimplest();
    ExpectExactly(m, 2, 2, {1, 0, 0, 1});
}

TEST(Echelon, ZeroColumnsArePassedOver) {
    Matrix m = Make(2, 2, {0, 1, 0, 2});
    m.ToRowEchelonMatrix();
    ExpectExactly(m, 2, 2, {0, 1, 0, 0});

    // The pivot of row 0 lies in column 1 (row 2 is swapped up); the pivot of row 1 is
    // searched from column 1 again and found in column 2, where the row holding 1 wins.
    Matrix n = Make(3, 3, {0, 0, 1, 0, 0, 2, 0, 3, 4});
    n.ToRowEchelonMatrix();
    ExpectExactly(n, 3, 3, {0, 1, 4.0 / 3.0, 0, 0, 1, 0, 0, 0});
    n.TransformationRowSimplest();
    ExpectExactly(n, 3, 3, {0, 1, 0, 0, 0, 1, 0, 0, 0});
}

TEST(Echelon, PivotRowIsNormalisedOnlyFromThePivotColumn) {
    // Row 1 keeps 0.0 left of its pivot: 0 / -1 would have made it -0.0.
    Matrix m = Make(2, 3, {1, 2, 3, 2, 3, 5});
    m.ToRowEchelonMatrix();
    ExpectExactly(m, 2, 3, {1, 2, 3, 0, 1, 1});
    EXPECT_FALSE(std::signbit(m.GetPointValue(1, 0)));
}

TEST(Echelon, TinyElementsAreExactPivotsButFuzzyZeros) {
    Matrix exact = Make(2, 2, {1e-12, 1, 1e-13, 2});
    exact.ToRowEchelonMatrix();
    ExpectExactly(exact, 2, 2, {1, 1 / 1e-12, 0, 1});

    Matrix fuzzy = Make(2, 2, {1e-12, 1, 1e-13, 2});
    fuzzy.ToRowEchelonMatrixFuzzy(1e-9);
    ExpectExactly(fuzzy, 2, 2, {0, 1, 0, 0});
}

TEST(Echelon, FuzzyFormsStoreClearedRemaindersAsZero) {
    // After the first step row 1 holds a remainder of about 5e-13 in column 2.
    const std::vector<double> values{1, 2, 3, 2, 4, 6 + 1e-12};
    Matrix exact = Make(2, 3, values);
    exact.TransformationRowSimplest();
    ExpectExactly(exact, 2, 3, {1, 2, 0, 0, 0, 1});

    Matrix fuzzy = Make(2, 3, values);
    fuzzy.TransformationRowSimplestFuzzy(1e-9);
    ExpectExactly(fuzzy, 2, 3, {1, 2, 3, 0, 0, 0});

    // A small leading element below the pivot is set to 0.0, the rest of its row kept.
    Matrix below = Make(2, 2, {1, 5, 1e-12, 7});
    below.ToRowEchelonMatrixFuzzy(1e-9);
    ExpectExactly(below, 2, 2, {1, 5, 0, 1});
}

TEST(Echelon, MatricesWithoutElementsAreLeftAlone) {
    Matrix empty;
    empty.ToRowEchelonMatrix();
    empty.ToRowEchelonMatrixFuzzy(0.5);
    empty.TransformationRowSimplest();
    empty.TransformationRowSimplestFuzzy(0.5);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.RankEx(), 0);
    EXPECT_EQ(empty.Rank(), 0);
}

TEST(Rank, ExaminesEveryMinor) {
    // No pair of adjacent rows gives a non-zero 2 x 2 minor, rows 0 and 2 do.
    Matrix rows = Make(3, 2, {1, 0, 0, 0, 0, 1});
    EXPECT_EQ(rows.Rank(), 2);
    EXPECT_EQ(rows.RankEx(), 2);
    // The same with columns 0 and 2.
    Matrix columns = Make(2, 3, {1, 0, 0, 0, 0, 1});
    EXPECT_EQ(columns.Rank(), 2);
    EXPECT_EQ(columns.RankEx(), 2);
    ExpectExactly(rows, 3, 2, {1, 0, 0, 0, 0, 1});
    // Only rows 0 and 2 together with columns 0 and 2 give a non-zero 2 x 2 minor.
    EXPECT_EQ(Make(3, 3, {1, 0, 0, 0, 0, 0, 0, 0, 1}).Rank(), 2);
}

TEST(Rank, CommonShapes) {
    EXPECT_EQ(Matrix::CreateIdentityMatrix(2).Rank(), 2);
    EXPECT_EQ(Matrix(3, 3).Rank(), 0);
    EXPECT_EQ(Matrix(3, 3).RankEx(), 0);
    EXPECT_EQ(Make(2, 2, {1, 2, 2, 4}).Rank(), 1);
    EXPECT_EQ(Make(2, 2, {1, 2, 2, 4}).RankEx(), 1);
    EXPECT_EQ(Make(1, 1, {1e-17}).Rank(), 0);
    EXPECT_EQ(Make(1, 1, {1e-15}).Rank(), 1);

    // Order 5 goes through the permutation expansion: a full-rank matrix and one whose
    // last row is the sum of the first two.
    std::vector<double> full(25, 0.0);
    for (size_t i = 0; i < 5; ++i) {
        full[i * 5 + i] = 2.0;
        full[i * 5 + (i + 1) % 5] = 1.0;
    }
    EXPECT_EQ(Make(5, 5, full).Rank(), 5);
    EXPECT_EQ(Make(5, 5, full).RankEx(), 5);
    std::vector<double> deficient(full);
    for (size_t c = 0; c < 5; ++c) deficient[20 + c] = full[c] + full[5 + c];
    EXPECT_EQ(Make(5, 5, deficient).Rank(), 4);
    EXPECT_EQ(Make(5, 5, deficient).RankEx(), 4);
}

TEST(Inverse, ByAdjugate) {
    Matrix swap = Make(2, 2, {0, 1, 1, 0});
    ExpectExactly(swap.InverseMatrix(), 2, 2, {0, 1, 1, 0});
    // Determinant 8: the adjugate times 1 / 8.
    Matrix m = Make(3, 3, {2, 4, 2, 1, 3, 1, 0, 2, 4});
    ExpectExactly(m.InverseMatrix(), 3, 3, {1.25, -1.5, -0.25, -0.5, 1, 0, 0.25, -0.5, 0.25});
    ExpectExactly(m, 3, 3, {2, 4, 2, 1, 3, 1, 0, 2, 4});
}

TEST(Inverse, ByAdjugateFailures) {
    EXPECT_THROW_MSG(Matrix().InverseMatrix(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Matrix(2, 3).InverseMatrix(), "逆矩阵需要对方阵进行计算");
    Matrix singular = Make(2, 2, {1, 2, 2, 4});
    EXPECT_THROW_MSG(singular.InverseMatrix(), "方阵的行列式值为0，无解");
    ExpectExactly(singular, 2, 2, {1, 2, 2, 4});
    // The adjugate of order 1 has no minors.
    EXPECT_THROW_MSG(Make(1, 1, {4}).InverseMatrix(), "行列式阶数为1，不能进行计算余子式");
    EXPECT_THROW_MSG(Make(1, 1, {0}).InverseMatrix(), "方阵的行列式值为0，无解");
}

TEST(Inverse, GaussJordanOfAThreeByThreeMatrix) {
    // By hand: [M | I]; the row holding 1 in column 0 is swapped up; row [2, 4, 2 | 1, 0, 0]
    // becomes [0, -1, 0 | 0.5, -1, 0] and is divided by -1; row [0, 2, 4 | 0, 0, 1] becomes
    // [0, 0, 2 | 0.5, -1, 0.5], divided by 2; back elimination clears columns 2 and 1.
    Matrix m = Make(3, 3, {2, 4, 2, 1, 3, 1, 0, 2, 4});
    Matrix inverse = m.InverseMatrixEx();
    ExpectExactly(inverse, 3, 3, {1.25, -1.5, -0.25, -0.5, 1, 0, 0.25, -0.5, 0.25});
    EXPECT_FALSE(std::signbit(inverse.GetPointValue(1, 2)));
    ExpectExactly(m, 3, 3, {2, 4, 2, 1, 3, 1, 0, 2, 4});
}

TEST(Inverse, GaussJordanKeepsTheRoundingOfRescaledRows) {
    // [2, 2 | 1, 0] is normalised to [1, 1 | 0.5, 0]; [3, 2 | 0, 1] becomes
    // [0, 2/3 - 1 | -0.5, 1/3], which is divided by v = 2/3 - 1; back elimination.
    const double v = 2.0 / 3.0 - 1.0;
    const double third = 1.0 / 3.0;
    Matrix inverse = Make(2, 2, {2, 2, 3, 2}).InverseMatrixEx();
    ExpectExactly(inverse, 2, 2, {0.5 - (-0.5 / v), 0.0 - third / v, -0.5 / v, third / v});
    // Plain subtraction without rescaling would have given the exact [[-1, 1], [1.5, -1]].
    EXPECT_NE(inverse.GetPointValue(0, 0), -1.0);
}

TEST(Inverse, GaussJordanSmallAndFailingCases) {
    ExpectExactly(Make(1, 1, {4}).InverseMatrixEx(), 1, 1, {0.25});
    ExpectExactly(Make(1, 1, {-3}).InverseMatrixEx(), 1, 1, {1.0 / -3.0});
    EXPECT_THROW_MSG(Make(1, 1, {0}).InverseMatrixEx(), "逆矩阵不存在");
    EXPECT_THROW_MSG(Make(1, 1, {2.220446049250313e-16}).InverseMatrixEx(), "逆矩阵不存在");
    Matrix singular = Make(2, 2, {1, 2, 2, 4});
    EXPECT_THROW_MSG(singular.InverseMatrixEx(), "矩阵不可逆");
    ExpectExactly(singular, 2, 2, {1, 2, 2, 4});
    EXPECT_THROW_MSG(Matrix(3, 3).InverseMatrixEx(), "矩阵不可逆");
    EXPECT_THROW_MSG(Matrix(2, 3).InverseMatrixEx(), "逆矩阵需要对方阵进行计算");
    EXPECT_THROW_MSG(Matrix().InverseMatrixEx(), "此矩阵为空矩阵");
}

TEST(UpperTriangular, LooksOnlyBelowTheDiagonal) {
    EXPECT_TRUE(Make(2, 2, {1, 2, 0, 3}).IsUpperT(0));
    EXPECT_FALSE(Make(2, 2, {1, 2, 1e-20, 3}).IsUpperT(0));
    EXPECT_TRUE(Make(2, 2, {1, 2, 1e-20, 3}).IsUpperT(1e-10));
    EXPECT_TRUE(Make(2, 2, {std::nan(""), std::nan(""), -1e-11, 3}).IsUpperT(1e-10));
    EXPECT_FALSE(Make(2, 2, {1, 2, std::nan(""), 3}).IsUpperT(1e-10));
    EXPECT_THROW_MSG(Matrix().IsUpperT(0), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Matrix(2, 3).IsUpperT(0), "非方阵不能进行幂运算");
}

TEST(Power, RepeatedProducts) {
    Matrix m = Make(2, 2, {1, 1, 0, 1});
    ExpectExactly(m.Power(3), 2, 2, {1, 3, 0, 1});
    ExpectExactly(m.Power(1), 2, 2, {1, 1, 0, 1});
    ExpectExactly(Make(2, 2, {0, 1, 1, 1}).Power(5), 2, 2, {3, 5, 5, 8});
}

TEST(Power, FailuresInOrder) {
    EXPECT_THROW_MSG(Matrix().Power(0), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Matrix(2, 3).Power(0), "非方阵不能进行幂运算");
    Matrix m = Make(2, 2, {1, 1, 0, 1});
    EXPECT_THROW_MSG(m.Power(0), "指数需要是正整数");
    ExpectExactly(m, 2, 2, {1, 1, 0, 1});
}
