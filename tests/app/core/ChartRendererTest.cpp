#include <algorithm>
#include <climits>
#include <cstdio>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/ChartRenderer.h"
#include "app/core/SweepChart.h"
#include "tests/app/core/AppFakes.h"

using app_fakes::RecordingPainter;
using trendfit::ChartMapping;
using trendfit::ChartRenderer;
using trendfit::ComputeChartLayout;
using trendfit::ToPixel;

namespace {

const ChartRect kClient{0, 0, 1000, 700};

// Points spanning x -3 ... 3 and y -1 ... 1, like the sine data.
ChartData SineLikeData() {
    ChartData data;
    data.trainPoints = {{-3.0, -1.0}, {0.0, 0.5}};
    data.testPoints = {{3.0, 1.0}};
    data.minX = -3.0;
    data.maxX = 3.0;
    data.minY = -1.0;
    data.maxY = 1.0;
    return data;
}

std::vector<std::string> Draw(const ChartData& data, const ChartRect& client = kClient) {
    RecordingPainter painter;
    ChartRenderer().Draw(painter, client, data);
    return painter.calls;
}

std::vector<std::string> Matching(const std::vector<std::string>& calls, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call);
    }
    return out;
}

std::size_t IndexOf(const std::vector<std::string>& calls, const std::string& call) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i] == call) return i;
    }
    return calls.size();
}

}  // namespace

TEST(ChartLayout, FullSizeKeepsTheFixedInsets) {
    const trendfit::ChartLayout layout = ComputeChartLayout(ChartRect{0, 0, 1920, 1080});
    EXPECT_TRUE(layout.hasPlot);
    EXPECT_EQ(layout.frame, (ChartRect{50, 50, 1870, 1030}));
    EXPECT_EQ(layout.plot, (ChartRect{350, 150, 1570, 930}));
    EXPECT_EQ(layout.tickStepX, 122);
    EXPECT_EQ(layout.tickStepY, 78);
    EXPECT_EQ(layout.tickLength, 20.0);
    EXPECT_EQ(layout.legendX, 1610);
    EXPECT_EQ(layout.legendY, 250);
    // Texts too wide for the insets do not move anything at full size.
    const trendfit::ChartLayout wide = ComputeChartLayout(ChartRect{0, 0, 1900, 700}, {40, 500, 500, 500});
    EXPECT_TRUE(wide.hasPlot);
    EXPECT_EQ(wide.plot, (ChartRect{350, 150, 1550, 550}));
    EXPECT_EQ(wide.legendX, 1590);
}

TEST(ChartLayout, SmallerClientsKeepTwoThirdsOfTheFrame) {
    // Text sizes of the sine-like data at 8 pixels a character, 16 high: labels 40 wide,
    // legend texts 32.
    const trendfit::ChartTextSizes text{16, 40, 40, 32};
    struct Case {
        ChartRect client;
        ChartRect plot;
        int stepX, stepY;
        double tick;
        int legendX, legendY;
    };
    const Case cases[] = {
        // Frame 1180 wide: a sixth, 196, on each side; the legend has its 40 gap.
        {{0, 0, 1280, 800}, {246, 150, 1034, 650}, 78, 50, 15.6, 1074, 250},
        {{0, 0, 1000, 700}, {200, 150, 800, 550}, 60, 40, 12.0, 840, 250},
        // Frame 500 x 300: 166 to share; the legend takes 111 (gap 40), the labels 55.
        {{0, 0, 600, 400}, {105, 100, 439, 300}, 33, 20, 6.6, 479, 200},
        // 1900 wide at full width, 699 high just below full height.
        {{0, 0, 1900, 699}, {350, 149, 1550, 550}, 120, 40, 20.0, 1590, 249},
        // Offset client, frame 1705 wide: 284 each side.
        {{10, 20, 1815, 1020}, {344, 170, 1481, 870}, 113, 70, 20.0, 1521, 270},
    };
    for (const Case& c : cases) {
        const trendfit::ChartLayout layout = ComputeChartLayout(c.client, text);
        const std::string at = RecordingPainter::Rect(c.client);
        EXPECT_TRUE(layout.hasPlot) << at;
        EXPECT_EQ(layout.plot, c.plot) << at;
        EXPECT_EQ(layout.tickStepX, c.stepX) << at;
        EXPECT_EQ(layout.tickStepY, c.stepY) << at;
        EXPECT_DOUBLE_EQ(layout.tickLength, c.tick) << at;
        EXPECT_EQ(layout.legendX, c.legendX) << at;
        EXPECT_EQ(layout.legendY, c.legendY) << at;
        const ChartRect& f = layout.frame;
        EXPECT_GE(3 * (c.plot.right - c.plot.left), 2 * (f.right - f.left)) << at;
        EXPECT_GE(3 * (c.plot.bottom - c.plot.top), 2 * (f.bottom - f.top)) << at;
    }
}

TEST(ChartLayout, LabelsAndLegendDecideWhereThePlotGoes) {
    // Wide y labels take room from the legend's side, down to its 10-pixel gap.
    trendfit::ChartLayout layout = ComputeChartLayout(ChartRect{0, 0, 1000, 700}, {16, 40, 160, 32});
    ASSERT_TRUE(layout.hasPlot);
    // Frame 900: 300 to share; the labels need 12 + 160 + 4 = 176, the legend 10 + 71.
    EXPECT_EQ(layout.plot.left, 226);
    EXPECT_EQ(layout.plot.right, 826);
    EXPECT_EQ(layout.legendX, 826 + 40);
    layout = ComputeChartLayout(ChartRect{0, 0, 1000, 700}, {16, 40, 200, 32});
    ASSERT_TRUE(layout.hasPlot);
    EXPECT_EQ(layout.plot.left, 266);
    EXPECT_EQ(layout.legendX, 866 + 13);  // 84 left for the legend: 84 - 71
    // Then the swatches narrow, down to 12; beyond that there is no plot.
    layout = ComputeChartLayout(ChartRect{0, 0, 1000, 700}, {16, 40, 220, 32});
    ASSERT_TRUE(layout.hasPlot);
    EXPECT_EQ(layout.plot.right, 886);
    EXPECT_EQ(layout.legendX, 886 + 10);
    EXPECT_EQ(layout.swatchSize, 13);  // 64 - 10 - (5 + 32 + 4)
    EXPECT_FALSE(ComputeChartLayout(ChartRect{0, 0, 1000, 700}, {16, 40, 222, 32}).hasPlot);
    // Tall texts push the x labels' room below the plot.
    layout = ComputeChartLayout(ChartRect{0, 0, 1000, 400}, {40, 40, 40, 32});
    ASSERT_TRUE(layout.hasPlot);
    // Frame 300 high: 100 to share; below 12 + 2 + 40 + 4 = 58, above 42.
    EXPECT_EQ(layout.plot.top, 92);
    EXPECT_EQ(layout.plot.bottom, 292);
    EXPECT_EQ(layout.legendY, 92 + 100);
}

