#include "vecmat/regression/GradientDescent.h"

#include <utility>

#include "vecmat/Messages.h"

namespace pct::Ko {

GradientDescent::GradientDescent(LossFunction loss, GradientFunction grad)
    : lossFunc(std::move(loss)), gradFunc(std::move(grad)) {}

GradientDescent::GradientDescent(const GradientDescent& other) = default;

GradientDescent::GradientDescent(GradientDescent&& other) noexcept = default;

GradientDescent& GradientDescent::operator=(const GradientDescent& other) {
    if (this != &other) {
        // Copy both first so that a failing copy leaves this object as it was.
        LossFunction loss = other.lossFunc;
        GradientFunction grad = other.gradFunc;
        lossFunc = std::move(loss);
        gradFunc = std::move(grad);
    }
    return *this;
}

GradientDescent& GradientDescent::operator=(GradientDescent&& other) noexcept {
    if (this != &other) {
        lossFunc = std::move(other.lossFunc);
        gradFunc = std::move(other.gradFunc);
    }
    return *this;
}

GradientDescent::~GradientDescent() = default;

void GradientDescent::SetFunc(LossFunction loss, GradientFunction grad) {
    lossFunc = std::move(loss);
    gradFunc = std::move(grad);
}

GrandientResult GradientDescent::Compute(const Vector& start, size_t maxIter, double rate,
                                         double tol) const {
    if (!lossFunc || !gradFunc) detail::Fail(msg::kMissingLossOrGradient);
    Vector x = start;
    double loss = lossFunc(x);
    size_t k = 0;
    // A not-a-number loss fails the comparison and ends the run.
    while (k < maxIter && loss > tol) {
        const Vector g = gradFunc(x);
        x = x - g * rate;
        loss = lossFunc(x);
        ++k;
    }
    GrandientResult result;
    result.point = std::move(x);
    result.iterations = k;
    result.loss = loss;
    result.tolerance = tol;
    return result;
}

}  // namespace pct::Ko
