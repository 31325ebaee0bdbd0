#include "app/core/DegreeSweep.h"

#include <cmath>
#include <utility>

#include "app/core/TextFormat.h"

namespace trendfit {

DegreeSweep RunDegreeSweep(const CurveFitRequest& request, int low, int high,
                           const std::function<std::uint64_t()>& clock, ITaskProgress& progress) {
    DegreeSweep sweep;
    sweep.hasTestPoints = request.testX.Size() > 0;
    const int total = high - low + 1;
    CurveFitRequest fit = request;
    // Counted in 64 bits, so a range ending at the largest int ends.
    for (long long degree = low; degree <= high && !progress.IsCancelled(); ++degree) {
        fit.degree = static_cast<std::size_t>(degree);
        sweep.points.push_back(DegreeSweepPoint{static_cast<int>(degree), RunCurveFit(fit, clock, progress)});
        progress.SetProgress(static_cast<int>(degree - low + 1), total);
    }
    // The settings keep their copy of the data only until here: moved in, then emptied.
    sweep.settings = std::move(fit);
    sweep.settings.degree = request.degree;
    sweep.settings.trainX = pct::Vector();
    sweep.settings.trainY = pct::Vector();
    sweep.settings.testX = pct::Vector();
    sweep.settings.testY = pct::Vector();
    return sweep;
}

std::optional<std::size_t> LowestTestError(const DegreeSweep& sweep) {
    if (!sweep.hasTestPoints) return std::nullopt;
    std::optional<std::size_t> lowest;
    for (std::size_t i = 0; i < sweep.points.size(); ++i) {
        const CurveFitOutcome& o = sweep.points[i].outcome;
        if (o.failed || std::isnan(o.curve.testError)) continue;
        if (!lowest || o.curve.testError < sweep.points[*lowest].outcome.curve.testError) lowest = i;
    }
    return lowest;
}

std::string SweepLine(const DegreeSweepPoint& point, bool hasTestPoints) {
    const CurveFitOutcome& o = point.outcome;
    if (o.failed) return Format("%d次: 计算失败：%s", {point.degree, o.error});
    const std::string train = FormatGeneral(o.curve.trainError, 10);
    if (!hasTestPoints) return Format("%d次: 训练误差 %s", {point.degree, train});
    return Format("%d次: 训练误差 %s 测试误差 %s", {point.degree, train, FormatGeneral(o.curve.testError, 10)});
}

bool HasSuccessfulFit(const DegreeSweep& sweep) {
    for (const DegreeSweepPoint& p : sweep.points) {
        if (!p.outcome.failed) return true;
    }
    return false;
}

std::string SweepSummaryLine(const DegreeSweep& sweep) {
    if (!HasSuccessfulFit(sweep)) return "所有阶数的计算均失败。";
    if (!sweep.hasTestPoints) return "没有测试数据：只显示训练误差，不标记最小测试误差。";
    const std::optional<std::size_t> lowest = LowestTestError(sweep);
    // A test error that is not a number (the curve's values overflowed) compares with nothing.
    if (!lowest) return "没有可比较的测试误差。";
    return Format("测试误差最小的阶数: %d次", {sweep.points[*lowest].degree});
}

std::optional<int> FirstIllConditionedDegree(const DegreeSweep& sweep, double limit) {
    for (const DegreeSweepPoint& p : sweep.points) {
        if (!p.outcome.failed && p.outcome.conditionNumber > limit) return p.degree;
    }
    return std::nullopt;
}

SweepChartData MakeSweepChartData(const DegreeSweep& sweep) {
    SweepChartData data;
    if (sweep.points.empty()) return data;
    data.lowDegree = sweep.points.front().degree;
    data.highDegree = sweep.points.back().degree;
    data.hasTestPoints = sweep.hasTestPoints;
    for (const DegreeSweepPoint& p : sweep.points) {
        if (p.outcome.failed) continue;
        data.points.push_back(SweepChartPoint{p.degree, p.outcome.curve.trainError, p.outcome.curve.testError});
    }
    if (const std::optional<std::size_t> lowest = LowestTestError(sweep)) data.bestDegree = sweep.points[*lowest].degree;
    return data;
}

}  // namespace trendfit
