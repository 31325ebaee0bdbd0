#include <algorithm>
#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "app/core/DegreeLimit.h"
#include "app/core/DegreeSweepDlg.h"
#include "app/core/DialogExchange.h"
#include "app/core/FileDataDlg.h"
#include "app/core/SimulationDataDlg.h"
#include "app/core/StartComputeDlg.h"
#include "tests/app/core/AppFakes.h"

using trendfit::DialogControls;
using trendfit::ExchangeResult;

TEST(DialogParsing, IntegersAllowBlanksAroundOnly) {
    int v = 7;
    EXPECT_TRUE(trendfit::ParseInt(" \t12 ", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(trendfit::ParseInt("+5", v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(trendfit::ParseInt("-2147483648", v));
    EXPECT_EQ(v, INT_MIN);
    v = 7;
    for (const char* bad : {"", "  ", "12abc", "1.5", "1e3", "2147483648", "-", "+", "+-3", "1 2", "0x10"}) {
        EXPECT_FALSE(trendfit::ParseInt(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
}

TEST(DialogParsing, RealsAreFiniteAndUseAPoint) {
    double d = 9.0;
    EXPECT_TRUE(trendfit::ParseDouble(" .5", d));
    EXPECT_EQ(d, 0.5);
    EXPECT_TRUE(trendfit::ParseDouble("-3", d));
    EXPECT_EQ(d, -3.0);
    EXPECT_TRUE(trendfit::ParseDouble("1e-3\t", d));
    EXPECT_EQ(d, 0.001);
    EXPECT_TRUE(trendfit::ParseDouble("+2.25", d));
    EXPECT_EQ(d, 2.25);
    d = 9.0;
    for (const char* bad : {"", "1,5", "abc", "2.5kg", "inf", "nan", "-infinity", "1e400", "0x1p3"}) {
        EXPECT_FALSE(trendfit::ParseDouble(bad, d)) << bad;
        EXPECT_EQ(d, 9.0) << bad;
    }
    float f = 1.0f;
    EXPECT_TRUE(trendfit::ParseFloat("12.5", f));
    EXPECT_EQ(f, 12.5f);
    EXPECT_FALSE(trendfit::ParseFloat("1e39", f));  // beyond the float range
    EXPECT_EQ(f, 12.5f);
}

TEST(DialogParsing, MemberTexts) {
    EXPECT_EQ(trendfit::DoubleText(20.0), "20");
    EXPECT_EQ(trendfit::DoubleText(0.1), "0.1");
    EXPECT_EQ(trendfit::DoubleText(-3.0), "-3");
    EXPECT_EQ(trendfit::DoubleText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(trendfit::FloatText(20.0f), "20");
    EXPECT_EQ(trendfit::FloatText(0.1f), "0.1");
    EXPECT_EQ(trendfit::IntText(-12), "-12");
}

TEST(DialogParsing, RangeMessages) {
    EXPECT_EQ(trendfit::IntRangeMessage(1, 100000), "请输入一个介于 1 和 100000 之间的整数。");
    EXPECT_EQ(trendfit::RealRangeMessage(0.0, 100.0, 15), "请输入一个介于 0 和 100 之间的数字。");
    EXPECT_EQ(trendfit::RealRangeMessage(0.0, 1.7976931348623157e308, 15),
              "请输入一个介于 0 和 1.79769313486232e+308 之间的数字。");
}

class SimulationDialog : public ::testing::Test {
protected:
    CSimulationDataDlg dlg;
    DialogControls controls = dlg.ToControls();
};

TEST_F(SimulationDialog, DefaultsAsTheControlsShowThem) {
    EXPECT_EQ(controls.texts, (std::map<int, std::string>{
                                  {1008, "20"}, {1005, "1000"}, {1004, "3"}, {1003, "-3"}, {1009, "0.1"}}));
    EXPECT_EQ(controls.values, (std::map<int, int>{{1000, 0}, {1006, 0}}));
}

TEST_F(SimulationDialog, AcceptedValuesReachTheMembers) {
    controls.texts[1008] = "100";
    controls.texts[1005] = "100000";
    controls.texts[1004] = "-1";
    controls.texts[1003] = "5.5";
    controls.values[1000] = 2;
    controls.values[1006] = 1;
    controls.texts[1009] = "0";
    const ExchangeResult result = dlg.FromControls(controls);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(dlg.m_dTestPercent, 100.0);
    EXPECT_EQ(dlg.m_nCount, 100000);
    EXPECT_EQ(dlg.m_dXMax, -1.0);
    EXPECT_EQ(dlg.m_dXMin, 5.5);
    EXPECT_EQ(dlg.m_nFunction, 2);
    EXPECT_EQ(dlg.m_nNoiseType, 1);
    EXPECT_EQ(dlg.m_dNoise, 0.0);
}

TEST_F(SimulationDialog, CountOutsideItsRangeIsRefused) {
    for (const char* count : {"0", "100001", "-5"}) {
        CSimulationDataDlg fresh;
        DialogControls c = fresh.ToControls();
        c.texts[1008] = "35";  // before the count: copied
        c.texts[1005] = count;
        c.texts[1004] = "9";  // after it: not copied
        const ExchangeResult result = fresh.FromControls(c);
        EXPECT_FALSE(result.ok) << count;
        EXPECT_EQ(result.failedControl, 1005) << count;
        EXPECT_EQ(result.message, "请输入一个介于 1 和 100000 之间的整数。") << count;
        EXPECT_EQ(fresh.m_dTestPercent, 35.0);
        EXPECT_EQ(fresh.m_nCount, 1000);
        EXPECT_EQ(fresh.m_dXMax, 3.0);
    }
}

TEST_F(SimulationDialog, FirstFailingFieldDecides) {
    controls.texts[1008] = "100.5";
    controls.texts[1005] = "0";
    ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1008);
    EXPECT_EQ(result.message, "请输入一个介于 0 和 100 之间的数字。");
    EXPECT_EQ(dlg.m_dTestPercent, 20.0);

    controls.texts[1008] = "abc";
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1008);
    EXPECT_EQ(result.message, "请输入一个数字。");

    controls.texts[1008] = "10";
    controls.texts[1005] = "12.5";
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1005);
    EXPECT_EQ(result.message, "请输入一个整数。");
    EXPECT_EQ(dlg.m_dTestPercent, 10.0);
}

TEST_F(SimulationDialog, RangeEndsAreNotCheckedButNoiseIs) {
    controls.texts[1004] = "-100";
    controls.texts[1003] = "100";
    controls.texts[1009] = "-0.1";
    const ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1009);
    EXPECT_EQ(result.message, "请输入一个介于 0 和 1.79769313486232e+308 之间的数字。");
    EXPECT_EQ(dlg.m_dXMax, -100.0);
    EXPECT_EQ(dlg.m_dXMin, 100.0);
    EXPECT_EQ(dlg.m_dNoise, 0.1);
}

TEST(ComputeDialog, DefaultsAndWeightFields) {
    CStartComputeDlg dlg;
    const DialogControls controls = dlg.ToControls();
    EXPECT_EQ(controls.texts, (std::map<int, std::string>{{1013, "1"}, {1018, "0"}, {1016, "0"}}));
    EXPECT_EQ(controls.values, (std::map<int, int>{{1017, 0}, {1015, 0}}));
    EXPECT_EQ(CStartComputeDlg::WeightFieldFor(1017), 1018);
    EXPECT_EQ(CStartComputeDlg::WeightFieldFor(1015), 1016);
    EXPECT_EQ(CStartComputeDlg::WeightFieldFor(1013), 0);
    // A field follows its box: disabled while clear (as at the start), enabled while set.
    EXPECT_FALSE(CStartComputeDlg::IsWeightFieldEnabled(controls.values.at(1017)));
    EXPECT_TRUE(CStartComputeDlg::IsWeightFieldEnabled(1));
    EXPECT_FALSE(CStartComputeDlg::IsWeightFieldEnabled(0));
}

TEST(ComputeDialog, DegreeZeroIsRefused) {
    CStartComputeDlg dlg;
    DialogControls controls = dlg.ToControls();
    controls.texts[1013] = "0";
    const ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1013);
    EXPECT_EQ(result.message, "请输入一个介于 1 和 2147483647 之间的整数。");
    EXPECT_EQ(dlg.m_nDegree, 1);
}

TEST(ComputeDialog, NegativeWeightIsRefusedEvenWithItsBoxClear) {
    CStartComputeDlg dlg;
    DialogControls controls = dlg.ToControls();
    controls.texts[1013] = "4";
    controls.texts[1018] = "-0.5";
    controls.texts[1016] = "-1";
    controls.values[1017] = 1;
    const ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1018);
    EXPECT_EQ(result.message, "请输入一个介于 0 和 1.79769313486232e+308 之间的数字。");
    EXPECT_EQ(dlg.m_nDegree, 4);
    EXPECT_EQ(dlg.m_bLasso, 0);

    controls.texts[1018] = "0.5";
    const ExchangeResult second = dlg.FromControls(controls);
    EXPECT_EQ(second.failedControl, 1016);
    EXPECT_EQ(dlg.m_dLambdaL1, 0.5);
    EXPECT_EQ(dlg.m_dLambdaL2, 0.0);
}

TEST(ComputeDialog, AllFieldsCopied) {
    CStartComputeDlg dlg;
    DialogControls controls = dlg.ToControls();
    controls.texts[1013] = "2147483647";
    controls.texts[1018] = "1e-3";
    controls.texts[1016] = "2";
    controls.values[1017] = 1;
    controls.values[1015] = 1;
    EXPECT_TRUE(dlg.FromControls(controls).ok);
    EXPECT_EQ(dlg.m_nDegree, INT_MAX);
    EXPECT_EQ(dlg.m_dLambdaL1, 0.001);
    EXPECT_EQ(dlg.m_dLambdaL2, 2.0);
    EXPECT_EQ(dlg.m_bLasso, 1);
    EXPECT_EQ(dlg.m_bRidge, 1);
}

TEST(ComputeDialog, DegreeAboveTheLimitIsRefusedLast) {
    CStartComputeDlg dlg;
    dlg.m_nTrainPoints = 100000;
    dlg.m_dMaxAbsX = 1.0;  // no power overflows: the time sets the limits
    dlg.m_bStableFit = true;
    const trendfit::DegreeLimit normal = trendfit::MaxFitDegree(100000, 1.0, false);
    const trendfit::DegreeLimit stable = trendfit::MaxFitDegree(100000, 1.0, true);
    ASSERT_LT(normal.degree, stable.degree);
    auto message = [](int limit) {
        return "阶数不能超过" + std::to_string(limit) + "：在100000个训练数据上，更高的阶数计算时间过长。";
    };

    // The weights are checked before the limit.
    DialogControls controls = dlg.ToControls();
    controls.texts[1013] = std::to_string(stable.degree + 1);
    controls.texts[1016] = "-1";
    ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1016);
    controls.texts[1016] = "0.5";
    dlg.m_nDegree = 7;
    result = dlg.FromControls(controls);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedControl, 1013);
    EXPECT_EQ(result.message, message(stable.degree));
    EXPECT_EQ(dlg.m_nDegree, 7);  // the refused degree is not taken
    EXPECT_EQ(dlg.m_dLambdaL2, 0.5);

    // The limit itself passes; with the lasso box set the normal equations compute the fit.
    controls.texts[1013] = std::to_string(stable.degree);
    EXPECT_TRUE(dlg.FromControls(controls).ok);
    controls.values[1017] = 1;
    EXPECT_EQ(dlg.FromControls(controls).message, message(normal.degree));
    dlg.m_bStableFit = false;
    controls.values[1017] = 0;
    EXPECT_EQ(dlg.FromControls(controls).message, message(normal.degree));
}

