// Report records: their starting values, field order and the error-rate figures.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vecmat/classify/ClassifierReports.h"
#include "vecmat/classify/LCDataTable.h"

namespace {

using namespace pct::Ko;

TEST(ClassifierReports, FreshRecordsHoldTheirStartingValues) {
    const TrainingReport training;
    EXPECT_FALSE(training.separable);
    EXPECT_EQ(training.rowCount, 0);
    EXPECT_EQ(training.tagP, -1);
    EXPECT_EQ(training.tagN, -1);
    EXPECT_EQ(training.countP + training.countN + training.errorP + training.errorN, 0);
    EXPECT_EQ(training.errorRateGap, 0.0);
    EXPECT_EQ(training.errorRateRatio, 0.0);

    const TestReport test;
    EXPECT_EQ(test.rowCount, 0);
    EXPECT_EQ(test.tagP, -1);
    EXPECT_EQ(test.tagN, -1);
    EXPECT_EQ(test.judgedP + test.judgedN + test.wrongP + test.wrongN + test.judgedOther, 0);

    const ClassifyReport classify;
    EXPECT_EQ(classify.tagP, -1);
    EXPECT_EQ(classify.tagN, -1);
    EXPECT_EQ(classify.rowCount + classify.judgedP + classify.judgedN, 0);

    const LgTestReport lgTest;
    EXPECT_EQ(lgTest.rowCount + lgTest.judgedP + lgTest.judgedN + lgTest.wrongP +
                  lgTest.wrongN + lgTest.judgedOther,
              0);
}

TEST(ClassifierReports, FieldsFollowTheirDeclaredOrder) {
    // Aggregate initialisation fills the members in declaration order.
    const TrainingReport training{true, 6, 1, 2, 4, 2, 1, 1, 0.5, 0.25};
    EXPECT_TRUE(training.separable);
    EXPECT_EQ(training.rowCount, 6);
    EXPECT_EQ(training.tagP, 1);
    EXPECT_EQ(training.tagN, 2);
    EXPECT_EQ(training.countP, 4);
    EXPECT_EQ(training.countN, 2);
    EXPECT_EQ(training.errorP, 1);
    EXPECT_EQ(training.errorN, 1);
    EXPECT_EQ(training.errorRateGap, 0.5);
    EXPECT_EQ(training.errorRateRatio, 0.25);

    const TestReport test{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(test.tagN, 3);
    EXPECT_EQ(test.wrongP, 6);
    EXPECT_EQ(test.judgedOther, 8);

    const LgTestReport lgTest{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(lgTest.judgedP, 2);
    EXPECT_EQ(lgTest.judgedOther, 6);

    const SVMTestReport svmTest{1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(svmTest.tagN, 3);
    EXPECT_EQ(svmTest.wrongN, 7);

    const pct::LCDataRow row{{1.5, 2.5}, 7, 9};
    EXPECT_EQ(row.values.size(), 2u);
    EXPECT_EQ(row.tag, 7);
    EXPECT_EQ(row.result, 9);
}

TEST(ErrorRates, SmallerOverLargerInEitherOrder) {
    double gap = 0.0;
    double ratio = 0.0;
    FillErrorRates(0.25, 0.5, gap, ratio);
    EXPECT_EQ(ratio, 0.5);
    EXPECT_EQ(gap, 0.5);

    gap = ratio = 0.0;
    FillErrorRates(0.5, 0.25, gap, ratio);
    EXPECT_EQ(ratio, 0.5);
    EXPECT_EQ(gap, 0.5);
}

TEST(ErrorRates, EqualRatesAndOnePerfectClass) {
    double gap = 0.0;
    double ratio = 0.0;
    FillErrorRates(0.3, 0.3, gap, ratio);
    EXPECT_EQ(ratio, 1.0);
    EXPECT_EQ(gap, 0.0);

    FillErrorRates(0.0, 0.4, gap, ratio);
    EXPECT_EQ(ratio, 0.0);
    EXPECT_EQ(gap, 1.0);
}

TEST(ErrorRates, NoPositiveMaximumLeavesTheFiguresAlone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double gap = 0.125;
    double ratio = 0.375;
    FillErrorRates(0.0, 0.0, gap, ratio);
    EXPECT_EQ(gap, 0.125);
    EXPECT_EQ(ratio, 0.375);

    // rateN > NaN is false, so the NaN rateP becomes the maximum.
    FillErrorRates(nan, 0.5, gap, ratio);
    EXPECT_EQ(gap, 0.125);
    EXPECT_EQ(ratio, 0.375);

    // A NaN rateN never wins the maximum; it is not below rateP either, so min = rateP.
    FillErrorRates(0.5, nan, gap, ratio);
    EXPECT_EQ(ratio, 1.0);
    EXPECT_EQ(gap, 0.0);
}

TEST(ErrorRates, RateOfAnEmptyClassIsNaN) {
    EXPECT_TRUE(std::isnan(ErrorRate(0, 0)));
    EXPECT_EQ(ErrorRate(1, 4), 0.25);
    EXPECT_EQ(ErrorRate(0, 3), 0.0);
}

}  // namespace
