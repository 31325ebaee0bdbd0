#pragma once

// The scatter chart: frame, axes with eleven labelled ticks each, training and test points,
// the current curve sampled once per pixel column, and the legend. Everything follows from
// the client rectangle and a ChartData snapshot; the same drawing serves the window, the
// printer and batch images.

#include <optional>

#include "app/core/ChartPainter.h"
#include "app/core/CurveResult.h"

namespace trendfit {

// Where the chart's parts go in a client rectangle.
struct ChartLayout {
    ChartRect frame;       // the client rectangle shrunk by 50 on every side
    ChartRect plot;        // the frame shrunk by 300 left and right, 100 top and bottom
    int tickStepX = 0;     // (R - L) / 10, truncated toward zero
    int tickStepY = 0;     // (B - T) / 10
    double tickLength = 0; // min(tickStepX / 5.0, 20.0), for both axes
    int legendX = 0;       // R + 40
    int legendY = 0;       // T + 100
};

ChartLayout ComputeChartLayout(const ChartRect& client);

// Truncates toward zero to a pixel, clamping values beyond the 32-bit range to its ends.
// Not-a-number has no pixel.
std::optional<int> ToPixel(double value);

// Maps data values into the plot rectangle: the bounds land exactly on its edges.
// A zero data range (all x equal, or all y equal) puts every value of that axis on the
// middle of the plot along it instead of dividing by zero.
class ChartMapping {
public:
    ChartMapping(const ChartRect& plot, double minX, double minY, double maxX, double maxY);

    // truncate((x - minX) * W / dx + L); the middle L + W / 2.0 when dx is zero.
    std::optional<int> MapX(double x) const;
    // truncate(B - (y - minY) * H / dy); the middle B - H / 2.0 when dy is zero.
    std::optional<int> MapY(double y) const;

private:
    ChartRect plot_;
    double minX_;
    double minY_;
    double dx_;
    double dy_;
};

// Draws the chart as the view does on every paint.
class ChartRenderer {
public:
    ChartColor m_clrTrain{0, 0, 255};  // training points and their legend swatch
    ChartColor m_clrTest{255, 0, 255}; // test points and their legend swatch

    static constexpr ChartColor kFrameColor{0, 0, 0};
    static constexpr ChartColor kCurveColor{255, 0, 0};
    static constexpr int kFramePenWidth = 2;
    static constexpr int kPointPenWidth = 6;
    static constexpr int kCurvePenWidth = 3;
    static constexpr int kFontPointTenths = 120;
    static const char* const kFontFace;     // "黑体"
    static const char* const kEmptyText;    // "没有数据"
    static const char* const kTrainLegend;  // "训练数据"
    static const char* const kTestLegend;   // "泛化数据"

    // Draws the chart of `data` into `client`. With both point lists empty only the
    // centred empty-data text is drawn.
    void Draw(IChartPainter& painter, const ChartRect& client, const ChartData& data) const;

private:
    static void DrawAxes(IChartPainter& painter, const ChartLayout& layout, const ChartData& data);
    static void DrawMarkers(IChartPainter& painter, const ChartMapping& mapping,
                            const std::vector<PointRecord>& points);
    static void DrawCurve(IChartPainter& painter, const ChartLayout& layout,
                          const ChartMapping& mapping, const ChartData& data);
    void DrawLegend(IChartPainter& painter, int ax, int ay) const;
};

}  // namespace trendfit
