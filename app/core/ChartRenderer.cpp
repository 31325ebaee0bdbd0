#include "app/core/ChartRenderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "app/core/TextFormat.h"
#include "vecmat/regression/Trendfit.h"

namespace trendfit {

int ClampPixel(long long value) {
    if (value < INT_MIN) return INT_MIN;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

namespace {

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
constexpr long long kLegendLineGap = 8;  // below a line row's text, to the next row
const char* const kLegendMore = "……";    // in place of the last row when rows are left out
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
    layout.frame = ChartRect{ClampPixel(client.left + 50LL), ClampPixel(client.top + 50LL),
                             ClampPixel(client.right - 50LL), ClampPixel(client.bottom - 50LL)};
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

    layout.plot = ChartRect{ClampPixel(f.left + x.nearSide), ClampPixel(f.top + y.nearSide),
                            ClampPixel(f.right - x.farSide), ClampPixel(f.bottom - y.farSide)};
    const ChartRect& p = layout.plot;
    const long long plotHeight = static_cast<long long>(p.bottom) - p.top;
    const bool fullHeight = frameHeight >= 6 * kFullInsetY;
    layout.hasPlot = x.ok && y.ok && (fullHeight || plotHeight >= legendHeight);
    layout.tickStepX = ClampPixel((static_cast<long long>(p.right) - p.left) / 10);
    layout.tickStepY = ClampPixel(plotHeight / 10);
    layout.tickLength = TickLength(layout.tickStepX);
    layout.legendX = ClampPixel(p.right + gap);
    layout.legendY = ClampPixel(p.top + (fullHeight ? kLegendDrop : std::min(kLegendDrop, plotHeight - legendHeight)));
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

ChartTextSizes MeasureChartTexts(IChartPainter& painter, const std::vector<AxisTick>& xTicks,
                                 const std::vector<AxisTick>& yTicks, const std::vector<LegendEntry>& legend) {
    ChartTextSizes sizes;
    auto measure = [&painter, &sizes](const std::string& text, int& width) {
        const ChartSize extent = painter.GetTextExtent(text);
        width = std::max(width, extent.width);
        sizes.height = std::max(sizes.height, extent.height);
    };
    for (const AxisTick& tick : xTicks) measure(tick.label, sizes.xLabelWidth);
    for (const AxisTick& tick : yTicks) measure(tick.label, sizes.yLabelWidth);
    for (const LegendEntry& entry : legend) measure(entry.text, sizes.legendWidth);
    return sizes;
}

namespace {

// x of pixel column i of a plot `width` pixels wide, as the curve samples it.
double ColumnX(long long i, long long width, const ChartData& data) {
    return static_cast<double>(i) * (data.maxX - data.minX) / static_cast<double>(width) + data.minX;
}

int CoefficientCount(const std::vector<double>& coefficients) {
    return static_cast<int>(std::min<std::size_t>(coefficients.size(), INT_MAX));
}

}  // namespace

const std::array<ChartColor, 7> ChartRenderer::kComparedColors{{
    {0, 150, 0}, {255, 140, 0}, {0, 170, 200}, {140, 80, 20}, {130, 0, 200}, {120, 120, 120}, {170, 170, 0}}};

std::vector<LegendEntry> ChartRenderer::Legend(const ChartData& data) const {
    std::vector<LegendEntry> legend{{kTrainLegend, m_clrTrain, 0}, {kTestLegend, m_clrTest, 0}};
    for (std::size_t k = 0; k < data.curves.size(); ++k) {
        const ChartCurve& curve = data.curves[k];
        legend.push_back(curve.current ? LegendEntry{curve.name, kCurveColor, kCurvePenWidth}
                                       : LegendEntry{curve.name, kComparedColors[k % kComparedColors.size()],
                                                     kComparedPenWidth});
    }
    return legend;
}

void ChartRenderer::Draw(IChartPainter& painter, const ChartRect& client, const ChartData& data) const {
    painter.SelectFont(kFontPointTenths, kFontFace);
    if (data.trainPoints.empty() && data.testPoints.empty()) {
        painter.DrawTextCentered(client, kEmptyText);
        return;
    }
    std::vector<AxisTick> xTicks;
    std::vector<AxisTick> yTicks;
    for (int i = 0; i <= 10; ++i) {
        xTicks.push_back(AxisTick{0, TickLabel(data.minX, data.maxX, i)});
        yTicks.push_back(AxisTick{0, TickLabel(data.minY, data.maxY, i)});
    }
    std::vector<LegendEntry> legend = Legend(data);
    ChartLayout layout = ComputeChartLayout(client, MeasureChartTexts(painter, xTicks, yTicks, legend));
    if (!layout.hasPlot && legend.size() > 2) {
        // The curves' names do not fit beside a plot: the plot matters more.
        legend.resize(2);
        layout = ComputeChartLayout(client, MeasureChartTexts(painter, xTicks, yTicks, legend));
    }
    if (!layout.hasFrame) return;
    painter.SelectPen(kFramePenWidth, kFrameColor);
    painter.Rectangle(layout.frame);
    if (!layout.hasPlot) return;
    // Ticks are placed once the layout is known, one tickStep apart; their labels decided it.
    for (std::size_t i = 0; i < xTicks.size(); ++i) {
        xTicks[i].position = ClampPixel(static_cast<long long>(i) * layout.tickStepX + layout.plot.left);
        yTicks[i].position = ClampPixel(layout.plot.bottom - static_cast<long long>(i) * layout.tickStepY);
    }
    DrawChartAxes(painter, layout, xTicks, yTicks);

    const ChartMapping mapping(layout.plot, data.minX, data.minY, data.maxX, data.maxY);
    painter.SelectPen(kPointPenWidth, m_clrTrain);
    DrawMarkers(painter, mapping, data.trainPoints);
    painter.SelectPen(kPointPenWidth, m_clrTest);
    DrawMarkers(painter, mapping, data.testPoints);
    if (data.band && !data.coefficients.empty()) DrawBand(painter, layout, mapping, data);
    for (std::size_t k = 0; k < data.curves.size(); ++k) {
        if (data.curves[k].current) continue;
        painter.SelectPen(kComparedPenWidth, kComparedColors[k % kComparedColors.size()]);
        DrawCurve(painter, layout, mapping, data, data.curves[k].coefficients);
    }
    if (!data.coefficients.empty()) {
        painter.SelectPen(kCurvePenWidth, kCurveColor);
        DrawCurve(painter, layout, mapping, data, data.coefficients);
    }
    DrawChartLegend(painter, layout, legend);
}

void DrawChartAxes(IChartPainter& painter, const ChartLayout& layout, const std::vector<AxisTick>& xTicks,
                   const std::vector<AxisTick>& yTicks) {
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
        const ChartRect box{x, y, ClampPixel(static_cast<long long>(x) + extent.width),
                            ClampPixel(static_cast<long long>(y) + extent.height)};
        if (last && LabelsCollide(box, *last, ChartRenderer::kLabelGap)) return;
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
    for (const AxisTick& tick : xTicks) {
        const int xi = tick.position;
        painter.MoveTo(xi, b);
        painter.LineTo(xi, yb);
        const ChartSize extent = painter.GetTextExtent(tick.label);
        label(ClampPixel(static_cast<long long>(xi) - extent.width / 2), ClampPixel(yb + 2LL), tick.label, extent,
              lastX, false);
    }

    const int xl = Pixel(l - k);
    std::optional<ChartRect> lastY;
    for (const AxisTick& tick : yTicks) {
        const int yi = tick.position;
        painter.MoveTo(l, yi);
        painter.LineTo(xl, yi);
        const ChartSize extent = painter.GetTextExtent(tick.label);
        label(ClampPixel(static_cast<long long>(xl) - extent.width),
              ClampPixel(static_cast<long long>(yi) - extent.height / 2), tick.label, extent, lastY, true);
    }
}

void ChartRenderer::DrawMarkers(IChartPainter& painter, const ChartMapping& mapping,
                                const std::vector<PointRecord>& points) {
    for (const PointRecord& point : points) {
        const std::optional<int> px = mapping.MapX(point.x);
        const std::optional<int> py = mapping.MapY(point.y);
        // A value that is not a number has no place on the chart.
        if (!px || !py) continue;
        painter.Ellipse(
            ChartRect{ClampPixel(*px - 3LL), ClampPixel(*py - 3LL), ClampPixel(*px + 3LL), ClampPixel(*py + 3LL)});
    }
}

void ChartRenderer::DrawCurve(IChartPainter& painter, const ChartLayout& layout, const ChartMapping& mapping,
                              const ChartData& data, const std::vector<double>& coefficients) {
    const long long width = static_cast<long long>(layout.plot.right) - layout.plot.left;
    const int count = CoefficientCount(coefficients);
    bool penDown = false;
    for (long long i = 0; i <= width; ++i) {
        const double y = pct::Ko::Trendfit::ComputTarge(coefficients.data(), count, ColumnX(i, width, data), false);
        const std::optional<int> py = mapping.MapY(y);
        if (!py) {
            // No pixel for this column: the line resumes at the next one that has one.
            penDown = false;
            continue;
        }
        const int px = ClampPixel(layout.plot.left + i);
        if (penDown) {
            painter.LineTo(px, *py);
        } else {
            painter.MoveTo(px, *py);
            penDown = true;
        }
    }
}

void ChartRenderer::DrawBand(IChartPainter& painter, const ChartLayout& layout, const ChartMapping& mapping,
                             const ChartData& data) {
    const ChartRect& p = layout.plot;
    const long long width = static_cast<long long>(p.right) - p.left;
    const int count = CoefficientCount(data.coefficients);
    // One polygon per run of columns that have both edges: the upper edge left to right,
    // then the lower edge back. Edges beyond the plot are held at its top and bottom.
    std::vector<ChartPoint> upper;
    std::vector<ChartPoint> lower;
    auto fill = [&] {
        if (upper.size() >= 2) {
            upper.insert(upper.end(), lower.rbegin(), lower.rend());
            painter.FillPolygon(upper, kBandColor, kBandAlpha);
        }
        upper.clear();
        lower.clear();
    };
    for (long long i = 0; i <= width; ++i) {
        const double x = ColumnX(i, width, data);
        const double y = pct::Ko::Trendfit::ComputTarge(data.coefficients.data(), count, x, false);
        const double half = data.band->HalfWidth(x);
        const std::optional<int> top = mapping.MapY(y + half);
        const std::optional<int> bottom = mapping.MapY(y - half);
        if (!top || !bottom) {
            fill();
            continue;
        }
        const int px = ClampPixel(p.left + i);
        upper.push_back(ChartPoint{px, std::clamp(*top, p.top, p.bottom)});
        lower.push_back(ChartPoint{px, std::clamp(*bottom, p.top, p.bottom)});
    }
    fill();
}

void DrawChartLegend(IChartPainter& painter, const ChartLayout& layout, const std::vector<LegendEntry>& legend) {
    const long long ax = layout.legendX;
    const long long side = layout.swatchSize;
    const int textX = ClampPixel(ax + side + kSwatchTextGap);
    const long long limit = static_cast<long long>(layout.frame.bottom) - kGap;
    // Where each row starts, and how many of them end above the limit.
    std::vector<long long> tops;
    std::vector<int> heights;
    std::size_t fitting = 0;
    long long top = layout.legendY;
    for (const LegendEntry& entry : legend) {
        const int height = painter.GetTextExtent(entry.text).height;
        const bool square = entry.lineWidth == 0;
        if (top + std::max<long long>(height, square ? side : entry.lineWidth) <= limit && fitting == tops.size()) {
            ++fitting;
        }
        tops.push_back(top);
        heights.push_back(height);
        top += square ? kLegendRowStep : height + kLegendLineGap;
    }
    for (std::size_t i = 0; i < fitting; ++i) {
        const LegendEntry& entry = legend[i];
        const long long y = tops[i];
        if (fitting < legend.size() && i + 1 == fitting) {
            painter.TextOut(textX, ClampPixel(y), kLegendMore);
        } else if (entry.lineWidth == 0) {
            painter.FillRect(ChartRect{ClampPixel(ax), ClampPixel(y), ClampPixel(ax + side), ClampPixel(y + side)},
                             entry.color);
            painter.TextOut(textX, ClampPixel(y), entry.text);
        } else {
            const int middle = ClampPixel(y + heights[i] / 2);
            painter.SelectPen(entry.lineWidth, entry.color);
            painter.MoveTo(ClampPixel(ax), middle);
            painter.LineTo(ClampPixel(ax + side), middle);
            painter.TextOut(textX, ClampPixel(y), entry.text);
        }
    }
}

}  // namespace trendfit
