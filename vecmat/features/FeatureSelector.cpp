#include "vecmat/features/FeatureSelector.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "vecmat/Messages.h"

namespace pct::Ko {

namespace {

// Gives a matrix view back when it goes out of scope, also when a filter throws.
struct ViewRelease {
    void operator()(const IMatrixFeature* view) const {
        if (view != nullptr) view->Release();
    }
};
using ColumnView = std::unique_ptr<const IMatrixFeature, ViewRelease>;

ColumnView ViewOfColumn(const Matrix& matrix, size_t column) {
    return ColumnView(matrix.GetColumnFeature(column));
}

using Coefficient = double (*)(const IMatrixFeature*, const IMatrixFeature*);

}  // namespace

FeatureSelector::FeatureSelector() : hasTarget(false), target(0) {}

FeatureSelector::FeatureSelector(const FeatureSelector& other) = default;

FeatureSelector::FeatureSelector(FeatureSelector&& other) noexcept
    : varParams(std::move(other.varParams)),
      corParams(std::move(other.corParams)),
      filterList(std::move(other.filterList)),
      removed(std::move(other.removed)),
      hasTarget(other.hasTarget),
      target(other.target),
      owners(std::move(other.owners)) {
    other.varParams.clear();
    other.corParams.clear();
    other.filterList.clear();
    other.removed.clear();
    other.owners.clear();
    other.hasTarget = false;
    other.target = 0;
}

FeatureSelector& FeatureSelector::operator=(const FeatureSelector& other) {
    if (this != &other) {
        FeatureSelector copy(other);
        *this = std::move(copy);
    }
    return *this;
}

FeatureSelector& FeatureSelector::operator=(FeatureSelector&& other) noexcept {
    if (this != &other) {
        varParams = std::move(other.varParams);
        corParams = std::move(other.corParams);
        filterList = std::move(other.filterList);
        removed = std::move(other.removed);
        hasTarget = other.hasTarget;
        target = other.target;
        // Lets go of the old filters in the order they were added.
        for (auto& owner : owners) owner.reset();
        owners = std::move(other.owners);
        other.varParams.clear();
        other.corParams.clear();
        other.filterList.clear();
        other.removed.clear();
        other.owners.clear();
        other.hasTarget = false;
        other.target = 0;
    }
    return *this;
}

// Releases the filters in the order they were added (each only if no copy still holds it).
FeatureSelector::~FeatureSelector() {
    for (auto& owner : owners) owner.reset();
}

void FeatureSelector::TakeOwnership(IFeatureFilter* filter) {
    if (filter == nullptr) return;
    // The same object added twice is owned once, so it is released once.
    for (const auto& owner : owners)
        if (owner.get() == filter) return;
    owners.emplace_back(filter, [](const IFeatureFilter* f) { f->Release(); });
}

FeatureSelector& FeatureSelector::AddVariance(IFeatureFilter* filter, const std::vector<size_t>& features) {
    FS_Variance_Param entry;
    try {
        entry.features = features;
        varParams.reserve(varParams.size() + 1);
        owners.reserve(owners.size() + 1);
    } catch (...) {
        // The selector took the filter: it must not leak when the entry cannot be stored.
        if (filter != nullptr) filter->Release();
        throw;
    }
    entry.filter = filter;
    TakeOwnership(filter);  // cannot throw: room is reserved
    varParams.push_back(std::move(entry));
    return *this;
}

FeatureSelector& FeatureSelector::AddVariance(const std::vector<size_t>& features, double threshold, VT_Mode mode) {
    return AddVariance(new feature_selection::VarianceThreshold(threshold, mode), features);
}

FeatureSelector& FeatureSelector::AddCorrelation(const std::vector<size_t>& features, double threshold,
                                                 CC_Mode mode) {
    FS_Correlation_Param entry;
    entry.features = features;
    entry.mode = mode;
    entry.threshold = threshold;
    entry.useTargetColumn = true;
    corParams.push_back(std::move(entry));
    return *this;
}

FeatureSelector& FeatureSelector::AddCorrelation(const std::vector<size_t>& features, double threshold,
                                                 const Vector& targetValues, CC_Mode mode) {
    FS_Correlation_Param entry;
    entry.features = features;
    entry.mode = mode;
    entry.threshold = threshold;
    entry.useTargetColumn = false;
    entry.targetData = targetValues;
    corParams.push_back(std::move(entry));
    return *this;
}

FeatureSelector& FeatureSelector::AddFilter(const std::vector<size_t>& columns) {
    filterList = columns;
    return *this;
}

FeatureSelector& FeatureSelector::Target(size_t column) {
    hasTarget = true;
    target = column;
    return *this;
}

bool FeatureSelector::IsRemoved(size_t column) const {
    return std::find(removed.begin(), removed.end(), column) != removed.end();
}

std::vector<size_t> FeatureSelector::Candidates(const std::vector<size_t>& features, size_t columnCount) const {
    if (!features.empty()) return features;
    std::vector<size_t> all;
    all.reserve(columnCount);
    for (size_t c = 0; c < columnCount; ++c)
        if (!(hasTarget && c == target)) all.push_back(c);
    return all;
}

FitReturn FeatureSelector::FitFeature(const Matrix& matrix) {
    // The working list is restored when a step fails, so a failure changes nothing.
    std::vector<size_t> previous = removed;
    try {
        removed.clear();
        const size_t columnCount = matrix.GetColumnCount();
        for (size_t b : filterList) {
            if (b >= columnCount) detail::Fail(msg::kDirectFilterOutOfRange);
            if (hasTarget && b == target) detail::Fail(msg::kDirectFilterHasTarget);
            removed.push_back(b);
        }
        VarFilter(matrix);
        CorFilter(matrix);
        FitReturn result;
        result.matrix = matrix.DeleteColumns(removed);
        result.removed = removed;
        return result;
    } catch (...) {
        removed.swap(previous);
        throw;
    }
}

void FeatureSelector::VarFilter(const Matrix& matrix) {
    const size_t columnCount = matrix.GetColumnCount();
    for (const FS_Variance_Param& entry : varParams) {
        if (entry.filter == nullptr) detail::Fail(msg::kVarianceFilterNull);
        for (size_t b : entry.features) {
            if (b >= columnCount) detail::Fail(msg::kFilterFeatureOutOfRange);
            if (hasTarget && b == target) detail::Fail(msg::kFilterFeatureHasTarget);
        }
        for (size_t c : Candidates(entry.features, columnCount)) {
            if (IsRemoved(c)) continue;
            const ColumnView view = ViewOfColumn(matrix, c);
            if (entry.filter->IsFiltered(view.get())) removed.push_back(c);
        }
    }
}

void FeatureSelector::CorFilter(const Matrix& matrix) {
    const size_t columnCount = matrix.GetColumnCount();
    const size_t rowCount = matrix.GetRowCount();
    for (const FS_Correlation_Param& entry : corParams) {
        // The index errors use the variance filter's messages.
        for (size_t b : entry.features) {
            if (b >= columnCount) detail::Fail(msg::kFilterFeatureOutOfRange);
            if (hasTarget && b == target) detail::Fail(msg::kFilterFeatureHasTarget);
        }
        Coefficient coefficient = nullptr;
        if (entry.mode == CC_Pearson)
            coefficient = static_cast<Coefficient>(&CorrelationCoefficient::PCCs);
        else if (entry.mode == CC_Spearman)
            coefficient = static_cast<Coefficient>(&CorrelationCoefficient::SCCs);
        else
            detail::Fail(msg::kUnsupportedCorrelationMode);

        ColumnView targetView;
        const IMatrixFeature* targetFeature = nullptr;
        if (entry.useTargetColumn) {
            if (!hasTarget) detail::Fail(msg::kCorrelationNoTarget);
            targetView = ViewOfColumn(matrix, target);
            targetFeature = targetView.get();
        } else {
            if (entry.targetData.IsEmpty() || entry.targetData.Size() != rowCount)
                detail::Fail(msg::kCorrelationTargetSize);
            targetFeature = &entry.targetData;
        }

        for (size_t c : Candidates(entry.features, columnCount)) {
            if (IsRemoved(c)) continue;
            const ColumnView view = ViewOfColumn(matrix, c);
            const double value = coefficient(view.get(), targetFeature);
            // Equal to the threshold, or not a number, keeps the column.
            if (entry.threshold > std::fabs(value)) removed.push_back(c);
        }
    }
}

}  // namespace pct::Ko
