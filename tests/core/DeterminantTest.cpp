#include <cmath>
#include <map>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Arrange.h"
#include "vecmat/core/Determinant.h"
#include "vecmat/core/Matrix.h"

using pct::Arrange;
using pct::Determinant;
using pct::Matrix;
using Orderings = std::vector<std::vector<size_t>>;

namespace {

Determinant Make(size_t n, std::vector<double> values) { return Determinant(n, values.data()); }

// Elements whose products and sums round, so that the order of the terms shows in the bits.
std::vector<double> Awkward(size_t n) {
    std::vector<double> values(n * n);
    for (size_t i = 0; i < n * n; ++i) values[i] = std::sin(1.0 + 0.7 * static_cast<double>(i)) * 3.1;
    return values;
}

// The permutation expansion over every ordering Arrange::Create produces, in that order.
double ExpandOver(const Orderings& orderings, const std::vector<double>& a, size_t n) {
    double sum = 0.0;
    for (std::vector<size_t> s : orderings) {
        double p = 1.0;
        for (size_t i = 0; i < n; ++i) p *= a[i * n + s[i]];
        if (Arrange::Inversions(s) % 2 != 0) p = -p;
        sum += p;
    }
    return sum;
}

}  // namespace

TEST(Determinant, OrderZeroIsRefused) {
    EXPECT_THROW_MSG(Determinant(0), "行列式阶数必须大于0");
    double value = 1.0;
    EXPECT_THROW_MSG(Determinant(0, &value), "行列式阶数必须大于0");

    Determinant source = Make(1, {5.0});
    Determinant taken(std::move(source));
    EXPECT_EQ(source.getOrder(), 0);
    EXPECT_EQ(taken.getPoint(0, 0), 5.0);
    EXPECT_THROW_MSG(Determinant{source}, "行列式阶数必须大于0");

    // The moved-from state has no elements: no ordering to expand, every index out of range.
    EXPECT_EQ(source.getValue(), 0.0);
    EXPECT_THROW_MSG(source.getPoint(0, 0), "元素索引越界");
    EXPECT_THROW_MSG(source.Minor(0, 0), "元素索引越界");
    EXPECT_THROW_MSG(source.Cramer({}), "此方程组没有结果");
}

TEST(Determinant, AnOrderWhoseSquareWrapsAroundFailsLikeAnAllocation) {
    // (2^32)^2 wraps to 0 in a 64-bit size_t.
    const size_t wide = size_t{1} << (sizeof(size_t) * 4);
    EXPECT_THROW(Determinant{wide}, std::bad_array_new_length);
    double value = 1.0;
    EXPECT_THROW(Determinant(wide, &value), std::bad_array_new_length);
}

TEST(Determinant, AssignmentCopiesDeeplyWithoutAnOrderCheck) {
    Determinant a = Make(2, {1, 2, 3, 4});
    Determinant b(1);
    b = a;
    b.setPoint(0, 0, 9.0);
    EXPECT_EQ(a.getPoint(0, 0), 1.0);
    EXPECT_EQ(b.getOrder(), 2);

    Determinant empty = Make(1, {1.0});
    Determinant moved(std::move(empty));
    b = empty;  // copying the moved-from state is allowed by assignment
    EXPECT_EQ(b.getOrder(), 0);
    EXPECT_TRUE(b == empty);

    b = std::move(moved);
    EXPECT_EQ(b.getOrder(), 1);
    EXPECT_EQ(moved.getOrder(), 0);
}

TEST(Determinant, EqualityUsesTheAbsoluteToleranceAndTheOrder) {
    Determinant a = Make(2, {1, 2, 3, 4});
    EXPECT_TRUE(a == Make(2, {1, 2, 3, 4 + 4e-16}));
    EXPECT_FALSE(a == Make(2, {1, 2, 3, 4 + 1e-15}));
    EXPECT_FALSE(Make(1, {1.0}) == a);
    Determinant nan = Make(1, {std::nan("")});
    EXPECT_FALSE(nan == nan);
}

TEST(Determinant, PointAccessChecksBothIndices) {
    Determinant d(2);
    EXPECT_EQ(d.getPoint(1, 1), 0.0);
    d.setPoint(1, 0, 7.5);
    EXPECT_EQ(d.getPoint(1, 0), 7.5);
    EXPECT_EQ(d.getPoint(0, 1), 0.0);
    EXPECT_THROW_MSG(d.getPoint(2, 0), "元素索引越界");
    EXPECT_THROW_MSG(d.getPoint(0, 2), "元素索引越界");
    EXPECT_THROW_MSG(d.setPoint(2, 0, 1.0), "元素索引越界");
    EXPECT_THROW_MSG(d.setPoint(0, 2, 1.0), "元素索引越界");
    EXPECT_EQ(d.getPoint(1, 0), 7.5);
}