TEST(SweepDialog, DefaultsAndTheOrderOfChecks) {
    CDegreeSweepDlg dlg;
    DialogControls controls = dlg.ToControls();
    EXPECT_EQ(controls.texts, (std::map<int, std::string>{{1021, "1"}, {1022, "15"}, {1018, "0"}, {1016, "0"}}));
    EXPECT_EQ(controls.values, (std::map<int, int>{{1017, 0}, {1015, 0}}));

    // Each degree at least 1, the lowest first; then the weights; then the two degrees
    // against each other.
    controls.texts[1021] = "0";
    controls.texts[1022] = "x";
    ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1021);
    EXPECT_EQ(result.message, "请输入一个介于 1 和 2147483647 之间的整数。");
    controls.texts[1021] = "6";
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1022);
    EXPECT_EQ(result.message, "请输入一个整数。");
    controls.texts[1022] = "5";
    controls.texts[1018] = "-1";
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1018);
    EXPECT_EQ(result.message, "请输入一个介于 0 和 1.79769313486232e+308 之间的数字。");
    controls.texts[1018] = "0.25";
    dlg.m_nLowDegree = 2;
    dlg.m_nHighDegree = 3;
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1022);
    EXPECT_EQ(result.message, "最高阶数不能低于最低阶数。");
    EXPECT_EQ(dlg.m_nLowDegree, 2);  // neither refused degree is taken
    EXPECT_EQ(dlg.m_nHighDegree, 3);
    EXPECT_EQ(dlg.m_dLambdaL1, 0.25);

    // One degree is a range.
    controls.texts[1022] = "6";
    controls.values[1017] = 1;
    EXPECT_TRUE(dlg.FromControls(controls).ok);
    EXPECT_EQ(dlg.m_nLowDegree, 6);
    EXPECT_EQ(dlg.m_nHighDegree, 6);
    EXPECT_EQ(dlg.m_bLasso, 1);
}

