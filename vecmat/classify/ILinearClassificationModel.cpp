#include "vecmat/classify/ILinearClassificationModel.h"

namespace pct {

ILinearClassificationModel::~ILinearClassificationModel() {}

void ILinearClassificationModel::Release() const { delete this; }

}  // namespace pct
