#include <vector>

#include "vecmat/regression/PolynomialLeastSquares.h"
#include "vecmat/regression/Trendfit.h"

namespace pct::Ko {

using detail::PolynomialLeastSquares;

Vector Trendfit::StableFit(const Vector& x, const Vector& y, size_t degree, double lambda) {
    const size_t columns = PolynomialLeastSquares::CheckShapes(x, &y, degree);
    PolynomialLeastSquares::CheckRidgeWeight(lambda);
    const std::vector<double> w = PolynomialLeastSquares(x, &y, columns, lambda).Solve();
    return Vector(w);
}

double Trendfit::ConditionNumber(const Vector& x, size_t degree) {
    const size_t columns = PolynomialLeastSquares::CheckShapes(x, nullptr, degree);
    return PolynomialLeastSquares(x, nullptr, columns, 0.0).Condition();
}

}  // namespace pct::Ko
