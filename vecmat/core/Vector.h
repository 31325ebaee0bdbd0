#pragma once

#include <cstddef>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/core/IMatrixFeature.h"

namespace pct {

class Matrix;

// Dense vector of doubles owning its array. A vector either has no storage (default
// constructed, built from an empty std::vector, or moved from) or storage of Size()
// elements, possibly zero of them.
class VECMAT_API Vector : public IMatrixFeature {
public:
    Vector();
    explicit Vector(size_t n);
    Vector(const double* values, size_t n);
    Vector(const Vector& other);
    Vector(Vector&& other) noexcept;
    Vector(const std::vector<double>& values);
    ~Vector() override;

    Vector& operator=(const Vector& other);
    Vector& operator=(Vector&& other) noexcept;
    Vector& operator=(const std::vector<double>& values);

    // Element-wise within the absolute tolerance 2^-52; fails when the sizes differ.
    bool operator==(const Vector& other) const;

    size_t Size() const override;
    // The three element accessors below throw a newly allocated std::exception* on a bad
    // index; the catcher deletes it.
    double GetValue(size_t index) const override;
    void SetValue(size_t index, double value) override;
    double& operator[](size_t index) override;
    double operator[](size_t index) const override;
    std::vector<double> ToFeatureDatas() override;

    bool IsEmpty() const;
    bool IsZero() const;
    bool IsParallel(const Vector& other) const;
    double Dot(const Vector& other) const;
    double L1() const;
    double L2() const;
    double InfinityNorm() const;
    Vector ToUnit();
    void Print() const;

private:
    friend class Matrix;

    double* data;
    size_t size;
};

VECMAT_API Vector operator+(const Vector& a, const Vector& b);
VECMAT_API Vector operator-(const Vector& a, const Vector& b);
VECMAT_API Vector operator*(const Vector& a, double s);
VECMAT_API Vector operator*(double s, const Vector& a);
// Cross product of two 3-element vectors.
VECMAT_API Vector operator*(const Vector& a, const Vector& b);

}  // namespace pct
