#include "app/core/ChartRenderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "app/core/TextFormat.h"
#include "vecmat/regression/Trendfit.h"

namespace trendfit {

namespace {

// Integer pixel arithmetic is done in 64 bits and clamped back, so no sum overflows.
int Clamp(long long value) {
    if (value < INT_MIN) return INT_MIN;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

int Pixel(double value) { return ToPixel(value).value_or(0); }

}  // namespace

const char* const ChartRenderer::kFontFace = "黑体";
const char* const ChartRenderer::kEmptyText = "没有数据";
const char* const ChartRenderer::kTrainLegend = "训练数据";
const char* const ChartRenderer::kTestLegend = "泛化数据";

std::optional<int> ToPixel(double value) {
    if (std::isnan(value)) return std::nullopt;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);  // truncates toward zero
}

namespace {

constexpr long long kFullInsetX = 300;
constexpr long long kFullInsetY = 100;
constexpr long long kLegendGap = 40;     // from the plot to the swatches, at full width
constexpr long long kMinLegendGap = 10;  // the least it shrinks to
constexpr long long kSwatchSize = 30;
constexpr long long kMinSwatchSize = 12;
constexpr long long kSwatchTextGap = 5;  // from a swatch to its text
constexpr long long kLegendRowStep = 50;
constexpr long long kLegendDrop = 100;   // from the plot's top to the first swatch
constexpr long long kGap = ChartRenderer::kLabelGap;

// The label of tick i of an axis from lo to hi.
std::string TickLabel(double lo, double hi, int i) {
    const double step = (hi - lo) / 10.0;
    return FormatFixed(lo + i * step, 2);
}

double TickLength(long long tickStepX) { return std::min(tickStepX / 5.0, 20.0); }

// The insets (near side, far side) of one direction of a frame `extent` long: `full` each
// from six times `full` on; below, a sixth each, the far side then grown toward `wantFar`
// and shrunk to leave `needNear`. `ok` is false when the near side gets less than
// `needNear` or the far side less than `needFar`.
struct Insets {
    long long nearSide;
    long long farSide;
    bool ok;
};

Insets ShareInsets(long long extent, long long full, long long needNear, long long needFar, long long wantFar) {
    if (extent >= 6 * full) return Insets{full, full, true};
    const long long half = extent / 6;
    const long long total = 2 * half;
    long long farSide = std::max(half, std::min(wantFar, total - needNear));
    farSide = std::min(farSide, total - needNear);
    return Insets{total - farSide, farSide, farSide >= needFar};
}

}  // namespace

ChartLayout ComputeChartLayout(const ChartRect& client, const ChartTextSizes& text) {
    ChartLayout layout;
    layout.frame = ChartRect{Clamp(client.left + 50LL), Clamp(client.top + 50LL),
                             Clamp(client.right - 50LL), Clamp(client.bottom - 50LL)};
    const ChartRect& f = layout.frame;
    const long long frameWidth = static_cast<long long>(f.right) - f.left;
    const long long frameHeight = static_cast<long long>(f.bottom) - f.top;
    layout.hasFrame = frameWidth > 0 && frameHeight > 0;
    if (!layout.hasFrame) return layout;

    // The plot's width is fixed by the total of the two insets, whichever way they are
    // shared, and with it the tick length the labels must clear.
    const bool fullWidth = frameWidth >= 6 * kFullInsetX;
    const long long insetTotalX = fullWidth ? 2 * kFullInsetX : 2 * (frameWidth / 6);
    const double k = TickLength((frameWidth - insetTotalX) / 10);
    const long long tick = static_cast<long long>(std::ceil(k));
    const long long halfX = text.xLabelWidth - text.xLabelWidth / 2;  // the wider half
    // From a swatch's right edge to the frame.
    const long long legendText = kSwatchTextGap + static_cast<long long>(text.legendWidth) + kGap;
    const Insets x = ShareInsets(frameWidth, kFullInsetX,
                                 std::max(tick + text.yLabelWidth, halfX) + kGap,
                                 std::max(kMinLegendGap + kMinSwatchSize + legendText, halfX + kGap),
                                 kLegendGap + kSwatchSize + legendText);
    // Short of room the legend first narrows its gap to the plot, then its swatches.
    const long long spare = x.farSide - legendText;
    const long long swatch = fullWidth ? kSwatchSize : std::clamp(spare - kMinLegendGap, kMinSwatchSize, kSwatchSize);
    const long long gap = fullWidth ? kLegendGap : std::min(kLegendGap, spare - swatch);
    layout.swatchSize = static_cast<int>(swatch);

    const long long legendHeight = kLegendRowStep + std::max<long long>(swatch, text.height);
    // Above the plot half a y label; below it the ticks and the x labels.
    const long long below = static_cast<long long>(std::floor(k)) + 2 + text.height + kGap;
    const Insets y = ShareInsets(frameHeight, kFullInsetY, text.height / 2 + kGap, below, below);

    layout.plot = ChartRect{Clamp(f.left + x.nearSide), Clamp(f.top + y.nearSide),
                            Clamp(f.right - x.farSide), Clamp(f.bottom - y.farSide)};
    const ChartRect& p = layout.plot;
    const long long plotHeight = static_cast<long long>(p.bottom) - p.top;
    const bool fullHeight = frameHeight >= 6 * kFullInsetY;
    layout.hasPlot = x.ok && y.ok && (fullHeight || plotHeight >= legendHeight);
    layout.tickStepX = Clamp((static_cast<long long>(p.right) - p.left) / 10);
    layout.tickStepY = Clamp(plotHeight / 10);
    layout.tickLength = TickLength(layout.tickStepX);
    layout.legendX = Clamp(p.right + gap);
    layout.legendY = Clamp(p.top + (fullHeight ? kLegendDrop : std::min(kLegendDrop, plotHeight - legendHeight)));
    return layout;
}

bool LabelsCollide(const ChartRect& a, const ChartRect& b, int gap) {
    const long long g = gap;
    return a.left < b.right + g && b.left < a.right + g && a.top < b.bottom + g && b.top < a.bottom + g;
}

ChartMapping::ChartMapping(const ChartRect& plot, double minX, double minY, double maxX, double maxY)
    : plot_(plot), minX_(minX), minY_(minY), dx_(maxX - minX), dy_(maxY - minY) {}

std::optional<int> ChartMapping::MapX(double x) const {
    const double width = static_cast<double>(static_cast<long long>(plot_.right) - plot_.left);
    if (dx_ == 0.0) return ToPixel(plot_.left + width / 2.0);
    return ToPixel((x - minX_) * width / dx_ + plot_.left);
}

std::optional<int> ChartMapping::MapY(double y) const {
    const double height = static_cast<double>(static_cast<long long>(plot_.bottom) - plot_.top);
    if (dy_ == 0.0) return ToPixel(plot_.bottom - height / 2.0);
    return ToPixel(plot_.bottom - (y - minY_) * height / dy_);
}

ChartTextSizes ChartRenderer::MeasureTexts(IChartPainter& painter, const ChartData& data) {
    ChartTextSizes sizes;
    auto measure = [&painter, &sizes](const std::string& text, int& width) {
        const ChartSize extent = painter.GetTextExtent(text);
        width = std::max(width, extent.width);
        sizes.height = std::max(sizes.height, extent.height);
    };
    for (int i = 0; i <= 10; ++i) {
        measure(TickLabel(data.minX, data.maxX, i), sizes.xLabelWidth);
        measure(TickLabel(data.minY, data.maxY, i), sizes.yLabelWidth);
    }
    measure(kTrainLegend, sizes.legendWidth);
    measure(kTestLegend, sizes.legendWidth);
    return sizes;
}

void ChartRenderer::Draw(IChartPainter& painter, const ChartRect& client, const ChartData& data) const {
    painter.SelectFont(kFontPointTenths, kFontFace);
    if (data.trainPoints.empty() && data.testPoints.empty()) {
        painter.DrawTextCentered(client, kEmptyText);
        return;
    }
    const ChartLayout layout = ComputeChartLayout(client, MeasureTexts(painter, data));
    if (!layout.hasFrame) return;
    painter.SelectPen(kFramePenWidth, kFrameColor);
    painter.Rectangle(layout.frame);
    if (!layout.hasPlot) return;
    DrawAxes(painter, layout, data);

    const ChartMapping mapping(layout.plot, data.minX, data.minY, data.maxX, data.maxY);
    painter.SelectPen(kPointPenWidth, m_clrTrain);
    DrawMarkers(painter, mapping, data.trainPoints);
    painter.SelectPen(kPointPenWidth, m_clrTest);
    DrawMarkers(painter, mapping, data.testPoints);
    if (!data.coefficients.empty()) {
        painter.SelectPen(kCurvePenWidth, kCurveColor);
        DrawCurve(painter, layout, mapping, data);
    }
    DrawLegend(painter, layout);
}

void ChartRenderer::DrawAxes(IChartPainter& painter, const ChartLayout& layout, const ChartData& data) {
    const int l = layout.plot.left;
    const int t = layout.plot.top;
    const int r = layout.plot.right;
    const int b = layout.plot.bottom;
    painter.MoveTo(l, b);
    painter.LineTo(r, b);
    painter.MoveTo(l, b);
    painter.LineTo(l, t);

    const double k = layout.tickLength;
    std::vector<ChartRect> xLabels;
    // Draws the label unless it comes too near the last one drawn on its axis or, for the
    // y axis, overlaps an x label.
    auto label = [&painter, &xLabels](int x, int y, const std::string& text, ChartSize extent,
                                      std::optional<ChartRect>& last, bool yAxis) {
        const ChartRect box{x, y, Clamp(static_cast<long long>(x) + extent.width),
                            Clamp(static_cast<long long>(y) + extent.height)};
        if (last && LabelsCollide(box, *last, kLabelGap)) return;
        if (yAxis) {
            for (const ChartRect& other : xLabels) {
                if (LabelsCollide(box, other, 0)) return;
            }
        } else {
            xLabels.push_back(box);
        }
        painter.TextOut(x, y, text);
        last = box;
    };

    const int yb = Pixel(b + k);
    std::optional<ChartRect> lastX;
    for (int i = 0; i <= 10; ++i) {
        const int xi = Clamp(static_cast<long long>(i) * layout.tickStepX + l);
        painter.MoveTo(xi, b);
        painter.LineTo(xi, yb);
        const std::string text = TickLabel(data.minX, data.maxX, i);
        const ChartSize extent = painter.GetTextExtent(text);
        label(Clamp(static_cast<long long>(xi) - extent.width / 2), Clamp(yb + 2LL), text, extent, lastX, false);
    }

    const int xl = Pixel(l - k);
    std::optional<ChartRect> lastY;
    for (int i = 0; i <= 10; ++i) {
        const int yi = Clamp(b - static_cast<long long>(i) * layout.tickStepY);
        painter.MoveTo(l, yi);
        painter.LineTo(xl, yi);
        const std::string text = TickLabel(data.minY, data.maxY, i);
        const ChartSize extent = painter.GetTextExtent(text);
        label(Clamp(static_cast<long long>(xl) - extent.width), Clamp(static_cast<long long>(yi) - extent.height / 2),
              text, extent, lastY, true);
    }
}

void ChartRenderer::DrawMarkers(IChartPainter& painter, const ChartMapping& mapping,
                                const std::vector<PointRecord>& points) {
    for (const PointRecord& point : points) {
        const std::optional<int> px = mapping.MapX(point.x);
        const std::optional<int> py = mapping.MapY(point.y);
        // A value that is not a number has no place on the chart.
        if (!px || !py) continue;
        painter.Ellipse(ChartRect{Clamp(*px - 3LL), Clamp(*py - 3LL), Clamp(*px + 3LL), Clamp(*py + 3LL)});
    }
}

void ChartRenderer::DrawCurve(IChartPainter& painter, const ChartLayout& layout,
                              const ChartMapping& mapping, const ChartData& data) {
    const long long width = static_cast<long long>(layout.plot.right) - layout.plot.left;
    const double dx = data.maxX - data.minX;
    const int count = static_cast<int>(std::min<std::size_t>(data.coefficients.size(), INT_MAX));
    bool penDown = false;
    for (long long i = 0; i <= width; ++i) {
        const double x = static_cast<double>(i) * dx / static_cast<double>(width) + data.minX;
        const double y = pct::Ko::Trendfit::ComputTarge(data.coefficients.data(), count, x, false);
        const std::optional<int> py = mapping.MapY(y);
        if (!py) {
            // No pixel for this column: the line resumes at the next one that has one.
            penDown = false;
            continue;
        }
        const int px = Clamp(layout.plot.left + i);
        if (penDown) {
            painter.LineTo(px, *py);
        } else {
            painter.MoveTo(px, *py);
            penDown = true;
        }
    }
}

void ChartRenderer::DrawLegend(IChartPainter& painter, const ChartLayout& layout) const {
    const long long ax = layout.legendX;
    const long long ay = layout.legendY;
    const long long side = layout.swatchSize;
    const int textX = Clamp(ax + side + kSwatchTextGap);
    painter.FillRect(ChartRect{Clamp(ax), Clamp(ay), Clamp(ax + side), Clamp(ay + side)}, m_clrTrain);
    painter.TextOut(textX, Clamp(ay), kTrainLegend);
    const long long below = ay + kLegendRowStep;
    painter.FillRect(ChartRect{Clamp(ax), Clamp(below), Clamp(ax + side), Clamp(below + side)}, m_clrTest);
    painter.TextOut(textX, Clamp(below), kTestLegend);
}

}  // namespace trendfit