TEST(SweepDialog, HighestDegreeWithinTheLimitOfTheChosenAlgorithm) {
    CDegreeSweepDlg dlg;
    dlg.m_nTrainPoints = 100000;
    dlg.m_dMaxAbsX = 1.0;
    dlg.m_bStableFit = true;
    const int normal = trendfit::MaxFitDegree(100000, 1.0, false).degree;
    const int stable = trendfit::MaxFitDegree(100000, 1.0, true).degree;
    auto message = [](int limit) {
        return "阶数不能超过" + std::to_string(limit) + "：在100000个训练数据上，更高的阶数计算时间过长。";
    };
    DialogControls controls = dlg.ToControls();
    controls.texts[1022] = std::to_string(stable);
    EXPECT_TRUE(dlg.FromControls(controls).ok);
    controls.texts[1022] = std::to_string(stable + 1);
    ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1022);
    EXPECT_EQ(result.message, message(stable));
    EXPECT_EQ(dlg.m_nHighDegree, stable);
    // Lasso keeps the normal equations and their lower limit; the order is checked first.
    controls.values[1017] = 1;
    EXPECT_EQ(dlg.FromControls(controls).message, message(normal));
    controls.texts[1021] = std::to_string(stable + 2);
    EXPECT_EQ(dlg.FromControls(controls).message, "最高阶数不能低于最低阶数。");
    // The powers' limit names its cause.
    CDegreeSweepDlg far;
    far.m_nTrainPoints = 12;
    far.m_dMaxAbsX = 3.5;
    controls = far.ToControls();
    controls.texts[1022] = "100000";
    EXPECT_EQ(far.FromControls(controls).message,
              "阶数不能超过" + std::to_string(trendfit::MaxFitDegree(12, 3.5, false).degree) +
                  "：更高次的幂超出双精度浮点数的范围。");
}

