#pragma once

// Umbrella header: every public header of the library.

#include "vecmat/Export.h"
#include "vecmat/MessageText.h"
#include "vecmat/core/IMatrixFeature.h"
#include "vecmat/core/Vector.h"
#include "vecmat/core/Matrix.h"