TEST(ChartLayout, TooSmallForAPlotOrAFrame) {
    const trendfit::ChartTextSizes text{16, 40, 40, 32};
    trendfit::ChartLayout layout = ComputeChartLayout(ChartRect{0, 0, 200, 150}, text);
    EXPECT_TRUE(layout.hasFrame);
    EXPECT_FALSE(layout.hasPlot);
    EXPECT_EQ(layout.frame, (ChartRect{50, 50, 150, 100}));
    // The legend (80 high) is not beside a plot lower than itself.
    EXPECT_FALSE(ComputeChartLayout(ChartRect{0, 0, 1000, 215}).hasPlot);
    EXPECT_TRUE(ComputeChartLayout(ChartRect{0, 0, 1000, 220}).hasPlot);
    EXPECT_FALSE(ComputeChartLayout(ChartRect{0, 0, 100, 700}, text).hasFrame);
    EXPECT_FALSE(ComputeChartLayout(ChartRect{0, 0, 1000, 99}, text).hasFrame);
    // A frame too narrow for any text still gets no inverted plot.
    layout = ComputeChartLayout(ChartRect{0, 0, 655, 700});
    EXPECT_TRUE(layout.hasPlot);
    EXPECT_GT(layout.plot.right, layout.plot.left);
    EXPECT_GT(layout.tickStepX, 0);
}

