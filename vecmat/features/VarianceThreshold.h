#pragma once

#include <cstdint>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/features/IFeatureFilter.h"

namespace pct {

// What a variance filter judges.
enum VT_Mode : std::int32_t {
    VT_Absolute = 0,  // the variance itself
    VT_Relative = 1,  // the variance divided by the mean
};

namespace feature_selection {

// Low-variance filter: removes features whose (relative) population variance is at most
// `threshold`; with a threshold within epsilon of zero it removes the constant features.
class VECMAT_API VarianceThreshold : public IFeatureFilter {
public:
    VarianceThreshold(double threshold = 0.0, VT_Mode mode = VT_Absolute);
    VarianceThreshold(const VarianceThreshold& other);
    VarianceThreshold& operator=(const VarianceThreshold& other);
    ~VarianceThreshold() override;

    // Population variance (divisor n). Fewer than two values give 0 and leave `mean` as it
    // was; otherwise `mean` becomes the mean of the values.
    double Variance(std::vector<double> values) const;
    double Variance(const IMatrixFeature* feature) const;

    bool IsFiltered(const IMatrixFeature* feature) const override;
    bool IsFiltered(std::vector<double> values) const override;

    double threshold;  // largest (relative) variance that is removed
    VT_Mode mode;      // whether the variance is divided by the mean
    // Mean seen by the last Variance call of at least two values; the const operations
    // update it as well.
    mutable double mean;

private:
    bool Judge(double variance) const;
};

}  // namespace feature_selection
}  // namespace pct
