#pragma once

// The degree sweep (validation curve): one fit per degree over a range, each by RunCurveFit
// with the request of a plain compute at that degree, so a point of the sweep is the curve
// the compute command would have made.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/CurveFit.h"
#include "app/core/SweepChart.h"

namespace trendfit {

struct DegreeSweepPoint {
    int degree = 0;
    CurveFitOutcome outcome;  // `failed` and `error` when this degree's fit failed
};

// A finished sweep: the request's fit settings (its data vectors emptied), whether the
// data had test points, and one point per degree from low to high.
struct DegreeSweep {
    CurveFitRequest settings;
    bool hasTestPoints = false;
    std::vector<DegreeSweepPoint> points;
};

// Fits degrees low ... high on the request's data with its fit settings, reporting progress
// once per degree (done, high - low + 1) and stopping between degrees once `progress` is
// cancelled (the caller then drops the result). A failing degree keeps its failure and the
// sweep goes on.
DegreeSweep RunDegreeSweep(const CurveFitRequest& request, int low, int high,
                           const std::function<std::uint64_t()>& clock, ITaskProgress& progress);

// The point with the lowest test error among the fits that succeeded, the first of equals;
// none without test points.
std::optional<std::size_t> LowestTestError(const DegreeSweep& sweep);

// The output line of a point: "3次: 训练误差 0.01 测试误差 0.02" (each "%.10g"), without the
// test error when the data have no test points, or "3次: 计算失败：<reason>".
std::string SweepLine(const DegreeSweepPoint& point, bool hasTestPoints);

// Whether any degree's fit succeeded.
bool HasSuccessfulFit(const DegreeSweep& sweep);

// The line after the points: "所有阶数的计算均失败。" when no fit succeeded, else
// "没有测试数据：只显示训练误差，不标记最小测试误差。" without test points, else
// "测试误差最小的阶数: 5次" ("没有可比较的测试误差。" when every test error is not a number).
std::string SweepSummaryLine(const DegreeSweep& sweep);

// The lowest degree whose fit by the normal equations had a design with a condition number
// above `limit` (its errors may have lost their digits); none after StableFit.
std::optional<int> FirstIllConditionedDegree(const DegreeSweep& sweep, double limit);

// What the sweep chart draws of a sweep: its range, the errors of the fits that
// succeeded, and the degree of the lowest test error.
SweepChartData MakeSweepChartData(const DegreeSweep& sweep);

}  // namespace trendfit
