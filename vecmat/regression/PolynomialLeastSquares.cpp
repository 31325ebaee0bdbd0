#include "vecmat/regression/PolynomialLeastSquares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "vecmat/Messages.h"

namespace pct::detail {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// Rows of the design reduced together: a block of about 64 KiB, and at least 64 rows so
// that a large R is read once per 64 rows, not once per row.
size_t BlockRows(size_t columns) { return std::max<size_t>(64, 8192 / (columns + 1)); }

// Reduces the rows of `block` (n rows of `width` values, row-major) into the upper
// trapezoidal `r` (columns rows of `width` values) by one Householder reflection per
// column j of the stacked matrix [r; block], which touches row j of r and every block row.
// Each sum takes row j of r first, then the block rows in order.
void Reduce(std::vector<double>& r, std::vector<double>& block, size_t n, size_t columns,
            size_t width) {
    std::vector<double> dots(width);
    std::vector<double> v(n);
    for (size_t j = 0; j < columns; ++j) {
        double* rj = r.data() + j * width;
        const double alpha = rj[j];
        // Squares in long double, where no square of a double underflows or overflows.
        long double squares = static_cast<long double>(alpha) * alpha;
        bool below = false;
        for (size_t i = 0; i < n; ++i) {
            const double e = block[i * width + j];
            squares += static_cast<long double>(e) * e;
            below = below || e != 0.0;
        }
        if (!below) continue;  // nothing to annihilate: the reflection is the identity
        // The reflection I - tau v v^T with v = (1, block(:, j) / (alpha - beta)) maps the
        // column to (beta, 0, ..., 0); beta takes the sign opposite to alpha, so
        // alpha - beta never cancels, and |alpha - beta| >= norm keeps every v(i) within 1
        // (a division: the reciprocal of a subnormal norm would overflow).
        const double norm = static_cast<double>(std::sqrt(squares));
        const double beta = alpha >= 0.0 ? -norm : norm;
        const double tau = (beta - alpha) / beta;
        for (size_t i = 0; i < n; ++i) v[i] = block[i * width + j] / (alpha - beta);
        rj[j] = beta;
        for (size_t k = j + 1; k < width; ++k) dots[k] = rj[k];
        for (size_t i = 0; i < n; ++i) {
            const double* row = block.data() + i * width;
            for (size_t k = j + 1; k < width; ++k) dots[k] += v[i] * row[k];
        }
        for (size_t k = j + 1; k < width; ++k) {
            dots[k] *= tau;
            rj[k] -= dots[k];
        }
        for (size_t i = 0; i < n; ++i) {
            double* row = block.data() + i * width;
            for (size_t k = j + 1; k < width; ++k) row[k] -= dots[k] * v[i];
        }
    }
}

// Solves R^T z = b (forward) in place; R upper triangular, `width` values a row.
void SolveTransposed(const std::vector<double>& r, size_t columns, size_t width,
                     std::vector<long double>& b) {
    for (size_t j = 0; j < columns; ++j) {
        long double sum = 0.0L;
        for (size_t i = 0; i < j; ++i) sum += static_cast<long double>(r[i * width + j]) * b[i];
        b[j] = (b[j] - sum) / r[j * width + j];
    }
}

// Solves R z = b (backward) in place.
void SolveUpper(const std::vector<double>& r, size_t columns, size_t width,
                std::vector<long double>& b) {
    for (size_t j = columns; j-- > 0;) {
        long double sum = 0.0L;
        for (size_t k = j + 1; k < columns; ++k) sum += static_cast<long double>(r[j * width + k]) * b[k];
        b[j] = (b[j] - sum) / r[j * width + j];
    }
}

// The larger of a and b, or not-a-number when either is.
double Larger(double a, double b) { return std::isnan(b) || b > a ? b : a; }

long double MaxAbs(const std::vector<long double>& v) {
    long double m = 0.0L;
    for (const long double e : v) m = std::max(m, std::fabs(e));
    return m;
}

}  // namespace

size_t PolynomialLeastSquares::CheckShapes(const Vector& x, const Vector* y, size_t degree) {
    const size_t m = x.Size();
    size_t columns = 0;
    if (m > 0) {
        const size_t d = degree >= 1 ? degree : 1;
        columns = d + 1;  // wraps to 0 for the largest degree
        if (columns == 0) Fail(msg::kMatrixZeroDimension);
        // R, columns x (columns + 1) doubles, cannot exist when its byte count overflows.
        if (columns > std::numeric_limits<size_t>::max() / sizeof(double) / (columns + 1))
            throw std::bad_alloc();
    }
    if (y != nullptr && y->Size() == 0) Fail(msg::kMatrixEmpty);
    if (m == 0) Fail(msg::kMatrixEmpty);
    if (y != nullptr && y->Size() != m) Fail(msg::kMultiplyShapeMismatch);
    return columns;
}

