#include <vecmat/Vecmat.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::Matrix;
using pct::Vector;
using pct::Ko::Trendfit;

namespace {

constexpr size_t kMaxSize = std::numeric_limits<size_t>::max();

Vector V(std::vector<double> values) { return Vector(values); }

std::uint64_t Bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Every coefficient equals column 0 of r to the last bit.
void ExpectSameBits(const Vector& w, const Matrix& r) {
    ASSERT_EQ(w.Size(), r.GetRowCount());
    ASSERT_EQ(r.GetColumnCount(), 1u);
    for (size_t i = 0; i < w.Size(); ++i)
        EXPECT_EQ(Bits(w[i]), Bits(r.GetPointValue(i, 0))) << "coefficient " << i;
}

void ExpectNear(const Vector& w, std::vector<double> expected) {
    ASSERT_EQ(w.Size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(w[i], expected[i], 1e-12) << i;
}

// A vector whose virtual element access reports twice the stored value.
class DoublingVector : public Vector {
public:
    using Vector::Vector;
    double GetValue(size_t i) const override { return 2.0 * Vector::GetValue(i); }
    double operator[](size_t i) const override { return 2.0 * Vector::GetValue(i); }
    using Vector::operator[];
};

}  // namespace

TEST(TrendfitExpend, BuildsPowersWithConstantColumn) {
    const Matrix x = Trendfit::Expend(V({2, 3}), 2);
    double expected[] = {1, 2, 4, 1, 3, 9};
    EXPECT_TRUE(x == Matrix(2, 3, expected));
    EXPECT_EQ(x.GetRowCount(), 2u);
    EXPECT_EQ(x.GetColumnCount(), 3u);

    // Degree 0 is a straight line, never a constant.
    const Matrix line = Trendfit::Expend(V({2, 3}), 0);
    double lineExpected[] = {1, 2, 1, 3};
    EXPECT_TRUE(line == Matrix(2, 2, lineExpected));
}

TEST(TrendfitExpend, EmptyInputGivesEmptyMatrixEvenForTheLargestDegree) {
    const Matrix e = Trendfit::Expend(Vector(), 2);
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_EQ(e.GetRowCount(), 0u);
    EXPECT_EQ(e.GetColumnCount(), 0u);
    EXPECT_TRUE(Trendfit::Expend(Vector(size_t{0}), kMaxSize).IsEmpty());
}

TEST(TrendfitExpend, ColumnCountThatWrapsOrCannotBeAllocatedFails) {
    EXPECT_THROW_MSG(Trendfit::Expend(V({1, 2}), kMaxSize), "矩阵的行或列不能为0");
    EXPECT_THROW(Trendfit::Expend(V({1, 2}), kMaxSize - 1), std::bad_alloc);
    EXPECT_THROW(Trendfit::Fit(V({1, 2}), V({1, 2}), kMaxSize / 4), std::bad_alloc);
}

TEST(TrendfitExpend, PowersComeFromPowNotRepeatedMultiplication) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> dist(-3.0, 3.0);
    std::vector<double> xs(400);
    for (double& v : xs) v = dist(gen);
    const Matrix x = Trendfit::Expend(Vector(xs), 6);
    bool multiplicationDiffers = false;
    for (size_t i = 0; i < xs.size(); ++i) {
        for (size_t p = 1; p <= 6; ++p) {
            const double expected = std::pow(xs[i], static_cast<double>(p));
            ASSERT_EQ(Bits(x.GetPointValue(i, p)), Bits(expected)) << i << "," << p;
        }
        const double cube = xs[i] * xs[i] * xs[i];
        if (cube != std::pow(xs[i], 3.0)) multiplicationDiffers = true;
    }
    // The data must be able to tell the two apart for this test to mean anything.
    EXPECT_TRUE(multiplicationDiffers);
}

