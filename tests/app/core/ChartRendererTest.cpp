#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/ChartRenderer.h"
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

TEST(ChartLayout, ThousandBySevenHundredClient) {
    const trendfit::ChartLayout layout = ComputeChartLayout(kClient);
    EXPECT_EQ(layout.frame, (ChartRect{50, 50, 950, 650}));
    EXPECT_EQ(layout.plot, (ChartRect{350, 150, 650, 550}));
    EXPECT_EQ(layout.tickStepX, 30);
    EXPECT_EQ(layout.tickStepY, 40);
    EXPECT_EQ(layout.tickLength, 6.0);
    EXPECT_EQ(layout.legendX, 690);
    EXPECT_EQ(layout.legendY, 250);
}

TEST(ChartLayout, OffsetClientAndLongTicks) {
    // A wide plot caps the tick length at 20; steps truncate toward zero.
    const trendfit::ChartLayout layout = ComputeChartLayout(ChartRect{10, 20, 1815, 1020});
    EXPECT_EQ(layout.plot, (ChartRect{360, 170, 1465, 870}));
    EXPECT_EQ(layout.tickStepX, 110);
    EXPECT_EQ(layout.tickStepY, 70);
    EXPECT_EQ(layout.tickLength, 20.0);
    // A narrow client gives a negative width, a negative step and a negative tick length.
    const trendfit::ChartLayout narrow = ComputeChartLayout(ChartRect{0, 0, 655, 700});
    EXPECT_EQ(narrow.plot.left, 350);
    EXPECT_EQ(narrow.plot.right, 305);
    EXPECT_EQ(narrow.tickStepX, -4);
    EXPECT_EQ(narrow.tickLength, -0.8);
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
    // x axis, then y axis.
    EXPECT_EQ(calls[3], "move 350,550");
    EXPECT_EQ(calls[4], "line 650,550");
    EXPECT_EQ(calls[5], "move 350,550");
    EXPECT_EQ(calls[6], "line 350,150");

    // Eleven x ticks 30 apart, 6 long, labels centred 2 pixels below the tick.
    const char* xLabels[] = {"-3.00", "-2.40", "-1.80", "-1.20", "-0.60", "0.00",
                             "0.60",  "1.20",  "1.80",  "2.40",  "3.00"};
    std::size_t at = 7;
    for (int i = 0; i <= 10; ++i, at += 3) {
        const int x = 350 + 30 * i;
        const std::string label = xLabels[i];
        const int w = 8 * static_cast<int>(label.size());
        EXPECT_EQ(calls[at], "move " + std::to_string(x) + ",550") << i;
        EXPECT_EQ(calls[at + 1], "line " + std::to_string(x) + ",556") << i;
        EXPECT_EQ(calls[at + 2], "text " + std::to_string(x - w / 2) + ",558 " + label) << i;
    }
    // Eleven y ticks 40 apart, ending at 344, labels right-aligned and centred.
    const char* yLabels[] = {"-1.00", "-0.80", "-0.60", "-0.40", "-0.20", "0.00",
                             "0.20",  "0.40",  "0.60",  "0.80",  "1.00"};
    for (int i = 0; i <= 10; ++i, at += 3) {
        const int y = 550 - 40 * i;
        const std::string label = yLabels[i];
        const int w = 8 * static_cast<int>(label.size());
        EXPECT_EQ(calls[at], "move 350," + std::to_string(y)) << i;
        EXPECT_EQ(calls[at + 1], "line 344," + std::to_string(y)) << i;
        EXPECT_EQ(calls[at + 2], "text " + std::to_string(344 - w) + "," + std::to_string(y - 8) + " " + label) << i;
    }
    // Then the training and the test markers, each with its own pen, test over training.
    const std::vector<std::string> rest(calls.begin() + static_cast<std::ptrdiff_t>(at), calls.end());
    EXPECT_EQ(rest, (std::vector<std::string>{
                        "pen 6 0/0/255", "ellipse 347,547,353,553", "ellipse 497,247,503,253",
                        "pen 6 255/0/255", "ellipse 647,147,653,153",
                        "fill 690,250,720,280 0/0/255", "text 725,250 训练数据",
                        "fill 690,300,720,330 255/0/255", "text 725,300 泛化数据"}));
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
    EXPECT_GT(pen, IndexOf(calls, "ellipse 647,147,653,153"));
    EXPECT_EQ(calls[pen + 1], "move 350,550");
    for (int i = 1; i <= 300; ++i) {
        ASSERT_EQ(calls[pen + 1 + static_cast<std::size_t>(i)].compare(0, 5, "line "), 0) << i;
    }
    EXPECT_EQ(calls[pen + 301], "line 650,150");
    EXPECT_EQ(calls[pen + 151], "line 500,350");
    EXPECT_EQ(calls[pen + 302], "fill 690,250,720,280 0/0/255");
}