void PolynomialLeastSquares::CheckRidgeWeight(double lambda) {
    if (!(lambda >= 0.0) || std::isinf(lambda)) Fail(msg::kRidgeWeightInvalid);
}

PolynomialLeastSquares::PolynomialLeastSquares(const Vector& x, const Vector* y, size_t columns,
                                               double ridge)
    : columns(columns), lambda(ridge), exponents(columns, 0), norms(columns, 0.0L) {
    const size_t m = x.Size();
    const size_t width = columns + 1;
    xs.resize(m);
    ys.assign(m, 0.0);
    double largest = 0.0;
    double largestY = 0.0;
    for (size_t i = 0; i < m; ++i) {
        xs[i] = x[i];
        if (y != nullptr) ys[i] = y->Vector::GetValue(i);
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) Fail(msg::kDataNotFinite);
        largest = std::max(largest, std::fabs(xs[i]));
        largestY = std::max(largestY, std::fabs(ys[i]));
    }
    // The coefficients are evaluated with pow(x, p), which must stay finite on the data.
    if (!std::isfinite(std::pow(largest, static_cast<double>(columns - 1))))
        Fail(msg::kPowerOverflow);

    // Column norms of the design with its ridge rows, in long double, whose range holds
    // the square of any double.
    std::vector<long double> squares(columns, 0.0L);
    for (const double v : xs) {
        long double power = 1.0L;
        for (size_t p = 0; p < columns; ++p) {
            squares[p] += power * power;
            power *= v;
        }
    }
    for (size_t p = 0; p < columns; ++p) {
        norms[p] = std::sqrt(squares[p] + lambda);
        if (norms[p] > 0.0L) std::frexp(norms[p], &exponents[p]);
    }
    if (largestY > 0.0) std::frexp(largestY, &yExponent);

    std::vector<long double> scales(columns);
    for (size_t p = 0; p < columns; ++p) scales[p] = std::ldexp(1.0L, -exponents[p]);
    const long double yScale = std::ldexp(1.0L, -yExponent);

    r.assign(columns * width, 0.0);
    const size_t rows = BlockRows(columns);
    std::vector<double> block(std::min(rows, m) * width);
    for (size_t start = 0; start < m; start += rows) {
        const size_t n = std::min(rows, m - start);
        for (size_t i = 0; i < n; ++i) {
            double* row = block.data() + i * width;
            const long double v = xs[start + i];
            long double power = 1.0L;
            for (size_t p = 0; p < columns; ++p) {
                row[p] = static_cast<double>(power * scales[p]);
                power *= v;
            }
            row[columns] = static_cast<double>(ys[start + i] * yScale);
        }
        Reduce(r, block, n, columns, width);
    }
    if (lambda > 0.0L) {
        plain = r;
        // The ridge rows sqrt(lambda) e_p, scaled like their columns, with targets 0. One at
        // a time: row p needs no reflection before column p, a block of them would.
        const long double root = std::sqrt(lambda);
        std::vector<double> ridgeRow(width);
        for (size_t p = 0; p < columns; ++p) {
            std::fill(ridgeRow.begin(), ridgeRow.end(), 0.0);
            ridgeRow[p] = static_cast<double>(root * scales[p]);
            Reduce(r, ridgeRow, 1, columns, width);
        }
    }
}

double PolynomialLeastSquares::Condition() const {
    const size_t width = columns + 1;
    for (size_t p = 0; p < columns; ++p)
        if (r[p * width + p] == 0.0) return std::numeric_limits<double>::infinity();
    // With unit-norm columns the factor is R D, D(p) = 2^e(p) / norm(p) (1 for a zero
    // column, which only ridge rows make regular); its inverse is D^-1 R^-1, formed
    // column by column from R z = e_j.
    std::vector<double> unit(columns, 1.0);
    for (size_t p = 0; p < columns; ++p)
        if (norms[p] > 0.0L) unit[p] = static_cast<double>(std::ldexp(1.0L, exponents[p]) / norms[p]);
    double normR = 0.0;
    double normInverse = 0.0;
    std::vector<double> z(columns);
    for (size_t j = 0; j < columns; ++j) {
        double column = 0.0;
        for (size_t i = 0; i <= j; ++i) column += std::fabs(r[i * width + j]);
        normR = Larger(normR, column * unit[j]);
        z[j] = 1.0 / r[j * width + j];
        for (size_t i = j; i-- > 0;) {
            double sum = 0.0;
            for (size_t k = i + 1; k <= j; ++k) sum += r[i * width + k] * z[k];
            z[i] = -sum / r[i * width + i];
        }
        double inverseColumn = 0.0;
        for (size_t i = 0; i <= j; ++i) inverseColumn += std::fabs(z[i]) / unit[i];
        normInverse = Larger(normInverse, inverseColumn);
    }
    const double condition = normR * normInverse;
    return std::isnan(condition) ? std::numeric_limits<double>::infinity() : condition;
}