TEST(TrendfitFits, SmallExamples) {
    const Vector x = V({1, 2, 3});
    const Vector y = V({2, 4, 6});
    ExpectNear(Trendfit::Fit(x, y, 1), {0, 2});
    ExpectNear(Trendfit::Fit(x, y, 0), {0, 2});
    ExpectNear(Trendfit::Ridge(x, y, 1, 1), {0.5, 1.6666666666666667});
    ExpectNear(Trendfit::Lasso(x, y, 1, 1), {-1.3333333333333333, 2.5});
    ExpectNear(Trendfit::ElasticNet(x, y, 1, 1, 1), {0.125, 1.75});
    // Without penalties the variants are least squares.
    ExpectNear(Trendfit::Ridge(x, y, 0, 1), {0, 2});
    ExpectNear(Trendfit::ElasticNet(x, y, 0, 0, 1), {0, 2});
    // A quadratic through exact data is recovered.
    ExpectNear(Trendfit::Fit(V({-1, 0, 1, 2}), V({3, 1, 3, 9}), 2), {1, 0, 2});
}

TEST(TrendfitFits, ArgumentsStayUnchanged) {
    const Vector x = V({1, 2, 3});
    const Vector y = V({2, 4, 6});
    Trendfit::ElasticNet(x, y, 1, 1, 2);
    EXPECT_EQ(Vector(x).ToFeatureDatas(), std::vector<double>({1, 2, 3}));
    EXPECT_EQ(Vector(y).ToFeatureDatas(), std::vector<double>({2, 4, 6}));
}

TEST(TrendfitFits, FailureMessagesInOrderOfChecks) {
    const Vector x = V({1, 2, 3});
    // Singular normal matrix.
    EXPECT_THROW_MSG(Trendfit::Fit(V({2}), V({5}), 1), "矩阵不可逆");
    EXPECT_THROW_MSG(Trendfit::Lasso(V({2}), V({5}), 1, 1), "矩阵不可逆");
    // Empty y, tested before an empty x.
    for (const Vector& xs : {x, Vector()}) {
        EXPECT_THROW_MSG(Trendfit::Fit(xs, Vector(), 1), "此矩阵为空矩阵");
        EXPECT_THROW_MSG(Trendfit::Ridge(xs, Vector(), 1, 1), "此矩阵为空矩阵");
        EXPECT_THROW_MSG(Trendfit::Lasso(xs, Vector(), 1, 1), "此矩阵为空矩阵");
        EXPECT_THROW_MSG(Trendfit::ElasticNet(xs, Vector(size_t{0}), 1, 1, 1), "此矩阵为空矩阵");
    }
    // Empty x: the column of ones of the lasso-like fits fails before the emptiness test.
    EXPECT_THROW_MSG(Trendfit::Fit(Vector(), V({1}), 1), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Trendfit::Ridge(Vector(), V({1}), 1, 1), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Trendfit::Lasso(Vector(), V({1}), 1, 1), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Trendfit::ElasticNet(Vector(), V({1}), 1, 1, 1), "矩阵的行或列不能为0");
    // The largest degree fails in the design matrix, before y is looked at.
    EXPECT_THROW_MSG(Trendfit::Fit(x, Vector(), kMaxSize), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Trendfit::Lasso(x, Vector(), 1, kMaxSize), "矩阵的行或列不能为0");
    // ... unless x is empty, whose design matrix is empty whatever the degree.
    EXPECT_THROW_MSG(Trendfit::Fit(Vector(), Vector(), kMaxSize), "此矩阵为空矩阵");
    // Lengths differ.
    EXPECT_THROW_MSG(Trendfit::Fit(x, V({1, 2}), 1), "两个矩阵不能进行相乘");
    EXPECT_THROW_MSG(Trendfit::Ridge(x, V({1, 2, 3, 4}), 1, 1), "两个矩阵不能进行相乘");
    EXPECT_THROW_MSG(Trendfit::Lasso(x, V({1, 2}), 1, 1), "两个矩阵不能进行相乘");
    EXPECT_THROW_MSG(Trendfit::ElasticNet(x, V({1, 2}), 1, 1, 1), "两个矩阵不能进行相乘");
    // Singular and mismatched: least squares and ridge invert first, the lasso-like fits
    // compare the lengths first.
    EXPECT_THROW_MSG(Trendfit::Fit(V({2}), V({5, 6}), 1), "矩阵不可逆");
    EXPECT_THROW_MSG(Trendfit::Ridge(V({2}), V({5, 6}), 0, 1), "矩阵不可逆");
    EXPECT_THROW_MSG(Trendfit::Lasso(V({2}), V({5, 6}), 1, 1), "两个矩阵不能进行相乘");
    EXPECT_THROW_MSG(Trendfit::ElasticNet(V({2}), V({5, 6}), 1, 0, 1), "两个矩阵不能进行相乘");
}

