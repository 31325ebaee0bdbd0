#pragma once

#include <cstddef>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// How well a polynomial matches a set of points; see Trendfit::ComputQuality.
struct VECMAT_API FitQuality {
    // 1 - sum (y - f(x))^2 / sum (y - mean y)^2.
    double rSquared = 0.0;
    // sqrt(sum (y - f(x))^2 / n).
    double rmse = 0.0;
};

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
    // R^2 and root-mean-square error of the polynomial w on the points (xs[i], ys[i]), with
    // the residuals of ComputErr: rmse is sqrt(ComputErr(...)) to the bit, and
    // R^2 = 1 - ComputErr(...) / (variance of ys[0 .. n - 1], divided by n). When every y
    // is the same, R^2 is 1 for a polynomial through all points and 0 otherwise. Without
    // points, or with fewer ys than xs, both are not-a-number.
    static FitQuality ComputQuality(const std::vector<double>& xs, const std::vector<double>& ys,
                                    const std::vector<double>& w, bool reversed);

    // The fit of Fit (lambda = 0) or Ridge (lambda > 0), computed stably: it minimises
    // sum (y - X w)^2 + lambda sum w[p]^2 over all coefficients, the constant term's
    // included, as Ridge's (X^T X + lambda I) w = X^T y does. Householder QR of the design
    // with each column scaled to a power of two near unit norm (the ridge rows
    // sqrt(lambda) I appended below), then iterative refinement with residuals in long
    // double, so the result is accurate even where the normal equations of Fit lose every
    // digit; how far to trust it shows ConditionNumber. Reads x and y as Fit does and
    // returns the coefficients in its layout.
    // Fails like Fit on the degree ("矩阵的行或列不能为0"), an empty y or x ("此矩阵为空矩阵")
    // and different lengths ("两个矩阵不能进行相乘", before any work); then on a negative,
    // infinite or not-a-number lambda ("岭回归权重必须是非负的有限值"), a non-finite x or y
    // ("数据中含有非数值或无穷大的值"), pow(max |x|, d) overflowing
    // ("数据的幂超出双精度浮点数的范围，请降低阶数"), a design singular within rounding
    // (condition number >= 2^52, or refinement steps that stop shrinking while larger than
    // half the solution: "矩阵不可逆") and a coefficient overflowing
    // ("拟合系数超出双精度浮点数的范围").
    static Vector StableFit(const Vector& x, const Vector& y, size_t degree, double lambda = 0.0);
    // The condition number of the design of x with its columns scaled to unit 2-norm: the
    // 1-norm condition of its triangular QR factor, within a factor of d + 1 of the 2-norm
    // condition number. A QR fit in double loses about log10 of it in significant digits,
    // the normal equations of Fit and Ridge at least twice as many; StableFit, refined in
    // long double, keeps about 19 - log10 of it (at most what a double holds). A design
    // singular within rounding (fewer distinct x than d + 1, or a high degree) gives
    // 1e15 or more, since rounding in the factor bounds what it can show; a zero column
    // gives infinity. Fails like StableFit on the degree, an empty x, a non-finite x and
    // overflowing powers.
    static double ConditionNumber(const Vector& x, size_t degree);
};

}  // namespace pct::Ko
