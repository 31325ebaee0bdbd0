#include "vecmat/Messages.h"
#include "vecmat/core/Determinant.h"
#include "vecmat/core/Matrix.h"

namespace pct {

Determinant Matrix::ToDeterminant() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) detail::Fail(msg::kDeterminantNeedsSquare);
    return Determinant(rows, data);
}

Matrix Matrix::AdjugateMatrix() const { return ToDeterminant().AdjugateMatrix(); }

}  // namespace pct