TEST(TrendfitFits, ReadXThroughVirtualAccessAndYFromStorage) {
    const DoublingVector x(std::vector<double>{1, 2, 3});
    const DoublingVector y(std::vector<double>{2, 4, 6});
    // x reads as {2, 4, 6}; y as stored, {2, 4, 6}: the line y = x.
    ExpectNear(Trendfit::Fit(x, y, 1), {0, 1});
    ExpectNear(Trendfit::Lasso(x, y, 0, 1), {0, 1});
    EXPECT_EQ(Trendfit::Expend(x, 1).GetPointValue(2, 1), 6.0);
}

// The fits never form X^T or (X^T X)^-1 X^T, yet must give the bits of the products
// grouped as written, computed here with the public matrix operations.
class TrendfitLiteralGrouping : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override {
        std::mt19937 gen(20240601u + static_cast<unsigned>(GetParam()));
        std::uniform_real_distribution<double> ux(-2.5, 3.0);
        std::normal_distribution<double> noise(0.0, 0.3);
        const size_t m = 257;
        std::vector<double> xs(m), ys(m);
        for (size_t i = 0; i < m; ++i) {
            xs[i] = ux(gen);
            ys[i] = std::sin(xs[i]) + 0.1 * xs[i] * xs[i] + noise(gen);
        }
        x = Vector(xs);
        y = Vector(ys);
        X = Trendfit::Expend(x, GetParam());
        Xt = X.Transpose();
        Y = Matrix(1, m, ys.data()).Transpose();
        N = Xt * X;
        c = X.GetColumnCount();
    }

    Vector x, y;
    Matrix X, Xt, Y, N;
    size_t c = 0;
};

TEST_P(TrendfitLiteralGrouping, Fit) {
    const Matrix r = (N.InverseMatrixEx() * Xt) * Y;
    ExpectSameBits(Trendfit::Fit(x, y, GetParam()), r);
}

TEST_P(TrendfitLiteralGrouping, Ridge) {
    for (double lambda : {0.75, -0.125, 0.0}) {
        const Matrix a = N + lambda * Matrix::CreateIdentityMatrix(c);
        const Matrix r = (a.InverseMatrixEx() * Xt) * Y;
        ExpectSameBits(Trendfit::Ridge(x, y, lambda, GetParam()), r);
    }
}

TEST_P(TrendfitLiteralGrouping, Lasso) {
    for (double lambda : {0.75, -2.0}) {
        const Matrix d = Xt * Y - lambda * Matrix::CreateMatrixI(c, 1);
        const Matrix r = N.InverseMatrixEx() * d;
        ExpectSameBits(Trendfit::Lasso(x, y, lambda, GetParam()), r);
    }
}

TEST_P(TrendfitLiteralGrouping, ElasticNet) {
    const double l1 = 0.3, l2 = 1.7;
    const Matrix d = Xt * Y - l1 * Matrix::CreateMatrixI(c, 1);
    const Matrix a = N + l2 * Matrix::CreateIdentityMatrix(c);
    const Matrix r = a.InverseMatrixEx() * d;
    ExpectSameBits(Trendfit::ElasticNet(x, y, l1, l2, GetParam()), r);
}

