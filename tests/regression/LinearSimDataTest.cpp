#include <vecmat/Vecmat.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "tests/support/TestSupport.h"

using pct::LinearSimData;
using pct::SimDataParam;
using pct::SimDataReturn;
using pct::Vector;

namespace {

SimDataParam Param(int funcType, double xMin, double xMax, size_t count, double testRate,
                   double noise, int noiseType) {
    SimDataParam p;
    p.funcType = funcType;
    p.xMin = xMin;
    p.xMax = xMax;
    p.count = count;
    p.testRate = testRate;
    p.noise = noise;
    p.noiseType = noiseType;
    return p;
}

double Curve(int funcType, double x) {
    switch (funcType) {
    case 0: return std::sin(x);
    case 1: return x * x;
    case 2: return 1.0 / x;
    default: return x;
    }
}

// The noise of every point, training and test: y - curve(x).
std::vector<double> Residuals(const SimDataReturn& r, int funcType) {
    std::vector<double> out;
    for (size_t i = 0; i < r.trainX.Size(); ++i)
        out.push_back(r.trainY[i] - Curve(funcType, r.trainX[i]));
    for (size_t i = 0; i < r.testX.Size(); ++i)
        out.push_back(r.testY[i] - Curve(funcType, r.testX[i]));
    return out;
}

void ExpectSizes(const SimDataReturn& r, size_t train, size_t test) {
    EXPECT_EQ(r.trainX.Size(), train);
    EXPECT_EQ(r.trainY.Size(), train);
    EXPECT_EQ(r.testX.Size(), test);
    EXPECT_EQ(r.testY.Size(), test);
}

}  // namespace

TEST(LinearSimData, DegenerateRangeGivesVectorsWithoutStorage) {
    for (double xMax : {1.0, 1.0 + 2.220446049250313e-16, std::nan("")}) {
        const SimDataReturn r = LinearSimData::CreateSimData(Param(0, 1.0, xMax, 1000, 0.2, 0.1, 0));
        EXPECT_TRUE(r.trainX.IsEmpty());
        EXPECT_TRUE(r.trainY.IsEmpty());
        EXPECT_TRUE(r.testX.IsEmpty());
        EXPECT_TRUE(r.testY.IsEmpty());
    }
    // Degenerate beats an impossible split: nothing is computed.
    EXPECT_TRUE(LinearSimData::CreateSimData(Param(0, 2, 2, 10, 5.0, 0, 0)).testX.IsEmpty());
}

TEST(LinearSimData, SplitTruncatesTheTestCount) {
    ExpectSizes(LinearSimData::CreateSimData(Param(0, -3, 3, 100, 0.29, 0.1, 0)), 72, 28);
    ExpectSizes(LinearSimData::CreateSimData(Param(0, -3, 3, 100, 0.2, 0.1, 0)), 80, 20);
    ExpectSizes(LinearSimData::CreateSimData(Param(1, -3, 3, 7, 0.0, 0, 0)), 7, 0);
    ExpectSizes(LinearSimData::CreateSimData(Param(1, -3, 3, 7, 1.0, 0, 0)), 0, 7);
    ExpectSizes(LinearSimData::CreateSimData(Param(1, -3, 3, 0, 0.5, 0, 0)), 0, 0);
    // A product above -1 truncates to 0.
    ExpectSizes(LinearSimData::CreateSimData(Param(1, -3, 3, 10, -0.05, 0, 0)), 10, 0);
    // A rate a little above 1 whose product still truncates to the count.
    ExpectSizes(LinearSimData::CreateSimData(Param(1, -3, 3, 10, 1.05, 0, 0)), 0, 10);
}

TEST(LinearSimData, SplitsThatWrapAroundFailToAllocate) {
    const size_t huge = std::numeric_limits<size_t>::max();
    EXPECT_THROW(LinearSimData::CreateSimData(Param(0, -3, 3, 100, 1.5, 0, 0)), std::bad_alloc);
    EXPECT_THROW(LinearSimData::CreateSimData(Param(0, -3, 3, 100, -0.01, 0, 0)), std::bad_alloc);
    EXPECT_THROW(LinearSimData::CreateSimData(Param(0, -3, 3, 100, std::nan(""), 0, 0)),
                 std::bad_alloc);
    EXPECT_THROW(LinearSimData::CreateSimData(Param(0, -3, 3, huge, 1.0, 0, 0)), std::bad_alloc);
    EXPECT_THROW(LinearSimData::CreateSimData(Param(0, -3, 3, 100, INFINITY, 0, 0)),
                 std::bad_alloc);
    EXPECT_THROW(LinearSimData::CreateSimData(Param(0, -3, 3, 100, -INFINITY, 0, 0)),
                 std::bad_alloc);
}

