#pragma once

#include <cstddef>
#include <memory>

#include "vecmat/Export.h"
#include "vecmat/core/Vector.h"

namespace pct::detail {
class PolynomialLeastSquares;
}

namespace pct::Ko {

// The 95 % confidence band of a plain (lambda = 0) or ridge polynomial fit: the fitted
// value at x lies within +- HalfWidth(x) of the true mean with probability 0.95 when the
// noise is independent and normal with one variance. Made once per fit, it holds the QR
// factor of Trendfit::StableFit, so each HalfWidth costs a triangular solve of d + 1.
//
//   HalfWidth(x) = t * sqrt(s^2 * phi^T C phi),   phi = (1, x, x^2, ..., x^d),
//
// t the 0.975 quantile of Student's t with n - d - 1 degrees of freedom, s^2 the residual
// variance sum (y - X w)^2 / (n - d - 1) of the coefficients w, and C = (X^T X)^-1, or for
// ridge the covariance factor (X^T X + lambda I)^-1 X^T X (X^T X + lambda I)^-1 of the
// ridge estimate (the band then ignores the bias that the penalty adds).
class VECMAT_API ConfidenceBand {
public:
    // Fits as Trendfit::StableFit(x, y, degree, lambda) does and fails as it does; after
    // the shape checks also when there are not more points than d + 1
    // ("样本点数必须多于阶数加1，才能计算置信带").
    ConfidenceBand(const Vector& x, const Vector& y, size_t degree, double lambda = 0.0);

    // The coefficients of the fit, constant term first: StableFit's, bit for bit.
    const Vector& Coefficients() const { return coefficients; }
    // s^2 = sum (y - X w)^2 / (n - d - 1), the squares summed in long double (infinite
    // beyond the range of double; HalfWidth uses it unrounded).
    double ResidualVariance() const { return static_cast<double>(variance); }
    // t, the 0.975 quantile of Student's t with n - d - 1 degrees of freedom.
    double Quantile() const { return quantile; }
    // The half-width of the band at x (infinite or not-a-number where powers of x overflow).
    double HalfWidth(double x) const;

private:
    std::shared_ptr<const detail::PolynomialLeastSquares> fit;
    Vector coefficients;
    long double variance = 0.0L;  // kept wide: y near the range of double squares beyond it
    double quantile = 0.0;
};

}  // namespace pct::Ko
