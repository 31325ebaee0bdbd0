#include <vecmat/Vecmat.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/regression/IllConditionedSample.h"
#include "tests/support/TestSupport.h"

using pct::Vector;
using pct::Ko::ConfidenceBand;
using pct::Ko::Trendfit;

namespace {

// 25 points of 1 + 0.5x - 0.3x^2 + 0.1x^3 plus normal noise of deviation 0.2.
const std::vector<double> kX = {
    -2.0176, -1.8682, -1.6516, -1.5428, -1.3297, -1.1801, -1.0442, -0.8326, -0.7129,
    -0.5066, -0.3763, -0.2076, -0.0075, 0.1994,  0.2957,  0.4723,  0.6794,  0.8781,
    1.0077,  1.1563,  1.381,   1.4547,  1.7025,  1.8123,  1.9644};
const std::vector<double> kY = {
    -1.9245, -1.5173, -1.0437, -0.9682, -0.6791, -0.3122, -0.1383, 0.4991, 0.5196,
    0.6837,  0.8466,  1.173,   0.8402,  1.1649,  0.9354,  1.0672,  1.1232, 1.6139,
    1.2544,  1.1896,  1.1638,  1.2903,  1.704,   1.2876,  1.4503};

Vector V(std::vector<double> values) { return Vector(values); }

void ExpectHalfWidths(const ConfidenceBand& band, const std::vector<double>& at,
                      const std::vector<double>& expected, double tolerance) {
    for (size_t i = 0; i < at.size(); ++i)
        EXPECT_NEAR(band.HalfWidth(at[i]), expected[i], tolerance * expected[i]) << "x = " << at[i];
}

}  // namespace

// Reference: mpmath at 80 digits, t * sqrt(s^2 phi^T C phi) with C = (X^T X)^-1, or for
// ridge (X^T X + lambda I)^-1 X^T X (X^T X + lambda I)^-1, and the t quantile by bisection.
TEST(ConfidenceBand, CubicPlainAndRidgeAgainstMpmath) {
    const struct {
        double lambda;
        double variance;
        std::vector<double> halfWidths;
    } cases[] = {
        {0.0, 0.030719559915592709042,
         {1.1134797987987889465, 0.12730377553127152374, 0.1104857317027852506,
          0.12966810238647154755, 0.26116612509671991733, 0.60709444339872157442}},
        {0.5, 0.032428000730242977088,
         {1.0769725259697416939, 0.12784678863026608609, 0.10782027542852912782,
          0.12415365841426737529, 0.26230676923755177192, 0.59282290436168402787}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lambda);
        const ConfidenceBand band(V(kX), V(kY), 3, c.lambda);
        EXPECT_TRUE(band.Coefficients() == Trendfit::StableFit(V(kX), V(kY), 3, c.lambda));
        EXPECT_NEAR(band.ResidualVariance(), c.variance, 1e-14 * c.variance);
        EXPECT_NEAR(band.Quantile(), 2.0796138447276803951, 1e-14 * 2.1);
        ExpectHalfWidths(band, {-3, -1.5, 0, 0.7, 2, 2.5}, c.halfWidths, 1e-13);
    }
}

TEST(ConfidenceBand, IllConditionedDegreeTenAgainstMpmath) {
    const ConfidenceBand band(Vector(testing_support::kClusteredX),
                              Vector(testing_support::kClusteredY), 10);
    EXPECT_NEAR(band.ResidualVariance(), 2.2702064207164977424e-7, 1e-11 * 2.27e-7);
    EXPECT_NEAR(band.Quantile(), 1.993943367845625787, 1e-14 * 2.0);
    ExpectHalfWidths(band, {-9, -7.5, -6, -4.5, -3},
                     {0.0032987007597428435938, 3.6809397810788012367e-4, 2.4474149483791628881e-4,
                      2.9913146553442643122e-4, 7.6918234318267178167e-4},
                     1e-6);  // about cond * 2^-52: R is a factor in double
}

TEST(ConfidenceBand, FailuresInOrderOfChecks) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // The shapes of StableFit first.
    EXPECT_THROW_MSG(ConfidenceBand(V({1, 2}), Vector(), 1), "此矩阵为空矩阵");
    EXPECT_THROW_MSG(ConfidenceBand(V({1, 2}), V({1, 2, 3}), 1), "两个矩阵不能进行相乘");
    // Then the degrees of freedom n - d - 1, before the weight and the data.
    EXPECT_THROW_MSG(ConfidenceBand(V({1, 2, 3}), V({1, 2, 4}), 2), "样本点数必须多于阶数加1，才能计算置信带");
    EXPECT_THROW_MSG(ConfidenceBand(V({1, nan}), V({1, 2}), 0, -1), "样本点数必须多于阶数加1，才能计算置信带");
    EXPECT_THROW_MSG(ConfidenceBand(V({1, 2, nan}), V({1, 2, 4}), 1, -1), "岭回归权重必须是非负的有限值");
    EXPECT_THROW_MSG(ConfidenceBand(V({1, 2, nan}), V({1, 2, 4}), 1), "数据中含有非数值或无穷大的值");
    EXPECT_THROW_MSG(ConfidenceBand(V({1, 1, 1}), V({1, 2, 4}), 1), "矩阵不可逆");
    // One degree of freedom is enough: t = 12.7.
    const ConfidenceBand line(V({1, 2, 3}), V({1, 2, 4}), 1);
    EXPECT_NEAR(line.Quantile(), 12.706204736174704646, 1e-13);
    EXPECT_GT(line.HalfWidth(2), 0.0);
}

// y near the top of the range of double: s^2 lies beyond it, the half-widths do not.
TEST(ConfidenceBand, HugeValuesScaleByTheirPowerOfTwo) {
    std::vector<double> huge = kY;
    for (double& v : huge) v = std::ldexp(v, 1000);
    const ConfidenceBand band(V(kX), V(kY), 3);
    const ConfidenceBand big(V(kX), V(huge), 3);
    EXPECT_EQ(big.ResidualVariance(), std::numeric_limits<double>::infinity());
    for (const double x : {-3.0, 0.0, 2.5}) EXPECT_EQ(big.HalfWidth(x), std::ldexp(band.HalfWidth(x), 1000));
}
