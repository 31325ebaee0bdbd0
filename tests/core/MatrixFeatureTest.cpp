// The row/column view class is internal to the library (its symbols are hidden), and
// only views of kind row or column can be made through Matrix. To reach a view of any
// other kind, this test compiles its own copy of the class.
#include "vecmat/core/MatrixFeature.cpp"

#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Matrix.h"

using pct::Matrix;
using pct::MatrixFeature;

namespace {

Matrix Make(size_t rows, size_t columns, std::vector<double> values) {
    return Matrix(rows, columns, values.data());
}

}  // namespace

TEST(MatrixFeatureKind, AnyOtherKindFailsBeforeTheIndexIsLookedAt) {
    Matrix m = Make(2, 2, {1, 2, 3, 4});
    MatrixFeature bad(&m, 2, 0);
    EXPECT_THROW_MSG(bad.Size(), "矩阵属性类型错误");
    EXPECT_THROW_MSG(bad.GetValue(0), "矩阵属性类型错误");
    EXPECT_THROW_MSG(bad.SetValue(0, 9), "矩阵属性类型错误");
    EXPECT_THROW_MSG(bad[0], "矩阵属性类型错误");
    const MatrixFeature& constBad = bad;
    EXPECT_THROW_MSG(constBad[0], "矩阵属性类型错误");
    EXPECT_THROW_MSG(bad.ToFeatureDatas(), "矩阵属性类型错误");

    // Out-of-range positions too: the kind is tested first.
    MatrixFeature badFar(&m, 7, 99);
    EXPECT_THROW_MSG(badFar.GetValue(99), "矩阵属性类型错误");
    EXPECT_THROW_MSG(badFar.SetValue(99, 9), "矩阵属性类型错误");
    EXPECT_THROW_MSG(badFar[99], "矩阵属性类型错误");
    EXPECT_EQ(m.GetPointValue(0, 0), 1.0);
}

TEST(MatrixFeatureKind, RowAndColumnKinds) {
    Matrix m = Make(2, 3, {1, 2, 3, 4, 5, 6});
    MatrixFeature row(&m, MatrixFeature::kRow, 0);
    MatrixFeature column(&m, MatrixFeature::kColumn, 2);
    EXPECT_EQ(row.Size(), 3u);
    EXPECT_EQ(column.Size(), 2u);
    EXPECT_EQ(row.ToFeatureDatas(), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(column.ToFeatureDatas(), (std::vector<double>{3, 6}));
    column[1] = 0.5;
    EXPECT_EQ(m.GetPointValue(1, 2), 0.5);
    EXPECT_THROW_MSG(row[3], "矩阵索引越界");
    EXPECT_THROW_MSG(column[2], "矩阵索引越界");
}
