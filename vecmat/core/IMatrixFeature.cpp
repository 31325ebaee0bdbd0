#include "vecmat/core/IMatrixFeature.h"

namespace pct {

void IMatrixFeature::Release() const { delete this; }

}  // namespace pct