TEST(LinearSimData, NoiselessPointsLieExactlyOnTheCurve) {
    struct Case { int funcType; double noise; int noiseType; };
    for (Case c : {Case{0, 0.0, 0}, Case{1, 1e-17, 1}, Case{2, -2.220446049250313e-16, 0},
                   Case{3, 0.0, 1}, Case{7, 0.0, 0}, Case{0, 5.0, 2}, Case{1, 5.0, -1}}) {
        SCOPED_TRACE(c.funcType);
        const SimDataReturn r = LinearSimData::CreateSimData(Param(c.funcType, 0.5, 3, 50, 0.3,
                                                                   c.noise, c.noiseType));
        ExpectSizes(r, 35, 15);
        const int curve = c.funcType > 3 ? 3 : c.funcType;
        for (size_t i = 0; i < 35; ++i) EXPECT_EQ(r.trainY[i], Curve(curve, r.trainX[i]));
        for (size_t i = 0; i < 15; ++i) EXPECT_EQ(r.testY[i], Curve(curve, r.testX[i]));
    }
}

TEST(LinearSimData, XIsUniformOverTheRangeWithFiftyThreeBits) {
    const SimDataReturn r = LinearSimData::CreateSimData(Param(3, 0.0, 1.0, 4000, 0.25, 0, 0));
    std::vector<double> xs = Vector(r.trainX).ToFeatureDatas();
    const std::vector<double> test = SimDataReturn(r).testX.ToFeatureDatas();
    xs.insert(xs.end(), test.begin(), test.end());
    bool beyond32Bits = false;
    double sum = 0.0;
    for (double x : xs) {
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        // Here x is the uniform draw itself, a multiple of 2^-53.
        const double scaled = x * 9007199254740992.0;
        ASSERT_EQ(scaled, std::floor(scaled));
        if (x * 4294967296.0 != std::floor(x * 4294967296.0)) beyond32Bits = true;
        sum += x;
    }
    EXPECT_TRUE(beyond32Bits);
    EXPECT_NEAR(sum / xs.size(), 0.5, 0.03);
    EXPECT_FALSE(std::is_sorted(xs.begin(), xs.end()));
}

TEST(LinearSimData, ReversedRangeStaysBetweenItsEnds) {
    const SimDataReturn r = LinearSimData::CreateSimData(Param(0, 4.0, -2.0, 500, 0.5, 0, 0));
    for (size_t i = 0; i < 250; ++i) {
        EXPECT_LE(r.trainX[i], 4.0);
        EXPECT_GE(r.trainX[i], -2.0);
        EXPECT_LE(r.testX[i], 4.0);
        EXPECT_GE(r.testX[i], -2.0);
    }
}

TEST(LinearSimData, UniformNoiseFillsItsBounds) {
    const double m = 0.5;
    const SimDataReturn r = LinearSimData::CreateSimData(Param(0, -3, 3, 20000, 0.2, -m, 0));
    const std::vector<double> e = Residuals(r, 0);
    const auto [lo, hi] = std::minmax_element(e.begin(), e.end());
    // Up to the rounding of adding the curve and taking it off again.
    EXPECT_GE(*lo, -m - 1e-12);
    EXPECT_LT(*hi, m + 1e-12);
    EXPECT_LT(*lo, -0.49);
    EXPECT_GT(*hi, 0.49);
    double sum = 0.0;
    for (double v : e) sum += v;
    EXPECT_NEAR(sum / e.size(), 0.0, 0.02);
}

TEST(LinearSimData, NormalNoiseHasItsMoments) {
    const double m = 2.0;
    const SimDataReturn r = LinearSimData::CreateSimData(Param(1, -3, 3, 20000, 0.5, m, 1));
    const std::vector<double> e = Residuals(r, 1);
    double sum = 0.0, squares = 0.0;
    size_t withinOneSigma = 0;
    for (double v : e) {
        sum += v;
        squares += v * v;
        if (std::fabs(v) < m) ++withinOneSigma;
    }
    const double n = static_cast<double>(e.size());
    const double mean = sum / n;
    EXPECT_NEAR(mean, 0.0, 0.1);
    EXPECT_NEAR(std::sqrt(squares / n - mean * mean), m, 0.1);
    // 68.3 % for a normal law; a uniform one of the same deviation would give 57.7 %.
    EXPECT_NEAR(withinOneSigma / n, 0.683, 0.02);
}

TEST(LinearSimData, TwoCallsDiffer) {
    const SimDataParam p = Param(0, -3, 3, 50, 0.2, 0.1, 0);
    const SimDataReturn a = LinearSimData::CreateSimData(p);
    const SimDataReturn b = LinearSimData::CreateSimData(p);
    EXPECT_NE(SimDataReturn(a).trainX.ToFeatureDatas(), SimDataReturn(b).trainX.ToFeatureDatas());
}

TEST(LinearSimData, RecordsCopyDeeply) {
    SimDataReturn a = LinearSimData::CreateSimData(Param(1, 1, 2, 4, 0.5, 0, 0));
    SimDataReturn b = a;
    b.trainX[0] = 100.0;
    EXPECT_NE(a.trainX[0], 100.0);
    SimDataReturn c = std::move(a);
    EXPECT_TRUE(a.trainX.IsEmpty());
    EXPECT_EQ(c.testY.Size(), 2u);

    LinearSimData x;
    LinearSimData y;
    EXPECT_EQ(&(x = y), &x);
    EXPECT_EQ(&(x = LinearSimData()), &x);
}
