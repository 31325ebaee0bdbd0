#include "app/core/CurveBand.h"

#include <optional>
#include <string>

#include "app/core/CurveFit.h"

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
    const std::optional<std::string> error = trendfit::LibraryFailure([&] {
        result.band = std::make_shared<const pct::Ko::ConfidenceBand>(x, y, curve.coefficients.size() - 1, lambda);
    });
    if (error) result.note = kBandFailedNote + *error;
    return result;
}
