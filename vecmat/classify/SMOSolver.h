#pragma once

// Internal to SMOClassifier: the kernel values of the training samples with a row cache,
// and the dual solver (not exported).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vecmat/classify/ISVMKernelFunction.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko::detail {

// K(i, j) over the training samples. Rows are computed on demand and kept while they fit
// the cache, the least recently used row giving way first. The five built-in kernels are
// evaluated on a packed copy of the samples with the same arithmetic as their Calculate
// (same values to the bit); any other kernel through Calculate. A value that is not finite
// fails, since the solver could not progress on it.
class KernelRows {
public:
    KernelRows(ISVMKernelFunction& kernel, const std::vector<pct::Vector>& samples,
               std::size_t cacheBytes);
    // The n values K(i, 0), ..., K(i, n - 1); stays valid while at most one other row is
    // asked for.
    const double* Row(std::size_t i);
    double Diagonal(std::size_t i) const { return diagonal[i]; }
    // K(i, j) computed afresh.
    double Value(std::size_t i, std::size_t j) const;

private:
    enum class Kind { Linear, Polynomial, Gauss, Laplace, Sigmoid, Other };

    ISVMKernelFunction& kernel;
    const std::vector<pct::Vector>& samples;
    Kind kind;
    std::size_t n;
    std::size_t width;
    std::vector<double> packed;  // sample i's values at [i * width, (i + 1) * width)
    std::vector<double> diagonal;
    std::size_t slots;                         // rows the cache holds
    std::vector<std::vector<double>> storage;  // one row per slot, allocated on first use
    std::vector<std::size_t> slotOf;  // row -> slot, or `slots` when not cached
    std::vector<std::size_t> rowIn;   // slot -> row
    std::vector<std::uint64_t> lastUse;
    std::uint64_t clock = 0;
};

struct SmoSolution {
    std::vector<double> alphas;  // one per sample, in [0, C]
    double bias = 0.0;
};

// Solves the C-SVC dual, min 1/2 a^T Q a - sum a over 0 <= a_i <= C with sum y_i a_i = 0
// (Q_ij = y_i y_j K_ij), by sequential minimal optimisation with working sets chosen by
// second-order information (Fan, Chen and Lin 2005), until the maximal violation is below
// `tolerance`. labels are 1 or -1 and hold both values.
SmoSolution SolveSmo(KernelRows& kernel, const std::vector<double>& labels, double C,
                     double tolerance);

}  // namespace pct::Ko::detail
