#include <vecmat/Vecmat.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "tests/regression/IllConditionedSample.h"
#include "tests/support/TestSupport.h"

using pct::Vector;
using pct::Ko::Trendfit;

namespace {

constexpr size_t kMaxSize = std::numeric_limits<size_t>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Vector V(std::vector<double> values) { return Vector(values); }

// The fewest correct significant digits over all coefficients, -log10 of the relative error.
double CorrectDigits(const Vector& w, const std::vector<long double>& reference) {
    EXPECT_EQ(w.Size(), reference.size());
    double fewest = std::numeric_limits<double>::infinity();
    for (size_t p = 0; p < reference.size() && p < w.Size(); ++p) {
        const long double error = std::fabs((w[p] - reference[p]) / reference[p]);
        fewest = std::min(fewest, static_cast<double>(-std::log10(error)));
    }
    return fewest;
}

// Relative difference of every coefficient is at most `tolerance`.
void ExpectClose(const Vector& w, const Vector& reference, double tolerance) {
    ASSERT_EQ(w.Size(), reference.Size());
    for (size_t p = 0; p < w.Size(); ++p)
        EXPECT_NEAR(w[p], reference[p], tolerance * std::fabs(reference[p])) << "coefficient " << p;
}

// sin x plus noise at 200 points of [-3, 3]: a design of moderate condition.
struct SineSample {
    Vector x{200};
    Vector y{200};
    SineSample() {
        std::mt19937 gen(99);
        std::uniform_real_distribution<double> ux(-3.0, 3.0);
        std::normal_distribution<double> noise(0.0, 0.1);
        for (size_t i = 0; i < 200; ++i) {
            x[i] = ux(gen);
            y[i] = std::sin(x[i]) + noise(gen);
        }
    }
};

}  // namespace

// Reference: least squares and ridge solutions of the exact doubles, mpmath at 80 digits.
TEST(TrendfitStableFit, DegreeTenOnClusteredXKeepsNineDigitsWhereFitKeepsNone) {
    const Vector x(testing_support::kClusteredX);
    const Vector y(testing_support::kClusteredY);
    const std::vector<long double> plain = {
        21.655527937363333272L, 39.838165058698371841L, 33.74543810541756956L,
        16.708532497846021429L, 5.3362057354447913266L, 1.1444415694927484545L,
        0.16671651912543284067L, 0.016309930304308082467L, 0.0010284156221480132446L,
        3.7865802429101430556e-5L, 6.2008192212425195357e-7L};
    EXPECT_GE(CorrectDigits(Trendfit::StableFit(x, y, 10), plain), 9.0);  // 11.4 here
    // The normal equations square the condition number: not one digit is right.
    EXPECT_LT(CorrectDigits(Trendfit::Fit(x, y, 10), plain), 1.0);

    const std::vector<long double> ridge = {
        0.15333116987352288544L, -0.19823614979090531244L, 0.16139457338375207134L,
        -0.0017250662565734759406L, -0.11763728522595278088L, -0.072810707332647843297L,
        -0.020945774280818236565L, -0.0033737183508956629193L, -3.1301300538920868449e-4L,
        -1.5682659895620085574e-5L, -3.296975258361703842e-7L};
    EXPECT_GE(CorrectDigits(Trendfit::StableFit(x, y, 10, 0.001), ridge), 9.0);
    EXPECT_LT(CorrectDigits(Trendfit::Ridge(x, y, 0.001, 10), ridge), 1.0);
}

// y = 5 - 4x + 3x^2 + 2x^3 - x^4 + x^5 exactly at x = 1 ... 21: the least-squares
// coefficients are these integers.
TEST(TrendfitStableFit, DegreeFiveOnOneToTwentyOneKeepsTwelveDigits) {
    const std::vector<long double> exact = {5, -4, 3, 2, -1, 1};
    Vector x(21), y(21);
    for (int i = 0; i < 21; ++i) {
        const std::int64_t v = i + 1;
        x[i] = static_cast<double>(v);
        y[i] = static_cast<double>(5 - 4 * v + 3 * v * v + 2 * v * v * v - v * v * v * v +
                                   v * v * v * v * v);
    }
    EXPECT_GE(CorrectDigits(Trendfit::StableFit(x, y, 5), exact), 12.0);
    // Fit gets five of them (5.2).
    EXPECT_LT(CorrectDigits(Trendfit::Fit(x, y, 5), exact), 6.0);
}

TEST(TrendfitStableFit, WellConditionedFitsAgreeWithFitAndRidge) {
    const SineSample s;
    ExpectClose(Trendfit::StableFit(s.x, s.y, 5), Trendfit::Fit(s.x, s.y, 5), 1e-12);
    // Lambda means what it means to Ridge: every coefficient, the constant's too, is penalised.
    for (const double lambda : {0.75, 40.0})
        ExpectClose(Trendfit::StableFit(s.x, s.y, 5, lambda), Trendfit::Ridge(s.x, s.y, lambda, 5),
                    1e-12);
    // Degree 0 is a straight line.
    EXPECT_TRUE(Trendfit::StableFit(s.x, s.y, 0) == Trendfit::StableFit(s.x, s.y, 1));
    EXPECT_EQ(Trendfit::StableFit(s.x, s.y, 0).Size(), 2u);
}