TEST(ChartLayout, ExtremeClientDoesNotOverflow) {
    const trendfit::ChartLayout layout = ComputeChartLayout(ChartRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(layout.frame, (ChartRect{INT_MIN + 50, INT_MIN + 50, INT_MAX - 50, INT_MAX - 50}));
    EXPECT_EQ(layout.plot.right, INT_MAX - 350);
    EXPECT_EQ(layout.legendX, INT_MAX - 310);
}

TEST(ChartPixels, TruncatesTowardZeroAndClamps) {
    EXPECT_EQ(ToPixel(2.9), 2);
    EXPECT_EQ(ToPixel(-2.9), -2);
    EXPECT_EQ(ToPixel(-0.5), 0);
    EXPECT_EQ(ToPixel(1e12), INT_MAX);
    EXPECT_EQ(ToPixel(-1e12), INT_MIN);
    EXPECT_EQ(ToPixel(std::numeric_limits<double>::infinity()), INT_MAX);
    EXPECT_EQ(ToPixel(2147483646.7), 2147483646);
    EXPECT_FALSE(ToPixel(std::nan("")).has_value());
}

TEST(ChartPixels, BoundsLandOnThePlotEdges) {
    const ChartMapping mapping(ChartRect{350, 150, 650, 550}, -3.0, -1.0, 3.0, 1.0);
    EXPECT_EQ(mapping.MapX(-3.0), 350);
    EXPECT_EQ(mapping.MapX(3.0), 650);
    EXPECT_EQ(mapping.MapY(-1.0), 550);
    EXPECT_EQ(mapping.MapY(1.0), 150);
    // (0.01 + 3) * 300 / 6 + 350 = 500.5, truncated.
    EXPECT_EQ(mapping.MapX(0.01), 500);
    EXPECT_EQ(mapping.MapY(0.0), 350);
}

TEST(ChartPixels, ZeroRangeUsesTheMiddleOfThatAxis) {
    const ChartMapping flatY(ChartRect{350, 150, 650, 550}, -3.0, 2.0, 3.0, 2.0);
    EXPECT_EQ(flatY.MapY(2.0), 350);
    EXPECT_EQ(flatY.MapY(5.0), 350);
    EXPECT_EQ(flatY.MapX(3.0), 650);
    const ChartMapping flatX(ChartRect{350, 150, 651, 550}, 1.0, 0.0, 1.0, 4.0);
    EXPECT_EQ(flatX.MapX(1.0), 500);  // 350 + 301 / 2.0 = 500.5, truncated
    EXPECT_EQ(flatX.MapY(4.0), 150);
}

TEST(ChartDrawing, EmptyDataDrawsOnlyTheEmptyText) {
    ChartData data;
    data.coefficients = {1.0, 2.0};  // a curve alone is not drawn
    EXPECT_EQ(Draw(data), (std::vector<std::string>{"font 120 黑体", "centre 0,0,1000,700 没有数据"}));
}

TEST(ChartDrawing, FrameAxesTicksAndLabels) {
    const std::vector<std::string> calls = Draw(SineLikeData());
    ASSERT_GE(calls.size(), 8u);
    EXPECT_EQ(calls[0], "font 120 黑体");
    EXPECT_EQ(calls[1], "pen 2 0/0/0");
    EXPECT_EQ(calls[2], "rect 50,50,950,650");
    // x axis, then y axis: the plot is (200, 150)-(800, 550) below full size.
    EXPECT_EQ(calls[3], "move 200,550");
    EXPECT_EQ(calls[4], "line 800,550");
    EXPECT_EQ(calls[5], "move 200,550");
    EXPECT_EQ(calls[6], "line 200,150");

    // Eleven x ticks 60 apart, 12 long, labels centred 2 pixels below the tick.
    const char* xLabels[] = {"-3.00", "-2.40", "-1.80", "-1.20", "-0.60", "0.00",
                             "0.60",  "1.20",  "1.80",  "2.40",  "3.00"};
    std::size_t at = 7;
    for (int i = 0; i <= 10; ++i, at += 3) {
        const int x = 200 + 60 * i;
        const std::string label = xLabels[i];
        const int w = 8 * static_cast<int>(label.size());
        EXPECT_EQ(calls[at], "move " + std::to_string(x) + ",550") << i;
        EXPECT_EQ(calls[at + 1], "line " + std::to_string(x) + ",562") << i;
        EXPECT_EQ(calls[at + 2], "text " + std::to_string(x - w / 2) + ",564 " + label) << i;
    }
    // Eleven y ticks 40 apart, ending at 188, labels right-aligned and centred.
    const char* yLabels[] = {"-1.00", "-0.80", "-0.60", "-0.40", "-0.20", "0.00",
                             "0.20",  "0.40",  "0.60",  "0.80",  "1.00"};
    for (int i = 0; i <= 10; ++i, at += 3) {
        const int y = 550 - 40 * i;
        const std::string label = yLabels[i];
        const int w = 8 * static_cast<int>(label.size());
        EXPECT_EQ(calls[at], "move 200," + std::to_string(y)) << i;
        EXPECT_EQ(calls[at + 1], "line 188," + std::to_string(y)) << i;
        EXPECT_EQ(calls[at + 2], "text " + std::to_string(188 - w) + "," + std::to_string(y - 8) + " " + label) << i;
    }
    // Then the training and the test markers, each with its own pen, test over training.
    const std::vector<std::string> rest(calls.begin() + static_cast<std::ptrdiff_t>(at), calls.end());
    EXPECT_EQ(rest, (std::vector<std::string>{
                        "pen 6 0/0/255", "ellipse 197,547,203,553", "ellipse 497,247,503,253",
                        "pen 6 255/0/255", "ellipse 797,147,803,153",
                        "fill 840,250,870,280 0/0/255", "text 875,250 训练数据",
                        "fill 840,300,870,330 255/0/255", "text 875,300 泛化数据"}));
}

TEST(ChartDrawing, NoCurveBeforeAComputation) {
    const std::vector<std::string> calls = Draw(SineLikeData());
    EXPECT_TRUE(Matching(calls, "pen 3").empty());
}

TEST(ChartDrawing, CurveSampledOncePerPixelColumn) {
    ChartData data = SineLikeData();
    data.coefficients = {0.0, 1.0 / 3.0};  // y = x / 3 runs corner to corner
    const std::vector<std::string> calls = Draw(data);
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    // The curve comes after the markers and before the legend.
    EXPECT_GT(pen, IndexOf(calls, "ellipse 797,147,803,153"));
    EXPECT_EQ(calls[pen + 1], "move 200,550");
    for (int i = 1; i <= 600; ++i) {
        ASSERT_EQ(calls[pen + 1 + static_cast<std::size_t>(i)].compare(0, 5, "line "), 0) << i;
    }
    EXPECT_EQ(calls[pen + 601], "line 800,150");
    EXPECT_EQ(calls[pen + 301], "line 500,350");
    EXPECT_EQ(calls[pen + 602], "fill 840,250,870,280 0/0/255");
}

TEST(ChartDrawing, CurveIsNotClippedToThePlot) {
    ChartData data = SineLikeData();
    data.coefficients = {3.0};  // y = 3, far above maxY = 1
    const std::vector<std::string> calls = Draw(data);
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    // 550 - (3 + 1) * 400 / 2 = -250
    EXPECT_EQ(calls[pen + 1], "move 200,-250");
    EXPECT_EQ(calls[pen + 601], "line 800,-250");
}

TEST(ChartDrawing, NarrowClientsKeepThePlotTheRightWayRound) {
    ChartData data = SineLikeData();
    data.coefficients = {0.0, 1.0 / 3.0};
    // Clients 600 and 700 wide gave the plot a negative and a zero width before: now
    // the insets share the frame's third and the points keep their order.
    std::vector<std::string> calls = Draw(data, ChartRect{0, 0, 600, 700});
    EXPECT_EQ(calls[2], "rect 50,50,550,650");
    EXPECT_EQ(Matching(calls, "ellipse"), (std::vector<std::string>{"ellipse 102,547,108,553",
                                                                    "ellipse 269,247,275,253",
                                                                    "ellipse 436,147,442,153"}));
    std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    EXPECT_EQ(calls[pen + 1], "move 105,550");
    EXPECT_EQ(calls[pen + 335], "line 439,150");
    EXPECT_EQ(calls[pen + 336], "fill 479,250,509,280 0/0/255");

    calls = Draw(data, ChartRect{0, 0, 700, 700});
    pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    // Frame 600: 200 to share, 111 of it for the legend.
    EXPECT_EQ(calls[pen + 1], "move 139,550");
    EXPECT_EQ(calls[pen + 401], "line 539,150");
}

TEST(ChartDrawing, TooSmallClientsDrawTheFrameOnly) {
    ChartData data = SineLikeData();
    data.coefficients = {1.0};
    EXPECT_EQ(Draw(data, ChartRect{0, 0, 200, 150}),
              (std::vector<std::string>{"font 120 黑体", "pen 2 0/0/0", "rect 50,50,150,100"}));
    EXPECT_EQ(Draw(data, ChartRect{0, 0, 90, 700}), (std::vector<std::string>{"font 120 黑体"}));
}

TEST(ChartDrawing, SinglePointSitsInTheMiddle) {
    ChartData data;
    data.trainPoints = {{1.0, 2.0}};
    data.minX = data.maxX = 1.0;
    data.minY = data.maxY = 2.0;
    data.coefficients = {2.0};
    const std::vector<std::string> calls = Draw(data);
    EXPECT_EQ(Matching(calls, "ellipse"), (std::vector<std::string>{"ellipse 497,347,503,353"}));
    // Every label repeats the single value.
    for (const std::string& text : Matching(calls, "text ")) {
        if (text.find("数据") != std::string::npos) continue;
        const bool x = text.size() >= 4 && text.compare(text.size() - 4, 4, "1.00") == 0;
        const bool y = text.size() >= 4 && text.compare(text.size() - 4, 4, "2.00") == 0;
        EXPECT_TRUE(x || y) << text;
    }
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    EXPECT_EQ(calls[pen + 1], "move 200,350");
    EXPECT_EQ(calls[pen + 601], "line 800,350");
}

TEST(ChartDrawing, EqualYValuesLieOnTheMiddleLine) {
    ChartData data;
    data.trainPoints = {{0.0, 5.0}, {4.0, 5.0}};
    data.minX = 0.0;
    data.maxX = 4.0;
    data.minY = data.maxY = 5.0;
    EXPECT_EQ(Matching(Draw(data), "ellipse"),
              (std::vector<std::string>{"ellipse 197,347,203,353", "ellipse 797,347,803,353"}));
}

TEST(ChartDrawing, FarPixelsAreClampedAndNotANumberIsSkipped) {
    ChartData data = SineLikeData();
    data.trainPoints = {{1e12, 0.0}, {0.0, std::nan("")}, {-1e12, 0.0}};
    data.testPoints.clear();
    data.coefficients = {1e300, 0.0, 1.0};
    const std::vector<std::string> calls = Draw(data);
    EXPECT_EQ(Matching(calls, "ellipse"),
              (std::vector<std::string>{"ellipse " + std::to_string(INT_MAX - 3) + ",347," +
                                            std::to_string(INT_MAX) + ",353",
                                        "ellipse " + std::to_string(INT_MIN) + ",347," +
                                            std::to_string(INT_MIN + 3) + ",353"}));
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    EXPECT_EQ(calls[pen + 1], "move 200," + std::to_string(INT_MIN));
}

TEST(ChartDrawing, CurveBreaksWhereItHasNoValue) {
    ChartData data = SineLikeData();
    // 0 * inf is not a number at x = 0 only; elsewhere the value is infinite and clamps.
    data.coefficients = {0.0, std::numeric_limits<double>::infinity()};
    const std::vector<std::string> calls = Draw(data);
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    const std::vector<std::string> moves = Matching(
        std::vector<std::string>(calls.begin() + static_cast<std::ptrdiff_t>(pen), calls.end()), "move ");
    EXPECT_EQ(moves, (std::vector<std::string>{"move 200," + std::to_string(INT_MAX),
                                               "move 501," + std::to_string(INT_MIN)}));
}

TEST(ChartDrawing, ColoursComeFromTheRenderer) {
    ChartRenderer renderer;
    renderer.m_clrTrain = ChartColor{1, 2, 3};
    renderer.m_clrTest = ChartColor{4, 5, 6};
    RecordingPainter painter;
    renderer.Draw(painter, kClient, SineLikeData());
    EXPECT_EQ(painter.Starting("pen 6"), (std::vector<std::string>{"pen 6 1/2/3", "pen 6 4/5/6"}));
    EXPECT_EQ(painter.Starting("fill"),
              (std::vector<std::string>{"fill 840,250,870,280 1/2/3", "fill 840,300,870,330 4/5/6"}));
}

TEST(ChartDrawing, OddTextExtentsHalveTowardZero) {
    RecordingPainter painter;
    painter.charWidth = 7;
    painter.textHeight = 15;
    ChartRenderer().Draw(painter, kClient, SineLikeData());
    const std::vector<std::string> texts = painter.Starting("text ");
    ASSERT_EQ(texts.size(), 24u);
    // "-3.00" is 35 wide: its left edge is 200 - 17; "0.00" is 28 wide: 500 - 14.
    EXPECT_EQ(texts[0], "text 183,564 -3.00");
    EXPECT_EQ(texts[5], "text 486,564 0.00");
    // Y labels end at the tick end 188 and sit 15 / 2 = 7 above the tick.
    EXPECT_EQ(texts[11], "text 153,543 -1.00");
    EXPECT_EQ(texts[21], "text 160,143 1.00");
    EXPECT_EQ(texts[22], "text 875,250 训练数据");
}

TEST(ChartDrawing, TestPointsAloneAreCharted) {
    ChartData data;
    data.testPoints = {{0.0, 0.0}, {2.0, 4.0}};
    data.minX = 0.0;
    data.maxX = 2.0;
    data.minY = 0.0;
    data.maxY = 4.0;
    const std::vector<std::string> calls = Draw(data);
    EXPECT_TRUE(Matching(calls, "centre").empty());
    EXPECT_EQ(calls[2], "rect 50,50,950,650");
    // The training pen is still selected, with no markers under it.
    EXPECT_EQ(Matching(calls, "pen 6"), (std::vector<std::string>{"pen 6 0/0/255", "pen 6 255/0/255"}));
    EXPECT_EQ(Matching(calls, "ellipse"),
              (std::vector<std::string>{"ellipse 197,547,203,553", "ellipse 797,147,803,153"}));
    EXPECT_EQ(calls[IndexOf(calls, "pen 6 0/0/255") + 1], "pen 6 255/0/255");
}

namespace {

// The chart with the fixed insets, written out step by step with the recording painter's
// text sizes: frame 50 in from the client, plot 300 and 100 further in, eleven ticks per
// axis, markers, the curve per pixel column and the legend at (R + 40, T + 100).
std::vector<std::string> FixedInsetRecording(const ChartData& d, const ChartRect& c) {
    auto point = [](const char* what, long long x, long long y) {
        return std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
    };
    auto fixed2 = [](double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", v);
        return std::string(text);
    };
    std::vector<std::string> out{"font 120 黑体", "pen 2 0/0/0",
                                 "rect " + RecordingPainter::Rect({c.left + 50, c.top + 50, c.right - 50, c.bottom - 50})};
    const int l = c.left + 350, t = c.top + 150, r = c.right - 350, b = c.bottom - 150;
    out.push_back(point("move", l, b));
    out.push_back(point("line", r, b));
    out.push_back(point("move", l, b));
    out.push_back(point("line", l, t));
    const int sx = (r - l) / 10, sy = (b - t) / 10;
    const double k = std::min(sx / 5.0, 20.0);
    const double vx = (d.maxX - d.minX) / 10.0, vy = (d.maxY - d.minY) / 10.0;
    for (int i = 0; i <= 10; ++i) {
        const int xi = i * sx + l, yb = static_cast<int>(b + k);
        const std::string label = fixed2(d.minX + i * vx);
        out.push_back(point("move", xi, b));
        out.push_back(point("line", xi, yb));
        out.push_back(point("text", xi - 8 * static_cast<int>(label.size()) / 2, yb + 2) + " " + label);
    }
    for (int i = 0; i <= 10; ++i) {
        const int yi = b - i * sy, xl = static_cast<int>(l - k);
        const std::string label = fixed2(d.minY + i * vy);
        out.push_back(point("move", l, yi));
        out.push_back(point("line", xl, yi));
        out.push_back(point("text", xl - 8 * static_cast<int>(label.size()), yi - 8) + " " + label);
    }
    const int w = r - l, h = b - t;
    const double dx = d.maxX - d.minX, dy = d.maxY - d.minY;
    const std::pair<const std::vector<PointRecord>*, const char*> sets[] = {{&d.trainPoints, "pen 6 0/0/255"},
                                                                            {&d.testPoints, "pen 6 255/0/255"}};
    for (const auto& [points, pen] : sets) {
        out.push_back(pen);
        for (const PointRecord& p : *points) {
            const int px = static_cast<int>((p.x - d.minX) * w / dx + l);
            const int py = static_cast<int>(b - (p.y - d.minY) * h / dy);
            out.push_back("ellipse " + RecordingPainter::Rect({px - 3, py - 3, px + 3, py + 3}));
        }
    }
    out.push_back("pen 3 255/0/0");
    for (int i = 0; i <= w; ++i) {
        const double x = i * dx / w + d.minX;
        double y = 0.0;
        for (std::size_t j = 0; j < d.coefficients.size(); ++j) y += d.coefficients[j] * std::pow(x, j);
        out.push_back(point(i == 0 ? "move" : "line", l + i, static_cast<int>(b - (y - d.minY) * h / dy)));
    }
    out.push_back("fill " + RecordingPainter::Rect({r + 40, t + 100, r + 70, t + 130}) + " 0/0/255");
    out.push_back(point("text", r + 75, t + 100) + " 训练数据");
    out.push_back("fill " + RecordingPainter::Rect({r + 40, t + 150, r + 70, t + 180}) + " 255/0/255");
    out.push_back(point("text", r + 75, t + 150) + " 泛化数据");
    return out;
}

// A drawn text and its box in the recording painter's sizes.
struct DrawnText {
    ChartRect box;
    std::string text;
};

std::vector<DrawnText> Texts(const std::vector<std::string>& calls) {
    std::vector<DrawnText> out;
    for (const std::string& call : Matching(calls, "text ")) {
        int x = 0, y = 0, consumed = 0;
        if (std::sscanf(call.c_str(), "text %d,%d %n", &x, &y, &consumed) != 2) continue;
        const std::string text = call.substr(static_cast<std::size_t>(consumed));
        out.push_back({{x, y, x + 8 * RecordingPainter::Characters(text), y + 16}, text});
    }
    return out;
}

bool Inside(const ChartRect& inner, const ChartRect& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

// Every text inside the frame, and no two touching.
void ExpectReadable(const std::vector<DrawnText>& texts, const ChartRect& frame, const std::string& at) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_TRUE(Inside(texts[i].box, frame)) << at << " " << texts[i].text;
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            EXPECT_FALSE(trendfit::LabelsCollide(texts[i].box, texts[j].box, 0))
                << at << " " << texts[i].text << " / " << texts[j].text;
        }
    }
}

}  // namespace

