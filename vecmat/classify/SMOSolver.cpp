#include "vecmat/classify/SMOSolver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

#include "vecmat/Messages.h"

namespace pct::Ko::detail {

namespace {

// Stands in for a curvature K_ii + K_jj - 2 K_ij that is not positive (an indefinite
// kernel or two equal samples), as in libsvm.
constexpr double kTau = 1e-12;

// The solver gives up after this many steps, or 100 per sample when that is more; a
// finite problem converges long before.
constexpr std::uint64_t kLeastStepLimit = 10000000;

}  // namespace

KernelRows::KernelRows(ISVMKernelFunction& kernel, const std::vector<pct::Vector>& samples,
                       std::size_t cacheBytes)
    : kernel(kernel), samples(samples), kind(Kind::Other), n(samples.size()), width(0) {
    // Only the exact built-in types are packed: a derived kernel may compute otherwise.
    const std::type_info& type = typeid(kernel);
    if (type == typeid(SVMLinearKernel)) kind = Kind::Linear;
    if (type == typeid(SVMPolynomialKernel)) kind = Kind::Polynomial;
    if (type == typeid(SVMGaussKernel)) kind = Kind::Gauss;
    if (type == typeid(SVMLaplaceKernel)) kind = Kind::Laplace;
    if (type == typeid(SVMSigmoidKernel)) kind = Kind::Sigmoid;
    if (kind != Kind::Other) {
        width = n == 0 ? 0 : samples[0].Size();
        packed.resize(n * width);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t f = 0; f < width; ++f) packed[i * width + f] = samples[i].GetValue(f);
        }
    }

    diagonal.resize(n);
    for (std::size_t i = 0; i < n; ++i) diagonal[i] = Value(i, i);

    const std::size_t rowBytes = std::max<std::size_t>(1, n) * sizeof(double);
    slots = std::min(n, std::max<std::size_t>(2, cacheBytes / rowBytes));
    storage.resize(slots);
    slotOf.assign(n, slots);
    rowIn.assign(slots, n);
    lastUse.assign(slots, 0);
}

double KernelRows::Value(std::size_t i, std::size_t j) const {
    double value;
    if (kind == Kind::Other) {
        value = kernel.Calculate(samples[i], samples[j]);
    } else {
        const double* a = packed.data() + i * width;
        const double* b = packed.data() + j * width;
        double sum = 0.0;
        switch (kind) {
            case Kind::Gauss: {
                for (std::size_t f = 0; f < width; ++f) {
                    const double d = a[f] - b[f];
                    sum += d * d;
                }
                const double sigma = static_cast<const SVMGaussKernel&>(kernel).sigma;
                value = std::exp(-sum / ((sigma + sigma) * sigma));
                break;
            }
            case Kind::Laplace:
                for (std::size_t f = 0; f < width; ++f) sum += std::fabs(a[f] - b[f]);
                value = std::exp(-sum / static_cast<const SVMLaplaceKernel&>(kernel).sigma);
                break;
            default:
                for (std::size_t f = 0; f < width; ++f) sum += a[f] * b[f];
                if (kind == Kind::Polynomial) {
                    const auto degree = static_cast<const SVMPolynomialKernel&>(kernel).degree;
                    value = std::pow(sum, static_cast<double>(degree));
                } else if (kind == Kind::Sigmoid) {
                    const auto& sigmoid = static_cast<const SVMSigmoidKernel&>(kernel);
                    value = std::tanh(sum * sigmoid.scale + sigmoid.offset);
                } else {
                    value = sum;
                }
        }
    }
    if (!std::isfinite(value)) pct::detail::Fail(pct::msg::kSmoKernelNotFinite);
    return value;
}

const double* KernelRows::Row(std::size_t i) {
    std::size_t slot = slotOf[i];
    if (slot == slots) {
        // The empty slot or the least recently used one.
        slot = static_cast<std::size_t>(std::min_element(lastUse.begin(), lastUse.end()) -
                                        lastUse.begin());
        if (rowIn[slot] != n) slotOf[rowIn[slot]] = slots;
        rowIn[slot] = n;  // stays free if a value below fails
        std::vector<double>& row = storage[slot];
        row.resize(n);
        for (std::size_t j = 0; j < n; ++j) row[j] = Value(i, j);
        rowIn[slot] = i;
        slotOf[i] = slot;
    }
    lastUse[slot] = ++clock;
    return storage[slot].data();
}

