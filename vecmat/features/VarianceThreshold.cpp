#include "vecmat/features/VarianceThreshold.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "vecmat/core/IMatrixFeature.h"

namespace pct::feature_selection {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// Population variance of n values read through `at`; stores the mean in `mean` when there
// are at least two values. Both sums run in index order from 0.0.
template <class At>
double PopulationVariance(std::size_t n, At at, double& mean) {
    if (n < 2) return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) sum += at(i);
    const double count = static_cast<double>(n);
    mean = sum / count;
    double squares = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = at(i) - mean;
        squares += d * d;
    }
    return squares / count;
}

}  // namespace

VarianceThreshold::VarianceThreshold(double threshold, VT_Mode mode)
    : threshold(threshold), mode(mode), mean(0.0) {}

VarianceThreshold::VarianceThreshold(const VarianceThreshold& other)
    : IFeatureFilter(other), threshold(other.threshold), mode(other.mode), mean(other.mean) {}

VarianceThreshold& VarianceThreshold::operator=(const VarianceThreshold& other) {
    threshold = other.threshold;
    mode = other.mode;
    mean = other.mean;
    return *this;
}

VarianceThreshold::~VarianceThreshold() = default;

double VarianceThreshold::Variance(std::vector<double> values) const {
    return PopulationVariance(
        values.size(), [&values](std::size_t i) { return values[i]; }, mean);
}

double VarianceThreshold::Variance(const IMatrixFeature* feature) const {
    return PopulationVariance(
        feature->Size(), [feature](std::size_t i) { return feature->GetValue(i); }, mean);
}

bool VarianceThreshold::IsFiltered(const IMatrixFeature* feature) const {
    return Judge(Variance(feature));
}

bool VarianceThreshold::IsFiltered(std::vector<double> values) const {
    return Judge(Variance(std::move(values)));
}

// Applies the threshold to a variance just computed (so `mean` belongs to it). A result
// that is not a number fails both comparisons and is kept.
bool VarianceThreshold::Judge(double variance) const {
    double v = variance;
    if (mode == VT_Relative) v = v / mean;
    if (std::fabs(threshold) <= kEpsilon) return std::fabs(v) <= kEpsilon;
    return v <= threshold;
}

}  // namespace pct::feature_selection