TEST(ChartDrawing, FullSizeDrawsWithTheFixedInsets) {
    ChartData data = SineLikeData();
    data.trainPoints.push_back({-1.25, 0.3});
    data.testPoints.push_back({2.2, -0.7});
    data.coefficients = {0.1, 0.5, -0.05};
    for (const ChartRect& client : {ChartRect{0, 0, 1920, 1080}, ChartRect{0, 0, 1900, 700},
                                    ChartRect{10, 20, 2510, 1220}}) {
        EXPECT_EQ(Draw(data, client), FixedInsetRecording(data, client)) << RecordingPainter::Rect(client);
    }
}

TEST(ChartDrawing, ReadableAtEverySize) {
    ChartData sine = SineLikeData();
    sine.coefficients = {0.0, 0.5};
    // Long labels on both axes: "1000.00" and "-123456.78".
    ChartData wide;
    wide.trainPoints = {{0.0, -123456.78}, {500.0, 0.0}};
    wide.testPoints = {{1000.0, 98765.43}};
    wide.minX = 0.0;
    wide.maxX = 1000.0;
    wide.minY = -123456.78;
    wide.maxY = 98765.43;
    wide.coefficients = {0.0, 50.0};
    const ChartRect clients[] = {{0, 0, 1920, 1080}, {0, 0, 1280, 800}, {0, 0, 1000, 700}, {0, 0, 600, 400},
                                 {0, 0, 200, 150}};
    for (const ChartData& data : {sine, wide}) {
        for (const ChartRect& client : clients) {
            const std::string at = RecordingPainter::Rect(client) + " from " + std::to_string(data.minY);
            const std::vector<std::string> calls = Draw(data, client);
            ASSERT_GE(calls.size(), 3u) << at;
            ASSERT_EQ(calls[2], "rect " + RecordingPainter::Rect(ComputeChartLayout(client).frame)) << at;
            const ChartRect frame = ComputeChartLayout(client).frame;
            const std::vector<DrawnText> texts = Texts(calls);
            ExpectReadable(texts, frame, at);
            if (client.right == 200) {
                EXPECT_EQ(calls.size(), 3u) << at;  // the frame only
                continue;
            }
            ASSERT_GT(calls.size(), 7u) << at;
            // The axes run right and up; the first label of each axis is its lowest value.
            int l = 0, b = 0, r = 0, t = 0;
            ASSERT_EQ(std::sscanf(calls[4].c_str(), "line %d,%d", &r, &b), 2) << at;
            ASSERT_EQ(std::sscanf(calls[6].c_str(), "line %d,%d", &l, &t), 2) << at;
            EXPECT_GT(r, l) << at;
            EXPECT_LT(t, b) << at;
            char lowX[64], lowY[64];
            std::snprintf(lowX, sizeof lowX, "%.2f", data.minX);
            std::snprintf(lowY, sizeof lowY, "%.2f", data.minY);
            EXPECT_EQ(texts.front().text, lowX) << at;
            EXPECT_GE(texts.size(), 2u + 2u + 2u) << at;  // at least two labels per axis and the legend
            for (const std::string& marker : Matching(calls, "ellipse ")) {
                int x0 = 0, y0 = 0;
                ASSERT_EQ(std::sscanf(marker.c_str(), "ellipse %d,%d", &x0, &y0), 2);
                EXPECT_TRUE(x0 + 3 >= l && x0 + 3 <= r && y0 + 3 >= t && y0 + 3 <= b) << at << " " << marker;
            }
            // The legend's swatches and texts lie right of the plot, inside the frame.
            for (const std::string& fill : Matching(calls, "fill ")) {
                ChartRect swatch;
                ASSERT_EQ(std::sscanf(fill.c_str(), "fill %d,%d,%d,%d", &swatch.left, &swatch.top, &swatch.right,
                                      &swatch.bottom), 4);
                EXPECT_TRUE(Inside(swatch, frame)) << at << " " << fill;
                EXPECT_GT(swatch.left, r) << at;
            }
            EXPECT_EQ(texts.back().text, "泛化数据") << at;
            EXPECT_GT(texts.back().box.left, r) << at;
            // The y axis's first label is drawn unless it meets the x axis's at the corner.
            const bool lowYDrawn = std::any_of(texts.begin(), texts.end(),
                                               [&](const DrawnText& d) { return d.text == lowY; });
            EXPECT_TRUE(lowYDrawn || client.right <= 600) << at;
        }
    }
}