TEST(DegreeLimit, PowersMatchTryingEachDegree) {
    for (double m : {1.001, 1.5, 3.0, 10.0, 1000.0, 1e100, 1e200, 1e300}) {
        for (std::size_t n : {1u, 800u, 100000u}) {
            for (bool stable : {false, true}) {
                const int powers = app_fakes::PowersLimit(m, static_cast<double>(n), stable);
                const int time = trendfit::MaxFitDegree(n, 0.5, stable).degree;
                const trendfit::DegreeLimit limit = trendfit::MaxFitDegree(n, m, stable);
                EXPECT_EQ(limit.degree, std::min(powers, time)) << m << " " << n << " " << stable;
                EXPECT_EQ(limit.byPowers, powers < time) << m << " " << n << " " << stable;
            }
        }
    }
    // The figures the tables of powers give: 3^646 and 10^308 are the last finite ones.
    EXPECT_EQ(trendfit::MaxFitDegree(800, 3.0, true).degree, 646);
    EXPECT_EQ(trendfit::MaxFitDegree(1, 10.0, true).degree, 308);
}

TEST(DegreeLimit, TimeLimitFallsWithThePoints) {
    EXPECT_EQ(trendfit::MaxFitDegree(0, 1e300, false).degree, INT_MAX);  // such a fit fails at once
    int previous = INT_MAX;
    for (std::size_t n : {1u, 100u, 1000u, 10000u, 100000u, 1000000u, 100000000u}) {
        const trendfit::DegreeLimit limit = trendfit::MaxFitDegree(n, 1.0, false);
        EXPECT_FALSE(limit.byPowers);
        EXPECT_TRUE(limit.degree < previous || limit.degree == 1) << n;
        EXPECT_GE(limit.degree, 1) << n;  // a straight line stays possible
        previous = limit.degree;
    }
}

