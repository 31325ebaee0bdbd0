#include "vecmat/features/IFeatureFilter.h"

namespace pct {

IFeatureFilter::~IFeatureFilter() = default;

void IFeatureFilter::Release() const { delete this; }

}  // namespace pct
