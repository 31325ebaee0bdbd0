#pragma once

#include <cstddef>
#include <vector>

#include "vecmat/Export.h"

namespace pct {

// An indexed sequence of doubles: a free-standing Vector or a row or column view of a
// Matrix. Objects handed out through this interface are freed with Release().
class VECMAT_API IMatrixFeature {
public:
    IMatrixFeature() = default;
    IMatrixFeature(const IMatrixFeature&) = default;
    IMatrixFeature& operator=(const IMatrixFeature&) = default;
    virtual ~IMatrixFeature() {}

    virtual size_t Size() const = 0;
    virtual double GetValue(size_t index) const = 0;
    virtual void SetValue(size_t index, double value) = 0;
    virtual double& operator[](size_t index) = 0;
    virtual double operator[](size_t index) const = 0;
    virtual std::vector<double> ToFeatureDatas() = 0;

    // Destroys the object through its virtual destructor and frees it (delete this).
    // The object must have been allocated with new.
    virtual void Release() const;
};

}  // namespace pct