long double PolynomialLeastSquares::Residuals(const std::vector<long double>& u,
                                             std::vector<long double>& grad) const {
    std::fill(grad.begin(), grad.end(), 0.0L);
    std::vector<long double> powers(columns);
    const long double yScale = std::ldexp(1.0L, -yExponent);
    long double sum = 0.0L;
    for (size_t i = 0; i < xs.size(); ++i) {
        const long double v = xs[i];
        long double power = 1.0L;
        long double fitted = 0.0L;
        for (size_t p = 0; p < columns; ++p) {
            powers[p] = power;
            fitted += u[p] * power;
            power *= v;
        }
        const long double residual = ys[i] * yScale - fitted;
        sum += residual * residual;
        for (size_t p = 0; p < columns; ++p) grad[p] += powers[p] * residual;
    }
    return sum;
}

void PolynomialLeastSquares::SolveNormal(std::vector<long double>& b) const {
    SolveTransposed(r, columns, columns + 1, b);
    SolveUpper(r, columns, columns + 1, b);
}

std::vector<double> PolynomialLeastSquares::Solve() const {
    if (!(Condition() < 1.0 / kEpsilon)) Fail(msg::kMatrixNotInvertible);
    const size_t width = columns + 1;
    // The start: R z = Q^T y, the last column of the reduced [X y].
    std::vector<long double> z(columns);
    for (size_t p = 0; p < columns; ++p) z[p] = r[p * width + columns];
    SolveUpper(r, columns, width, z);
    std::vector<long double> u(columns);  // coefficients of the scaled y
    for (size_t p = 0; p < columns; ++p) u[p] = std::ldexp(z[p], -exponents[p]);

    // Refinement: stop when a correction no longer matters in long double, or when it is
    // not at most half the one before (rounding noise; it is then not applied).
    std::vector<long double> step(columns);
    long double previous = std::numeric_limits<long double>::infinity();
    for (int iteration = 0; iteration < 10; ++iteration) {
        Residuals(u, step);
        for (size_t p = 0; p < columns; ++p)
            step[p] = std::ldexp(step[p] - lambda * u[p], -exponents[p]);
        SolveNormal(step);
        const long double size = MaxAbs(step);
        if (size > 0.5L * previous) break;
        previous = size;
        for (size_t p = 0; p < columns; ++p) {
            z[p] += step[p];
            u[p] = std::ldexp(z[p], -exponents[p]);
        }
        if (size <= MaxAbs(z) * 0x1p-62L) break;
    }
    // The last correction larger than half the solution, and not improved on: R is the
    // factor of no design near this one, singular within rounding whatever its computed
    // condition.
    if (previous > 0.5L * MaxAbs(z)) Fail(msg::kMatrixNotInvertible);

    std::vector<double> w(columns);
    for (size_t p = 0; p < columns; ++p) {
        const long double coefficient = std::ldexp(u[p], yExponent);
        if (!(std::fabs(coefficient) <= std::numeric_limits<double>::max())) Fail(msg::kCoefficientOverflow);
        w[p] = static_cast<double>(coefficient);
    }
    return w;
}

long double PolynomialLeastSquares::ResidualSquares(const std::vector<double>& w) const {
    std::vector<long double> u(columns);
    for (size_t p = 0; p < columns; ++p) u[p] = std::ldexp(static_cast<long double>(w[p]), -yExponent);
    std::vector<long double> grad(columns);
    return std::ldexp(Residuals(u, grad), 2 * yExponent);
}

long double PolynomialLeastSquares::VarianceFactor(double x) const {
    const size_t width = columns + 1;
    std::vector<long double> phi(columns);
    long double power = 1.0L;
    for (size_t p = 0; p < columns; ++p) {
        phi[p] = std::ldexp(power, -exponents[p]);
        power *= x;
    }
    // lambda = 0: |R^-T phi|^2. Ridge: |R0 (R^T R)^-1 phi|^2, R0 the factor of X alone.
    SolveTransposed(r, columns, width, phi);
    if (plain.empty()) {
        long double sum = 0.0L;
        for (const long double e : phi) sum += e * e;
        return sum;
    }
    SolveUpper(r, columns, width, phi);
    long double sum = 0.0L;
    for (size_t i = 0; i < columns; ++i) {
        long double row = 0.0L;
        for (size_t k = i; k < columns; ++k) row += static_cast<long double>(plain[i * width + k]) * phi[k];
        sum += row * row;
    }
    return sum;
}

}  // namespace pct::detail
