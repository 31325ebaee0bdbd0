#include "vecmat/core/Vector.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "vecmat/Messages.h"

namespace pct {

namespace {

// The library's zero tolerance, the machine epsilon of double (2^-52).
constexpr double kEpsilon = 2.220446049250313e-16;

bool IsNearZero(double x) { return std::fabs(x) <= kEpsilon; }

}  // namespace

Vector::Vector() : data(nullptr), size(0) {}

Vector::Vector(size_t n) : data(new double[n]()), size(n) {}

Vector::Vector(const double* values, size_t n) : data(new double[n]), size(n) {
    if (n > 0) std::copy(values, values + n, data);
}

Vector::Vector(const Vector& other) : data(new double[other.size]), size(other.size) {
    if (size > 0) std::copy(other.data, other.data + size, data);
}

Vector::Vector(Vector&& other) noexcept : data(other.data), size(other.size) {
    other.data = nullptr;
    other.size = 0;
}

Vector::Vector(const std::vector<double>& values) : data(nullptr), size(0) {
    if (values.empty()) return;
    data = new double[values.size()];
    size = values.size();
    std::copy(values.begin(), values.end(), data);
}

Vector::~Vector() {
    delete[] data;
    data = nullptr;
    size = 0;
}

Vector& Vector::operator=(const Vector& other) {
    if (this == &other) return *this;
    // Allocate first so that a failed allocation leaves this vector as it was.
    double* copy = new double[other.size];
    if (other.size > 0) std::copy(other.data, other.data + other.size, copy);
    delete[] data;
    data = copy;
    size = other.size;
    return *this;
}

Vector& Vector::operator=(Vector&& other) noexcept {
    if (this == &other) return *this;
    delete[] data;
    data = other.data;
    size = other.size;
    other.data = nullptr;
    other.size = 0;
    return *this;
}

Vector& Vector::operator=(const std::vector<double>& values) {
    if (data == nullptr || size != values.size()) {
        double* fresh = new double[values.size()];
        delete[] data;
        data = fresh;
        size = values.size();
    }
    std::copy(values.begin(), values.end(), data);
    return *this;
}

bool Vector::operator==(const Vector& other) const {
    if (size != other.size) detail::Fail(msg::kVectorCompareSizeMismatch);
    for (size_t i = 0; i < size; ++i) {
        if (!(std::fabs(data[i] - other.data[i]) <= kEpsilon)) return false;
    }
    return true;
}

size_t Vector::Size() const { return size; }

double Vector::GetValue(size_t index) const {
    if (index >= size) detail::FailByPointer(msg::kSubscriptOutOfRange);
    return data[index];
}

void Vector::SetValue(size_t index, double value) {
    if (index >= size) detail::Fail(msg::kSubscriptOutOfRange);
    data[index] = value;
}

double& Vector::operator[](size_t index) {
    if (index >= size) detail::FailByPointer(msg::kSubscriptOutOfRange);
    return data[index];
}

double Vector::operator[](size_t index) const { return GetValue(index); }

std::vector<double> Vector::ToFeatureDatas() {
    if (size == 0) return {};
    return std::vector<double>(data, data + size);
}

bool Vector::IsEmpty() const { return data == nullptr; }

bool Vector::IsZero() const {
    if (data == nullptr) detail::Fail(msg::kVectorEmpty);
    for (size_t i = 0; i < size; ++i) {
        if (!IsNearZero(data[i])) return false;
    }
    return true;
}

bool Vector::IsParallel(const Vector& other) const {
    if (data == nullptr || other.data == nullptr) detail::Fail(msg::kParallelEmptyVector);
    if (IsZero() || other.IsZero()) return true;
    bool haveRatio = false;
    double ratio = 0.0;
    for (size_t i = 0; i < size; ++i) {
        const double x = data[i];
        // A shorter argument is read through its checked accessor, never past its end.
        const double y = other[i];
        const bool xZero = IsNearZero(x);
        const bool yZero = IsNearZero(y);
        if (xZero && yZero) continue;
        if (xZero != yZero) return false;
        if (!haveRatio) {
            ratio = x / y;
            haveRatio = true;
        } else if (std::fabs(x - y * ratio) > kEpsilon) {
            return false;
        }
    }
    return true;
}

double Vector::Dot(const Vector& other) const {
    if (size != other.size) detail::Fail(msg::kDotSizeMismatch);
    double sum = 0.0;
    for (size_t i = 0; i < size; ++i) sum += data[i] * other.data[i];
    return sum;
}

double Vector::L1() const {
    double sum = 0.0;
    for (size_t i = 0; i < size; ++i) sum += std::fabs(data[i]);
    return sum;
}

double Vector::L2() const {
    double sum = 0.0;
    for (size_t i = 0; i < size; ++i) sum += data[i] * data[i];
    return std::sqrt(sum);
}

double Vector::InfinityNorm() const {
    double largest = 0.0;
    for (size_t i = 0; i < size; ++i) {
        const double a = std::fabs(data[i]);
        if (a > largest) largest = a;
    }
    return largest;
}

Vector Vector::ToUnit() {
    const double length = L2();
    Vector result(*this);
    if (IsNearZero(length)) return result;
    for (size_t i = 0; i < size; ++i) result.data[i] = data[i] / length;
    return result;
}

void Vector::Print() const {
    if (data == nullptr) {
        std::cout << "Vector is empty" << std::endl;
        return;
    }
    std::cout << "{ ";
    for (size_t i = 0; i < size; ++i) {
        if (i > 0) std::cout << '\t';
        std::cout << data[i];
    }
    std::cout << " }" << std::endl;
}

// The free operators read their operands through the virtual element access, so they
// honour any override.

Vector operator+(const Vector& a, const Vector& b) {
    const size_t n = a.Size();
    if (n != b.Size()) detail::Fail(msg::kVectorOperandSizeMismatch);
    Vector result(n);
    for (size_t i = 0; i < n; ++i) result[i] = a[i] + b[i];
    return result;
}

Vector operator-(const Vector& a, const Vector& b) {
    const size_t n = a.Size();
    if (n != b.Size()) detail::Fail(msg::kVectorOperandSizeMismatch);
    Vector result(n);
    for (size_t i = 0; i < n; ++i) result[i] = a[i] - b[i];
    return result;
}

Vector operator*(const Vector& a, double s) {
    const size_t n = a.Size();
    Vector result(n);
    for (size_t i = 0; i < n; ++i) result[i] = a[i] * s;
    return result;
}

Vector operator*(double s, const Vector& a) { return a * s; }

Vector operator*(const Vector& a, const Vector& b) {
    if (a.Size() != 3 || b.Size() != 3) detail::Fail(msg::kCrossProductNeedsThree);
    const double a0 = a[0], a1 = a[1], a2 = a[2];
    const double b0 = b[0], b1 = b[1], b2 = b[2];
    Vector result(3);
    result[0] = a1 * b2 - a2 * b1;
    result[1] = a2 * b0 - a0 * b2;
    result[2] = a0 * b1 - a1 * b0;
    return result;
}

}  // namespace pct
