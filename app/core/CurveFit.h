#pragma once

// The work of one computation apart from the document: the library fit, the check of its
// coefficients, the design's condition number and the two error scores. It reads only its
// own copies of the data, so the window can run it on a worker thread while it repaints
// from the document, and a cancelled run can finish in the background harmlessly.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "app/core/CurveResult.h"
#include "app/core/PlatformServices.h"
#include "vecmat/core/Vector.h"

namespace trendfit {

// What the compute dialog asked for, with copies of the data set's vectors.
struct CurveFitRequest {
    pct::Vector trainX;
    pct::Vector trainY;
    pct::Vector testX;
    pct::Vector testY;
    std::size_t degree = 1;
    double lambdaL1 = 0.0;
    double lambdaL2 = 0.0;
    bool lasso = false;
    bool ridge = false;
    bool stable = false;  // the option 稳定算法: plain and ridge fits by StableFit

    // Whether StableFit computes this fit: the option is on and the lasso box is clear.
    bool UsesStableFit() const { return stable && !lasso; }
};

struct CurveFitOutcome {
    bool failed = false;
    std::string error;         // why the fit failed (UTF-8)
    CurveResult curve;         // coefficients, method, errors, R² and RMSE, weights as entered
    std::uint64_t before = 0;  // clock readings just before the library fit and just after
    std::uint64_t after = 0;   // its coefficients were taken
    // The condition number of the design when the normal equations computed the fit;
    // not-a-number after StableFit.
    double conditionNumber = std::numeric_limits<double>::quiet_NaN();
};

// Runs `work` and answers the message of the library exception that stopped it, in UTF-8,
// or nothing when it ended normally. The library throws by value, and its vector accessors
// by pointer (the object then deleted here); a null pointer gives an empty message.
std::optional<std::string> LibraryFailure(const std::function<void()>& work);

// Runs the computation in steps: the fit the boxes choose (Fit, Ridge, Lasso or ElasticNet;
// StableFit for plain and ridge fits when `stable`, with Ridge's weight), reading `clock`
// around it; a coefficient that is not finite fails the fit; then the condition number
// (normal equations only), ComputErr and ComputQuality on the training and test points.
// Stops early, its outcome to be dropped, when `progress` reports a cancel after a step. A library failure
// sets `failed` and `error`; nothing is thrown.
CurveFitOutcome RunCurveFit(const CurveFitRequest& request, const std::function<std::uint64_t()>& clock,
                            const ITaskProgress& progress);

// The failure of a fit whose coefficients are not all finite numbers.
extern const char* const kCoefficientsNotFiniteMessage;  // "拟合系数中含有非数值或无穷大的值"

}  // namespace trendfit
