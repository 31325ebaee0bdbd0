#include <cmath>
#include <vector>

#include "tests/support/BitIdentity.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/regression/Trendfit.h"

using pct::Matrix;
using pct::Vector;
using pct::Ko::Trendfit;
using testing_support::AwkwardValues;
using testing_support::SameBits;

namespace {

// The fits' sums as plain loops over the design matrix, sample after sample: the normal
// matrix N, X^T y, and (Inv X^T) y through W = Inv X^T, each sum in index order from 0.0.
struct PlainSums {
    PlainSums(const std::vector<double>& xs, const std::vector<double>& ys, size_t degree)
        : m(xs.size()), c((degree >= 1 ? degree : 1) + 1), y(ys), design(m * c), normal(c * c, 0.0), xty(c, 0.0) {
        for (size_t k = 0; k < m; ++k) {
            design[k * c] = 1.0;
            design[k * c + 1] = xs[k];
            for (size_t p = 2; p < c; ++p) design[k * c + p] = std::pow(xs[k], static_cast<double>(p));
        }
        for (size_t i = 0; i < c; ++i) {
            for (size_t j = 0; j < c; ++j)
                for (size_t k = 0; k < m; ++k) normal[i * c + j] += X(k, i) * X(k, j);
            for (size_t k = 0; k < m; ++k) xty[i] += X(k, i) * y[k];
        }
    }

    double X(size_t k, size_t i) const { return design[k * c + i]; }
    Matrix N() const { return Matrix(c, c, normal.data()); }

    // sum over k of W(i, k) y(k), W(i, k) = sum over j of inv(i, j) X(k, j)
    std::vector<double> Project(const Matrix& inv) const {
        std::vector<double> r(c, 0.0);
        for (size_t i = 0; i < c; ++i) {
            for (size_t k = 0; k < m; ++k) {
                double w = 0.0;
                for (size_t j = 0; j < c; ++j) w += inv.GetPointValue(i, j) * X(k, j);
                r[i] += w * y[k];
            }
        }
        return r;
    }

    // inv (X^T y - l1 1), each element summed over j in order
    std::vector<double> Solve(const Matrix& inv, double l1) const {
        std::vector<double> r(c, 0.0);
        for (size_t i = 0; i < c; ++i)
            for (size_t j = 0; j < c; ++j) r[i] += inv.GetPointValue(i, j) * (xty[j] - l1 * 1.0);
        return r;
    }

    size_t m, c;
    std::vector<double> y, design, normal, xty;
};

// Runs `fit` and `reference` (which inverts a normal matrix and may fail on it): both give
// the same bits, or both fail.
template <class Fit, class Reference>
void ExpectSameOutcome(Fit fit, Reference reference, const char* what) {
    std::vector<double> want;
    try {
        want = reference();
    } catch (const std::exception&) {
        EXPECT_ANY_THROW(fit()) << what;
        return;
    }
    EXPECT_TRUE(SameBits(want, fit().ToFeatureDatas())) << what;
}

}  // namespace

// Sample counts below, at and past the 128-sample blocks of the fits, and degrees with a
// column count fixed at compile time (2 to 8 columns) and beyond it (degree 9).
TEST(FitSumsBitIdentity, FourFitsGiveThePlainSumsBits) {
    unsigned seed = 900;
    for (size_t m : {7, 63, 257, 1000}) {
        for (size_t degree : {0, 1, 2, 5, 7, 9}) {
            std::vector<double> xs = AwkwardValues(m, seed++);
            for (double& x : xs) x = std::ldexp(x, -5);  // within [-2, 2]
            const std::vector<double> ys = AwkwardValues(m, seed++);
            const PlainSums plain(xs, ys, degree);
            const Vector x(xs), y(ys);
            const Matrix identity = Matrix::CreateIdentityMatrix(plain.c);
            SCOPED_TRACE(testing::Message() << m << " samples, degree " << degree);
            ExpectSameOutcome([&] { return Trendfit::Fit(x, y, degree); },
                              [&] { return plain.Project(plain.N().InverseMatrixEx()); }, "Fit");
            ExpectSameOutcome([&] { return Trendfit::Ridge(x, y, 0.375, degree); },
                              [&] { return plain.Project((plain.N() + 0.375 * identity).InverseMatrixEx()); },
                              "Ridge");
            ExpectSameOutcome([&] { return Trendfit::Lasso(x, y, -1.25, degree); },
                              [&] { return plain.Solve(plain.N().InverseMatrixEx(), -1.25); }, "Lasso");
            ExpectSameOutcome([&] { return Trendfit::ElasticNet(x, y, 0.5, 2.5, degree); },
                              [&] { return plain.Solve((plain.N() + 2.5 * identity).InverseMatrixEx(), 0.5); },
                              "ElasticNet");
        }
    }
}
