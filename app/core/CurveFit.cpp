#include "app/core/CurveFit.h"

#include <cmath>
#include <exception>
#include <utility>

#include "vecmat/MessageText.h"
#include "vecmat/regression/Trendfit.h"

namespace trendfit {

const char* const kCoefficientsNotFiniteMessage = "拟合系数中含有非数值或无穷大的值";

namespace {

using pct::Ko::Trendfit;

pct::Vector LibraryFit(const CurveFitRequest& r) {
    if (r.UsesStableFit()) return Trendfit::StableFit(r.trainX, r.trainY, r.degree, r.ridge ? r.lambdaL2 : 0.0);
    if (r.lasso && r.ridge) return Trendfit::ElasticNet(r.trainX, r.trainY, r.lambdaL1, r.lambdaL2, r.degree);
    if (r.lasso) return Trendfit::Lasso(r.trainX, r.trainY, r.lambdaL1, r.degree);
    if (r.ridge) return Trendfit::Ridge(r.trainX, r.trainY, r.lambdaL2, r.degree);
    return Trendfit::Fit(r.trainX, r.trainY, r.degree);
}

// The elements of v in order (ToFeatureDatas without its need of a mutable vector).
std::vector<double> Values(const pct::Vector& v) {
    std::vector<double> values(v.Size());
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = v[i];
    return values;
}

FitMethod ChosenMethod(bool lasso, bool ridge) {
    if (lasso) return ridge ? FitMethod::ElasticNet : FitMethod::Lasso;
    return ridge ? FitMethod::Ridge : FitMethod::Plain;
}

bool AllFinite(const std::vector<double>& values) {
    for (double v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

// The steps after the clock's first reading; throws what the library throws.
void FitAndScore(const CurveFitRequest& r, const std::function<std::uint64_t()>& clock,
                 const ITaskProgress& progress, CurveFitOutcome& out) {
    pct::Vector coefficients = LibraryFit(r);
    out.after = clock();
    out.curve.coefficients = coefficients.ToFeatureDatas();
    out.curve.lambdaL1 = r.lambdaL1;
    out.curve.lambdaL2 = r.lambdaL2;
    out.curve.method = ChosenMethod(r.lasso, r.ridge);
    if (!AllFinite(out.curve.coefficients)) {
        out.failed = true;
        out.error = kCoefficientsNotFiniteMessage;
        return;
    }
    if (progress.IsCancelled()) return;
    if (!r.UsesStableFit()) {
        out.conditionNumber = Trendfit::ConditionNumber(r.trainX, r.degree);
        if (progress.IsCancelled()) return;
    }
    const std::vector<double>& c = out.curve.coefficients;
    const std::vector<double> trainX = Values(r.trainX), trainY = Values(r.trainY);
    const std::vector<double> testX = Values(r.testX), testY = Values(r.testY);
    out.curve.trainError = Trendfit::ComputErr(trainX, trainY, c, false);
    out.curve.testError = Trendfit::ComputErr(testX, testY, c, false);
    out.curve.trainQuality = Trendfit::ComputQuality(trainX, trainY, c, false);
    out.curve.testQuality = Trendfit::ComputQuality(testX, testY, c, false);
}

}  // namespace

CurveFitOutcome RunCurveFit(const CurveFitRequest& request, const std::function<std::uint64_t()>& clock,
                            const ITaskProgress& progress) {
    CurveFitOutcome out;
    out.before = clock();
    if (std::optional<std::string> error = LibraryFailure([&] { FitAndScore(request, clock, progress, out); })) {
        out.failed = true;
        out.error = std::move(*error);
    }
    return out;
}

std::optional<std::string> LibraryFailure(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        return pct::MessageToUtf8(e.what());
    } catch (const std::exception* e) {
        // The catcher owns the object.
        std::string message = e != nullptr ? pct::MessageToUtf8(e->what()) : std::string();
        delete e;
        return message;
    }
    return std::nullopt;
}

}  // namespace trendfit
