#pragma once

// The scatter chart: frame, axes with eleven labelled ticks each, training and test points,
// the current curve sampled once per pixel column, and the legend. Everything follows from
// the client rectangle and a ChartData snapshot; the same drawing serves the window, the
// printer and batch images.

#include <optional>

#include "app/core/ChartPainter.h"
#include "app/core/CurveResult.h"

namespace trendfit {

// Sizes of the chart's texts in the current font, in pixels. The layout keeps room for
// them below full size.
struct ChartTextSizes {
    int height = 0;       // the tallest text
    int xLabelWidth = 0;  // the widest x tick label
    int yLabelWidth = 0;  // the widest y tick label
    int legendWidth = 0;  // the wider legend text
};

// Where the chart's parts go in a client rectangle.
//
// In a client at least 1900 wide the plot is the frame shrunk by 300 left and right, in
// one at least 700 high by 100 top and bottom. Below either size the insets of that
// direction total a third of the frame at most, so the plot keeps two thirds of it, and are
// shared so the y labels fit to the left of the plot, the x labels below it and the legend
// to its right, all inside the frame; the legend's gap to the plot shrinks from 40 to 10
// pixels and then its swatches from 30 to 12 where room is short.
// Where they cannot fit, or the plot would be lower than the legend, there is no plot;
// nothing is ever laid out inverted.
struct ChartLayout {
    ChartRect frame;        // the client rectangle shrunk by 50 on every side
    bool hasFrame = false;  // false when the client is too small for a frame
    bool hasPlot = false;   // false when the client is too small for a plot: frame only
    ChartRect plot;
    int tickStepX = 0;      // (R - L) / 10, truncated toward zero
    int tickStepY = 0;      // (B - T) / 10
    double tickLength = 0;  // min(tickStepX / 5.0, 20.0), for both axes
    int legendX = 0;        // R + 40 at full width
    int legendY = 0;        // T + 100 at full height
    int swatchSize = 30;    // side of the legend's colour swatches
};

ChartLayout ComputeChartLayout(const ChartRect& client, const ChartTextSizes& text = {});

// Whether two text rectangles overlap or come closer than `gap` pixels.
bool LabelsCollide(const ChartRect& a, const ChartRect& b, int gap);

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
    // Pixels kept free between two tick labels, and between any text and the frame.
    static constexpr int kLabelGap = 4;

    // Draws the chart of `data` into `client`. With both point lists empty only the
    // centred empty-data text is drawn; in a client too small for a plot only the frame.
    // A tick label that would collide with the last label drawn on its axis is skipped
    // (its tick stays); the first label of an axis is always drawn, except that the y
    // axis's labels also give way to x labels they would overlap, at the corner they share.
    void Draw(IChartPainter& painter, const ChartRect& client, const ChartData& data) const;

private:
    static ChartTextSizes MeasureTexts(IChartPainter& painter, const ChartData& data);
    static void DrawAxes(IChartPainter& painter, const ChartLayout& layout, const ChartData& data);
    static void DrawMarkers(IChartPainter& painter, const ChartMapping& mapping,
                            const std::vector<PointRecord>& points);
    static void DrawCurve(IChartPainter& painter, const ChartLayout& layout,
                          const ChartMapping& mapping, const ChartData& data);
    void DrawLegend(IChartPainter& painter, const ChartLayout& layout) const;
};

}  // namespace trendfit
