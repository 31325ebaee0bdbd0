#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"
#include "vecmat/features/CorrelationCoefficient.h"
#include "vecmat/features/IFeatureFilter.h"
#include "vecmat/features/VarianceThreshold.h"

namespace pct::Ko {

// One variance-filter entry. Copying copies the pointer; destroying an entry does not
// release the filter (the selector holding the entry does).
struct VECMAT_API FS_Variance_Param {
    std::vector<size_t> features;       // columns to judge; empty means all columns
    IFeatureFilter* filter = nullptr;   // the filter asked about each column
};

// One correlation-filter entry.
struct VECMAT_API FS_Correlation_Param {
    std::vector<size_t> features;       // columns to judge; empty means all columns
    CC_Mode mode = CC_Pearson;          // which coefficient
    double threshold = 0.0;             // columns correlating less than this (in absolute value) go
    bool useTargetColumn = true;        // true: the selector's target column; false: targetData
    Vector targetData;                  // one target value per matrix row
};

// Result of FeatureSelector::FitFeature.
struct VECMAT_API FitReturn {
    Matrix matrix;                      // the input without the removed columns
    std::vector<size_t> removed;        // removed column indexes of the input, in the order chosen
};

// Collects column filters (a direct list, low-variance filters, correlation filters) and
// applies them to a matrix in one call. Columns already removed by an earlier stage are not
// judged again, and the target column is never judged. Copies of a selector share the
// variance filters; the last copy to go releases each of them once.
class VECMAT_API FeatureSelector {
public:
    FeatureSelector();
    FeatureSelector(const FeatureSelector& other);
    FeatureSelector(FeatureSelector&& other) noexcept;
    FeatureSelector& operator=(const FeatureSelector& other);
    FeatureSelector& operator=(FeatureSelector&& other) noexcept;
    ~FeatureSelector();

    // Appends a variance entry with the caller's filter, which the selector now owns (it
    // must have been created with plain `new`). A null filter is kept and makes FitFeature
    // fail when the entry runs.
    FeatureSelector& AddVariance(IFeatureFilter* filter, const std::vector<size_t>& features);
    // Appends a variance entry with a new VarianceThreshold(threshold, mode).
    FeatureSelector& AddVariance(const std::vector<size_t>& features, double threshold, VT_Mode mode);
    // Appends a correlation entry against the target column.
    FeatureSelector& AddCorrelation(const std::vector<size_t>& features, double threshold, CC_Mode mode);
    // Appends a correlation entry against a copy of `target` (one value per matrix row).
    FeatureSelector& AddCorrelation(const std::vector<size_t>& features, double threshold,
                                    const Vector& target, CC_Mode mode);
    // Replaces the list of columns removed unconditionally.
    FeatureSelector& AddFilter(const std::vector<size_t>& columns);
    // Sets the target column.
    FeatureSelector& Target(size_t column);

    // Applies the direct list, then every variance entry, then every correlation entry, in
    // the order added, and returns the matrix without the chosen columns. Each entry is
    // checked just before it runs. The matrix is not changed.
    FitReturn FitFeature(const Matrix& matrix);

private:
    void VarFilter(const Matrix& matrix);
    void CorFilter(const Matrix& matrix);
    bool IsRemoved(size_t column) const;
    // The columns an entry judges: its own list, or every column except the target.
    std::vector<size_t> Candidates(const std::vector<size_t>& features, size_t columnCount) const;
    void TakeOwnership(IFeatureFilter* filter);

    std::vector<FS_Variance_Param> varParams;
    std::vector<FS_Correlation_Param> corParams;
    std::vector<size_t> filterList;
    std::vector<size_t> removed;
    bool hasTarget;
    size_t target;
    // Owners of the variance filters, one per distinct filter; shared between copies of the
    // selector, each releases its filter when the last holder lets go.
    std::vector<std::shared_ptr<const IFeatureFilter>> owners;
};

}  // namespace pct::Ko