SmoSolution SolveSmo(KernelRows& kernel, const std::vector<double>& labels, double C,
                     double tolerance) {
    const std::size_t n = labels.size();
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<double> alpha(n, 0.0);
    std::vector<double> gradient(n, -1.0);  // of the dual objective: Q a - 1
    // Samples whose alpha may still move up (i side) or down (j side) along y.
    const auto canRise = [&](std::size_t t) { return labels[t] > 0 ? alpha[t] < C : alpha[t] > 0; };
    const auto canFall = [&](std::size_t t) { return labels[t] > 0 ? alpha[t] > 0 : alpha[t] < C; };

    const std::uint64_t stepLimit =
        std::max<std::uint64_t>(kLeastStepLimit, 100 * std::uint64_t(n));
    for (std::uint64_t step = 0;; ++step) {
        if (step == stepLimit) pct::detail::Fail(pct::msg::kSmoNotConverged);

        // i: the largest -y G among samples that can rise.
        std::size_t i = n;
        double gMax = -infinity;
        for (std::size_t t = 0; t < n; ++t) {
            if (canRise(t) && -labels[t] * gradient[t] >= gMax) {
                gMax = -labels[t] * gradient[t];
                i = t;
            }
        }
        if (i == n) break;
        const double* rowI = kernel.Row(i);

        // j: of the samples that can fall and violate the optimality condition with i, the
        // one whose step decreases the objective most; gMin is the smallest -y G there.
        std::size_t j = n;
        double gMin = infinity;
        double bestDecrease = infinity;
        for (std::size_t t = 0; t < n; ++t) {
            if (!canFall(t)) continue;
            const double violation = -labels[t] * gradient[t];
            gMin = std::min(gMin, violation);
            const double gap = gMax - violation;
            if (gap <= 0) continue;
            const double curvature = kernel.Diagonal(i) + kernel.Diagonal(t) - 2.0 * rowI[t];
            const double decrease = -(gap * gap) / (curvature > 0 ? curvature : kTau);
            if (decrease <= bestDecrease) {
                bestDecrease = decrease;
                j = t;
            }
        }
        if (gMax - gMin < tolerance || j == n) break;
        const double* rowJ = kernel.Row(j);  // row i stays: the cache holds two rows or more

        // The two-variable subproblem along sum y a = const, clipped to the box.
        const double oldI = alpha[i];
        const double oldJ = alpha[j];
        double curvature = kernel.Diagonal(i) + kernel.Diagonal(j) - 2.0 * rowI[j];
        if (curvature <= 0) curvature = kTau;
        if (labels[i] != labels[j]) {
            const double delta = (-gradient[i] - gradient[j]) / curvature;
            const double diff = alpha[i] - alpha[j];
            alpha[i] += delta;
            alpha[j] += delta;
            if (diff > 0) {
                if (alpha[j] < 0) {
                    alpha[j] = 0;
                    alpha[i] = diff;
                }
            } else if (alpha[i] < 0) {
                alpha[i] = 0;
                alpha[j] = -diff;
            }
            if (diff > 0) {
                if (alpha[i] > C) {
                    alpha[i] = C;
                    alpha[j] = C - diff;
                }
            } else if (alpha[j] > C) {
                alpha[j] = C;
                alpha[i] = C + diff;
            }
        } else {
            const double delta = (gradient[i] - gradient[j]) / curvature;
            const double sum = alpha[i] + alpha[j];
            alpha[i] -= delta;
            alpha[j] += delta;
            if (sum > C) {
                if (alpha[i] > C) {
                    alpha[i] = C;
                    alpha[j] = sum - C;
                }
                if (alpha[j] > C) {
                    alpha[j] = C;
                    alpha[i] = sum - C;
                }
            } else {
                if (alpha[j] < 0) {
                    alpha[j] = 0;
                    alpha[i] = sum;
                }
                if (alpha[i] < 0) {
                    alpha[i] = 0;
                    alpha[j] = sum;
                }
            }
        }

        // G_t += Q_ti da_i + Q_tj da_j, with Q_ts = y_t y_s K_ts.
        const double changeI = labels[i] * (alpha[i] - oldI);
        const double changeJ = labels[j] * (alpha[j] - oldJ);
        for (std::size_t t = 0; t < n; ++t) {
            gradient[t] += labels[t] * (rowI[t] * changeI + rowJ[t] * changeJ);
        }
    }

    // The bias: -rho, rho the mean of y G over the free samples (0 < a < C), which the
    // optimality conditions pin; without free samples the middle of the interval they
    // leave open.
    double upper = infinity;
    double lower = -infinity;
    double freeSum = 0.0;
    std::size_t freeCount = 0;
    for (std::size_t t = 0; t < n; ++t) {
        const double yG = labels[t] * gradient[t];
        if (alpha[t] > 0 && alpha[t] < C) {
            freeSum += yG;
            ++freeCount;
        } else if ((alpha[t] >= C) == (labels[t] < 0)) {
            upper = std::min(upper, yG);
        } else {
            lower = std::max(lower, yG);
        }
    }
    SmoSolution solution;
    solution.bias =
        -(freeCount > 0 ? freeSum / static_cast<double>(freeCount) : (upper + lower) / 2);
    solution.alphas = std::move(alpha);
    return solution;
}

}  // namespace pct::Ko::detail