TEST(TrendfitStableFit, FailureMessagesInOrderOfChecks) {
    const Vector x = V({1, 2, 3});
    const Vector y = V({2, 4, 7});
    // As Fit: the degree, then an empty y, then an empty x, then the lengths.
    EXPECT_THROW_MSG(Trendfit::StableFit(x, Vector(), kMaxSize), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Trendfit::StableFit(Vector(), Vector(), kMaxSize), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Trendfit::StableFit(x, Vector(), 1), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Trendfit::StableFit(Vector(), y, 1), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Trendfit::StableFit(x, V({1, 2}), 1), "两个矩阵不能进行相乘");
    // Unlike Fit, the lengths are compared before anything is solved.
    EXPECT_THROW_MSG(Trendfit::StableFit(V({2}), V({5, 6}), 1), "两个矩阵不能进行相乘");
    // Then the ridge weight, the data, the powers.
    for (const double lambda : {-1e-300, kNaN, kInf})
        EXPECT_THROW_MSG(Trendfit::StableFit(V({1, kNaN}), V({1, 2}), 1, lambda),
                         "岭回归权重必须是非负的有限值");
    for (const double bad : {kNaN, kInf, -kInf}) {
        EXPECT_THROW_MSG(Trendfit::StableFit(V({1, bad, 1e300}), y, 2), "数据中含有非数值或无穷大的值");
        EXPECT_THROW_MSG(Trendfit::StableFit(x, V({1, 2, bad}), 2, 0.5),
                         "数据中含有非数值或无穷大的值");
    }
    EXPECT_THROW_MSG(Trendfit::StableFit(V({1, 2, 1e155}), y, 2),
                     "数据的幂超出双精度浮点数的范围，请降低阶数");
    EXPECT_THROW_MSG(Trendfit::StableFit(V({-2, 2, 3}), y, 1024),
                     "数据的幂超出双精度浮点数的范围，请降低阶数");
    EXPECT_THROW(Trendfit::StableFit(V({0.5, 0.25}), V({1, 2}), kMaxSize / 4), std::bad_alloc);
}

TEST(TrendfitStableFit, SingularDesignsFailUnlessRidgeMakesThemRegular) {
    const Vector few = V({2});
    const Vector zeros = V({0, 0, 0});
    const Vector twoValues = V({1, 1, 2, 2});
    EXPECT_THROW_MSG(Trendfit::StableFit(few, V({5}), 1), "矩阵不可逆");
    EXPECT_THROW_MSG(Trendfit::StableFit(zeros, V({1, 2, 3}), 1), "矩阵不可逆");
    EXPECT_THROW_MSG(Trendfit::StableFit(twoValues, V({1, 2, 3, 4}), 2), "矩阵不可逆");
    ExpectClose(Trendfit::StableFit(few, V({5}), 1, 0.5), Trendfit::Ridge(few, V({5}), 0.5, 1), 1e-15);
    ExpectClose(Trendfit::StableFit(zeros, V({1, 2, 3}), 1, 2.0),
                Trendfit::Ridge(zeros, V({1, 2, 3}), 2.0, 1), 1e-15);
    ExpectClose(Trendfit::StableFit(twoValues, V({1, 2, 3, 4}), 2, 0.125),
                Trendfit::Ridge(twoValues, V({1, 2, 3, 4}), 0.125, 2), 1e-13);
}

// Degree 42 on [-1, 1] is singular within rounding, yet the factor's rounding keeps its
// computed condition below 2^52: the refinement's first step tells.
TEST(TrendfitStableFit, RefinementThatDoesNotContractMeansSingular) {
    Vector x(50000), y(50000);
    for (size_t i = 0; i < 50000; ++i) {
        x[i] = -1 + 2.0 * static_cast<double>(i) / 49999;
        y[i] = std::sin(3 * x[i]) + 0.1 * std::sin(37.0 * static_cast<double>(i));
    }
    EXPECT_LT(Trendfit::ConditionNumber(x, 42), 0x1p52);
    EXPECT_THROW_MSG(Trendfit::StableFit(x, y, 42), "矩阵不可逆");
}

