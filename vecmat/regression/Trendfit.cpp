#include "vecmat/regression/Trendfit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/core/CpuDispatch.h"

namespace pct::Ko {

namespace {

// The design matrix of a fit, held as one row-major array so that the fits never need its
// transpose or any other m-sized matrix. Empty (0 rows, 0 columns) for an empty x. The
// lasso-like fits need X only for its sums: there `data` stays null and the rows pass
// through a block-sized buffer instead.
struct Design {
    size_t rows = 0;
    size_t columns = 0;
    std::unique_ptr<double[]> data;

    const double* Row(size_t i) const { return data.get() + i * columns; }
};

// Column count d + 1 of the design matrix; a degree of 0 fits a straight line.
size_t DesignColumns(size_t degree) {
    const size_t d = degree >= 1 ? degree : 1;
    const size_t columns = d + 1;  // wraps to 0 for the largest degree
    if (columns == 0) detail::Fail(msg::kMatrixZeroDimension);
    return columns;
}

// An m x columns array of doubles cannot exist when its byte count overflows.
void CheckArraySize(size_t rows, size_t columns) {
    const size_t limit = static_cast<size_t>(std::numeric_limits<std::ptrdiff_t>::max()) /
                         sizeof(double);
    if (columns > limit / rows) throw std::bad_alloc();
}

// Row of the design matrix for the abscissa v: 1, v, pow(v, 2), ..., pow(v, columns - 1).
// pow(v, 1.0) is v exactly, so column 1 is a copy; every higher power comes from pow,
// since repeated multiplication rounds differently.
inline void FillRow(double v, double* row, size_t columns) {
    row[0] = 1.0;
    row[1] = v;
    for (size_t p = 2; p < columns; ++p) row[p] = std::pow(v, static_cast<double>(p));
}

// The shape of the design matrix of x, failing as Expend does; with `keep` its array is
// allocated, to be filled by the sample pass.
Design BuildDesign(const Vector& x, size_t degree, bool keep) {
    Design design;
    const size_t m = x.Size();
    if (m == 0) return design;
    const size_t columns = DesignColumns(degree);
    CheckArraySize(m, columns);
    if (keep) design.data.reset(new double[m * columns]);
    design.rows = m;
    design.columns = columns;
    return design;
}

// The checks every fit makes after building X: y must not be empty, and (after the
// penalty column of ones for the lasso-like fits, created by the caller in between) X must
// not be empty.
void CheckTarget(const Vector& y) {
    if (y.Size() == 0) detail::Fail(msg::kMatrixEmpty);
}

void CheckDesign(const Design& design) {
    if (design.rows == 0) detail::Fail(msg::kMatrixEmpty);
}

// Element i of y, read from the vector's own storage rather than through an override.
inline double Target(const Vector& y, size_t i) { return y.Vector::GetValue(i); }

// The sample passes run over blocks of rows small enough to stay in the first-level
// cache; every sum still takes its terms in sample order, block after block.
constexpr size_t kBlock = 128;

// Sums for one block of rows. C is the column count when it is fixed at compile time (so
// that the accumulators live in registers) and 0 for the general loop; both do the same
// operations in the same order.
template <size_t C>
struct BlockSums {
    // upper[i * c + j] += X(k, i) * X(k, j) for j >= i, k over the block in order.
    VECMAT_ALWAYS_INLINE static void Normal(const double* rows, size_t n, size_t c, double* upper) {
        if constexpr (C != 0) {
            double acc[C * C];
            for (size_t e = 0; e < C * C; ++e) acc[e] = upper[e];
            for (size_t k = 0; k < n; ++k) {
                const double* row = rows + k * C;
#pragma GCC unroll 16
                for (size_t i = 0; i < C; ++i)
#pragma GCC unroll 16
                    for (size_t j = i; j < C; ++j) acc[i * C + j] += row[i] * row[j];
            }
            for (size_t e = 0; e < C * C; ++e) upper[e] = acc[e];
        } else {
            for (size_t k = 0; k < n; ++k) {
                const double* row = rows + k * c;
                for (size_t i = 0; i < c; ++i)
                    for (size_t j = i; j < c; ++j) upper[i * c + j] += row[i] * row[j];
            }
        }
    }

