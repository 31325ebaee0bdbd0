#include "vecmat/classify/SVMFactory.h"

#include <cstdint>

namespace pct::Ko {

SVMFactory& SVMFactory::operator=(const SVMFactory&) { return *this; }

SVMFactory& SVMFactory::operator=(SVMFactory&&) { return *this; }

SupportVectorMachine SVMFactory::CreateLinearSVM() {
    return SupportVectorMachine(new SVMLinearKernel());
}

SupportVectorMachine SVMFactory::CreatePolynomialSVM(int degree) {
    // Sign extension to 64 bits, then reinterpretation as unsigned (well defined modulo 2^64).
    const std::uint64_t widened = static_cast<std::uint64_t>(static_cast<std::int64_t>(degree));
    return SupportVectorMachine(new SVMPolynomialKernel(widened));
}

SupportVectorMachine SVMFactory::CreateGaussianSVM(double sigma) {
    return SupportVectorMachine(new SVMGaussKernel(sigma));
}

SupportVectorMachine SVMFactory::CreateSigmoidSVM(double scale, double offset) {
    return SupportVectorMachine(new SVMSigmoidKernel(scale, offset));
}

SupportVectorMachine SVMFactory::CreateLaplacianSVM(double sigma) {
    return SupportVectorMachine(new SVMLaplaceKernel(sigma));
}

SupportVectorMachine SVMFactory::CreateCustomSVM(ISVMKernelFunction* kernel) {
    return SupportVectorMachine(kernel);
}

}  // namespace pct::Ko
