#include "vecmat/core/Determinant.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

#include "vecmat/Messages.h"
#include "vecmat/core/Matrix.h"

namespace pct {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// Allocates n * n zeroed elements; a count that does not fit size_t is an allocation
// failure rather than a short buffer.
double* AllocateSquare(size_t n) {
    if (n != 0 && n > SIZE_MAX / n) throw std::bad_array_new_length();
    return new double[n * n]();
}

// The sum over all orderings s of 0 .. n-1 of sign(s) * a(0, s(0)) * ... * a(n-1, s(n-1)).
// The orderings are walked one at a time in lexicographic order, the order Arrange::Create
// produces for the list 0 .. n-1, so the terms are added in the same order. Each term is
// the product 1.0 * a(0, s(0)) * a(1, s(1)) * ... taken left to right, negated when s has
// an odd number of inversions; a product prefix is reused while the ordering's leading
// entries stay the same, which repeats exactly the same multiplications. Memory stays at
// O(n) whatever n! is.
double PermutationExpansion(const double* a, size_t n) {
    if (n < 2) return 0.0;  // Arrange yields no ordering for fewer than two entries
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    std::vector<double> product(n + 1);
    product[0] = 1.0;
    bool odd = false;  // parity of the inversion count of `order`
    size_t from = 0;
    double sum = 0.0;
    for (;;) {
        for (size_t k = from; k < n; ++k) product[k + 1] = product[k] * a[k * n + order[k]];
        const double p = product[n];
        sum += odd ? -p : p;

        // Next ordering in lexicographic order; stop after the last (descending) one.
        size_t j = n - 1;
        while (j > 0 && order[j - 1] > order[j]) --j;
        if (j == 0) break;
        const size_t pivot = j - 1;
        size_t swapWith = n - 1;
        while (order[swapWith] < order[pivot]) --swapWith;
        std::swap(order[pivot], order[swapWith]);
        for (size_t lo = pivot + 1, hi = n - 1; lo < hi; ++lo, --hi) std::swap(order[lo], order[hi]);
        // Exchanging two entries flips the parity; reversing the L entries after the pivot
        // is L / 2 more exchanges.
        const size_t reversed = n - 1 - pivot;
        odd = odd != (((reversed / 2) % 2) == 0);
        from = pivot;
    }
    return sum;
}

}  // namespace

Determinant::Determinant(size_t n) : order(0), data(nullptr) {
    if (n == 0) detail::Fail(msg::kDeterminantOrderZero);
    data = AllocateSquare(n);
    order = n;
}

Determinant::Determinant(size_t n, const double* values) : order(0), data(nullptr) {
    if (n == 0) detail::Fail(msg::kDeterminantOrderZero);
    data = AllocateSquare(n);
    order = n;
    for (size_t i = 0; i < n * n; ++i) data[i] = values[i];
}

Determinant::Determinant(const Determinant& other) : order(0), data(nullptr) {
    if (other.order == 0) detail::Fail(msg::kDeterminantOrderZero);
    data = AllocateSquare(other.order);
    order = other.order;
    for (size_t i = 0; i < order * order; ++i) data[i] = other.data[i];
}

Determinant::Determinant(Determinant&& other) noexcept : order(other.order), data(other.data) {
    other.order = 0;
    other.data = nullptr;
}

Determinant::~Determinant() {
    delete[] data;
    data = nullptr;
    order = 0;
}

Determinant& Determinant::operator=(const Determinant& other) {
    if (this == &other) return *this;
    // Allocate before freeing, so an allocation failure leaves this determinant as it was.
    double* copy = nullptr;
    if (other.data != nullptr) {
        copy = AllocateSquare(other.order);
        for (size_t i = 0; i < other.order * other.order; ++i) copy[i] = other.data[i];
    }
    delete[] data;
    data = copy;
    order = other.order;
    return *this;
}

Determinant& Determinant::operator=(Determinant&& other) noexcept {
    if (this == &other) return *this;
    delete[] data;
    data = other.data;
    order = other.order;
    other.data = nullptr;
    other.order = 0;
    return *this;
}

bool Determinant::operator==(const Determinant& other) const {
    if (order != other.order) return false;
    if (order == 0) return true;
    for (size_t i = 0; i < order * order; ++i) {
        if (!(std::fabs(data[i] - other.data[i]) <= kEpsilon)) return false;
    }
    return true;
}

int Determinant::getOrder() const { return static_cast<int>(order); }

double Determinant::getValue() const {
    const double* a = data;
    switch (order) {
        case 1:
            return a[0];
        case 2:
            return a[3] * a[0] - a[1] * a[2];
        case 3: {
            const double a00 = a[0], a01 = a[1], a02 = a[2];
            const double a10 = a[3], a11 = a[4], a12 = a[5];
            const double a20 = a[6], a21 = a[7], a22 = a[8];
            return (a02 * a10 * a21 + (a11 * a00 * a22 + a12 * a01 * a20)) -
                   (a12 * a00 * a21 + a01 * a10 * a22 + a02 * a11 * a20);
        }
        default:
            return PermutationExpansion(a, order);
    }
}

double Determinant::getPoint(size_t row, size_t column) const {
    if (row >= order || column >= order) detail::Fail(msg::kElementIndexOutOfRange);
    return data[row * order + column];
}

void Determinant::setPoint(size_t row, size_t column, double value) {
    if (row >= order || column >= order) detail::Fail(msg::kElementIndexOutOfRange);
    data[row * order + column] = value;
}

Determinant Determinant::Minor(size_t column, size_t row) const {
    if (order == 1) detail::Fail(msg::kMinorOfOrderOne);
    if (column >= order || row >= order) detail::Fail(msg::kElementIndexOutOfRange);
    Determinant minor(order - 1);
    size_t at = 0;
    for (size_t r = 0; r < order; ++r) {
        if (r == row) continue;
        for (size_t c = 0; c < order; ++c) {
            if (c == column) continue;
            minor.data[at++] = data[r * order + c];
        }
    }
    return minor;
}

double Determinant::Algebraic(size_t column, size_t row) const {
    const double value = Minor(column, row).getValue();
    // Only the parity of column + row matters, so the unsigned sum may wrap.
    return ((column + row) % 2 == 0) ? value : -value;
}

Matrix Determinant::AdjugateMatrix() const {
    if (order == 0) detail::Fail(msg::kMatrixZeroDimension);
    std::vector<double> values(order * order);
    for (size_t i = 0; i < order; ++i) {
        for (size_t j = 0; j < order; ++j) values[i * order + j] = Algebraic(i, j);
    }
    return Matrix(order, order, values.data());
}

std::map<std::string, double> Determinant::Cramer(std::vector<double> b) const {
    const double d = getValue();
    if (std::fabs(d) < kEpsilon) detail::Fail(msg::kEquationsHaveNoSolution);
    std::map<std::string, double> result;
    for (size_t i = 0; i < order; ++i) {
        Determinant replaced(*this);
        if (b.size() != order) detail::Fail(msg::kDataError);
        for (size_t j = 0; j < order; ++j) replaced.data[j * order + i] = b[j];
        result["x" + std::to_string(i)] = replaced.getValue() / d;
    }
    return result;
}

}  // namespace pct