namespace {

// The calls from `from` on up to the next pen: one polyline and what follows it.
std::vector<std::string> Polyline(const std::vector<std::string>& calls, std::size_t from) {
    std::vector<std::string> line;
    for (std::size_t i = from; i < calls.size() && calls[i].compare(0, 4, "pen ") != 0; ++i) line.push_back(calls[i]);
    return line;
}

}  // namespace

TEST(ChartOptions, BandIsFilledUnderTheCurveWithinThePlot) {
    // A cubic's band on nine points: near the ends it runs past the plot's top and bottom.
    const pct::Vector x(std::vector<double>{-3, -2, -1, -0.5, 0, 1, 1.5, 2, 3});
    const pct::Vector y(std::vector<double>{-1, -0.6, -0.9, 0.1, 0.5, 0.7, 0.2, 1, 0.6});
    auto band = std::make_shared<const pct::Ko::ConfidenceBand>(x, y, 3);
    ChartData data = SineLikeData();
    data.coefficients = pct::Vector(band->Coefficients()).ToFeatureDatas();
    const std::vector<std::string> without = Draw(data);
    data.band = band;
    std::vector<std::string> with = Draw(data);

    // One polygon: the plain loop's curve plus and minus the half-width per pixel column of
    // the plot (200, 150)-(800, 550), held within its height; the upper edge left to right,
    // the lower one back.
    std::string upper, lower;
    bool clamped = false;
    for (int i = 0; i <= 600; ++i) {
        const double px = i * 6.0 / 600 - 3.0;
        double py = 0.0;
        for (std::size_t j = 0; j < data.coefficients.size(); ++j) py += data.coefficients[j] * std::pow(px, j);
        const double h = band->HalfWidth(px);
        const int top = std::clamp(static_cast<int>(550 - (py + h + 1.0) * 400 / 2.0), 150, 550);
        const int bottom = std::clamp(static_cast<int>(550 - (py - h + 1.0) * 400 / 2.0), 150, 550);
        clamped = clamped || top == 150 || bottom == 550;
        upper += " " + std::to_string(200 + i) + "," + std::to_string(top);
        lower = " " + std::to_string(200 + i) + "," + std::to_string(bottom) + lower;
    }
    EXPECT_TRUE(clamped);
    const std::size_t at = IndexOf(with, "polygon 255/0/0@48" + upper + lower);
    ASSERT_LT(at, with.size());
    EXPECT_EQ(Matching(with, "polygon ").size(), 1u);
    // Over the points, under the curve; without it the chart is as it was.
    EXPECT_GT(at, IndexOf(with, "pen 6 255/0/255"));
    EXPECT_EQ(with[at + 1], "pen 3 255/0/0");
    with.erase(with.begin() + static_cast<std::ptrdiff_t>(at));
    EXPECT_EQ(with, without);
    // No curve, no band.
    data.coefficients.clear();
    EXPECT_TRUE(Matching(Draw(data), "polygon ").empty());
}