TEST(FileDialog, DefaultsAndPercentCheck) {
    CFileDataDlg dlg;
    DialogControls controls = dlg.ToControls();
    EXPECT_EQ(controls.texts, (std::map<int, std::string>{{1011, ""}, {1013, "0"}, {1014, "20"}}));
    EXPECT_TRUE(dlg.m_dataModel.GetMatrix().IsEmpty());

    // Without a chosen file OK is refused, after the boxes were copied and checked.
    controls.texts[1014] = "100";
    ExchangeResult result = dlg.FromControls(controls);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedControl, 1012);
    EXPECT_EQ(result.message, "请先选择数据文件。");
    EXPECT_EQ(dlg.m_fTestPercent, 100.0f);
    controls.texts[1014] = "100.01";
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1014);
    EXPECT_EQ(result.message, "请输入一个介于 0 和 100 之间的数字。");
    EXPECT_EQ(dlg.m_fTestPercent, 100.0f);

    // Any chosen file lets OK through, even one that could not be read.
    dlg.OnChooseFile(testing::TempDir() + "absent.csv");
    controls.texts[1014] = "100";
    EXPECT_TRUE(dlg.FromControls(controls).ok);
}

TEST(FileDialog, FileNameIsTheLastPathPart) {
    EXPECT_EQ(CFileDataDlg::FileNameOf("/home/u/data.csv"), "data.csv");
    EXPECT_EQ(CFileDataDlg::FileNameOf("C:\\x\\y\\d.csv"), "d.csv");
    EXPECT_EQ(CFileDataDlg::FileNameOf("plain.csv"), "plain.csv");
    EXPECT_EQ(CFileDataDlg::FileNameOf("dir/"), "");
}

