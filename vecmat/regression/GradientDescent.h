#pragma once

#include <cstddef>
#include <functional>

#include "vecmat/Export.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko {

// Outcome of a descent: the point reached, the steps taken, the loss there and the
// tolerance asked for. The run reached its target exactly when tolerance >= loss.
struct VECMAT_API GrandientResult {
    Vector point;
    size_t iterations = 0;
    double loss = 0.0;
    double tolerance = 0.0;
};

// Plain fixed-step gradient descent over a caller's loss and gradient.
class VECMAT_API GradientDescent {
public:
    using LossFunction = std::function<double(const Vector&)>;
    using GradientFunction = std::function<Vector(const Vector&)>;

    GradientDescent(LossFunction loss = {}, GradientFunction grad = {});
    GradientDescent(const GradientDescent& other);
    GradientDescent(GradientDescent&& other) noexcept;
    GradientDescent& operator=(const GradientDescent& other);
    GradientDescent& operator=(GradientDescent&& other) noexcept;
    ~GradientDescent();

    // Replaces both callables; either may be empty.
    void SetFunc(LossFunction loss, GradientFunction grad);

    // Steps x <- x - rate * grad(x) from `start` while fewer than maxIter steps were taken
    // and the loss exceeds tol (a not-a-number loss stops the run). Fails when either
    // callable is missing.
    GrandientResult Compute(const Vector& start, size_t maxIter, double rate, double tol) const;

private:
    LossFunction lossFunc;
    GradientFunction gradFunc;
};

}  // namespace pct::Ko
