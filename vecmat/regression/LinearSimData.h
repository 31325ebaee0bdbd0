#pragma once

#include <cstddef>
#include <cstdint>

#include "vecmat/Export.h"
#include "vecmat/core/Vector.h"

namespace pct {

// What CreateSimData generates.
struct VECMAT_API SimDataParam {
    // Curve: 0 y = sin(x), 1 y = x * x, 2 y = 1 / x, any other y = x.
    std::int32_t funcType = 0;
    // The two ends of the x range, in either order.
    double xMin = 0.0;
    double xMax = 0.0;
    // Points in all, training and test together.
    size_t count = 0;
    // Share of the points that become test points, within [0, 1].
    double testRate = 0.0;
    // Noise magnitude; only its absolute value counts.
    double noise = 0.0;
    // Noise: 0 uniform in [-|noise|, |noise|), 1 normal with deviation |noise|, any other none.
    std::int32_t noiseType = 0;
};

// The generated points; element i of an X vector and of its Y vector form one point.
struct VECMAT_API SimDataReturn {
    Vector trainX;
    Vector trainY;
    Vector testX;
    Vector testY;
};

// Noisy samples of a test curve at uniformly drawn x, split into training and test sets.
class VECMAT_API LinearSimData {
public:
    LinearSimData() = default;
    LinearSimData(const LinearSimData&) = default;
    LinearSimData(LinearSimData&&) = default;
    ~LinearSimData() = default;
    // Stateless: assignment changes nothing.
    LinearSimData& operator=(const LinearSimData&);
    LinearSimData& operator=(LinearSimData&&);

    // Draws param.count points; trunc(count * testRate) of them become test points.
    // A range of width at most 2^-52 (or not a number) gives four vectors without storage.
    // A test share whose count cannot be formed (more test points than points, a product
    // of -1 or less, too large or not a number) ends in std::bad_alloc.
    static SimDataReturn CreateSimData(SimDataParam param);
};

}  // namespace pct
