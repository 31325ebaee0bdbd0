#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/core/Matrix.h"

namespace pct {

// A square array of doubles treated as a determinant: value, minors, cofactors, adjugate
// and Cramer's rule. Elements are stored row-major: (r, c) at r * order + c.
class VECMAT_API Determinant {
public:
    // Order n, every element 0.0 (to be set with setPoint). Fails when n is 0.
    explicit Determinant(size_t n);
    // Order n with the n * n elements copied row-major from `values`. Fails when n is 0.
    Determinant(size_t n, const double* values);
    // Deep copy; fails when the source has order 0 (the moved-from state).
    Determinant(const Determinant& other);
    // Takes the storage; the source is left with order 0 and no storage.
    Determinant(Determinant&& other) noexcept;
    ~Determinant();

    // Deep copy without an order check (a moved-from source gives a moved-from copy).
    Determinant& operator=(const Determinant& other);
    Determinant& operator=(Determinant&& other) noexcept;

    // Different orders: false; order 0: true; otherwise every pair of elements within 2^-52.
    bool operator==(const Determinant& other) const;

    int getOrder() const;

    // Orders 1 to 3 directly (order 3 by the rule of Sarrus); order 4 and above by the
    // permutation expansion, walking the orderings one at a time.
    double getValue() const;

    double getPoint(size_t row, size_t column) const;
    void setPoint(size_t row, size_t column, double value);

    // The determinant left after deleting `column` and `row` (column first).
    Determinant Minor(size_t column, size_t row) const;

    // (-1)^(column + row) times the value of Minor(column, row).
    double Algebraic(size_t column, size_t row) const;

    // The classical adjugate: element (i, j) is Algebraic(i, j).
    Matrix AdjugateMatrix() const;

    // Solves the system with this array as coefficients and `b` as right-hand side; the
    // unknowns come back under the keys "x0", "x1", ...
    std::map<std::string, double> Cramer(std::vector<double> b) const;

private:
    size_t order;
    double* data;
};

}  // namespace pct
