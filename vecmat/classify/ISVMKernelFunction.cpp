#include "vecmat/classify/ISVMKernelFunction.h"

#include <cmath>
#include <cstddef>

namespace pct::Ko {

ISVMKernelFunction::~ISVMKernelFunction() = default;

void ISVMKernelFunction::Release() { delete this; }

double ISVMKernelFunction::operator()(const pct::Vector& a, const pct::Vector& b) {
    return Calculate(a, b);
}

SVMLinearKernel::~SVMLinearKernel() = default;

double SVMLinearKernel::Calculate(const pct::Vector& a, const pct::Vector& b) { return a.Dot(b); }

SVMPolynomialKernel::SVMPolynomialKernel(std::uint64_t degree) : degree(degree) {}

SVMPolynomialKernel::~SVMPolynomialKernel() = default;

double SVMPolynomialKernel::Calculate(const pct::Vector& a, const pct::Vector& b) {
    return std::pow(a.Dot(b), static_cast<double>(degree));
}

SVMGaussKernel::SVMGaussKernel(double sigma) : sigma(sigma) {}

SVMGaussKernel::~SVMGaussKernel() = default;

double SVMGaussKernel::Calculate(const pct::Vector& a, const pct::Vector& b) {
    // Runs over a's entries; b is read through its range-checked accessor, so a shorter b
    // fails there.
    double sum = 0.0;
    const size_t n = a.Size();
    for (size_t i = 0; i < n; ++i) {
        const double d = a[i] - b[i];
        sum += d * d;
    }
    return std::exp(-sum / ((sigma + sigma) * sigma));
}

SVMLaplaceKernel::SVMLaplaceKernel(double sigma) : sigma(sigma) {}

SVMLaplaceKernel::~SVMLaplaceKernel() = default;

double SVMLaplaceKernel::Calculate(const pct::Vector& a, const pct::Vector& b) {
    double sum = 0.0;
    const size_t n = a.Size();
    for (size_t i = 0; i < n; ++i) sum += std::fabs(a[i] - b[i]);
    return std::exp(-sum / sigma);
}

SVMSigmoidKernel::SVMSigmoidKernel(double scale, double offset) : scale(scale), offset(offset) {}

SVMSigmoidKernel::~SVMSigmoidKernel() = default;

double SVMSigmoidKernel::Calculate(const pct::Vector& a, const pct::Vector& b) {
    return std::tanh(a.Dot(b) * scale + offset);
}

}  // namespace pct::Ko
