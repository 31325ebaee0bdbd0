#pragma once

// Polynomial least squares by an orthogonal factor of the column-scaled design, refined in
// long double. Shared by Trendfit::StableFit, Trendfit::ConditionNumber and
// ConfidenceBand. Internal header.
//
// Column p of the design, x^p, is scaled by a power of two, 2^-e(p), that brings its
// 2-norm (with the ridge row's sqrt(lambda)) into [0.5, 1); y is scaled likewise by its
// largest magnitude. Powers of two scale exactly, so the scaled problem has the same
// solution bits up to the exponents. The factor R of the scaled
// design (and of the ridge rows sqrt(lambda) 2^-e(p) below it) comes from Householder
// reflections applied block by block of samples: each block of rows, stacked under the R
// of the rows before, is reduced to a new R, so neither the design nor Q is ever stored.
//
// R from Householder reflections is the factor of a design within rounding of the true
// one, so R^T R preconditions the normal equations to a contraction of about
// cond * 2^-53. Each refinement step computes the gradient X^T (y - X w) - lambda w in
// long double (powers by repeated multiplication, 64-bit significand) and solves
// R^T R dz = gradient: the iterates converge to the least-squares solution of the data as
// given, not to that of a design rounded to double.

#include <cstddef>
#include <vector>

#include "vecmat/core/Vector.h"

namespace pct::detail {

class PolynomialLeastSquares {
public:
    // Checks the arguments in the order of the fits: the column count (fails when the
    // degree wraps it to 0), y empty, x empty, lengths of x and y differ; for a ridge
    // weight, then the weight (negative or not finite). `y` may be null when only the
    // design is wanted.
    static size_t CheckShapes(const Vector& x, const Vector* y, size_t degree);
    static void CheckRidgeWeight(double lambda);

    // Reads the samples (x through its virtual access, y from its storage), fails on a
    // value that is not finite or on powers that overflow a double, and factors the scaled
    // design with the ridge rows of `lambda` (>= 0) below it. `columns` is CheckShapes'.
    PolynomialLeastSquares(const Vector& x, const Vector* y, size_t columns, double lambda);

    size_t Columns() const { return columns; }
    size_t Samples() const { return xs.size(); }

    // The 1-norm condition number of R with the columns of the design (and ridge rows)
    // scaled to unit 2-norm: infinite when R has a zero on its diagonal (a zero column
    // without ridge rows) or its inverse overflows.
    double Condition() const;

    // The refined coefficients (constant term first); fails when the factor is singular
    // within rounding (condition of at least 1 / 2^-52) or a coefficient overflows.
    std::vector<double> Solve() const;

    // Sum over the samples of (y - sum_p w[p] x^p)^2, in long double.
    long double ResidualSquares(const std::vector<double>& w) const;

    // phi^T (X^T X + lambda I)^-1 X^T X (X^T X + lambda I)^-1 phi with phi = (1, x, ...,
    // x^d): the variance factor of the fitted value at x (for lambda = 0,
    // phi^T (X^T X)^-1 phi).
    long double VarianceFactor(double x) const;

private:
    // For coefficients u of the y scaled by 2^-yExponent: grad = X^T (yt - X u) and the
    // sum of squared residuals (the result), in long double.
    long double Residuals(const std::vector<long double>& u, std::vector<long double>& grad) const;
    // Solves R^T R z = b in place.
    void SolveNormal(std::vector<long double>& b) const;

    size_t columns = 0;
    std::vector<double> xs;
    std::vector<double> ys;
    long double lambda = 0.0L;
    std::vector<int> exponents;       // column p is scaled by 2^-exponents[p]
    std::vector<long double> norms;   // 2-norms of the unscaled columns, ridge rows included
    int yExponent = 0;                // y is scaled by 2^-yExponent
    std::vector<double> r;            // R of design and ridge rows, columns x (columns + 1)
    std::vector<double> plain;        // R of the design alone (only when lambda > 0)
};

}  // namespace pct::detail
