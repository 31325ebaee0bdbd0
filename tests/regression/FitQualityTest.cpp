#include <vecmat/Vecmat.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::Ko::FitQuality;
using pct::Ko::Trendfit;

namespace {

const std::vector<double> kXs = {-1.5, -0.75, 0.0, 0.5, 1.25, 2.0, 2.5, 3.25};
const std::vector<double> kYs = {-1.7, -0.4, 0.35, 0.8, 1.1, 0.9, 0.45, -0.6};

std::uint64_t Bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

void ExpectQuality(const FitQuality& q, double rSquared, double rmse) {
    EXPECT_NEAR(q.rSquared, rSquared, 1e-14 * std::fabs(rSquared));
    EXPECT_NEAR(q.rmse, rmse, 1e-14 * rmse);
}

}  // namespace

// Reference: mpmath at 50 digits from the exact doubles.
TEST(TrendfitComputQuality, AgainstIndependentValues) {
    ExpectQuality(Trendfit::ComputQuality(kXs, kYs, {0.3, 1.1, -0.35}, false),
                  0.82278581181727884512, 0.37338682972136973963);
    ExpectQuality(Trendfit::ComputQuality(kXs, kYs, {-0.35, 1.1, 0.3}, true),
                  0.82278581181727884512, 0.37338682972136973963);
    ExpectQuality(Trendfit::ComputQuality(kXs, kYs, {0.3, 1.1, -0.35, 0.01}, false),
                  0.68318928826340587612, 0.49924035005598622216);
    // Worse than the mean: R^2 below 0.
    ExpectQuality(Trendfit::ComputQuality(kXs, kYs, {2.0}, false), -4.5285004965243295081,
                  2.0855155237974134829);
}

TEST(TrendfitComputQuality, RmseIsTheRootOfComputErrToTheBit) {
    for (const bool reversed : {false, true}) {
        const std::vector<double> w = {0.3, 1.1, -0.35, 0.01};
        EXPECT_EQ(Bits(Trendfit::ComputQuality(kXs, kYs, w, reversed).rmse),
                  Bits(std::sqrt(Trendfit::ComputErr(kXs, kYs, w, reversed))));
    }
}

TEST(TrendfitComputQuality, EdgeCases) {
    // Equal ys (0.1 has no exact mean): 1 for a polynomial through every point, else 0.
    const std::vector<double> flat = {0.1, 0.1, 0.1};
    FitQuality q = Trendfit::ComputQuality({1, 2, 3}, flat, {0.1}, false);
    EXPECT_EQ(q.rSquared, 1.0);
    EXPECT_EQ(q.rmse, 0.0);
    q = Trendfit::ComputQuality({1, 2, 3}, flat, {0.1, 0.5}, false);
    EXPECT_EQ(q.rSquared, 0.0);
    EXPECT_NEAR(q.rmse, std::sqrt((0.25 + 1.0 + 2.25) / 3), 1e-15);
    // One point is a constant y too.
    EXPECT_EQ(Trendfit::ComputQuality({4}, {7}, {7}, false).rSquared, 1.0);
    // Extra ys are ignored, also when deciding whether the ys are equal.
    EXPECT_EQ(Trendfit::ComputQuality({1, 2}, {3, 3, 9}, {3}, false).rSquared, 1.0);
    // No points, too few ys, a coefficient that is not a number: no figures.
    for (const FitQuality& none :
         {Trendfit::ComputQuality({}, {}, {1}, false), Trendfit::ComputQuality({1, 2}, {1}, {1}, false),
          Trendfit::ComputQuality({1, 2}, {3, 3}, {std::nan("")}, false),
          Trendfit::ComputQuality({1, 2}, {3, 4}, {std::nan("")}, false)}) {
        EXPECT_TRUE(std::isnan(none.rSquared));
        EXPECT_TRUE(std::isnan(none.rmse));
    }
}