TEST(Determinant, ValuesOfSmallOrders) {
    EXPECT_EQ(Make(1, {-3.5}).getValue(), -3.5);
    EXPECT_EQ(Make(2, {1, 2, 3, 4}).getValue(), -2.0);
    EXPECT_EQ(Make(3, {1, 0, 0, 0, 1, 0, 0, 0, 1}).getValue(), 1.0);
    EXPECT_EQ(Make(3, {2, 4, 2, 1, 3, 1, 0, 2, 4}).getValue(), 8.0);
    EXPECT_EQ(Make(4, {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 5}).getValue(), 120.0);
    EXPECT_EQ(Make(4, {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 0, 1, 0, 1}).getValue(), 0.0);
    // An odd permutation matrix of order 4: rows 0 and 1 exchanged.
    EXPECT_EQ(Make(4, {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}).getValue(), -1.0);
}

TEST(Determinant, SarrusRuleGroupsItsProductsAsWritten) {
    const std::vector<double> v = Awkward(3);
    const double a00 = v[0], a01 = v[1], a02 = v[2], a10 = v[3], a11 = v[4], a12 = v[5];
    const double a20 = v[6], a21 = v[7], a22 = v[8];
    const double expected = (a02 * a10 * a21 + (a11 * a00 * a22 + a12 * a01 * a20)) -
                            (a12 * a00 * a21 + a01 * a10 * a22 + a02 * a11 * a20);
    EXPECT_EQ(Make(3, v).getValue(), expected);
}

TEST(Determinant, PermutationExpansionAddsTermsInTheOrderOfArrange) {
    for (size_t n : {4u, 5u, 6u, 7u}) {
        const std::vector<double> values = Awkward(n);
        std::vector<size_t> indices(n);
        for (size_t i = 0; i < n; ++i) indices[i] = i;
        Orderings orderings = Arrange(indices).Create();
        const double expected = ExpandOver(orderings, values, n);
        EXPECT_EQ(Make(n, values).getValue(), expected) << "order " << n;

        // The data is sensitive to the order of the terms, so the comparison above means it.
        Orderings reversed(orderings.rbegin(), orderings.rend());
        EXPECT_NE(ExpandOver(reversed, values, n), expected) << "order " << n;
    }
}

TEST(Determinant, LargerOrdersStayExact) {
    std::vector<double> diagonal(8 * 8, 0.0);
    for (size_t i = 0; i < 8; ++i) diagonal[i * 8 + i] = static_cast<double>(i + 1);
    EXPECT_EQ(Make(8, diagonal).getValue(), 40320.0);
}

TEST(Determinant, OrdersNineAndTenMatchExactIntegerElimination) {
    // Small integer elements keep every term (at most 2^n) and every partial sum (below
    // n! * 2^n < 2^53) exact, so the expansion must give the true determinant, which
    // fraction-free elimination finds in exact integers. A wrong sign or a missed or
    // repeated ordering anywhere among the n! would show.
    for (size_t n : {9u, 10u}) {
        std::mt19937 engine(20261207);  // its raw output is the same on every platform
        std::vector<double> values(n * n);
        std::vector<long long> exact(n * n);
        for (size_t i = 0; i < n * n; ++i) {
            exact[i] = static_cast<long long>(engine() % 5) - 2;  // -2 .. 2
            values[i] = static_cast<double>(exact[i]);
        }
        // Bareiss elimination with row swaps; every division is exact.
        long long sign = 1, previous = 1;
        bool singular = false;
        for (size_t k = 0; k + 1 < n && !singular; ++k) {
            size_t pivot = k;
            while (pivot < n && exact[pivot * n + k] == 0) ++pivot;
            if (pivot == n) {
                singular = true;
                break;
            }
            if (pivot != k) {
                for (size_t c = 0; c < n; ++c) std::swap(exact[k * n + c], exact[pivot * n + c]);
                sign = -sign;
            }
            for (size_t r = k + 1; r < n; ++r) {
                for (size_t c = k + 1; c < n; ++c) {
                    exact[r * n + c] =
                        (exact[r * n + c] * exact[k * n + k] - exact[r * n + k] * exact[k * n + c]) / previous;
                }
            }
            previous = exact[k * n + k];
        }
        const long long expected = singular ? 0 : sign * exact[n * n - 1];
        ASSERT_NE(expected, 0) << "order " << n;  // a matrix that exercises the signs
        EXPECT_EQ(Make(n, values).getValue(), static_cast<double>(expected)) << "order " << n;
    }
}

TEST(Determinant, MinorDeletesTheColumnFirstThenTheRow) {
    Determinant d = Make(3, {1, 2, 3, 4, 5, 6, 7, 8, 10});
    EXPECT_TRUE(d.Minor(0, 1) == Make(2, {2, 3, 8, 10}));
    EXPECT_TRUE(d.Minor(1, 0) == Make(2, {4, 6, 7, 10}));
    EXPECT_TRUE(d.Minor(2, 2) == Make(2, {1, 2, 4, 5}));
}

