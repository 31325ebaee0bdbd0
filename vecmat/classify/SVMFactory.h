#pragma once

#include "vecmat/Export.h"
#include "vecmat/classify/ISVMKernelFunction.h"
#include "vecmat/classify/SupportVectorMachine.h"

namespace pct::Ko {

// Creates support vector machines, each owning a new kernel of the named kind.
class VECMAT_API SVMFactory {
public:
    SVMFactory() = default;
    SVMFactory(const SVMFactory&) = default;
    SVMFactory(SVMFactory&&) = default;
    // There is no state: assignment does nothing.
    SVMFactory& operator=(const SVMFactory&);
    SVMFactory& operator=(SVMFactory&&);

    static SupportVectorMachine CreateLinearSVM();
    // The degree is widened with sign extension: a negative degree becomes huge.
    static SupportVectorMachine CreatePolynomialSVM(int degree);
    static SupportVectorMachine CreateGaussianSVM(double sigma);
    static SupportVectorMachine CreateSigmoidSVM(double scale, double offset);
    static SupportVectorMachine CreateLaplacianSVM(double sigma);
    // The machine takes ownership of `kernel`.
    static SupportVectorMachine CreateCustomSVM(ISVMKernelFunction* kernel);
};

}  // namespace pct::Ko
