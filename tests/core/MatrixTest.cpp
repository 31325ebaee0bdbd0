#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Matrix.h"

using pct::IMatrixFeature;
using pct::Matrix;
using pct::Vector;

namespace {

Matrix Make(size_t rows, size_t columns, std::vector<double> values) {
    return Matrix(rows, columns, values.data());
}

std::vector<double> Elements(const Matrix& m) {
    std::vector<double> out;
    for (size_t r = 0; r < m.GetRowCount(); ++r) {
        for (size_t c = 0; c < m.GetColumnCount(); ++c) out.push_back(m.GetPointValue(r, c));
    }
    return out;
}

// Shape and every element compared with ==.
void ExpectMatrix(const Matrix& m, size_t rows, size_t columns, const std::vector<double>& expected) {
    ASSERT_EQ(m.GetRowCount(), rows);
    ASSERT_EQ(m.GetColumnCount(), columns);
    EXPECT_EQ(Elements(m), expected);
}

void ExpectVector(const Vector& v, const std::vector<double>& expected) {
    ASSERT_EQ(v.Size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(v[i], expected[i]) << "at " << i;
}

std::string PrintOf(const Matrix& m) {
    testing::internal::CaptureStdout();
    m.Print();
    return testing::internal::GetCapturedStdout();
}

std::uint64_t Bits(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// A vector whose virtual GetValue reports ten times the stored value.
class ScaledVector : public Vector {
public:
    using Vector::Vector;
    double GetValue(size_t i) const override { return Vector::GetValue(i) * 10.0; }
};

constexpr double kEps = 2.220446049250313e-16;

}  // namespace

TEST(MatrixStorage, ConstructionNeedsRowsAndColumns) {
    EXPECT_THROW_MSG(Matrix(0, 3), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Matrix(3, 0), "矩阵的行或列不能为0");
    const double values[] = {1.0};
    EXPECT_THROW_MSG(Matrix(0, 1, values), "矩阵的行或列不能为0");
    ExpectMatrix(Matrix(2, 3), 2, 3, {0, 0, 0, 0, 0, 0});
    ExpectMatrix(Make(2, 2, {1, 2, 3, 4}), 2, 2, {1, 2, 3, 4});
}

TEST(MatrixStorage, ElementCountsThatWrapAroundFailLikeAnAllocation) {
    // rows * columns = 2^64 would wrap to 0 and leave a zero-length array behind a shape
    // that claims elements.
    const size_t half = std::numeric_limits<size_t>::max() / 2 + 1;
    EXPECT_THROW(Matrix(half, 2), std::bad_array_new_length);
    EXPECT_THROW(Matrix(2, half), std::bad_array_new_length);
    const double value = 1.0;
    EXPECT_THROW(Matrix(half, 2, &value), std::bad_array_new_length);
}

TEST(MatrixStorage, EmptyStatesAndCopies) {
    const Matrix none;
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.GetRowCount(), 0u);
    EXPECT_EQ(none.GetColumnCount(), 0u);
    // A copy of a matrix without elements is still empty: the shape is tested first.
    const Matrix copy(none);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_TRUE(copy == none);
    EXPECT_FALSE(Matrix(1, 1).IsEmpty());
}

TEST(MatrixStorage, CopiesAreDeepAndMovesEmptyTheSource) {
    Matrix a = Make(1, 2, {1, 2});
    Matrix copy(a);
    copy.SetPointValue(0, 0, 9);
    ExpectMatrix(a, 1, 2, {1, 2});

    Matrix assigned = Make(3, 1, {7, 8, 9});
    assigned = a;
    a.SetPointValue(0, 1, 5);
    ExpectMatrix(assigned, 1, 2, {1, 2});

    Matrix moved(std::move(a));
    ExpectMatrix(moved, 1, 2, {1, 5});
    EXPECT_TRUE(a.IsEmpty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(a.GetRowCount(), 0u);
    EXPECT_EQ(a.GetColumnCount(), 0u);

    assigned = std::move(moved);
    ExpectMatrix(assigned, 1, 2, {1, 5});
    EXPECT_TRUE(moved.IsEmpty());  // NOLINT(bugprone-use-after-move)

    Matrix& alias = assigned;
    assigned = alias;
    assigned = std::move(alias);
    ExpectMatrix(assigned, 1, 2, {1, 5});
}

TEST(MatrixStorage, EqualityToleranceAndShapes) {
    const Matrix a = Make(2, 2, {1, 2, 3, 4});
    EXPECT_TRUE(a == a);
    EXPECT_TRUE(a == Make(2, 2, {1, 2, 3, 4 + 1e-16}));
    EXPECT_FALSE(a == Make(2, 2, {1, 2, 3, 4 + 1e-15}));
    EXPECT_FALSE(Matrix(2, 3) == Matrix(3, 2));
    EXPECT_FALSE(Matrix() == Matrix(1, 1));
    EXPECT_TRUE(Matrix() == Matrix());
    const Matrix nan = Make(1, 1, {NAN});
    EXPECT_TRUE(nan == nan);  // the same object
    EXPECT_FALSE(nan == Make(1, 1, {NAN}));
}

TEST(MatrixStorage, CopyOverwritesInPlace) {
    Matrix m(2, 2);
    const double values[] = {1, 2, 3, 4};
    m.Copy(values);
    ExpectMatrix(m, 2, 2, {1, 2, 3, 4});
    Matrix none;
    none.Copy(nullptr);  // no elements: nothing is read
    EXPECT_TRUE(none.IsEmpty());
}

TEST(MatrixAccess, PointAccessChecksBothIndices) {
    Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(m.GetPointValue(1, 2), 6.0);
    m.SetPointValue(1, 0, -4);
    EXPECT_EQ(m.GetPointValue(1, 0), -4.0);
    EXPECT_THROW_MSG(m.GetPointValue(2, 0), "矩阵索引越界");
    EXPECT_THROW_MSG(m.GetPointValue(0, 3), "矩阵索引越界");
    EXPECT_THROW_MSG(m.SetPointValue(2, 0, 1), "矩阵索引越界");
    EXPECT_THROW_MSG(m.SetPointValue(0, 3, 1), "矩阵索引越界");
    EXPECT_THROW_MSG(Matrix().GetPointValue(0, 0), "矩阵索引越界");
    ExpectMatrix(m, 2, 3, {1, 2, 3, -4, 5, 6});
    // Data reads the same elements row after row.
    EXPECT_EQ(std::vector<double>(m.Data(), m.Data() + 6), (std::vector<double>{1, 2, 3, -4, 5, 6}));
    EXPECT_EQ(Matrix().Data(), nullptr);
}

TEST(MatrixShape, TestsOfAnEmptyMatrixFail) {
    const Matrix none;
    EXPECT_THROW_MSG(none.IsZero(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(none.IsSquare(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(none.IsSymmetric(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(none.Transpose(), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Matrix(none).IsSquare(), "此矩阵为空矩阵");
}

TEST(MatrixShape, IsZeroTakesAbsoluteValues) {
    EXPECT_FALSE(Make(2, 2, {-1, -1, -1, -1}).IsZero());
    EXPECT_FALSE(Make(1, 2, {0, 1e-15}).IsZero());
    EXPECT_FALSE(Make(1, 1, {-1e-15}).IsZero());
    EXPECT_TRUE(Make(1, 3, {kEps, -kEps, -0.0}).IsZero());
    EXPECT_FALSE(Make(1, 1, {NAN}).IsZero());
}

TEST(MatrixShape, SquareAndSymmetric) {
    EXPECT_TRUE(Matrix(2, 2).IsSquare());
    EXPECT_FALSE(Matrix(2, 3).IsSquare());
    EXPECT_FALSE(Matrix(2, 3).IsSymmetric());
    EXPECT_TRUE(Make(2, 2, {1, 5, 5, 2}).IsSymmetric());
    EXPECT_FALSE(Make(2, 2, {1, 0, 1e-17, 2}).IsSymmetric());  // exact, no tolerance
    EXPECT_FALSE(Make(2, 2, {1, NAN, NAN, 2}).IsSymmetric());
    EXPECT_TRUE(Make(2, 2, {NAN, 3, 3, NAN}).IsSymmetric());  // the diagonal is not compared
}

TEST(MatrixRows, TransposeAndRowColumnVectors) {
    const Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    ExpectMatrix(m.Transpose(), 3, 2, {1, 4, 2, 5, 3, 6});
    ExpectVector(m.GetRowVector(1), {4, 5, 6});
    ExpectVector(m.GetColVector(2), {3, 6});
    EXPECT_THROW_MSG(m.GetRowVector(2), "行标越限");
    EXPECT_THROW_MSG(m.GetColVector(3), "列标越限");
    EXPECT_THROW_MSG(Matrix().GetRowVector(0), "行标越限");
    EXPECT_THROW_MSG(Matrix().GetColVector(0), "列标越限");
}

TEST(MatrixRows, InsertRowVector) {
    const Matrix m = Make(2, 2, {1, 2, 3, 4});
    const Vector v(std::vector<double>{7, 8});
    ExpectMatrix(m.InsertRowVector(0, v), 3, 2, {7, 8, 1, 2, 3, 4});
    ExpectMatrix(m.InsertRowVector(1, v), 3, 2, {1, 2, 7, 8, 3, 4});
    ExpectMatrix(m.InsertRowVector(2, v), 3, 2, {1, 2, 3, 4, 7, 8});
    ExpectMatrix(m, 2, 2, {1, 2, 3, 4});

    // Position first, then the vector's size, then the empty matrix.
    EXPECT_THROW_MSG(m.InsertRowVector(3, Vector(size_t{5})), "向量插入位置越限");
    EXPECT_THROW_MSG(m.InsertRowVector(1, Vector(size_t{3})), "插入的向量纬度与矩阵不匹配");
    EXPECT_THROW_MSG(Matrix().InsertRowVector(0, Vector()), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Matrix().InsertRowVector(1, Vector()), "向量插入位置越限");
}

TEST(MatrixRows, InsertColVector) {
    const Matrix m = Make(2, 2, {1, 2, 3, 4});
    const Vector v(std::vector<double>{7, 8});
    ExpectMatrix(m.InsertColVector(0, v), 2, 3, {7, 1, 2, 8, 3, 4});
    ExpectMatrix(m.InsertColVector(1, v), 2, 3, {1, 7, 2, 3, 8, 4});
    ExpectMatrix(m.InsertColVector(2, v), 2, 3, {1, 2, 7, 3, 4, 8});
    ExpectMatrix(m, 2, 2, {1, 2, 3, 4});
    // The inserted elements are read through the vector's virtual access.
    ExpectMatrix(m.InsertColVector(2, ScaledVector(std::vector<double>{1, 2})), 2, 3, {1, 2, 10, 3, 4, 20});

    EXPECT_THROW_MSG(m.InsertColVector(3, Vector(size_t{5})), "向量插入位置越限");
    EXPECT_THROW_MSG(m.InsertColVector(1, Vector(size_t{3})), "插入的向量纬度与矩阵不匹配");
    EXPECT_THROW_MSG(Matrix().InsertColVector(0, Vector()), "矩阵的行或列不能为0");
}

TEST(MatrixRows, DeleteRows) {
    const Matrix m = Make(4, 2, {0, 0, 1, 1, 2, 2, 3, 3});
    EXPECT_TRUE(m.DeleteRows({}) == m);
    ExpectMatrix(m.DeleteRows({2, 0}), 2, 2, {1, 1, 3, 3});
    // An index beyond the matrix matches nothing: the result comes from the first rows kept.
    ExpectMatrix(m.DeleteRows({1, 9}), 2, 2, {0, 0, 2, 2});
    // A repeated index skips its row once.
    ExpectMatrix(m.DeleteRows({1, 1}), 2, 2, {0, 0, 2, 2});
    ExpectMatrix(m, 4, 2, {0, 0, 1, 1, 2, 2, 3, 3});

    EXPECT_THROW_MSG(m.DeleteRows({0, 1, 2, 3}), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(m.DeleteRows({0, 0, 0, 0}), "矩阵的行或列不能为0");
    // A list longer than the row count leaves no rows either.
    EXPECT_THROW_MSG(m.DeleteRows({0, 1, 2, 3, 4}), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Matrix().DeleteRows({0}), "矩阵的行或列不能为0");
    EXPECT_TRUE(Matrix().DeleteRows({}).IsEmpty());
}

TEST(MatrixRows, DeleteColumns) {
    const Matrix m = Make(2, 4, {0, 1, 2, 3, 10, 11, 12, 13});
    EXPECT_TRUE(m.DeleteColumns({}) == m);
    ExpectMatrix(m.DeleteColumns({3, 1}), 2, 2, {0, 2, 10, 12});
    ExpectMatrix(m.DeleteColumns({1, 9}), 2, 2, {0, 2, 10, 12});
    ExpectMatrix(m.DeleteColumns({0, 0, 0}), 2, 1, {1, 11});
    ExpectMatrix(m, 2, 4, {0, 1, 2, 3, 10, 11, 12, 13});

    EXPECT_THROW_MSG(m.DeleteColumns({0, 1, 2, 3}), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(m.DeleteColumns({0, 1, 2, 3, 4}), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Matrix().DeleteColumns({0}), "矩阵的行或列不能为0");
}

TEST(MatrixRows, GetZoneTakesTheColumnFirst) {
    const Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    ExpectMatrix(m.GetZone(1, 0, 2, 2), 2, 2, {2, 3, 5, 6});
    ExpectMatrix(m.GetZone(0, 1, 3, 1), 1, 3, {4, 5, 6});
    ExpectMatrix(m.GetZone(2, 1, 1, 1), 1, 1, {6});
    EXPECT_THROW_MSG(m.GetZone(2, 0, 2, 2), "区域越界");
    EXPECT_THROW_MSG(m.GetZone(0, 1, 1, 2), "区域越界");
    // The bounds come before the zero count.
    EXPECT_THROW_MSG(m.GetZone(3, 0, 1, 0), "区域越界");
    EXPECT_THROW_MSG(m.GetZone(3, 0, 0, 1), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(m.GetZone(0, 0, 2, 0), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Matrix().GetZone(0, 0, 0, 0), "矩阵的行或列不能为0");
}

TEST(MatrixRows, GetZoneBoundsDoNotWrapAround) {
    const Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    const size_t huge = std::numeric_limits<size_t>::max();
    EXPECT_THROW_MSG(m.GetZone(huge, 0, 2, 1), "区域越界");
    EXPECT_THROW_MSG(m.GetZone(1, 0, huge, 1), "区域越界");
    EXPECT_THROW_MSG(m.GetZone(0, huge, 1, 2), "区域越界");
}

TEST(MatrixRows, ExchangeRowAndColumn) {
    Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    m.ExchangeRow(0, 1);
    ExpectMatrix(m, 2, 3, {4, 5, 6, 1, 2, 3});
    m.ExchangeColumn(2, 0);
    ExpectMatrix(m, 2, 3, {6, 5, 4, 3, 2, 1});
    m.ExchangeRow(1, 1);
    m.ExchangeColumn(1, 1);
    ExpectMatrix(m, 2, 3, {6, 5, 4, 3, 2, 1});

    EXPECT_THROW_MSG(m.ExchangeRow(0, 2), "进行交换的行标越界");
    EXPECT_THROW_MSG(m.ExchangeRow(2, 0), "进行交换的行标越界");
    EXPECT_THROW_MSG(m.ExchangeColumn(3, 0), "进行交换的列标越界");
    EXPECT_THROW_MSG(m.ExchangeColumn(0, 3), "进行交换的列标越界");
    ExpectMatrix(m, 2, 3, {6, 5, 4, 3, 2, 1});
    Matrix none;
    EXPECT_THROW_MSG(none.ExchangeRow(0, 0), "进行交换的行标越界");
    EXPECT_THROW_MSG(none.ExchangeColumn(0, 0), "进行交换的列标越界");
}

TEST(MatrixRows, RowMerge) {
    const Matrix left = Make(2, 1, {1, 2});
    const Matrix right = Make(2, 2, {3, 4, 5, 6});
    ExpectMatrix(left.RowMerge(right), 2, 3, {1, 3, 4, 2, 5, 6});
    ExpectMatrix(right.RowMerge(left), 2, 3, {3, 4, 1, 5, 6, 2});
    EXPECT_THROW_MSG(left.RowMerge(Matrix(3, 1)), "行合并的两个矩阵，行数不相等");
    EXPECT_THROW_MSG(Matrix().RowMerge(left), "行合并的两个矩阵，行数不相等");
    EXPECT_THROW_MSG(Matrix().RowMerge(Matrix()), "矩阵的行或列不能为0");
    ExpectMatrix(left, 2, 1, {1, 2});
}

TEST(MatrixFactories, IdentityAndOnes) {
    ExpectMatrix(Matrix::CreateIdentityMatrix(3), 3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1});
    EXPECT_THROW_MSG(Matrix::CreateIdentityMatrix(0), "矩阵的行或列不能为0");
    ExpectMatrix(Matrix::CreateMatrixI(2, 3), 2, 3, {1, 1, 1, 1, 1, 1});
    EXPECT_THROW_MSG(Matrix::CreateMatrixI(0, 1), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Matrix::CreateMatrixI(1, 0), "矩阵的行或列不能为0");
}

TEST(MatrixFactories, CreateFromVectors) {
    const Vector rows[] = {Vector(std::vector<double>{1, 2}), Vector(std::vector<double>{3, 4}),
                           Vector(std::vector<double>{5, 6})};
    ExpectMatrix(Matrix::CreateFromVectors(rows, 3), 3, 2, {1, 2, 3, 4, 5, 6});
    ExpectMatrix(Matrix::CreateFromVectors(rows + 1, 1), 1, 2, {3, 4});

    EXPECT_TRUE(Matrix::CreateFromVectors(nullptr, 3).IsEmpty());
    EXPECT_TRUE(Matrix::CreateFromVectors(rows, 0).IsEmpty());
    const Vector firstEmpty[] = {Vector(size_t{0}), Vector(size_t{2})};
    EXPECT_TRUE(Matrix::CreateFromVectors(firstEmpty, 2).IsEmpty());

    const Vector ragged[] = {Vector(size_t{2}), Vector(size_t{2}), Vector(size_t{3})};
    EXPECT_THROW_MSG(Matrix::CreateFromVectors(ragged, 3), "向量组的成员纬度不统一");

    // Elements come from the vectors' storage, not their virtual accessors.
    const ScaledVector scaled[] = {ScaledVector(std::vector<double>{1, 2})};
    ExpectMatrix(Matrix::CreateFromVectors(scaled, 1), 1, 2, {1, 2});
}

TEST(MatrixOperators, Negation) {
    const Matrix m = Make(1, 3, {0.0, 1.5, -2.0});
    const Matrix n = -m;
    ExpectMatrix(n, 1, 3, {-0.0, -1.5, 2.0});
    EXPECT_TRUE(std::signbit(n.GetPointValue(0, 0)));
    ExpectMatrix(m, 1, 3, {0.0, 1.5, -2.0});
    EXPECT_TRUE((-Matrix()).IsEmpty());
}

TEST(MatrixOperators, SumAndDifference) {
    const Matrix a = Make(2, 2, {1, 2, 3, 4});
    const Matrix b = Make(2, 2, {0.5, 0.25, -3, 10});
    ExpectMatrix(a + b, 2, 2, {1.5, 2.25, 0, 14});
    ExpectMatrix(a - b, 2, 2, {0.5, 1.75, 6, -6});
    EXPECT_THROW_MSG(a + Matrix(2, 3), "相加的两个矩阵不是同型矩阵");
    EXPECT_THROW_MSG(a + Matrix(3, 2), "相加的两个矩阵不是同型矩阵");
    EXPECT_THROW_MSG(a - Matrix(2, 3), "相减的两个矩阵不是同型矩阵");
    EXPECT_THROW_MSG(a - Matrix(1, 2), "相减的两个矩阵不是同型矩阵");
    EXPECT_THROW_MSG(a + Matrix(), "相加的两个矩阵不是同型矩阵");
    ExpectMatrix(a, 2, 2, {1, 2, 3, 4});
    ExpectMatrix(b, 2, 2, {0.5, 0.25, -3, 10});
    EXPECT_TRUE((Matrix() + Matrix()).IsEmpty());
    EXPECT_TRUE((Matrix() - Matrix()).IsEmpty());
}

TEST(MatrixOperators, ScalarProduct) {
    const Matrix a = Make(1, 2, {1, -2});
    ExpectMatrix(a * 2.5, 1, 2, {2.5, -5});
    ExpectMatrix(2.5 * a, 1, 2, {2.5, -5});
    ExpectMatrix(a, 1, 2, {1, -2});
    EXPECT_TRUE((Matrix() * 3.0).IsEmpty());
    EXPECT_TRUE((3.0 * Matrix()).IsEmpty());
}

TEST(MatrixProduct, FailuresInOrder) {
    const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_THROW_MSG(a * a, "两个矩阵不能进行相乘");
    EXPECT_THROW_MSG(Matrix() * a, "相乘的矩阵不能为空矩阵");
    EXPECT_THROW_MSG(a * Matrix(), "相乘的矩阵不能为空矩阵");
    EXPECT_THROW_MSG(a * Matrix(Matrix()), "相乘的矩阵不能为空矩阵");
    ExpectMatrix(a, 2, 3, {1, 2, 3, 4, 5, 6});
}

TEST(MatrixProduct, Values) {
    const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
    const Matrix b = Make(3, 2, {7, 8, 9, 10, 11, 12});
    ExpectMatrix(a * b, 2, 2, {58, 64, 139, 154});
    ExpectMatrix(b * a, 3, 3, {39, 54, 69, 49, 68, 87, 59, 82, 105});
    ExpectMatrix(a, 2, 3, {1, 2, 3, 4, 5, 6});
}

TEST(MatrixProduct, SumsInKOrderFromPositiveZero) {
    // (1e16 + 1) rounds back to 1e16, so only the in-order sum gives exactly 0.
    const Matrix row = Make(1, 3, {1e16, 1, -1e16});
    const Matrix ones = Make(3, 1, {1, 1, 1});
    ExpectMatrix(row * ones, 1, 1, {0.0});
    // The accumulator starts at +0.0, so a single -0.0 term gives +0.0.
    const Matrix product = Make(1, 1, {-1.0}) * Make(1, 1, {0.0});
    EXPECT_FALSE(std::signbit(product.GetPointValue(0, 0)));
}

TEST(MatrixProduct, LargeProductsMatchThePlainTripleLoopBitForBit) {
    std::mt19937_64 engine(12345);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    struct Shape {
        size_t m, k, n;
    };
    // Shapes crossing the column tiles and k tiles, and the thin shapes of normal equations.
    for (const Shape s : {Shape{3, 20000, 4}, Shape{4, 4, 3000}, Shape{37, 290, 300}, Shape{1, 70000, 1},
                          Shape{5, 1, 7}}) {
        std::vector<double> av(s.m * s.k), bv(s.k * s.n);
        // Magnitudes spread over many binades make any change of summation order visible.
        for (double& x : av) x = uniform(engine) * std::ldexp(1.0, static_cast<int>(engine() % 40) - 20);
        for (double& x : bv) x = uniform(engine) * std::ldexp(1.0, static_cast<int>(engine() % 40) - 20);
        const Matrix c = Matrix(s.m, s.k, av.data()) * Matrix(s.k, s.n, bv.data());
        ASSERT_EQ(c.GetRowCount(), s.m);
        ASSERT_EQ(c.GetColumnCount(), s.n);
        size_t mismatches = 0;
        for (size_t i = 0; i < s.m; ++i) {
            for (size_t j = 0; j < s.n; ++j) {
                double sum = 0.0;
                for (size_t k = 0; k < s.k; ++k) sum += av[i * s.k + k] * bv[k * s.n + j];
                if (Bits(sum) != Bits(c.GetPointValue(i, j))) ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0u) << s.m << "x" << s.k << " times " << s.k << "x" << s.n;
    }
}

TEST(MatrixVectorProduct, FailuresInOrder) {
    const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_THROW_MSG(a * Vector(size_t{2}), "矩阵与向量不能进行相乘");
    EXPECT_THROW_MSG(Matrix() * Vector(size_t{2}), "矩阵不能为空矩阵");
    EXPECT_THROW_MSG(Matrix() * Vector(), "矩阵不能为空矩阵");
}

TEST(MatrixVectorProduct, ValuesInOrderThroughGetValue) {
    const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
    ExpectVector(a * Vector(std::vector<double>{1, 0, -1}), {-2, -2});
    ExpectVector(Make(1, 3, {1e16, 1, -1e16}) * Vector(std::vector<double>{1, 1, 1}), {0.0});
    ExpectVector(a * ScaledVector(std::vector<double>{1, 0, 0}), {10, 40});
}

TEST(MatrixPrint, TabAfterEveryElementAndABlankLineAtTheEnd) {
    EXPECT_EQ(PrintOf(Make(2, 2, {1, 2, 3, 4})), "1\t2\t\n3\t4\t\n\n");
    EXPECT_EQ(PrintOf(Make(1, 2, {3.14159265, -2.5e-7})), "3.14159\t-2.5e-07\t\n\n");
    EXPECT_EQ(PrintOf(Matrix()), "\n");
}

TEST(MatrixViews, ColumnViewReadsAndWritesTheMatrix) {
    Matrix m = Make(3, 2, {1, 2, 3, 4, 5, 6});
    IMatrixFeature* column = m.GetColumnFeature(1);
    EXPECT_EQ(column->Size(), 3u);
    EXPECT_EQ(column->GetValue(2), 6.0);
    column->SetValue(1, 7);
    EXPECT_EQ(m.GetPointValue(1, 1), 7.0);
    (*column)[0] = -2;
    EXPECT_EQ(m.GetPointValue(0, 1), -2.0);
    const IMatrixFeature& constColumn = *column;
    EXPECT_EQ(constColumn[1], 7.0);
    EXPECT_EQ(column->ToFeatureDatas(), (std::vector<double>{-2, 7, 6}));
    column->Release();
}

TEST(MatrixViews, RowViewAndConstOverloads) {
    Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    IMatrixFeature* row = m.GetRowFeature(1);
    EXPECT_EQ(row->Size(), 3u);
    EXPECT_EQ(row->ToFeatureDatas(), (std::vector<double>{4, 5, 6}));
    row->SetValue(0, 9);
    EXPECT_EQ(m.GetPointValue(1, 0), 9.0);
    row->Release();

    const Matrix& cm = m;
    const IMatrixFeature* constRow = cm.GetRowFeature(0);
    const IMatrixFeature* constColumn = cm.GetColumnFeature(0);
    EXPECT_EQ(constRow->GetValue(2), 3.0);
    EXPECT_EQ((*constColumn)[1], 9.0);
    constRow->Release();
    constColumn->Release();
}

TEST(MatrixViews, BadIndicesFailAtAccessNotAtCreation) {
    Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    IMatrixFeature* row = m.GetRowFeature(5);  // no check yet
    EXPECT_EQ(row->Size(), 3u);
    EXPECT_THROW_MSG(row->GetValue(0), "矩阵索引越界");
    EXPECT_THROW_MSG(row->SetValue(0, 1), "矩阵索引越界");
    EXPECT_THROW_MSG((*row)[0], "矩阵索引越界");
    EXPECT_THROW_MSG(row->ToFeatureDatas(), "矩阵索引越界");
    row->Release();

    IMatrixFeature* column = m.GetColumnFeature(0);
    EXPECT_THROW_MSG(column->GetValue(2), "矩阵索引越界");
    EXPECT_THROW_MSG(column->SetValue(2, 1), "矩阵索引越界");
    // The writable element access checks its index too.
    EXPECT_THROW_MSG((*column)[2], "矩阵索引越界");
    const IMatrixFeature& constColumn = *column;
    EXPECT_THROW_MSG(constColumn[2], "矩阵索引越界");
    column->Release();
    ExpectMatrix(m, 2, 3, {1, 2, 3, 4, 5, 6});

    Matrix none;
    IMatrixFeature* view = none.GetRowFeature(0);
    EXPECT_EQ(view->Size(), 0u);
    EXPECT_THROW_MSG(view->GetValue(0), "矩阵索引越界");
    view->Release();
}

TEST(MatrixViews, ViewsFollowTheMatrixAcrossAssignment) {
    Matrix m = Make(1, 2, {1, 2});
    IMatrixFeature* row = m.GetRowFeature(0);
    m = Make(1, 3, {7, 8, 9});
    EXPECT_EQ(row->Size(), 3u);
    EXPECT_EQ(row->ToFeatureDatas(), (std::vector<double>{7, 8, 9}));
    m = Matrix();
    EXPECT_EQ(row->Size(), 0u);
    row->Release();
}