// More columns than points: only the penalty makes the fit unique, and the reduction meets
// columns whose rest is all but zero. Reference: mpmath at 80 digits, through the dual form
// w = X^T (X X^T + lambda I)^-1 y.
TEST(TrendfitStableFit, RidgeOfDegree110OnFivePoints) {
    const Vector x = V({-0.9, -0.3, 0.1, 0.6, 0.95});
    const Vector y = V({-0.4273798802338298, -0.7833269096274833, 0.2955202066613396,
                        0.9738476308781953, 0.28747801234254483});
    const Vector w = Trendfit::StableFit(x, y, 110, 1e-6);
    ASSERT_EQ(w.Size(), 111u);
    const struct {
        size_t p;
        double value;
    } expected[] = {{0, 0.051342537639135072075},   {1, 2.558137573345741299},
                    {2, -1.0727679940726428958},    {3, -0.9366756968215630631},
                    {55, -0.0031644069259376065069}, {109, -0.000020011771018828003789},
                    {110, -1.9844139991577994296e-7}};
    for (const auto& e : expected) EXPECT_NEAR(w[e.p], e.value, 1e-12 * std::fabs(e.value)) << e.p;
}

TEST(TrendfitStableFit, ExtremeScales) {
    // Scaling x and y by powers of two scales the coefficients exactly.
    const Vector base = Trendfit::StableFit(V({1, 2, 3, 4}), V({1, 0, 2, 5}), 2);
    const Vector scaled = Trendfit::StableFit(V({0x1p-300, 0x2p-300, 0x3p-300, 0x4p-300}),
                                              V({0x1p200, 0, 0x2p200, 0x5p200}), 2);
    for (size_t p = 0; p < 3; ++p)
        EXPECT_EQ(scaled[p], std::ldexp(base[p], 200 + 300 * static_cast<int>(p))) << p;
    // Powers of tiny x: the penalty of a large lambda outweighs the data in the high
    // columns, whose coefficients underflow to 0 (reference: mpmath at 800 digits).
    Vector tiny(10), y(10);
    for (int i = 0; i < 10; ++i) {
        tiny[i] = 1e-20 * (i + 1);
        y[i] = i % 3;
    }
    ExpectClose(Trendfit::StableFit(tiny, y, 8, 1.0),
                V({0.81818181818181818182, 5.9999999999999980158e-20, 2.9999999999999971951e-39,
                   1.139999999999996823e-58, -1.1400000000000333492e-78, -1.0614000000000033625e-96,
                   -1.8321000000000033002e-115, -2.4874860000000031712e-134,
                   -3.0600834000000029898e-153}),
                1e-13);
    const Vector pinned = Trendfit::StableFit(tiny, y, 8, 1e300);
    EXPECT_NEAR(pinned[0], 9e-300, 1e-315);
    for (size_t p = 2; p < 9; ++p) EXPECT_EQ(pinned[p], 0.0) << p;
    // Coefficients beyond the range of double.
    EXPECT_THROW_MSG(Trendfit::StableFit(V({1e-200, 2e-200, 3e-200}), V({1, 0, 1}), 2),
                     "拟合系数超出双精度浮点数的范围");
}

// Reference: the 1-norm condition number of R from numpy's QR of the design with
// unit-norm columns.
TEST(TrendfitConditionNumber, AgainstNumpy) {
    std::vector<double> oneTo21(21);
    for (int i = 0; i < 21; ++i) oneTo21[i] = i + 1;
    EXPECT_NEAR(Trendfit::ConditionNumber(V(oneTo21), 5), 4869.615240193446, 1e-12 * 4869.6);
    EXPECT_NEAR(Trendfit::ConditionNumber(V(oneTo21), 1), 5.284029116403984, 1e-14 * 5.3);
    EXPECT_NEAR(Trendfit::ConditionNumber(V(oneTo21), 0), 5.284029116403984, 1e-14 * 5.3);
    EXPECT_NEAR(Trendfit::ConditionNumber(V({-2, -1, 0, 1, 2, 3}), 3), 15.58053132677181, 1e-14 * 15.6);
    EXPECT_NEAR(Trendfit::ConditionNumber(Vector(testing_support::kClusteredX), 10),
                5163457324.971079, 1e-6 * 5.16e9);
}

TEST(TrendfitConditionNumber, SingularDesignsAreInfiniteAndBadDataFails) {
    // Fewer distinct x than columns: singular within rounding; a zero column: exactly.
    EXPECT_GE(Trendfit::ConditionNumber(V({1, 2}), 2), 0x1p52);
    EXPECT_GE(Trendfit::ConditionNumber(V({1, 1, 2, 2}), 2), 0x1p52);
    EXPECT_EQ(Trendfit::ConditionNumber(V({0, 0, 0}), 1), kInf);
    EXPECT_THROW_MSG(Trendfit::ConditionNumber(V({1, 2}), kMaxSize), "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(Trendfit::ConditionNumber(Vector(), kMaxSize), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(Trendfit::ConditionNumber(V({1, kNaN}), 1), "数据中含有非数值或无穷大的值");
    EXPECT_THROW_MSG(Trendfit::ConditionNumber(V({1, 1e200}), 2),
                     "数据的幂超出双精度浮点数的范围，请降低阶数");
}
