#pragma once

// The degree-sweep chart: training and test error against the degree on a logarithmic
// y axis with a tick per decade, the degree of the lowest test error marked, and its own
// legend. It shares the scatter chart's layout, axes (with their label rules) and legend.

#include <optional>
#include <string>
#include <vector>

#include "app/core/ChartPainter.h"
#include "app/core/ChartRenderer.h"

namespace trendfit {

// The errors of one degree whose fit succeeded.
struct SweepChartPoint {
    int degree = 0;
    double trainError = 0.0;
    double testError = 0.0;  // not a number without test points
};

struct SweepChartData {
    int lowDegree = 0;  // the swept range; 0 and 0 before any sweep
    int highDegree = 0;
    bool hasTestPoints = false;
    std::vector<SweepChartPoint> points;  // by degree, failed degrees left out
    std::optional<int> bestDegree;        // the lowest test error
    std::optional<int> selectedDegree;    // the view's choice, drawn as a grey line
};

// The decades the y axis spans: 10^low to 10^high, low < high, covering every positive
// finite error drawn (the test errors only with test points). Without any, 10^0 to 10^1.
struct ErrorDecades {
    int low = 0;
    int high = 1;
};
ErrorDecades SweepErrorDecades(const SweepChartData& data);

// Where a drawn error goes on the log axis: log10 of a positive finite error; an error
// of zero or below sits on the axis's bottom decade (a log axis has no place for it); not
// a number or an infinity has no place.
std::optional<double> SweepLogError(double error, const ErrorDecades& decades);

class SweepChartRenderer {
public:
    static constexpr ChartColor kTrainColor{0, 0, 255};
    static constexpr ChartColor kTestColor{255, 0, 255};
    static constexpr ChartColor kBestColor{255, 0, 0};
    static constexpr ChartColor kSelectedColor{160, 160, 160};
    static constexpr int kLinePenWidth = 2;
    static constexpr int kBestPenWidth = 3;
    static constexpr int kPointRadius = 3;
    static constexpr int kBestRadius = 9;
    static const char* const kTrainLegend;  // "训练误差"
    static const char* const kTestLegend;   // "测试误差"
    static const char* const kBestLegend;   // "最小测试误差"
    static const char* const kEmptyText;    // "尚未进行阶数扫描"

    // Draws the chart into `client` and answers its layout. Before any sweep only the
    // centred empty text is drawn (the layout then has no frame). The x axis runs from half
    // a degree below the range to half a degree above, its ticks on whole degrees (1, 2, 5,
    // 10, 20, ... apart, at most 16); the y axis has a tick per decade labelled "1e<k>".
    // Each series is a line through its points with a small circle on each, broken where a
    // degree is missing. The best degree gets a ring on its test error and the label
    // "<d>次"; the test series and the mark are left out without test points. A client too
    // narrow for the legend's row of the mark keeps the plot and drops that row.
    ChartLayout Draw(IChartPainter& painter, const ChartRect& client, const SweepChartData& data) const;
};

// The degree under pixel column x of a chart drawn with `layout`: the nearest degree of
// the range, none outside the plot or without one.
std::optional<int> SweepDegreeAt(const ChartLayout& layout, const SweepChartData& data, int x);

}  // namespace trendfit
