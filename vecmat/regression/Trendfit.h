#pragma once

#include <cstddef>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// Polynomial regression: least-squares, ridge, lasso-like and elastic-net-like fits of
// y = w0 + w1 x + ... + wd x^d by closed-form normal equations, plus evaluation and scoring.
// Coefficient vectors hold the constant term first. A degree of 0 fits a straight line.
class VECMAT_API Trendfit {
public:
    Trendfit() = default;
    Trendfit(const Trendfit&) = default;
    Trendfit(Trendfit&&) = default;
    ~Trendfit() = default;
    // Stateless: assignment changes nothing.
    Trendfit& operator=(const Trendfit&);
    Trendfit& operator=(Trendfit&&);

    // The m x (d + 1) design matrix [1, x, x^2, ..., x^d]; 0 x 0 for an empty x.
    static Matrix Expend(const Vector& x, size_t degree);

    // w = ((X^T X)^-1 X^T) y
    static Vector Fit(const Vector& x, const Vector& y, size_t degree);
    // w = ((X^T X + lambda I)^-1 X^T) y
    static Vector Ridge(const Vector& x, const Vector& y, double lambda, size_t degree);
    // w = (X^T X)^-1 (X^T y - lambda 1)
    static Vector Lasso(const Vector& x, const Vector& y, double lambda, size_t degree);
    // w = (X^T X + l2 I)^-1 (X^T y - l1 1)
    static Vector ElasticNet(const Vector& x, const Vector& y, double l1, double l2,
                             size_t degree);

    // Value of the polynomial w (constant term first) at x.
    static double ComputTarge(const Vector& w, double x);
    // Value at x of the count coefficients in w, constant term first, or last when reversed.
    static double ComputTarge(const double* w, int count, double x, bool reversed);
    // Mean squared error of the polynomial w on the points (xs[i], ys[i]).
    static double ComputErr(const std::vector<double>& xs, const std::vector<double>& ys,
                            const std::vector<double>& w, bool reversed);
};

}  // namespace pct::Ko