TEST(FileDialog, TwoColumnFileSetsTheCount) {
    const std::string path = app_fakes::WriteFile("two.csv", "x,y\n1,2\n3,4\n5,6\n");
    CFileDataDlg dlg;
    dlg.m_fTestPercent = 35.0f;
    const CFileDataDlg::FileChoiceResult result = dlg.OnChooseFile(path);
    EXPECT_EQ(result.choice, CFileDataDlg::FileChoice::Read);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(dlg.m_strPath, path);
    EXPECT_EQ(dlg.m_strFileName, "two.csv");
    EXPECT_EQ(dlg.m_nCount, 3);
    const DialogControls controls = dlg.ToControls();
    EXPECT_EQ(controls.texts.at(1011), path);
    EXPECT_EQ(controls.texts.at(1013), "3");
    EXPECT_EQ(controls.texts.at(1014), "35");
}

TEST(FileDialog, RejectedFilesKeepTheCount) {
    CFileDataDlg dlg;
    ASSERT_EQ(dlg.OnChooseFile(app_fakes::WriteFile("ok.csv", "x,y\n1,2\n")).choice,
              CFileDataDlg::FileChoice::Read);
    ASSERT_EQ(dlg.m_nCount, 1);

    const std::string three = app_fakes::WriteFile("three.csv", "a,b,c\n1,2,3\n4,5,6\n");
    CFileDataDlg::FileChoiceResult result = dlg.OnChooseFile(three);
    EXPECT_EQ(result.choice, CFileDataDlg::FileChoice::NotTwoColumns);
    EXPECT_EQ(result.message, "文件数据格式不对，可能不是2列数据！");
    EXPECT_EQ(dlg.m_nCount, 1);
    EXPECT_EQ(dlg.m_strFileName, "three.csv");
    EXPECT_EQ(dlg.m_dataModel.GetMatrix().GetColumnCount(), 3u);  // the model keeps what it read

    result = dlg.OnChooseFile(testing::TempDir() + "no-such-file.csv");
    EXPECT_EQ(result.choice, CFileDataDlg::FileChoice::OpenFailed);
    EXPECT_EQ(result.message, "文件打开失败！");
    EXPECT_EQ(dlg.m_strFileName, "no-such-file.csv");
    EXPECT_EQ(dlg.m_nCount, 1);

    // A title line alone is read, but holds no two-column matrix.
    const std::string titles = app_fakes::WriteFile("titles.csv", "x,y\n");
    CFileDataDlg fresh;
    EXPECT_EQ(fresh.OnChooseFile(titles).choice, CFileDataDlg::FileChoice::NotTwoColumns);
    EXPECT_EQ(fresh.m_nCount, 0);
}

TEST(FileDialog, ReaderFailureBecomesAMessage) {
    CFileDataDlg dlg;
    // The reader's conversion failures are told in Chinese, with the file.
    const std::string bad = app_fakes::WriteFile("bad.csv", "x,y\n1,abc\n");
    const CFileDataDlg::FileChoiceResult result = dlg.OnChooseFile(bad);
    EXPECT_EQ(result.choice, CFileDataDlg::FileChoice::ReadError);
    EXPECT_EQ(result.message, "文件中有无法转换为数字的内容：" + bad);
    EXPECT_EQ(dlg.m_nCount, 0);
    EXPECT_TRUE(dlg.m_dataModel.GetMatrix().IsEmpty());
    const std::string huge = app_fakes::WriteFile("huge.csv", "x,y\n1,2\n3,1e999\n");
    const CFileDataDlg::FileChoiceResult range = dlg.OnChooseFile("/shown/huge.csv", huge);
    EXPECT_EQ(range.choice, CFileDataDlg::FileChoice::ReadError);
    EXPECT_EQ(range.message, "文件中有超出范围的数字：/shown/huge.csv");

    // The library's own messages pass as they are.
    const std::string empty = app_fakes::WriteFile("blank.csv", "\n\n");
    const CFileDataDlg::FileChoiceResult second = dlg.OnChooseFile(empty);
    EXPECT_EQ(second.choice, CFileDataDlg::FileChoice::ReadError);
    EXPECT_EQ(second.message, "矩阵的行或列不能为0");
}

