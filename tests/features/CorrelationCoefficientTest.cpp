#include <vecmat/Vecmat.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::CorrelationCoefficient;

namespace {

constexpr double kEps = 2.220446049250313e-16;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Spearman by comparing every pair, the slow reference the fast ranking must match bit
// for bit.
double SpearmanByPairs(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = x.size();
    auto rank = [n](const std::vector<double>& v, std::size_t i) {
        std::int64_t r = 0;
        for (std::size_t j = 0; j < n; ++j)
            if (v[i] - v[j] > kEps) ++r;
        return r;
    };
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = static_cast<double>(rank(x, i) - rank(y, i));
        sum += d * d;
    }
    const double nd = static_cast<double>(n);
    return 1.0 - 6.0 * sum / ((nd * nd - 1.0) * nd);
}

// Same bits, NaN included.
::testing::AssertionResult SameBits(double a, double b) {
    if ((std::isnan(a) && std::isnan(b)) || a == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " differs from " << b;
}

}  // namespace

TEST(Pearson, ExactValuesOfTheOrderedSums) {
    EXPECT_EQ(CorrelationCoefficient::PCCs({1, 2, 3}, {2, 4, 6}), 1.0000000000000002);
    EXPECT_EQ(CorrelationCoefficient::PCCs({1, 2, 3}, {3, 2, 1}), -1.0000000000000002);
    // Uncorrelated: the numerator cancels to exactly 0.
    EXPECT_EQ(CorrelationCoefficient::PCCs({1, 2, 3}, {1, 3, 1}), 0.0);
}

TEST(Pearson, FeatureFormMatchesListForm) {
    const std::vector<double> x{0.3, -1.7, 2.25, 8.0, 1e-3};
    const std::vector<double> y{4.0, 0.5, -2.0, 3.3, 7.1};
    const double expected = CorrelationCoefficient::PCCs(x, y);
    const pct::Vector vx(x), vy(y);
    EXPECT_EQ(CorrelationCoefficient::PCCs(&vx, &vy), expected);
    // Column views of a matrix holding x and y as its two columns.
    std::vector<double> values;
    for (std::size_t i = 0; i < x.size(); ++i) values.insert(values.end(), {x[i], y[i]});
    const pct::Matrix m(x.size(), 2, values.data());
    const pct::IMatrixFeature* c0 = m.GetColumnFeature(0);
    const pct::IMatrixFeature* c1 = m.GetColumnFeature(1);
    EXPECT_EQ(CorrelationCoefficient::PCCs(c0, c1), expected);
    EXPECT_EQ(CorrelationCoefficient::PCCs(c0, &vy), expected);
    c0->Release();
    c1->Release();
}

TEST(Pearson, ConstantSequenceIsNotFinite) {
    EXPECT_FALSE(std::isfinite(CorrelationCoefficient::PCCs({2, 2, 2}, {1, 2, 3})));
    EXPECT_TRUE(std::isnan(CorrelationCoefficient::PCCs({5}, {7})));
}

TEST(Correlation, LengthsAndEmptySequences) {
    const std::vector<double> empty;
    EXPECT_EQ(CorrelationCoefficient::PCCs(empty, empty), 0.0);
    EXPECT_EQ(CorrelationCoefficient::SCCs(empty, empty), 0.0);
    const pct::Vector none, zero(std::size_t{0});
    EXPECT_EQ(CorrelationCoefficient::PCCs(&none, &zero), 0.0);
    EXPECT_EQ(CorrelationCoefficient::SCCs(&zero, &none), 0.0);

    EXPECT_THROW_MSG(CorrelationCoefficient::PCCs({1, 2}, {1, 2, 3}), "两组数据的长度不一致，不能进行计算");
    EXPECT_THROW_MSG(CorrelationCoefficient::SCCs({1, 2, 3}, {1, 2}), "两组数据的长度不一致，不能进行计算");
    EXPECT_THROW_MSG(CorrelationCoefficient::PCCs(empty, {1.0}), "两组数据的长度不一致，不能进行计算");
    const pct::Vector two(std::vector<double>{1, 2}), three(std::vector<double>{1, 2, 3});
    EXPECT_THROW_MSG(CorrelationCoefficient::PCCs(&two, &three), "两组数据的长度不一致，不能进行计算");
    EXPECT_THROW_MSG(CorrelationCoefficient::SCCs(&three, &two), "两组数据的长度不一致，不能进行计算");
}

