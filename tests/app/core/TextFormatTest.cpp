#include <clocale>
#include <cstdio>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "app/core/TextFormat.h"
#include "vecmat/regression/DataModel.h"
#include "tests/support/TestSupport.h"

using trendfit::Format;

TEST(TextFormat, Conversions) {
    EXPECT_EQ(Format("创建模拟数据:%s,x取值范围:%lf 至 %lf, 噪声:%lf", {"正弦sin", -3.0, 3.0, 0.1}),
              "创建模拟数据:正弦sin,x取值范围:-3.000000 至 3.000000, 噪声:0.100000");
    EXPECT_EQ(Format("%d次曲线(Ridge)", {3}), "3次曲线(Ridge)");
    EXPECT_EQ(Format("%.2f|%f|%.0f|%%|%d", {2.005, 1.0 / 3.0, 2.5, -7}), "2.00|0.333333|2|%|-7");
    EXPECT_EQ(Format("%d and %s", {5}), "5 and ");       // a missing argument prints nothing
    EXPECT_EQ(Format("%d", {1.5}), "");                  // so does one of another kind
    EXPECT_EQ(Format("no conversions", {1, 2}), "no conversions");
    EXPECT_EQ(Format("%q%", {}), "%q%");
}

TEST(TextFormat, SpecialAndLargeValues) {
    EXPECT_EQ(trendfit::FormatFixed(std::nan(""), 6), "nan");
    EXPECT_EQ(trendfit::FormatFixed(-std::numeric_limits<double>::quiet_NaN(), 6), "-nan");
    EXPECT_EQ(trendfit::FormatFixed(-std::numeric_limits<double>::infinity(), 2), "-inf");
    EXPECT_EQ(trendfit::FormatFixed(-1e-9, 2), "-0.00");
    EXPECT_EQ(trendfit::FormatFixed(1e20, 2), "100000000000000000000.00");
    EXPECT_EQ(trendfit::FormatFixed(std::numeric_limits<double>::max(), 6).size(), 309u + 7u);
    EXPECT_EQ(trendfit::FormatGeneral(1e-5, 15), "1e-05");
}

TEST(TextFormat, IgnoresTheProcessLocale) {
    const testing_support::CommaDecimalLocale german;
    if (!german.Active()) GTEST_SKIP() << "no locale with a decimal comma could be made";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    EXPECT_EQ(Format("%lf", {2.5}), "2.500000");
    EXPECT_EQ(trendfit::FormatGeneral(0.1, 15), "0.1");
}

TEST(TextFormat, ElapsedTimeIsCutTo32Bits) {
    EXPECT_EQ(trendfit::ElapsedMilliseconds(100, 142), 42);
    EXPECT_EQ(trendfit::ElapsedMilliseconds(0, (1ULL << 32) + 5), 5);
    EXPECT_EQ(trendfit::ElapsedMilliseconds(0, 0xFFFFFFFFULL), -1);
    EXPECT_EQ(trendfit::ElapsedMilliseconds(0, 0x80000000ULL), std::numeric_limits<int>::min());
    EXPECT_EQ(trendfit::LowInt32(800), 800);
}

TEST(TextFormat, CurvePropertyRows) {
    CurveResult curve;
    curve.coefficients = {1.5, -2.0, 0.25};
    curve.trainError = 0.01;
    curve.testError = std::nan("");
    curve.lambdaL1 = 0.5;
    curve.lambdaL2 = 0.0;
    const std::vector<trendfit::PropertyRow> rows = trendfit::CurvePropertyRows(curve);
    ASSERT_EQ(rows.size(), 7u);
    const char* names[] = {"L1", "L2", "训练方差", "测试方差", "X0", "X1", "X2"};
    const char* values[] = {"0.5", "0", "0.01", "nan", "1.5", "-2", "0.25"};
    const char* descriptions[] = {"TrendfitLasso参数", "TrendfitRidge参数", "Trendfit后对训练数据的方差值",
                                  "Trendfit后对测试数据的方差值", "多项式系数", "多项式系数", "多项式系数"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, names[i]) << i;
        EXPECT_EQ(rows[i].value, values[i]) << i;
        EXPECT_EQ(rows[i].description, descriptions[i]) << i;
    }
    EXPECT_EQ(rows[5].number, -2.0);
    EXPECT_EQ(trendfit::CurvePropertyRows(CurveResult()).size(), 4u);
}

TEST(TextFormat, PropertyValuesKeepTenDigits) {
    // A fit on x in 0 ... 1000 has coefficients six decimals showed as 0.000000.
    const double values[] = {3e-9, -4.2e-12, 1234.56789012345, 0.1 + 0.2, -0.0, 6.02214076e23, 1e-5};
    for (double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.10g", value);
        EXPECT_EQ(trendfit::FormatPropertyDouble(value), expected);
    }
    EXPECT_EQ(trendfit::FormatPropertyDouble(3e-9), "3e-09");
}

TEST(TextFormat, CurveCsvReadsBackExactly) {
    CurveResult curve;
    curve.coefficients = {0.1 + 0.2, -1.0 / 3.0, 3e-9, 2.5e-300, 1e22};
    curve.trainError = 0.0123456789012345678;
    curve.testError = std::nan("");
    curve.lambdaL1 = 0.001;
    curve.lambdaL2 = 0.0;
    const std::string csv = trendfit::CurveCsv(curve);
    std::string expected = "阶数,L1,L2,训练方差,测试方差,X0,X1,X2,X3,X4\n4";
    for (double value : {0.001, 0.0, 0.0123456789012345678, std::nan(""), 0.1 + 0.2, -1.0 / 3.0, 3e-9, 2.5e-300,
                         1e22}) {
        char text[64];
        std::snprintf(text, sizeof text, ",%.17g", value);
        expected += text;
    }
    EXPECT_EQ(csv, expected + "\n");

    // The library's own reader gets every double back.
    const std::string path = testing::TempDir() + "curve.csv";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(csv.data(), 1, csv.size(), file);
    std::fclose(file);
    pct::DataModel model;
    ASSERT_TRUE(model.ReadCSV(path.c_str()));
    pct::Matrix& read = model.GetMatrix();
    ASSERT_EQ(read.GetRowCount(), 1u);
    ASSERT_EQ(read.GetColumnCount(), 10u);
    EXPECT_EQ(read.GetPointValue(0, 0), 4.0);
    const double back[] = {curve.lambdaL1, curve.lambdaL2, curve.trainError};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(read.GetPointValue(0, i + 1), back[i]) << i;
    EXPECT_TRUE(std::isnan(read.GetPointValue(0, 4)));
    for (std::size_t i = 0; i < curve.coefficients.size(); ++i) {
        EXPECT_EQ(read.GetPointValue(0, 5 + i), curve.coefficients[i]) << i;
    }
}