TEST(FileDialog, LocalPathIsWhatTheReaderOpens) {
    const std::string path = app_fakes::WriteFile("local.csv", "x,y\n1,2\n3,4\n");
    CFileDataDlg dlg;
    const CFileDataDlg::FileChoiceResult result = dlg.OnChooseFile("/shown/数据.csv", path);
    EXPECT_EQ(result.choice, CFileDataDlg::FileChoice::Read);
    EXPECT_EQ(dlg.m_strPath, "/shown/数据.csv");
    EXPECT_EQ(dlg.m_strFileName, "数据.csv");
    EXPECT_EQ(dlg.m_nCount, 2);
}

TEST(FileDialog, CountBoxIsCheckedBeforeThePercentage) {
    CFileDataDlg dlg;
    DialogControls controls = dlg.ToControls();
    controls.texts[1013] = "7x";
    controls.texts[1014] = "150";
    ExchangeResult result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1013);
    EXPECT_EQ(result.message, "请输入一个整数。");
    EXPECT_EQ(dlg.m_fTestPercent, 20.0f);

    controls.texts[1013] = "12";
    result = dlg.FromControls(controls);
    EXPECT_EQ(result.failedControl, 1014);
    EXPECT_EQ(dlg.m_nCount, 12);  // copied before the failing field
    EXPECT_EQ(dlg.m_fTestPercent, 20.0f);
}

// After a good file, a second choice that is refused must not leave the first file's rows
// under the second file's name, nor the second file's rows under the first file's path.
TEST(FileDialog, RefusedChoiceNeverMixesTwoFiles) {
    const std::string good = app_fakes::WriteFile("mix-good.csv", "x,y\n1,2\n3,4\n5,6\n");
    const std::string three = app_fakes::WriteFile("mix-three.csv", "a,b,c\n7,8,9\n");
    const std::string titles = app_fakes::WriteFile("mix-titles.csv", "x,y\n");
    const std::string bad = app_fakes::WriteFile("mix-bad.csv", "x,y\n1,oops\n");
    const std::string missing = testing::TempDir() + "mix-missing.csv";

    struct Case {
        std::string path;
        CFileDataDlg::FileChoice choice;
        std::size_t rows;
        std::size_t columns;
    };
    const Case cases[] = {
        {three, CFileDataDlg::FileChoice::NotTwoColumns, 1, 3},
        {titles, CFileDataDlg::FileChoice::NotTwoColumns, 0, 0},
        {bad, CFileDataDlg::FileChoice::ReadError, 0, 0},
        {missing, CFileDataDlg::FileChoice::OpenFailed, 0, 0},
    };
    for (const Case& c : cases) {
        CFileDataDlg dlg;
        ASSERT_EQ(dlg.OnChooseFile(good).choice, CFileDataDlg::FileChoice::Read);
        const DialogControls shown = dlg.ToControls();  // not refreshed after the refusal
        EXPECT_EQ(dlg.OnChooseFile(c.path).choice, c.choice) << c.path;
        EXPECT_EQ(dlg.m_dataModel.GetMatrix().GetRowCount(), c.rows) << c.path;
        EXPECT_EQ(dlg.m_dataModel.GetMatrix().GetColumnCount(), c.columns) << c.path;
        EXPECT_EQ(dlg.m_nCount, 3) << c.path;  // the count box keeps the earlier file's count

        // Confirming with the stale boxes keeps the path of the file the model came from.
        EXPECT_TRUE(dlg.FromControls(shown).ok) << c.path;
        EXPECT_EQ(dlg.m_strPath, c.path);
        EXPECT_EQ(dlg.m_strFileName, CFileDataDlg::FileNameOf(c.path));
    }

    // A title line alone in a fresh dialog: nothing to import either.
    CFileDataDlg fresh;
    EXPECT_EQ(fresh.OnChooseFile(titles).choice, CFileDataDlg::FileChoice::NotTwoColumns);
    EXPECT_TRUE(fresh.m_dataModel.GetMatrix().IsEmpty());
}
