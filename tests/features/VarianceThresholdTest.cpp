#include <vecmat/Vecmat.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::feature_selection::VarianceThreshold;

TEST(Variance, PopulationVarianceAndMean) {
    VarianceThreshold filter;
    EXPECT_EQ(filter.mean, 0.0);
    EXPECT_EQ(filter.Variance(std::vector<double>{1, 2, 3, 4}), 1.25);
    EXPECT_EQ(filter.mean, 2.5);
    // Fewer than two values: 0, and the mean of the previous call stays.
    EXPECT_EQ(filter.Variance(std::vector<double>{7}), 0.0);
    EXPECT_EQ(filter.Variance(std::vector<double>{}), 0.0);
    EXPECT_EQ(filter.mean, 2.5);
    // The feature form reads the same values through the interface.
    const pct::Vector v(std::vector<double>{2, 4, 4, 4, 5, 5, 7, 9});
    EXPECT_EQ(filter.Variance(&v), 4.0);
    EXPECT_EQ(filter.mean, 5.0);
    const double row[] = {1, 10, 2, 20, 3, 30, 4, 40};
    const pct::Matrix m(4, 2, row);
    const pct::IMatrixFeature* column = m.GetColumnFeature(0);
    EXPECT_EQ(filter.Variance(column), 1.25);
    EXPECT_EQ(filter.mean, 2.5);
    column->Release();
}

TEST(Variance, ThresholdZeroRemovesOnlyConstantFeatures) {
    const VarianceThreshold filter(0.0);
    EXPECT_TRUE(filter.IsFiltered(std::vector<double>{3, 3, 3}));
    EXPECT_TRUE(filter.IsFiltered(std::vector<double>{0, 1e-8}));  // variance 2.5e-17, within epsilon
    EXPECT_FALSE(filter.IsFiltered(std::vector<double>{0, 1e-7}));
    EXPECT_TRUE(filter.IsFiltered(std::vector<double>{42}));        // a single value has variance 0
    const pct::Vector constant(std::vector<double>{-1, -1});
    EXPECT_TRUE(filter.IsFiltered(&constant));
}

TEST(Variance, ThresholdIsInclusive) {
    const VarianceThreshold filter(1.25);
    EXPECT_TRUE(filter.IsFiltered(std::vector<double>{1, 2, 3, 4}));
    EXPECT_FALSE(filter.IsFiltered(std::vector<double>{1, 2, 3, 5}));
}

TEST(Variance, RelativeModeDividesByTheMeanOfThatCall) {
    const VarianceThreshold filter(0.5, pct::VT_Relative);
    EXPECT_TRUE(filter.IsFiltered(std::vector<double>{1, 2, 3, 4}));     // 1.25 / 2.5 = 0.5
    EXPECT_FALSE(filter.IsFiltered(std::vector<double>{1, 2, 3, 5}));    // 2.1875 / 2.75
    EXPECT_EQ(filter.mean, 2.75);
    // A negative mean makes a negative ratio: below a positive threshold it is removed,
    // but it is not "zero" for a zero threshold.
    EXPECT_TRUE(VarianceThreshold(0.1, pct::VT_Relative).IsFiltered(std::vector<double>{-1, -2, -3, -4}));
    EXPECT_FALSE(VarianceThreshold(0.0, pct::VT_Relative).IsFiltered(std::vector<double>{-1, -2, -3, -4}));
    // Zero mean: 1 / 0 is infinite and kept; a constant zero column gives 0 / 0 and is kept.
    EXPECT_FALSE(VarianceThreshold(1e300, pct::VT_Relative).IsFiltered(std::vector<double>{-1, 1}));
    EXPECT_FALSE(VarianceThreshold(0.0, pct::VT_Relative).IsFiltered(std::vector<double>{0, 0}));
}

TEST(Variance, NotANumberIsNeverFiltered) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(VarianceThreshold(0.0).IsFiltered(std::vector<double>{nan, 1}));
    EXPECT_FALSE(VarianceThreshold(1e300).IsFiltered(std::vector<double>{1, nan}));
}

TEST(Variance, CopiesCarryThresholdModeAndMean) {
    VarianceThreshold source(0.75, pct::VT_Relative);
    source.Variance(std::vector<double>{1, 3});
    const VarianceThreshold copy(source);
    EXPECT_EQ(copy.threshold, 0.75);
    EXPECT_EQ(copy.mode, pct::VT_Relative);
    EXPECT_EQ(copy.mean, 2.0);
    VarianceThreshold assigned;
    assigned = source;
    EXPECT_EQ(assigned.threshold, 0.75);
    EXPECT_EQ(assigned.mode, pct::VT_Relative);
    EXPECT_EQ(assigned.mean, 2.0);
}

TEST(Variance, ReleaseDeletesThroughTheInterface) {
    const pct::IFeatureFilter* filter = new VarianceThreshold(1.0);
    EXPECT_TRUE(filter->IsFiltered(std::vector<double>{1, 2}));
    filter->Release();  // the sanitizer pass reports a leak or a bad delete
}
