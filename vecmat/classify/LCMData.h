#pragma once

// The linear model the discriminant training produces.

#include <cstdint>

#include "vecmat/core/Vector.h"

namespace pct::Ko {

// A sample x is judged tagP when weights . x - threshold > 0, else tagN.
struct LCMData {
    pct::Vector weights;     // projection vector w, one entry per feature
    double threshold = 0.0;  // decision threshold t
    std::int32_t tagP = 0;   // the smaller of the two class tags
    std::int32_t tagN = 0;   // the larger class tag
};

}  // namespace pct::Ko
