#include "vecmat/core/MatrixFeature.h"

#include "vecmat/Messages.h"
#include "vecmat/core/Matrix.h"

namespace pct {

MatrixFeature::MatrixFeature(const Matrix* matrix, std::uint64_t kind, size_t index)
    : matrix(matrix), kind(kind), index(index) {}

MatrixFeature::~MatrixFeature() {}

size_t MatrixFeature::Size() const {
    if (kind == kRow) return matrix->columns;
    if (kind == kColumn) return matrix->rows;
    detail::Fail(msg::kFeatureKindInvalid);
}

size_t MatrixFeature::Offset(size_t i) const {
    if (kind != kRow && kind != kColumn) detail::Fail(msg::kFeatureKindInvalid);
    const size_t row = kind == kRow ? index : i;
    const size_t column = kind == kRow ? i : index;
    if (row >= matrix->rows || column >= matrix->columns) detail::Fail(msg::kMatrixIndexOutOfRange);
    return row * matrix->columns + column;
}

double MatrixFeature::GetValue(size_t i) const { return matrix->data[Offset(i)]; }

void MatrixFeature::SetValue(size_t i, double value) {
    // The view writes the matrix it was made from; the const overloads of
    // GetRowFeature/GetColumnFeature hand out only const views.
    const size_t at = Offset(i);
    const_cast<Matrix*>(matrix)->data[at] = value;
}

double& MatrixFeature::operator[](size_t i) {
    const size_t at = Offset(i);
    return const_cast<Matrix*>(matrix)->data[at];
}

double MatrixFeature::operator[](size_t i) const { return GetValue(i); }

std::vector<double> MatrixFeature::ToFeatureDatas() {
    const size_t n = Size();
    std::vector<double> values(n);
    for (size_t i = 0; i < n; ++i) values[i] = GetValue(i);
    return values;
}

}  // namespace pct