TEST(Determinant, MinorChecksTheOrderBeforeTheIndices) {
    EXPECT_THROW_MSG(Make(1, {3.0}).Minor(0, 0), "行列式阶数为1，不能进行计算余子式");
    EXPECT_THROW_MSG(Make(1, {3.0}).Minor(5, 5), "行列式阶数为1，不能进行计算余子式");
    Determinant d = Make(2, {1, 2, 3, 4});
    EXPECT_THROW_MSG(d.Minor(2, 0), "元素索引越界");
    EXPECT_THROW_MSG(d.Minor(0, 2), "元素索引越界");
    EXPECT_THROW_MSG(d.Algebraic(0, 2), "元素索引越界");
}

TEST(Determinant, AlgebraicSignFollowsColumnPlusRow) {
    Determinant d = Make(3, {1, 2, 3, 4, 5, 6, 7, 8, 10});
    EXPECT_EQ(d.Algebraic(0, 1), 4.0);  // -(2 * 10 - 3 * 8)
    EXPECT_EQ(d.Algebraic(0, 0), 2.0);  // 5 * 10 - 6 * 8
    // An odd position flips the sign bit, so a zero minor comes back as -0.0.
    const double flipped = Make(2, {1, 0, 0, 0}).Algebraic(0, 1);
    EXPECT_EQ(flipped, 0.0);
    EXPECT_TRUE(std::signbit(flipped));
}

TEST(Determinant, AdjugateIsTheTransposedCofactorMatrix) {
    Matrix adj = Make(2, {1, 2, 3, 4}).AdjugateMatrix();
    EXPECT_EQ(adj.GetPointValue(0, 0), 4.0);
    EXPECT_EQ(adj.GetPointValue(0, 1), -2.0);
    EXPECT_EQ(adj.GetPointValue(1, 0), -3.0);
    EXPECT_EQ(adj.GetPointValue(1, 1), 1.0);

    // adj(M) * M = det(M) * I for a matrix that is not symmetric.
    std::vector<double> values{2, 4, 2, 1, 3, 1, 0, 2, 4};
    Matrix m(3, 3, values.data());
    Matrix product = Make(3, values).AdjugateMatrix() * m;
    EXPECT_TRUE(product == Matrix::CreateIdentityMatrix(3) * 8.0);
}

TEST(Determinant, AdjugateFailures) {
    EXPECT_THROW_MSG(Make(1, {4.0}).AdjugateMatrix(), "行列式阶数为1，不能进行计算余子式");
    Determinant source = Make(2, {1, 2, 3, 4});
    Determinant taken(std::move(source));
    EXPECT_THROW_MSG(source.AdjugateMatrix(), "矩阵的行或列不能为0");
}

TEST(Determinant, CramerSolvesAndNamesTheUnknowns) {
    const std::map<std::string, double> a = Make(2, {1, 1, 1, 2}).Cramer({5, 6});
    EXPECT_EQ(a, (std::map<std::string, double>{{"x0", 4.0}, {"x1", 1.0}}));
    const std::map<std::string, double> b = Make(2, {0, 1, 1, 0}).Cramer({2, 3});
    EXPECT_EQ(b, (std::map<std::string, double>{{"x0", 3.0}, {"x1", 2.0}}));
    const std::map<std::string, double> c = Make(3, {2, 0, 0, 0, 4, 0, 0, 0, 8}).Cramer({1, 2, 4});
    EXPECT_EQ(c, (std::map<std::string, double>{{"x0", 0.5}, {"x1", 0.5}, {"x2", 0.5}}));
}

TEST(Determinant, CramerChecksTheValueBeforeTheRightHandSide) {
    Determinant singular = Make(2, {1, 2, 2, 4});
    EXPECT_THROW_MSG(singular.Cramer({1, 2}), "此方程组没有结果");
    EXPECT_THROW_MSG(singular.Cramer({1, 2, 3}), "此方程组没有结果");
    Determinant d = Make(2, {1, 1, 1, 2});
    EXPECT_THROW_MSG(d.Cramer({1, 2, 3}), "数据错误");
    EXPECT_THROW_MSG(d.Cramer({}), "数据错误");
    EXPECT_TRUE(d == Make(2, {1, 1, 1, 2}));
}

TEST(Determinant, MatrixConvertsOnlyWhenSquare) {
    std::vector<double> values{1, 2, 3, 4};
    Matrix m(2, 2, values.data());
    EXPECT_TRUE(m.ToDeterminant() == Make(2, values));
    EXPECT_TRUE(m.AdjugateMatrix() == Make(2, values).AdjugateMatrix());

    EXPECT_THROW_MSG(Matrix().ToDeterminant(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Matrix().AdjugateMatrix(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Matrix(2, 3).ToDeterminant(), "转换行列式的矩阵需要是方阵");
    EXPECT_THROW_MSG(Matrix(3, 2).AdjugateMatrix(), "转换行列式的矩阵需要是方阵");
    EXPECT_THROW_MSG(Matrix(1, 1).AdjugateMatrix(), "行列式阶数为1，不能进行计算余子式");
}
