#include "app/core/CurveBand.h"

#include <exception>

#include "vecmat/MessageText.h"

const char* const kPenaltyBandNote =
    "Lasso与弹性网络曲线不绘制置信带：置信带由最小二乘的协方差算出，只适用于普通与岭回归曲线。";
const char* const kBandFailedNote = "无法计算置信带：";
const char* const kBandCancelledNote = "置信带计算已取消。";

CurveBand MakeCurveBand(const CurveResult& curve, const pct::Vector& x, const pct::Vector& y) {
    CurveBand result;
    if (curve.coefficients.empty()) return result;
    if (curve.method == FitMethod::Lasso || curve.method == FitMethod::ElasticNet) {
        result.note = kPenaltyBandNote;
        return result;
    }
    // A plain curve keeps the L2 weight typed into the dialog with its box clear: only a
    // ridge curve was fitted with it.
    const double lambda = curve.method == FitMethod::Ridge ? curve.lambdaL2 : 0.0;
    try {
        result.band = std::make_shared<const pct::Ko::ConfidenceBand>(x, y, curve.coefficients.size() - 1, lambda);
    } catch (const std::exception& e) {
        result.note = kBandFailedNote + pct::MessageToUtf8(e.what());
    } catch (const std::exception* e) {
        // The vector accessors throw by pointer; the catcher owns the object.
        result.note = kBandFailedNote + (e != nullptr ? pct::MessageToUtf8(e->what()) : std::string());
        delete e;
    }
    return result;
}
