#pragma once

#include <vector>

#include "vecmat/Export.h"

namespace pct {

class IMatrixFeature;

// A column filter: decides whether a feature (one column of samples) is to be removed.
// Filters handed to a pct::Ko::FeatureSelector become its property and are freed through
// Release, so they must be created with plain `new`.
class VECMAT_API IFeatureFilter {
public:
    IFeatureFilter() = default;
    IFeatureFilter(const IFeatureFilter&) = default;
    IFeatureFilter& operator=(const IFeatureFilter&) = default;
    virtual ~IFeatureFilter();

    // True when the feature (usually a column view of a matrix) is to be removed.
    virtual bool IsFiltered(const IMatrixFeature* feature) const = 0;
    // The same for a plain list of values.
    virtual bool IsFiltered(std::vector<double> values) const = 0;
    // Destroys the object through its virtual destructor and frees it (delete this).
    // Being a virtual call it needs an object: callers holding a possibly null pointer
    // test it first.
    virtual void Release() const;
};

}  // namespace pct
