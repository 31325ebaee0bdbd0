#include "vecmat/regression/StudentT.h"

#include <cmath>
#include <cstddef>

#include "tests/support/TestSupport.h"

using pct::detail::StudentTQuantile;

// Reference: mpmath at 80 digits, bisecting 1 - I(nu / (nu + t^2); nu / 2, 1 / 2) / 2 = q.
TEST(StudentTQuantile, TheConfidenceBandsQuantileAgainstMpmath) {
    const struct {
        size_t nu;
        double t;
    } cases[] = {
        {1, 12.706204736174704646},   {2, 4.3026527297494638523},   {3, 3.1824463052837095927},
        {4, 2.7764451051977943578},   {5, 2.5705818356363155147},   {7, 2.3646242515927853417},
        {10, 2.2281388519862747484},  {29, 2.0452296421327042982},  {30, 2.04227245630123831},
        {100, 1.9839715185235522866}, {1000, 1.962339080826408485}, {12345, 1.9601561676005672351},
        {100000, 1.9599877075346096386},
    };
    for (const auto& c : cases) EXPECT_NEAR(StudentTQuantile(0.975, c.nu), c.t, 4e-15 * c.t) << c.nu;
}

TEST(StudentTQuantile, OtherLevels) {
    EXPECT_NEAR(StudentTQuantile(0.995, 1), 63.656741162871580995, 1e-14 * 63.7);
    EXPECT_NEAR(StudentTQuantile(0.995, 2), 9.9248432009182931147, 1e-14 * 9.9);
    EXPECT_NEAR(StudentTQuantile(0.9, 3), 1.6377443536962101055, 1e-14 * 1.6);
    EXPECT_NEAR(StudentTQuantile(0.6, 11), 0.25955586047627055295, 1e-14 * 0.26);
    EXPECT_EQ(StudentTQuantile(0.5, 8), 0.0);
}