TEST(ChartOptions, EveryStoredCurveInItsColourTheCurrentLast) {
    const ChartRect client{0, 0, 1920, 1080};
    ChartData data = SineLikeData();
    data.curves = {{{0.0, 0.5}, "1次曲线", false},
                   {{0.1, 0.5, -0.05}, "2次曲线(Ridge)", true},
                   {{0.0, 0.3, 0.0, -0.02}, "3次曲线", false}};
    data.coefficients = data.curves[1].coefficients;
    const std::vector<std::string> calls = Draw(data, client);

    // One polyline per curve, each as the chart draws that curve alone.
    const std::pair<const char*, std::size_t> lines[] = {{"pen 2 0/150/0", 0}, {"pen 2 0/170/200", 2},
                                                         {"pen 3 255/0/0", 1}};
    std::size_t last = IndexOf(calls, "pen 6 255/0/255");
    for (const auto& [pen, curve] : lines) {
        const std::size_t at = IndexOf(calls, pen);
        ASSERT_LT(at, calls.size()) << pen;
        EXPECT_GT(at, last) << pen;
        last = at;
        ChartData alone = SineLikeData();
        alone.coefficients = data.curves[curve].coefficients;
        const std::vector<std::string> single = Draw(alone, client);
        const std::vector<std::string> expected = Polyline(single, IndexOf(single, "pen 3 255/0/0") + 1);
        const std::vector<std::string> drawn = Polyline(calls, at + 1);
        EXPECT_EQ(std::vector<std::string>(drawn.begin(), drawn.begin() + 1221),
                  std::vector<std::string>(expected.begin(), expected.begin() + 1221)) << pen;
    }
    // The legend names each curve beside a line in its pen, at the full-size anchor.
    const std::vector<std::string> legend(calls.end() - 16, calls.end());
    EXPECT_EQ(legend, (std::vector<std::string>{
                          "fill 1610,250,1640,280 0/0/255", "text 1645,250 训练数据",
                          "fill 1610,300,1640,330 255/0/255", "text 1645,300 泛化数据",
                          "pen 2 0/150/0", "move 1610,358", "line 1640,358", "text 1645,350 1次曲线",
                          "pen 3 255/0/0", "move 1610,382", "line 1640,382", "text 1645,374 2次曲线(Ridge)",
                          "pen 2 0/170/200", "move 1610,406", "line 1640,406", "text 1645,398 3次曲线"}));
}

