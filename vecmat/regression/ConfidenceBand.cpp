#include "vecmat/regression/ConfidenceBand.h"

#include <cmath>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/regression/PolynomialLeastSquares.h"
#include "vecmat/regression/StudentT.h"

namespace pct::Ko {

using detail::PolynomialLeastSquares;

ConfidenceBand::ConfidenceBand(const Vector& x, const Vector& y, size_t degree, double lambda) {
    const size_t columns = PolynomialLeastSquares::CheckShapes(x, &y, degree);
    if (x.Size() <= columns) detail::Fail(msg::kBandTooFewPoints);
    PolynomialLeastSquares::CheckRidgeWeight(lambda);
    auto factor = std::make_shared<const PolynomialLeastSquares>(x, &y, columns, lambda);
    const std::vector<double> w = factor->Solve();
    const size_t freedom = x.Size() - columns;
    variance = factor->ResidualSquares(w) / static_cast<long double>(freedom);
    quantile = detail::StudentTQuantile(0.975, freedom);
    coefficients = Vector(w);
    fit = std::move(factor);
}

double ConfidenceBand::HalfWidth(double x) const {
    const long double spread = variance * fit->VarianceFactor(x);
    return static_cast<double>(static_cast<long double>(quantile) * std::sqrt(spread));
}

}  // namespace pct::Ko
