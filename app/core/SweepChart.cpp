#include "app/core/SweepChart.h"

#include <algorithm>
#include <cmath>

#include "app/core/TextFormat.h"

namespace trendfit {

const char* const SweepChartRenderer::kTrainLegend = "训练误差";
const char* const SweepChartRenderer::kTestLegend = "测试误差";
const char* const SweepChartRenderer::kBestLegend = "最小测试误差";
const char* const SweepChartRenderer::kEmptyText = "尚未进行阶数扫描";

namespace {

constexpr int kMaxDegreeTicks = 16;

// Whether there is a swept range to draw: none before any sweep.
bool HasRange(const SweepChartData& data) { return data.highDegree >= data.lowDegree && data.highDegree != 0; }

bool Drawable(double error) { return std::isfinite(error) && error > 0.0; }

// The degrees' x range: half a degree beyond each end, so no point sits on the frame.
double MinX(const SweepChartData& data) { return data.lowDegree - 0.5; }
double MaxX(const SweepChartData& data) { return data.highDegree + 0.5; }

// 1, 2, 5, 10, 20, 50, ...: the first step that puts at most kMaxDegreeTicks ticks on the range.
long long DegreeStep(const SweepChartData& data) {
    const long long span = static_cast<long long>(data.highDegree) - data.lowDegree + 1;
    for (long long decade = 1;; decade *= 10) {
        for (long long m : {1, 2, 5}) {
            if ((span + m * decade - 1) / (m * decade) <= kMaxDegreeTicks) return m * decade;
        }
    }
}

// The labelled degrees: the whole range at step 1, else the multiples of the step in it.
std::vector<long long> TickDegrees(const SweepChartData& data) {
    std::vector<long long> degrees;
    const long long step = DegreeStep(data);
    const long long first = step == 1 ? data.lowDegree : (data.lowDegree + step - 1) / step * step;
    for (long long d = first; d <= data.highDegree; d += step) degrees.push_back(d);
    return degrees;
}

std::vector<AxisTick> DecadeTicks(const ErrorDecades& decades) {
    std::vector<AxisTick> ticks;
    for (int k = decades.low; k <= decades.high; ++k) ticks.push_back(AxisTick{0, "1e" + FormatInt(k)});
    return ticks;
}

std::vector<LegendEntry> Legend(const SweepChartData& data) {
    std::vector<LegendEntry> legend{
        {SweepChartRenderer::kTrainLegend, SweepChartRenderer::kTrainColor, SweepChartRenderer::kLinePenWidth}};
    if (data.hasTestPoints) {
        legend.push_back({SweepChartRenderer::kTestLegend, SweepChartRenderer::kTestColor, SweepChartRenderer::kLinePenWidth});
        legend.push_back({SweepChartRenderer::kBestLegend, SweepChartRenderer::kBestColor, 0});
    }
    return legend;
}

// The pixel of each drawable error of one series, none where it has no place.
struct SeriesPixel {
    int degree;
    std::optional<ChartPoint> pixel;
};

std::vector<SeriesPixel> SeriesPixels(const SweepChartData& data, const ChartMapping& mapping,
                                      const ErrorDecades& decades, double SweepChartPoint::*error) {
    std::vector<SeriesPixel> pixels;
    for (const SweepChartPoint& p : data.points) {
        const std::optional<double> y = SweepLogError(p.*error, decades);
        const std::optional<int> px = mapping.MapX(p.degree);
        const std::optional<int> py = y ? mapping.MapY(*y) : std::nullopt;
        pixels.push_back(SeriesPixel{p.degree, px && py ? std::optional<ChartPoint>(ChartPoint{*px, *py}) : std::nullopt});
    }
    return pixels;
}

// A line through consecutive degrees, and a small circle on each point.
void DrawSeries(IChartPainter& painter, const std::vector<SeriesPixel>& pixels, ChartColor color) {
    painter.SelectPen(SweepChartRenderer::kLinePenWidth, color);
    const SeriesPixel* previous = nullptr;
    for (const SeriesPixel& p : pixels) {
        if (!p.pixel) {
            previous = nullptr;
            continue;
        }
        if (previous != nullptr && previous->degree + 1 == p.degree) {
            painter.LineTo(p.pixel->x, p.pixel->y);
        } else {
            painter.MoveTo(p.pixel->x, p.pixel->y);
        }
        previous = &p;
    }
    const long long r = SweepChartRenderer::kPointRadius;
    for (const SeriesPixel& p : pixels) {
        if (!p.pixel) continue;
        painter.Ellipse(ChartRect{ClampPixel(p.pixel->x - r), ClampPixel(p.pixel->y - r), ClampPixel(p.pixel->x + r),
                                  ClampPixel(p.pixel->y + r)});
    }
}

// The ring around the best test error and its label, above right of it and inside the plot.
void DrawBest(IChartPainter& painter, const ChartRect& plot, ChartPoint at, int degree) {
    const long long r = SweepChartRenderer::kBestRadius;
    painter.SelectPen(SweepChartRenderer::kBestPenWidth, SweepChartRenderer::kBestColor);
    painter.Ellipse(ChartRect{ClampPixel(at.x - r), ClampPixel(at.y - r), ClampPixel(at.x + r), ClampPixel(at.y + r)});
    const std::string text = Format("%d次", {degree});
    const ChartSize extent = painter.GetTextExtent(text);
    const long long right = std::max<long long>(plot.left, static_cast<long long>(plot.right) - extent.width);
    const long long bottom = std::max<long long>(plot.top, static_cast<long long>(plot.bottom) - extent.height);
    const long long x = std::clamp<long long>(at.x + r, plot.left, right);
    const long long y = std::clamp<long long>(at.y - r - extent.height, plot.top, bottom);
    painter.TextOut(ClampPixel(x), ClampPixel(y), text);
}

}  // namespace

ErrorDecades SweepErrorDecades(const SweepChartData& data) {
    double lowest = 0.0;
    double highest = 0.0;
    auto take = [&](double e) {
        if (!Drawable(e)) return;
        lowest = lowest == 0.0 ? e : std::min(lowest, e);
        highest = std::max(highest, e);
    };
    for (const SweepChartPoint& p : data.points) {
        take(p.trainError);
        if (data.hasTestPoints) take(p.testError);
    }
    if (lowest == 0.0) return ErrorDecades{};
    ErrorDecades decades{static_cast<int>(std::floor(std::log10(lowest))), static_cast<int>(std::ceil(std::log10(highest)))};
    if (decades.high == decades.low) ++decades.high;
    return decades;
}

std::optional<double> SweepLogError(double error, const ErrorDecades& decades) {
    if (std::isnan(error) || std::isinf(error)) return std::nullopt;
    if (error <= 0.0) return static_cast<double>(decades.low);
    return std::clamp(std::log10(error), static_cast<double>(decades.low), static_cast<double>(decades.high));
}

ChartLayout SweepChartRenderer::Draw(IChartPainter& painter, const ChartRect& client, const SweepChartData& data) const {
    painter.SelectFont(ChartRenderer::kFontPointTenths, ChartRenderer::kFontFace);
    if (!HasRange(data)) {
        painter.DrawTextCentered(client, kEmptyText);
        return ChartLayout{};
    }
    const ErrorDecades decades = SweepErrorDecades(data);
    const std::vector<long long> tickDegrees = TickDegrees(data);
    std::vector<AxisTick> xTicks;
    for (long long d : tickDegrees) xTicks.push_back(AxisTick{0, FormatInt(d)});
    std::vector<AxisTick> yTicks = DecadeTicks(decades);
    std::vector<LegendEntry> legend = Legend(data);
    ChartLayout layout = ComputeChartLayout(client, MeasureChartTexts(painter, xTicks, yTicks, legend));
    if (!layout.hasPlot && legend.size() > 2) {
        // The mark's row is the widest; the mark's own label still names its degree.
        legend.pop_back();
        layout = ComputeChartLayout(client, MeasureChartTexts(painter, xTicks, yTicks, legend));
    }
    if (!layout.hasFrame) return layout;
    painter.SelectPen(ChartRenderer::kFramePenWidth, ChartRenderer::kFrameColor);
    painter.Rectangle(layout.frame);
    if (!layout.hasPlot) return layout;

    const ChartMapping mapping(layout.plot, MinX(data), decades.low, MaxX(data), decades.high);
    // Ticks are placed once the layout is known; their labels decided it.
    for (std::size_t i = 0; i < xTicks.size(); ++i) {
        xTicks[i].position = mapping.MapX(static_cast<double>(tickDegrees[i])).value_or(layout.plot.left);
    }
    for (std::size_t k = 0; k < yTicks.size(); ++k) {
        yTicks[k].position = mapping.MapY(static_cast<double>(decades.low + static_cast<long long>(k))).value_or(layout.plot.bottom);
    }
    painter.SelectPen(ChartRenderer::kFramePenWidth, ChartRenderer::kFrameColor);
    DrawChartAxes(painter, layout, xTicks, yTicks);

    if (data.selectedDegree) {
        if (const std::optional<int> x = mapping.MapX(*data.selectedDegree)) {
            painter.SelectPen(1, kSelectedColor);
            painter.MoveTo(*x, layout.plot.top);
            painter.LineTo(*x, layout.plot.bottom);
        }
    }
    DrawSeries(painter, SeriesPixels(data, mapping, decades, &SweepChartPoint::trainError), kTrainColor);
    if (data.hasTestPoints) {
        const std::vector<SeriesPixel> test = SeriesPixels(data, mapping, decades, &SweepChartPoint::testError);
        DrawSeries(painter, test, kTestColor);
        for (const SeriesPixel& p : test) {
            if (data.bestDegree && p.degree == *data.bestDegree && p.pixel) DrawBest(painter, layout.plot, *p.pixel, p.degree);
        }
    }
    DrawChartLegend(painter, layout, legend);
    return layout;
}

std::optional<int> SweepDegreeAt(const ChartLayout& layout, const SweepChartData& data, int x) {
    if (!layout.hasPlot || !HasRange(data)) return std::nullopt;
    const ChartRect& p = layout.plot;
    if (x < p.left || x > p.right || p.right <= p.left) return std::nullopt;
    const double degree = MinX(data) + (static_cast<double>(x) - p.left) * (MaxX(data) - MinX(data)) /
                                           (static_cast<double>(p.right) - p.left);
    return static_cast<int>(std::clamp(std::round(degree), static_cast<double>(data.lowDegree),
                                       static_cast<double>(data.highDegree)));
}

}  // namespace trendfit