// Up to degree 7 the column count is fixed at compile time; degree 9 takes the general loop.
INSTANTIATE_TEST_SUITE_P(Degrees, TrendfitLiteralGrouping, ::testing::Values(0, 1, 2, 3, 5, 7, 9));

TEST(TrendfitComputTarge, ArrayFormAscendingAndReversed) {
    const double w[] = {1, 2, 3};
    EXPECT_EQ(Trendfit::ComputTarge(w, 3, 2.0, false), 17.0);
    EXPECT_EQ(Trendfit::ComputTarge(w, 3, 2.0, true), 11.0);
    EXPECT_EQ(Trendfit::ComputTarge(w, 0, 2.0, false), 0.0);
    EXPECT_EQ(Trendfit::ComputTarge(w, 1, 2.0, true), 1.0);
    // No coefficients: a negative count or a missing array.
    EXPECT_EQ(Trendfit::ComputTarge(w, -3, 2.0, false), 0.0);
    EXPECT_EQ(Trendfit::ComputTarge(nullptr, 3, 2.0, true), 0.0);
}

TEST(TrendfitComputTarge, VectorForm) {
    EXPECT_EQ(Trendfit::ComputTarge(V({1, 2, 3}), 2.0), 17.0);
    EXPECT_EQ(Trendfit::ComputTarge(Vector(), 2.0), 0.0);
    EXPECT_EQ(Trendfit::ComputTarge(Vector(size_t{0}), 2.0), 0.0);
    EXPECT_EQ(Trendfit::ComputTarge(V({4}), std::nan("")), 4.0);  // pow(x, 0) is 1
}

TEST(TrendfitComputTarge, AddsTheConstantTermFirstInBothOrders) {
    // 1 + 2^53 rounds back to 2^53, so adding the constant first gives 0; any other order
    // gives 1.
    const double big = 9007199254740992.0;
    const double ascending[] = {1, big, -big};
    const double descending[] = {-big, big, 1};
    EXPECT_EQ(Trendfit::ComputTarge(ascending, 3, 1.0, false), 0.0);
    EXPECT_EQ(Trendfit::ComputTarge(descending, 3, 1.0, true), 0.0);
    EXPECT_EQ(Trendfit::ComputTarge(V({1, big, -big}), 1.0), 0.0);
}

TEST(TrendfitComputErr, MeanOfSquaredResiduals) {
    EXPECT_EQ(Trendfit::ComputErr({1, 2}, {2, 5}, {0, 2}, false), 0.5);
    EXPECT_EQ(Trendfit::ComputErr({1, 2}, {2, 5}, {2, 0}, true), 0.5);
    // Extra ordinates are ignored.
    EXPECT_EQ(Trendfit::ComputErr({1, 2}, {2, 5, 100}, {0, 2}, false), 0.5);
    EXPECT_EQ(Trendfit::ComputErr({1, 2, 3}, {1, 2, 4}, {}, false), 7.0);
}

TEST(TrendfitComputErr, NoScoreWithoutPoints) {
    // The very not-a-number of dividing 0.0 by 0.0 at run time (its sign shows in print).
    volatile double zero = 0.0;
    const double quotient = zero / zero;
    for (const double err : {Trendfit::ComputErr({}, {}, {0, 2}, false),
                             Trendfit::ComputErr({}, {1}, {0, 2}, true)}) {
        EXPECT_TRUE(std::isnan(err));
        EXPECT_EQ(std::signbit(err), std::signbit(quotient));
    }
    // Fewer ordinates than abscissas: nothing is read past ys and no score is given.
    EXPECT_TRUE(std::isnan(Trendfit::ComputErr({1, 2, 3}, {2, 5}, {0, 2}, false)));
}

TEST(TrendfitClass, AssignmentChangesNothing) {
    Trendfit a;
    Trendfit b;
    EXPECT_EQ(&(a = b), &a);
    EXPECT_EQ(&(a = Trendfit()), &a);
}