TEST(Spearman, RanksAndTies) {
    EXPECT_EQ(CorrelationCoefficient::SCCs({1, 2, 3, 4}, {10, 20, 30, 40}), 1.0);
    EXPECT_EQ(CorrelationCoefficient::SCCs({1, 2, 3, 4}, {40, 30, 20, 10}), -1.0);
    // Ties share the lowest rank: (0, 0, 2) against (0, 1, 2).
    EXPECT_EQ(CorrelationCoefficient::SCCs({1, 1, 2}, {1, 2, 3}), 0.75);
    // Elements exactly epsilon apart are tied; two epsilons apart are not.
    EXPECT_EQ(CorrelationCoefficient::SCCs({1.0, 1.0 + kEps, 2.0}, {1, 2, 3}), 0.75);
    EXPECT_EQ(CorrelationCoefficient::SCCs({1.0, 1.0 + 2 * kEps, 2.0}, {1, 2, 3}), 1.0);
    // A single pair divides 0 by 0.
    EXPECT_TRUE(std::isnan(CorrelationCoefficient::SCCs({3.0}, {4.0})));
}

TEST(Spearman, FeatureFormMatchesListForm) {
    const std::vector<double> x{5, 1, 1, 4, 2, 9};
    const std::vector<double> y{0.1, 0.1, 0.3, -2, 8, 8};
    const pct::Vector vx(x), vy(y);
    EXPECT_EQ(CorrelationCoefficient::SCCs(&vx, &vy), CorrelationCoefficient::SCCs(x, y));
    EXPECT_EQ(CorrelationCoefficient::SCCs(x, y), SpearmanByPairs(x, y));
}

// The sorted ranking must count exactly what comparing every pair counts, including runs
// of values closer together than epsilon and values chained epsilon apart.
TEST(Spearman, SortedRankingEqualsPairwiseRanking) {
    std::mt19937_64 engine(20261207);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<int> steps(0, 4);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (int trial = 0; trial < 200; ++trial) {
        const std::size_t n = 2 + static_cast<std::size_t>(trial % 60);
        std::vector<double> x(n), y(n);
        for (std::size_t i = 0; i < n; ++i) {
            // Few distinct bases, nudged by whole multiples of epsilon: many near-ties.
            x[i] = 1.0 + pick(engine) * 0.25 + steps(engine) * kEps;
            y[i] = trial % 2 ? normal(engine) : pick(engine) - steps(engine) * kEps * 0.5;
        }
        ASSERT_TRUE(SameBits(CorrelationCoefficient::SCCs(x, y), SpearmanByPairs(x, y))) << "trial " << trial;
    }
}

TEST(Spearman, NonFiniteValuesRankAsWhenComparingEveryPair) {
    const std::vector<double> x{kNaN, 1.0, kInf, -kInf, 3.0, kNaN, kInf};
    const std::vector<double> y{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0};
    EXPECT_TRUE(SameBits(CorrelationCoefficient::SCCs(x, y), SpearmanByPairs(x, y)));
    EXPECT_TRUE(SameBits(CorrelationCoefficient::SCCs(y, x), SpearmanByPairs(y, x)));
    // NaN ranks 0 and is never counted: x ranks (0, 1, 3, 0, 2, 0, 3), d² sums to 48.
    EXPECT_EQ(CorrelationCoefficient::SCCs(x, y), 1.0 - 6.0 * 48.0 / (48.0 * 7.0));
}