    // b[i] += X(k, i) * y(k), k over the block in order.
    VECMAT_ALWAYS_INLINE static void TargetSums(const double* rows, const double* ys, size_t n, size_t c, double* b) {
        for (size_t k = 0; k < n; ++k) {
            const double* row = rows + k * c;
            for (size_t i = 0; i < c; ++i) b[i] += row[i] * ys[k];
        }
    }

    // r[i] += W(i, k) * y(k) with W(i, k) = sum over j in order of inv(i, j) * X(k, j),
    // starting at 0.0; invT holds inv transposed (invT[j * c + i] = inv(i, j)).
    VECMAT_ALWAYS_INLINE static void Project(const double* invT, const double* rows, const double* ys, size_t n,
                        size_t c, double* r) {
        if constexpr (C != 0) {
            double acc[C];
            double inv[C * C];
            for (size_t i = 0; i < C; ++i) acc[i] = r[i];
            for (size_t e = 0; e < C * C; ++e) inv[e] = invT[e];
            for (size_t k = 0; k < n; ++k) {
                const double* row = rows + k * C;
                double w[C];
#pragma GCC unroll 16
                for (size_t i = 0; i < C; ++i) w[i] = 0.0;
#pragma GCC unroll 16
                for (size_t j = 0; j < C; ++j)
#pragma GCC unroll 16
                    for (size_t i = 0; i < C; ++i) w[i] += inv[j * C + i] * row[j];
#pragma GCC unroll 16
                for (size_t i = 0; i < C; ++i) acc[i] += w[i] * ys[k];
            }
            for (size_t i = 0; i < C; ++i) r[i] = acc[i];
        } else {
            std::vector<double> w(c);
            for (size_t k = 0; k < n; ++k) {
                const double* row = rows + k * c;
                for (size_t i = 0; i < c; ++i) w[i] = 0.0;
                for (size_t j = 0; j < c; ++j)
                    for (size_t i = 0; i < c; ++i) w[i] += invT[j * c + i] * row[j];
                for (size_t i = 0; i < c; ++i) r[i] += w[i] * ys[k];
            }
        }
    }
};

// The two builds of a pass F<C>::Run: both run the same body, the same sums, the AVX2 one
// in wider registers.
template <size_t C, template <size_t> class F, class... Args>
VECMAT_AVX2 void RunAvx2(Args&&... args) {
    F<C>::Run(std::forward<Args>(args)...);
}

template <size_t C, template <size_t> class F, class... Args>
void RunGeneric(Args&&... args) {
    F<C>::Run(std::forward<Args>(args)...);
}

// Calls F<C>::Run(args...) in its AVX2 build on a processor with AVX2, else in its generic
// build, with C the column count for the common small counts, 0 else.
template <size_t C, template <size_t> class F, class... Args>
void Run(Args&&... args) {
    if (cpu::UseAvx2())
        RunAvx2<C, F>(std::forward<Args>(args)...);
    else
        RunGeneric<C, F>(std::forward<Args>(args)...);
}

template <template <size_t> class F, class... Args>
void Dispatch(size_t c, Args&&... args) {
    switch (c) {
    case 2: return Run<2, F>(std::forward<Args>(args)...);
    case 3: return Run<3, F>(std::forward<Args>(args)...);
    case 4: return Run<4, F>(std::forward<Args>(args)...);
    case 5: return Run<5, F>(std::forward<Args>(args)...);
    case 6: return Run<6, F>(std::forward<Args>(args)...);
    case 7: return Run<7, F>(std::forward<Args>(args)...);
    case 8: return Run<8, F>(std::forward<Args>(args)...);
    default: return Run<0, F>(std::forward<Args>(args)...);
    }
}

// One pass over the samples: fills the design matrix block by block (the powers of x)
// and, while a block is in cache, adds it into N = X^T X and, when y is given, B = X^T y.
// Each element of N is the sum over the samples k = 0, 1, ... of X(k, i) * X(k, j) into
// one accumulator starting at 0.0, exactly as the product of the transpose with X; since
// X(k, i) * X(k, j) and X(k, j) * X(k, i) are the same double, the upper triangle is
// accumulated and mirrored. B(i) is the sum over k of X(k, i) * y(k). A design without
// an array is filled into one block-sized buffer, reused block after block.
template <size_t C>
struct DesignPass {
    VECMAT_ALWAYS_INLINE static void Run(const Vector& x, const Vector* y, Design& design,
                                         std::vector<double>& upper, std::vector<double>& b) {
        const size_t c = design.columns;
        std::unique_ptr<double[]> scratch;
        if (!design.data) scratch.reset(new double[std::min(kBlock, design.rows) * c]);
        double ys[kBlock];
        for (size_t start = 0; start < design.rows; start += kBlock) {
            const size_t n = std::min(kBlock, design.rows - start);
            double* rows = design.data ? design.data.get() + start * c : scratch.get();
            for (size_t k = 0; k < n; ++k) FillRow(x[start + k], rows + k * c, c);
            BlockSums<C>::Normal(rows, n, c, upper.data());
            if (y != nullptr) {
                for (size_t k = 0; k < n; ++k) ys[k] = Target(*y, start + k);
                BlockSums<C>::TargetSums(rows, ys, n, c, b.data());
            }
        }
    }
};

template <size_t C>
struct ProjectPass {
    VECMAT_ALWAYS_INLINE static void Run(const std::vector<double>& invT, const Design& design,
                                         const Vector& y, std::vector<double>& r) {
        const size_t c = design.columns;
        double ys[kBlock];
        for (size_t start = 0; start < design.rows; start += kBlock) {
            const size_t n = std::min(kBlock, design.rows - start);
            for (size_t k = 0; k < n; ++k) ys[k] = Target(y, start + k);
            BlockSums<C>::Project(invT.data(), design.Row(start), ys, n, c, r.data());
        }
    }
};

// The design matrix of x together with N = X^T X and, for a y of the sample count,
// B = X^T y. X stays the only array of the sample count (and is not kept at all when only
// its sums are needed).
struct NormalSystem {
    explicit NormalSystem(Design d) : design(std::move(d)) {}