TEST(ChartOptions, LongCurveListsStayReadable) {
    ChartData data = SineLikeData();
    for (int d = 1; d <= 20; ++d) {
        data.curves.push_back({{0.0, 0.01 * d}, std::to_string(d) + "次曲线(弹性网络)", d == 20});
    }
    data.coefficients = data.curves.back().coefficients;
    // Rows that pass the frame's bottom give way to "……"; names too wide for a plot beside
    // them give way to the plot.
    const std::pair<ChartRect, std::size_t> cases[] = {
        {{0, 0, 1920, 1080}, 20}, {{0, 0, 1000, 700}, 12}, {{0, 0, 640, 480}, 5}, {{0, 0, 560, 400}, 0}};
    for (const auto& [client, rows] : cases) {
        const std::string at = RecordingPainter::Rect(client);
        const std::vector<std::string> calls = Draw(data, client);
        const ChartRect frame = ComputeChartLayout(client).frame;
        const std::vector<DrawnText> texts = Texts(calls);
        ExpectReadable(texts, frame, at);
        EXPECT_EQ(Matching(calls, "ellipse ").size(), 3u) << at;
        std::vector<std::string> legend;
        for (const DrawnText& text : texts) {
            if (text.text.find("次曲线") != std::string::npos || text.text == "……") legend.push_back(text.text);
        }
        ASSERT_EQ(legend.size(), rows) << at;
        for (std::size_t i = 0; i < rows; ++i) {
            EXPECT_EQ(legend[i], i + 1 == rows && rows < 20 ? "……" : data.curves[i].name) << at;
        }
    }
}

namespace {

using trendfit::SweepChartData;
using trendfit::SweepChartRenderer;

// Degrees 1 ... 5: training error 1 down to 1e-4, test error 1, 0.1, 0.01, 0.1, 1.
SweepChartData FiveDegrees() {
    SweepChartData data;
    data.lowDegree = 1;
    data.highDegree = 5;
    data.hasTestPoints = true;
    const double train[] = {1.0, 0.1, 0.01, 0.001, 0.0001};
    const double test[] = {1.0, 0.1, 0.01, 0.1, 1.0};
    for (int i = 0; i < 5; ++i) data.points.push_back({i + 1, train[i], test[i]});
    data.bestDegree = 3;
    return data;
}

// The pixel of degree d and of log10(error) = v in a plot spanning degrees lo - 0.5 ...
// hi + 0.5 and decades low ... high, truncated as the chart truncates.
int DegreeX(const ChartRect& p, int lo, int hi, int d) {
    return static_cast<int>((d - (lo - 0.5)) * (p.right - p.left) / (hi - lo + 1.0) + p.left);
}
int DecadeY(const ChartRect& p, int low, int high, double v) {
    return static_cast<int>(p.bottom - (v - low) * (p.bottom - p.top) / double(high - low));
}

// The calls between the pen selection `pen` (its first occurrence) and the next pen.
std::vector<std::string> AfterPen(const std::vector<std::string>& calls, const std::string& pen) {
    std::vector<std::string> out;
    std::size_t i = IndexOf(calls, pen);
    for (++i; i < calls.size() && calls[i].compare(0, 4, "pen ") != 0; ++i) out.push_back(calls[i]);
    return out;
}

std::string At(const char* verb, int x, int y) { return std::string(verb) + " " + std::to_string(x) + "," + std::to_string(y); }

}  // namespace

TEST(SweepChart, DecadesCoverTheErrorsAndNonPositiveOnesSitAtTheBottom) {
    SweepChartData data = FiveDegrees();
    auto decades = trendfit::SweepErrorDecades(data);
    EXPECT_EQ(decades.low, -4);
    EXPECT_EQ(decades.high, 0);
    data.points = {{1, 0.02, 0.6}, {2, 0.001, 50.0}};
    decades = trendfit::SweepErrorDecades(data);
    EXPECT_EQ(decades.low, -3);
    EXPECT_EQ(decades.high, 2);
    data.hasTestPoints = false;  // test errors then count for nothing
    EXPECT_EQ(trendfit::SweepErrorDecades(data).high, -1);
    data.points = {{1, 0.5, 0.0}};  // within one decade: the axis still spans one
    EXPECT_EQ(trendfit::SweepErrorDecades(data).low, -1);
    EXPECT_EQ(trendfit::SweepErrorDecades(data).high, 0);
    data.points = {{1, 0.0, 0.0}, {2, -1.0, 0.0}, {3, std::nan(""), 0.0}};
    decades = trendfit::SweepErrorDecades(data);
    EXPECT_EQ(decades.low, 0);
    EXPECT_EQ(decades.high, 1);

    const trendfit::ErrorDecades axis{-3, 1};
    EXPECT_EQ(trendfit::SweepLogError(0.0, axis), -3.0);
    EXPECT_EQ(trendfit::SweepLogError(-2.0, axis), -3.0);
    EXPECT_EQ(trendfit::SweepLogError(1e-300, axis), -3.0);
    EXPECT_EQ(trendfit::SweepLogError(100.0, axis), 1.0);
    EXPECT_EQ(trendfit::SweepLogError(0.1, axis), std::log10(0.1));
    EXPECT_FALSE(trendfit::SweepLogError(std::nan(""), axis).has_value());
    EXPECT_FALSE(trendfit::SweepLogError(std::numeric_limits<double>::infinity(), axis).has_value());
}

TEST(SweepChart, BothSeriesOnALogAxisTheBestDegreeMarked) {
    RecordingPainter painter;
    const SweepChartData data = FiveDegrees();
    const trendfit::ChartLayout layout = SweepChartRenderer().Draw(painter, kClient, data);
    ASSERT_TRUE(layout.hasPlot);
    const ChartRect& p = layout.plot;
    const std::vector<std::string>& calls = painter.calls;

    // A tick label per degree and per decade, in order.
    std::vector<std::string> texts;
    for (const std::string& call : Matching(calls, "text ")) texts.push_back(call.substr(call.find(' ', 5) + 1));
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3", "4", "5", "1e-4", "1e-3", "1e-2", "1e-1", "1e0", "3次",
                                               "训练误差", "测试误差", "最小测试误差"}));
    EXPECT_NE(IndexOf(calls, At("move", DegreeX(p, 1, 5, 3), p.bottom)), calls.size());  // tick of degree 3
    EXPECT_NE(IndexOf(calls, At("move", p.left, DecadeY(p, -4, 0, -2))), calls.size());  // tick of 1e-2

    // Each series: one line through its points, then a circle of radius 3 on each.
    for (int series = 0; series < 2; ++series) {
        const std::vector<std::string> drawn = AfterPen(calls, series == 0 ? "pen 2 0/0/255" : "pen 2 255/0/255");
        ASSERT_EQ(drawn.size(), 10u) << series;
        for (int d = 1; d <= 5; ++d) {
            const double error = series == 0 ? data.points[d - 1].trainError : data.points[d - 1].testError;
            const int x = DegreeX(p, 1, 5, d);
            const int y = DecadeY(p, -4, 0, std::log10(error));
            EXPECT_EQ(drawn[d - 1], At(d == 1 ? "move" : "line", x, y)) << series << d;
            EXPECT_EQ(drawn[4 + d], "ellipse " + RecordingPainter::Rect({x - 3, y - 3, x + 3, y + 3}));
        }
    }
    // The ring around the lowest test error, its label above right of it.
    const int x = DegreeX(p, 1, 5, 3);
    const int y = DecadeY(p, -4, 0, -2.0);
    const std::vector<std::string> best = AfterPen(calls, "pen 3 255/0/0");
    ASSERT_GE(best.size(), 2u);
    EXPECT_EQ(best[0], "ellipse " + RecordingPainter::Rect({x - 9, y - 9, x + 9, y + 9}));
    EXPECT_EQ(best[1], At("text", x + 9, y - 9 - 16) + " 3次");
    // The legend: two line rows and the mark's square.
    EXPECT_EQ(Matching(calls, "fill ").size(), 1u);
    EXPECT_NE(Matching(calls, "fill ")[0].find(" 255/0/0"), std::string::npos);
}