TEST(ChartDrawing, CurveIsNotClippedToThePlot) {
    ChartData data = SineLikeData();
    data.coefficients = {3.0};  // y = 3, far above maxY = 1
    const std::vector<std::string> calls = Draw(data);
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    // 550 - (3 + 1) * 400 / 2 = -250
    EXPECT_EQ(calls[pen + 1], "move 350,-250");
    EXPECT_EQ(calls[pen + 301], "line 650,-250");
}

TEST(ChartDrawing, NarrowClientMirrorsPointsAndDrawsNoCurve) {
    ChartData data = SineLikeData();
    data.coefficients = {0.0, 1.0};
    // Client 600 wide: plot left 350, right 250, width -100.
    const std::vector<std::string> calls = Draw(data, ChartRect{0, 0, 600, 700});
    EXPECT_EQ(calls[2], "rect 50,50,550,650");
    const std::vector<std::string> markers = Matching(calls, "ellipse");
    EXPECT_EQ(markers, (std::vector<std::string>{"ellipse 347,547,353,553", "ellipse 297,247,303,253",
                                                 "ellipse 247,147,253,153"}));
    // The curve pen is selected, but no column is sampled: the legend follows at once.
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    EXPECT_EQ(calls[pen + 1], "fill 290,250,320,280 0/0/255");
}

TEST(ChartDrawing, ZeroWidthPlotDrawsOneCurveSample) {
    ChartData data = SineLikeData();
    data.coefficients = {0.0, 1.0 / 3.0};
    // Client 700 wide: plot left and right both 350.
    const std::vector<std::string> calls = Draw(data, ChartRect{0, 0, 700, 700});
    const std::size_t pen = IndexOf(calls, "pen 3 255/0/0");
    ASSERT_LT(pen, calls.size());
    EXPECT_EQ(calls[pen + 1], "move 350,550");  // x = minX
    EXPECT_EQ(calls[pen + 2].compare(0, 5, "fill "), 0);
    for (const std::string& marker : Matching(calls, "ellipse")) {
        EXPECT_EQ(marker.compare(0, 12, "ellipse 347,"), 0) << marker;
    }
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
    EXPECT_EQ(calls[pen + 1], "move 350,350");
    EXPECT_EQ(calls[pen + 301], "line 650,350");
}

TEST(ChartDrawing, EqualYValuesLieOnTheMiddleLine) {
    ChartData data;
    data.trainPoints = {{0.0, 5.0}, {4.0, 5.0}};
    data.minX = 0.0;
    data.maxX = 4.0;
    data.minY = data.maxY = 5.0;
    EXPECT_EQ(Matching(Draw(data), "ellipse"),
              (std::vector<std::string>{"ellipse 347,347,353,353", "ellipse 647,347,653,353"}));
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
    EXPECT_EQ(calls[pen + 1], "move 350," + std::to_string(INT_MIN));
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
    EXPECT_EQ(moves, (std::vector<std::string>{"move 350," + std::to_string(INT_MAX),
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
              (std::vector<std::string>{"fill 690,250,720,280 1/2/3", "fill 690,300,720,330 4/5/6"}));
}

TEST(ChartDrawing, OddTextExtentsHalveTowardZero) {
    RecordingPainter painter;
    painter.charWidth = 7;
    painter.textHeight = 15;
    ChartRenderer().Draw(painter, kClient, SineLikeData());
    const std::vector<std::string> texts = painter.Starting("text ");
    ASSERT_EQ(texts.size(), 24u);
    // "-3.00" is 35 wide: its left edge is 350 - 17; "0.00" is 28 wide: 500 - 14.
    EXPECT_EQ(texts[0], "text 333,558 -3.00");
    EXPECT_EQ(texts[5], "text 486,558 0.00");
    // Y labels end at the tick end 344 and sit 15 / 2 = 7 above the tick.
    EXPECT_EQ(texts[11], "text 309,543 -1.00");
    EXPECT_EQ(texts[21], "text 316,143 1.00");
    EXPECT_EQ(texts[22], "text 725,250 训练数据");
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
              (std::vector<std::string>{"ellipse 347,547,353,553", "ellipse 647,147,653,153"}));
    EXPECT_EQ(calls[IndexOf(calls, "pen 6 0/0/255") + 1], "pen 6 255/0/255");
}
