#pragma once

// Kernels of the support vector machine: the abstract interface and the five built-in
// kernels.

#include <cstdint>

#include "vecmat/Export.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// A kernel K(a, b). Kernels handed to a machine become its property and are destroyed
// through Release.
class VECMAT_API ISVMKernelFunction {
public:
    virtual ~ISVMKernelFunction();
    // Destroys this kernel object (delete this).
    virtual void Release();
    virtual double Calculate(const pct::Vector& a, const pct::Vector& b) = 0;
    // Calculate(a, b) through the virtual table.
    virtual double operator()(const pct::Vector& a, const pct::Vector& b);
};

// K(a, b) = a . b
class VECMAT_API SVMLinearKernel : public ISVMKernelFunction {
public:
    ~SVMLinearKernel() override;
    double Calculate(const pct::Vector& a, const pct::Vector& b) override;
};

// K(a, b) = (a . b) to the power `degree` (no added constant).
class VECMAT_API SVMPolynomialKernel : public ISVMKernelFunction {
public:
    explicit SVMPolynomialKernel(std::uint64_t degree);
    ~SVMPolynomialKernel() override;
    double Calculate(const pct::Vector& a, const pct::Vector& b) override;

    std::uint64_t degree;
};

// K(a, b) = exp(-S / ((sigma + sigma) * sigma)), S the squared distance.
class VECMAT_API SVMGaussKernel : public ISVMKernelFunction {
public:
    explicit SVMGaussKernel(double sigma);
    ~SVMGaussKernel() override;
    double Calculate(const pct::Vector& a, const pct::Vector& b) override;

    double sigma;
};

// K(a, b) = exp(-D / sigma), D the sum of absolute differences.
class VECMAT_API SVMLaplaceKernel : public ISVMKernelFunction {
public:
    explicit SVMLaplaceKernel(double sigma);
    ~SVMLaplaceKernel() override;
    double Calculate(const pct::Vector& a, const pct::Vector& b) override;

    double sigma;
};

// K(a, b) = tanh(a . b * scale + offset)
class VECMAT_API SVMSigmoidKernel : public ISVMKernelFunction {
public:
    SVMSigmoidKernel(double scale, double offset);
    ~SVMSigmoidKernel() override;
    double Calculate(const pct::Vector& a, const pct::Vector& b) override;

    double scale;
    double offset;
};

}  // namespace pct::Ko