    Design design;
    std::vector<double> upper;  // N, filled in full by Normal()
    std::vector<double> b;

    // One pass over the samples. Runs after the checks on the shapes, which need no sums,
    // so the failures come in the order of building X, checking y and X, then forming the
    // (d + 1) x (d + 1) products. B is summed only when y is given and has the sample
    // count; otherwise a later check fails.
    void Sum(const Vector& x, const Vector* y) {
        const size_t c = design.columns;
        CheckArraySize(c, c);
        if (y != nullptr && y->Size() != design.rows) y = nullptr;
        upper.assign(c * c, 0.0);
        b.assign(c, 0.0);
        Dispatch<DesignPass>(c, x, y, design, upper, b);
    }

    Matrix Normal() {
        const size_t c = design.columns;
        for (size_t i = 0; i < c; ++i)
            for (size_t j = 0; j < i; ++j) upper[i * c + j] = upper[j * c + i];
        return Matrix(c, c, upper.data());
    }
};

// R = (Inv X^T) y for an inverse Inv of the normal matrix, without forming the
// (d + 1) x m matrix W = Inv X^T: each W(i, k) is formed when sample k is reached and
// added into R(i) = sum over k of W(i, k) * y(k), so every element gets exactly the
// terms, in the order, of the two matrix products.
Vector ProjectTarget(const Matrix& inverse, const Design& design, const Vector& y) {
    const size_t c = design.columns;
    std::vector<double> invT(c * c);
    for (size_t i = 0; i < c; ++i)
        for (size_t j = 0; j < c; ++j) invT[j * c + i] = inverse.GetPointValue(i, j);
    std::vector<double> r(c, 0.0);
    Dispatch<ProjectPass>(c, invT, design, y, r);
    return Vector(r.data(), c);
}

// The target column fits W (whose column count is the sample count) only when x and y
// have the same length.
void CheckSameLength(const Design& design, const Vector& y) {
    if (y.Size() != design.rows) detail::Fail(msg::kMultiplyShapeMismatch);
}

}  // namespace

Trendfit& Trendfit::operator=(const Trendfit&) { return *this; }

Trendfit& Trendfit::operator=(Trendfit&&) { return *this; }

Matrix Trendfit::Expend(const Vector& x, size_t degree) {
    const size_t m = x.Size();
    if (m == 0) return Matrix();
    const size_t columns = DesignColumns(degree);
    CheckArraySize(m, columns);
    Matrix design(m, columns);
    std::vector<double> row(columns);
    for (size_t i = 0; i < m; ++i) {
        FillRow(x[i], row.data(), columns);
        for (size_t p = 0; p < columns; ++p) design.SetPointValue(i, p, row[p]);
    }
    return design;
}

Vector Trendfit::Fit(const Vector& x, const Vector& y, size_t degree) {
    NormalSystem s(BuildDesign(x, degree, true));
    CheckTarget(y);
    CheckDesign(s.design);
    s.Sum(x, nullptr);
    const Matrix inverse = s.Normal().InverseMatrixEx();
    CheckSameLength(s.design, y);
    return ProjectTarget(inverse, s.design, y);
}

Vector Trendfit::Ridge(const Vector& x, const Vector& y, double lambda, size_t degree) {
    NormalSystem s(BuildDesign(x, degree, true));
    CheckTarget(y);
    CheckDesign(s.design);
    const Matrix penalty = lambda * Matrix::CreateIdentityMatrix(s.design.columns);
    s.Sum(x, nullptr);
    const Matrix inverse = (s.Normal() + penalty).InverseMatrixEx();
    CheckSameLength(s.design, y);
    return ProjectTarget(inverse, s.design, y);
}

// The lasso-like fits use X only through X^T X and X^T y, so X is never kept whole.
Vector Trendfit::Lasso(const Vector& x, const Vector& y, double lambda, size_t degree) {
    NormalSystem s(BuildDesign(x, degree, false));
    CheckTarget(y);
    const Matrix ones = Matrix::CreateMatrixI(s.design.columns, 1);
    CheckDesign(s.design);
    const Matrix penalty = lambda * ones;
    CheckSameLength(s.design, y);
    s.Sum(x, &y);
    const Matrix d = Matrix(s.design.columns, 1, s.b.data()) - penalty;
    return (s.Normal().InverseMatrixEx() * d).GetColVector(0);
}

Vector Trendfit::ElasticNet(const Vector& x, const Vector& y, double l1, double l2,
                            size_t degree) {
    NormalSystem s(BuildDesign(x, degree, false));
    CheckTarget(y);
    const Matrix ones = Matrix::CreateMatrixI(s.design.columns, 1);
    const Matrix identity = Matrix::CreateIdentityMatrix(s.design.columns);
    CheckDesign(s.design);
    const Matrix penalty = l1 * ones;
    CheckSameLength(s.design, y);
    s.Sum(x, &y);
    const Matrix d = Matrix(s.design.columns, 1, s.b.data()) - penalty;
    const Matrix ridge = l2 * identity;
    return ((s.Normal() + ridge).InverseMatrixEx() * d).GetColVector(0);
}

double Trendfit::ComputTarge(const Vector& w, double x) {
    double sum = 0.0;
    for (size_t p = 0; p < w.Size(); ++p) sum += w[p] * std::pow(x, static_cast<double>(p));
    return sum;
}

namespace {

// Sum over p of c(p) * pow(x, p), constant term first, with c(p) = w[p], or
// w[count - 1 - p] when reversed.
double Evaluate(const double* w, size_t count, double x, bool reversed) {
    double sum = 0.0;
    for (size_t p = 0; p < count; ++p) {
        const double c = reversed ? w[count - 1 - p] : w[p];
        sum += c * std::pow(x, static_cast<double>(p));
    }
    return sum;
}

}  // namespace

double Trendfit::ComputTarge(const double* w, int count, double x, bool reversed) {
    // A negative count or a missing array holds no coefficients.
    if (w == nullptr || count <= 0) return 0.0;
    return Evaluate(w, static_cast<size_t>(count), x, reversed);
}

double Trendfit::ComputErr(const std::vector<double>& xs, const std::vector<double>& ys,
                           const std::vector<double>& w, bool reversed) {
    const size_t m = xs.size();
    // Without a y for every x there is no score: nothing is read past ys.
    if (ys.size() < m) return std::numeric_limits<double>::quiet_NaN();
    double sum = 0.0;
    for (size_t i = 0; i < m; ++i) {
        const double e = Evaluate(w.data(), w.size(), xs[i], reversed) - ys[i];
        sum += e * e;
    }
    // No points: 0.0 / 0.0, the not-a-number this platform's division gives.
    return sum / static_cast<double>(m);
}

}  // namespace pct::Ko
