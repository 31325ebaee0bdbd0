#include "app/core/DegreeLimit.h"

#include <cfloat>
#include <climits>
#include <cmath>

namespace trendfit {

namespace {

// Seconds per unit of a computation's cost terms: the best of three runs in a Release build
// on this shared two-core machine under its usual load, fitted to the normal equations
// (Fit, ConditionNumber, ComputErr) and to StableFit (QR, refinement, ComputErr) on 300 to
// 100000 points at degrees 50 to 1500. The RelWithDebInfo build that scripts/run makes is
// about twice as slow, so the budget of 2 s means about 4 s there.
struct CostModel {
    double perPointSquare;  // a: the design's products, n p^2
    double perPointPower;   // c: pow calls, n p
    double perCube;         // b: the solve, p^3
};
constexpr CostModel kNormalEquations{1.5e-9, 7.0e-8, 2.5e-9};
constexpr CostModel kStable{6.0e-10, 8.5e-8, 1.1e-9};
constexpr double kBudgetSeconds = 2.0;

double Seconds(const CostModel& m, double n, double p) {
    return n * p * (m.perPointSquare * p + m.perPointPower) + m.perCube * p * p * p;
}

// The highest degree whose estimated time stays within the budget, at least 1: a straight
// line stays possible on any number of points (it runs with a progress dialog and 取消).
int TimeLimit(const CostModel& model, double n) {
    int low = 1;          // within the budget, or the least allowed
    int high = 1 << 20;   // far beyond it for any n
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        if (Seconds(model, n, mid + 1.0) <= kBudgetSeconds) {
            low = mid;
        } else {
            high = mid;
        }
    }
    return low;
}

// The highest degree at which the powers of m (> 1) stay usable: max|x|^d finite for
// StableFit, n squares of max|x|^d summed finite for the normal equations.
int PowerLimit(double m, double n, bool stable) {
    auto finite = [&](double d) {
        const double power = std::pow(m, d);
        return stable ? std::isfinite(power) : std::isfinite(n * (power * power));
    };
    // A first guess from logarithms, then corrected on the powers themselves.
    const double logRange = stable ? std::log(DBL_MAX) : (std::log(DBL_MAX) - std::log(n)) / 2.0;
    double d = std::floor(logRange / std::log(m));
    if (d >= INT_MAX) return INT_MAX;
    while (d > 0 && !finite(d)) --d;
    while (finite(d + 1)) ++d;
    return static_cast<int>(d);
}

}  // namespace

DegreeLimit MaxFitDegree(std::size_t points, double maxAbsX, bool stable) {
    if (points == 0) return DegreeLimit{INT_MAX, false};
    const double n = static_cast<double>(points);
    DegreeLimit limit{TimeLimit(stable ? kStable : kNormalEquations, n), false};
    if (maxAbsX > 1.0) {
        const int powers = PowerLimit(maxAbsX, n, stable);
        if (powers < limit.degree) limit = DegreeLimit{powers, true};
    }
    return limit;
}

}  // namespace trendfit
