#pragma once

// The scatter chart: frame, axes with eleven labelled ticks each, training and test points,
// the current curve sampled once per pixel column, and the legend. Everything follows from
// the client rectangle and a ChartData snapshot; the same drawing serves the window, the
// printer and batch images. The layout, axes and legend are drawn by free functions that
// another chart on the same frame can use with its own labels and legend rows.

#include <array>
#include <optional>
#include <string>
#include <vector>

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

// A pixel from 64-bit integer arithmetic, clamped to the 32-bit range, so no sum of
// pixels overflows.
int ClampPixel(long long value);

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

// One row of a legend: a filled square for a set of points, or a line in a curve's pen.
struct LegendEntry {
    std::string text;
    ChartColor color;
    int lineWidth = 0;  // 0: a filled square
};

// One tick of an axis: its pixel along the axis (x for the x axis, y for the y axis) and
// its label.
struct AxisTick {
    int position = 0;
    std::string label;
};

// The sizes the layout needs: the tallest text, the widest label of each axis and the
// widest legend text. The ticks' positions play no part.
ChartTextSizes MeasureChartTexts(IChartPainter& painter, const std::vector<AxisTick>& xTicks,
                                 const std::vector<AxisTick>& yTicks, const std::vector<LegendEntry>& legend);

// The x axis along the plot's bottom and the y axis along its left side with their ticks
// and labels, each axis's ticks in the order they are drawn. A label that would collide
// with the last one drawn on its axis is skipped (its tick stays); the first label of an
// axis is always drawn, except that y labels also give way to x labels they would overlap.
void DrawChartAxes(IChartPainter& painter, const ChartLayout& layout, const std::vector<AxisTick>& xTicks,
                   const std::vector<AxisTick>& yTicks);

// The legend's rows from the layout's anchor down: a square row takes 50 pixels, a line row
// its text's height and 8 more. Rows that would pass the frame's bottom are left out, and
// the last row that fits then reads "……" instead.
void DrawChartLegend(IChartPainter& painter, const ChartLayout& layout, const std::vector<LegendEntry>& legend);

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
    // The view options' additions: curves other than the current one, each in its own
    // colour by its place among the stored curves, and the band's fill.
    static constexpr int kComparedPenWidth = 2;
    static const std::array<ChartColor, 7> kComparedColors;
    static constexpr ChartColor kBandColor{255, 0, 0};
    static constexpr int kBandAlpha = 48;
    static const char* const kFontFace;     // "黑体"
    static const char* const kEmptyText;    // "没有数据"
    static const char* const kTrainLegend;  // "训练数据"
    static const char* const kTestLegend;   // "泛化数据"
    // Pixels kept free between two tick labels, and between any text and the frame.
    static constexpr int kLabelGap = 4;

    // Draws the chart of `data` into `client`. With both point lists empty only the
    // centred empty-data text is drawn; in a client too small for a plot only the frame.
    //
    // With a band, it is filled after the points and before any curve, around the current
    // curve and within the plot's height. With stored curves listed in `data.curves`, the
    // others are drawn first in their colours, the current one last in the curve pen, and
    // the legend names each; a client too narrow for the names keeps the plot and drops
    // them from the legend.
    void Draw(IChartPainter& painter, const ChartRect& client, const ChartData& data) const;

private:
    std::vector<LegendEntry> Legend(const ChartData& data) const;
    static void DrawMarkers(IChartPainter& painter, const ChartMapping& mapping,
                            const std::vector<PointRecord>& points);
    static void DrawCurve(IChartPainter& painter, const ChartLayout& layout, const ChartMapping& mapping,
                          const ChartData& data, const std::vector<double>& coefficients);
    static void DrawBand(IChartPainter& painter, const ChartLayout& layout, const ChartMapping& mapping,
                         const ChartData& data);
};

}  // namespace trendfit