TEST(SweepChart, WithoutTestPointsNothingIsMarked) {
    SweepChartData data = FiveDegrees();
    data.hasTestPoints = false;
    data.bestDegree.reset();
    const std::vector<std::string> calls = [&] {
        RecordingPainter painter;
        SweepChartRenderer().Draw(painter, kClient, data);
        return painter.calls;
    }();
    EXPECT_EQ(IndexOf(calls, "pen 2 255/0/255"), calls.size());
    EXPECT_EQ(IndexOf(calls, "pen 3 255/0/0"), calls.size());
    EXPECT_TRUE(Matching(calls, "fill ").empty());
    std::size_t legends = 0;
    for (const std::string& call : Matching(calls, "text ")) {
        legends += call.find("误差") != std::string::npos;
        EXPECT_EQ(call.find("次"), std::string::npos) << call;
    }
    EXPECT_EQ(legends, 1u);
}

TEST(SweepChart, NarrowClientsDropTheMarksLegendRowBeforeThePlot) {
    // From wide to narrow: first the full legend, then a plot without the mark's row (its
    // label on the plot stays), then the frame alone; nothing is drawn outside the frame.
    int full = 0;
    int shortened = 0;
    for (int width = 1000; width >= 300; width -= 10) {
        RecordingPainter painter;
        const trendfit::ChartLayout layout = SweepChartRenderer().Draw(painter, {0, 0, width, 400}, FiveDegrees());
        if (!layout.hasPlot) continue;
        const bool row = IndexOf(painter.calls, "text " + std::to_string(layout.legendX + layout.swatchSize + 5) + "," +
                                                    std::to_string(layout.legendY + 2 * (16 + 8)) + " 最小测试误差") <
                         painter.calls.size();
        EXPECT_FALSE(shortened > 0 && row) << width;  // once dropped, it stays dropped
        (row ? full : shortened) += 1;
        for (const std::string& text : Matching(painter.calls, "text ")) {
            const int x = std::stoi(text.substr(5));
            EXPECT_GE(x, layout.frame.left) << text;
            EXPECT_LE(x, layout.frame.right) << text;
        }
    }
    EXPECT_GT(full, 0);
    EXPECT_GT(shortened, 0);
}

TEST(SweepChart, ZeroAndNegativeErrorsStayOnThePlotMissingOnesBreakTheLine) {
    SweepChartData data;
    data.lowDegree = 1;
    data.highDegree = 7;
    const double inf = std::numeric_limits<double>::infinity();
    const double train[] = {0.1, 0.0, std::nan(""), -1.0, inf, 0.01};
    for (int i = 0; i < 6; ++i) data.points.push_back({i + 1, train[i], std::nan("")});
    RecordingPainter painter;
    const trendfit::ChartLayout layout = SweepChartRenderer().Draw(painter, kClient, data);
    const ChartRect& p = layout.plot;
    const std::vector<std::string> drawn = AfterPen(painter.calls, "pen 2 0/0/255");
    const std::vector<std::string> path(drawn.begin(), drawn.begin() + 4);
    EXPECT_EQ(path, (std::vector<std::string>{At("move", DegreeX(p, 1, 7, 1), DecadeY(p, -2, -1, -1.0)),
                                              At("line", DegreeX(p, 1, 7, 2), p.bottom),
                                              At("move", DegreeX(p, 1, 7, 4), p.bottom),
                                              At("move", DegreeX(p, 1, 7, 6), p.bottom)}));
    EXPECT_EQ(drawn.size(), 4u + 4u);  // four circles: the errors that have a place
}

TEST(SweepChart, EmptyTicksAndTheDegreeUnderAColumn) {
    RecordingPainter painter;
    const trendfit::ChartLayout none = SweepChartRenderer().Draw(painter, kClient, SweepChartData{});
    EXPECT_EQ(painter.calls, (std::vector<std::string>{"font 120 黑体", "centre 0,0,1000,700 尚未进行阶数扫描"}));
    EXPECT_FALSE(trendfit::SweepDegreeAt(none, SweepChartData{}, 500).has_value());

    // 1 ... 100 is labelled every 10 degrees.
    SweepChartData wide;
    wide.lowDegree = 1;
    wide.highDegree = 100;
    wide.points = {{1, 1.0, 1.0}};
    painter.calls.clear();
    const trendfit::ChartLayout layout = SweepChartRenderer().Draw(painter, kClient, wide);
    const std::vector<std::string> labels = Matching(painter.calls, "text ");
    EXPECT_EQ(labels.front().substr(labels.front().rfind(' ') + 1), "10");
    EXPECT_EQ(labels[9].substr(labels[9].rfind(' ') + 1), "100");

    // Every degree's own column leads back to it; outside the plot there is none.
    const SweepChartData data = FiveDegrees();
    const ChartRect& p = layout.plot;
    for (int d = 1; d <= 100; ++d) EXPECT_EQ(trendfit::SweepDegreeAt(layout, wide, DegreeX(p, 1, 100, d)), d);
    EXPECT_EQ(trendfit::SweepDegreeAt(layout, data, p.left), 1);
    EXPECT_EQ(trendfit::SweepDegreeAt(layout, data, p.right), 5);
    EXPECT_FALSE(trendfit::SweepDegreeAt(layout, data, p.left - 1).has_value());
    EXPECT_FALSE(trendfit::SweepDegreeAt(layout, data, p.right + 1).has_value());
}
