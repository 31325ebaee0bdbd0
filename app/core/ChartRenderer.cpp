#include "app/core/ChartRenderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

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

ChartLayout ComputeChartLayout(const ChartRect& client) {
    ChartLayout layout;
    layout.frame = ChartRect{Clamp(client.left + 50LL), Clamp(client.top + 50LL),
                             Clamp(client.right - 50LL), Clamp(client.bottom - 50LL)};
    layout.plot = ChartRect{Clamp(layout.frame.left + 300LL), Clamp(layout.frame.top + 100LL),
                            Clamp(layout.frame.right - 300LL), Clamp(layout.frame.bottom - 100LL)};
    const ChartRect& p = layout.plot;
    layout.tickStepX = Clamp((static_cast<long long>(p.right) - p.left) / 10);
    layout.tickStepY = Clamp((static_cast<long long>(p.bottom) - p.top) / 10);
    layout.tickLength = std::min(layout.tickStepX / 5.0, 20.0);
    layout.legendX = Clamp(p.right + 40LL);
    layout.legendY = Clamp(p.top + 100LL);
    return layout;
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

void ChartRenderer::Draw(IChartPainter& painter, const ChartRect& client, const ChartData& data) const {
    painter.SelectFont(kFontPointTenths, kFontFace);
    if (data.trainPoints.empty() && data.testPoints.empty()) {
        painter.DrawTextCentered(client, kEmptyText);
        return;
    }
    const ChartLayout layout = ComputeChartLayout(client);
    painter.SelectPen(kFramePenWidth, kFrameColor);
    painter.Rectangle(layout.frame);
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
    DrawLegend(painter, layout.legendX, layout.legendY);
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
    const double vx = (data.maxX - data.minX) / 10.0;
    const double vy = (data.maxY - data.minY) / 10.0;

    const int yb = Pixel(b + k);
    for (int i = 0; i <= 10; ++i) {
        const int xi = Clamp(static_cast<long long>(i) * layout.tickStepX + l);
        painter.MoveTo(xi, b);
        painter.LineTo(xi, yb);
        const std::string label = FormatFixed(data.minX + i * vx, 2);
        const ChartSize extent = painter.GetTextExtent(label);
        painter.TextOut(Clamp(static_cast<long long>(xi) - extent.width / 2), Clamp(yb + 2LL), label);
    }

    const int xl = Pixel(l - k);
    for (int i = 0; i <= 10; ++i) {
        const int yi = Clamp(b - static_cast<long long>(i) * layout.tickStepY);
        painter.MoveTo(l, yi);
        painter.LineTo(xl, yi);
        const std::string label = FormatFixed(data.minY + i * vy, 2);
        const ChartSize extent = painter.GetTextExtent(label);
        painter.TextOut(Clamp(static_cast<long long>(xl) - extent.width),
                        Clamp(static_cast<long long>(yi) - extent.height / 2), label);
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
        // A plot of zero width has one column, at the left bound.
        const double x = width == 0 ? data.minX : static_cast<double>(i) * dx / static_cast<double>(width) + data.minX;
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

void ChartRenderer::DrawLegend(IChartPainter& painter, int ax, int ay) const {
    painter.FillRect(ChartRect{ax, ay, Clamp(ax + 30LL), Clamp(ay + 30LL)}, m_clrTrain);
    painter.TextOut(Clamp(ax + 35LL), ay, kTrainLegend);
    painter.FillRect(ChartRect{ax, Clamp(ay + 50LL), Clamp(ax + 30LL), Clamp(ay + 80LL)}, m_clrTest);
    painter.TextOut(Clamp(ax + 35LL), Clamp(ay + 50LL), kTestLegend);
}

}  // namespace trendfit
