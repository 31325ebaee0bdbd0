#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <random>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/ChartRenderer.h"
#include "app/core/TrendfitDoc.h"
#include "tests/app/core/AppFakes.h"
#include "vecmat/regression/Trendfit.h"

using app_fakes::FakePanes;
using app_fakes::FakePlatform;
using Strings = std::vector<std::string>;

namespace {

// y = 2x + 1 at x = 1 ... 10, one row each.
const char* const kTenRows = "x,y\n1,3\n2,5\n3,7\n4,9\n5,11\n6,13\n7,15\n8,17\n9,19\n10,21\n";

// y near 2x + 1 at x = 0 ... 9: at 20 % the first eight are training rows, the last two test rows.
const char* const kNoisyRows = "x,y\n0,1.1\n1,2.9\n2,5.2\n3,6.8\n4,9.1\n5,11.0\n6,13.2\n7,14.7\n8,17.3\n9,18.8\n";

std::vector<double> Values(const pct::Vector& v) {
    pct::Vector copy = v;
    return copy.ToFeatureDatas();
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { panes.Register(); }
    void TearDown() override { FakePanes::Unregister(); }

    // Answers the next simulated-data dialog with OK after `edit` changed it.
    template <class F>
    void Simulate(F edit) {
        platform.simulation = [edit](CSimulationDataDlg& dlg) {
            edit(dlg);
            return true;
        };
        doc.OnSimulationData();
    }
    void Simulate() {
        Simulate([](CSimulationDataDlg&) {});
    }

    // Answers the next import dialog with OK after choosing `path` at `percent`.
    void Import(const std::string& path, float percent) {
        platform.file = [path, percent](CFileDataDlg& dlg) {
            dlg.OnChooseFile(path);
            dlg.m_fTestPercent = percent;
            return true;
        };
        doc.OnFileOpen();
    }

    void Compute(int degree, bool lasso, bool ridge, double l1 = 0.0, double l2 = 0.0) {
        platform.compute = [=](CStartComputeDlg& dlg) {
            dlg.m_nDegree = degree;
            dlg.m_bLasso = lasso ? 1 : 0;
            dlg.m_bRidge = ridge ? 1 : 0;
            dlg.m_dLambdaL1 = l1;
            dlg.m_dLambdaL2 = l2;
            return true;
        };
        doc.OnCompute();
    }

    // No pane, title or repaint heard of the command.
    void ExpectNothingShown() const {
        EXPECT_TRUE(panes.output.empty());
        EXPECT_TRUE(panes.tree.empty());
        EXPECT_TRUE(panes.properties.empty());
        EXPECT_TRUE(platform.titles.empty());
        EXPECT_EQ(platform.updates, 0);
    }

    void ClearRecords() {
        panes.output.clear();
        panes.tree.clear();
        panes.properties.clear();
        panes.shownCurves.clear();
        platform.messageBoxes.clear();
        platform.titles.clear();
        platform.updates = 0;
    }

    FakePlatform platform;
    FakePanes panes;
    CTrendfitDoc doc{&platform};
};

}  // namespace

TEST(DocumentRegistry, RegistersAndUnregistersItself) {
    ASSERT_EQ(g_pDataDoc, nullptr);
    {
        CTrendfitDoc first;
        EXPECT_EQ(g_pDataDoc, static_cast<IDataDoc*>(&first));
        {
            CTrendfitDoc second;
            EXPECT_EQ(g_pDataDoc, static_cast<IDataDoc*>(&second));
        }
        EXPECT_EQ(g_pDataDoc, nullptr);
    }
    EXPECT_EQ(g_pDataDoc, nullptr);
}

TEST_F(DocumentTest, FreshDocumentIsEmpty) {
    EXPECT_FALSE(doc.OnUpdateCompute());
    EXPECT_TRUE(doc.OnNewDocument());
    const ChartData data = doc.GetChartData();
    EXPECT_TRUE(data.trainPoints.empty());
    EXPECT_TRUE(data.testPoints.empty());
    EXPECT_EQ(data.minX, std::numeric_limits<double>::infinity());
    EXPECT_EQ(data.minY, std::numeric_limits<double>::infinity());
    EXPECT_EQ(data.maxX, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(data.maxY, -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(data.coefficients.empty());
    EXPECT_TRUE(doc.Curves().empty());
}

TEST_F(DocumentTest, CancelledDialogsChangeNothing) {
    doc.OnSimulationData();
    doc.OnFileOpen();
    doc.OnCompute();
    ExpectNothingShown();
    EXPECT_FALSE(doc.HasData());

    // A cancel after a load keeps the data set.
    Simulate();
    ClearRecords();
    platform.simulation = nullptr;
    doc.OnSimulationData();
    EXPECT_EQ(doc.TrainX().Size(), 800u);
    EXPECT_EQ(platform.updates, 0);
}

TEST_F(DocumentTest, TypicalRequest) {
    Simulate();
    EXPECT_EQ(panes.tree, (Strings{"root:模拟数据"}));
    EXPECT_EQ(panes.output, (Strings{"创建模拟数据:正弦sin,x取值范围:-3.000000 至 3.000000, 噪声:0.100000",
                                     "训练数据数量:800,测试数据数量:200"}));
    EXPECT_EQ(panes.properties, (Strings{"文件名=", "文件=否", "count:800,200", "curve:cleared"}));
    EXPECT_EQ(platform.titles, (Strings{"模拟数据-Trendfit"}));
    EXPECT_EQ(platform.updates, 2);  // once emptied, once loaded
    EXPECT_TRUE(doc.OnUpdateCompute());
    ASSERT_EQ(doc.TrainPoints().size(), 800u);
    ASSERT_EQ(doc.TestPoints().size(), 200u);

    // The point lists follow the vectors, and the bounds cover both sets.
    const std::vector<double> trainX = Values(doc.TrainX());
    const std::vector<double> testY = Values(doc.TestY());
    double minX = trainX[0];
    double maxY = testY[0];
    for (std::size_t i = 0; i < 800; ++i) {
        ASSERT_EQ(doc.TrainPoints()[i].x, trainX[i]);
        minX = std::min(minX, trainX[i]);
    }
    for (std::size_t i = 0; i < 200; ++i) {
        ASSERT_EQ(doc.TestPoints()[i].y, testY[i]);
        maxY = std::max(maxY, testY[i]);
    }
    EXPECT_LE(doc.MinX(), minX);
    EXPECT_GE(doc.MaxY(), maxY);
    EXPECT_GE(doc.MinX(), -3.0);
    EXPECT_LE(doc.MaxX(), 3.0);

    // First computation: elastic net of degree 3.
    ClearRecords();
    platform.ticks = {1000, 1007};
    Compute(3, true, true, 0.1, 0.2);
    EXPECT_EQ(panes.output, (Strings{"开始计算3次曲线...", "弹性网络回归计算结束，用时:7毫秒。", ""}));
    EXPECT_EQ(panes.tree, (Strings{"item:3次曲线(弹性网络)#0"}));
    ASSERT_EQ(panes.shownCurves.size(), 1u);
    const CurveResult first = panes.shownCurves[0];
    const std::vector<double> expected =
        pct::Ko::Trendfit::ElasticNet(doc.TrainX(), doc.TrainY(), 0.1, 0.2, 3).ToFeatureDatas();
    EXPECT_EQ(first.coefficients, expected);
    EXPECT_EQ(first.trainError, pct::Ko::Trendfit::ComputErr(Values(doc.TrainX()), Values(doc.TrainY()),
                                                             expected, false));
    EXPECT_EQ(first.testError, pct::Ko::Trendfit::ComputErr(Values(doc.TestX()), Values(doc.TestY()),
                                                            expected, false));
    EXPECT_EQ(first.lambdaL1, 0.1);
    EXPECT_EQ(first.lambdaL2, 0.2);
    EXPECT_EQ(platform.updates, 1);
    EXPECT_EQ(platform.ticksRead, 2u);

    // Second computation: ridge of degree 2; the lasso weight is stored though unused.
    ClearRecords();
    platform.ticks = {5, 5};
    Compute(2, false, true, 0.7, 0.3);
    EXPECT_EQ(panes.output, (Strings{"开始计算2次曲线...", "岭回归(Ridge)计算结束，用时:0毫秒。", ""}));
    EXPECT_EQ(panes.tree, (Strings{"item:2次曲线(Ridge)#1"}));
    ASSERT_EQ(panes.shownCurves.size(), 1u);
    const CurveResult second = panes.shownCurves[0];
    EXPECT_EQ(second.coefficients, pct::Ko::Trendfit::Ridge(doc.TrainX(), doc.TrainY(), 0.3, 2).ToFeatureDatas());
    EXPECT_EQ(second.lambdaL1, 0.7);
    EXPECT_EQ(second.lambdaL2, 0.3);
    EXPECT_EQ(doc.CurrentCurve(), 1u);
    EXPECT_EQ(doc.GetChartData().coefficients, second.coefficients);
    EXPECT_EQ(doc.Curves().size(), 2u);

    // Picking the first curve again: grid and snapshot follow.
    ClearRecords();
    doc.SelectCurve(0);
    ASSERT_EQ(panes.shownCurves.size(), 1u);
    EXPECT_EQ(panes.shownCurves[0].coefficients, first.coefficients);
    EXPECT_EQ(panes.shownCurves[0].lambdaL2, 0.2);
    EXPECT_EQ(platform.updates, 1);
    const ChartData data = doc.GetChartData();
    EXPECT_EQ(data.coefficients, first.coefficients);
    EXPECT_EQ(data.trainError, first.trainError);
    EXPECT_EQ(data.testError, first.testError);
    EXPECT_EQ(data.lambdaL1, 0.1);
    EXPECT_EQ(data.trainPoints.size(), 800u);
    EXPECT_EQ(data.minX, doc.MinX());
    EXPECT_EQ(data.maxY, doc.MaxY());
    EXPECT_TRUE(panes.output.empty());
}

TEST_F(DocumentTest, SimulationParametersAndNames) {
    Simulate([](CSimulationDataDlg& dlg) {
        dlg.m_nFunction = 2;
        dlg.m_dXMin = 0.5;
        dlg.m_dXMax = 4.25;
        dlg.m_nCount = 100;
        dlg.m_dTestPercent = 29.0;
        dlg.m_dNoise = 0.0;
        dlg.m_nNoiseType = 1;
    });
    EXPECT_EQ(panes.output, (Strings{"创建模拟数据:双曲线,x取值范围:0.500000 至 4.250000, 噪声:0.000000",
                                     "训练数据数量:72,测试数据数量:28"}));  // 100 * 0.29 truncates to 28
    // No noise: the points lie on y = 1/x.
    for (const PointRecord& p : doc.TrainPoints()) {
        ASSERT_EQ(p.y, 1.0 / p.x);
        ASSERT_GE(p.x, 0.5);
        ASSERT_LT(p.x, 4.25);
    }
    EXPECT_EQ(CTrendfitDoc::FunctionName(0), "正弦sin");
    EXPECT_EQ(CTrendfitDoc::FunctionName(1), "二次曲线");
    EXPECT_EQ(CTrendfitDoc::FunctionName(3), "");

    ClearRecords();
    Simulate([](CSimulationDataDlg& dlg) {
        dlg.m_nFunction = 1;
        dlg.m_dTestPercent = 100.0;
        dlg.m_dNoise = 12.5;
    });
    EXPECT_EQ(panes.output, (Strings{"创建模拟数据:二次曲线,x取值范围:-3.000000 至 3.000000, 噪声:12.500000",
                                     "训练数据数量:0,测试数据数量:1000"}));
}

TEST_F(DocumentTest, DegenerateRangeLoadsNoPoints) {
    Simulate([](CSimulationDataDlg& dlg) {
        dlg.m_dXMin = 1.0;
        dlg.m_dXMax = 1.0;
    });
    EXPECT_EQ(panes.output.back(), "训练数据数量:0,测试数据数量:0");
    EXPECT_EQ(panes.properties, (Strings{"文件名=", "文件=否", "count:0,0", "curve:cleared"}));
    EXPECT_TRUE(doc.OnUpdateCompute());
    app_fakes::RecordingPainter painter;
    trendfit::ChartRenderer().Draw(painter, ChartRect{0, 0, 1000, 700}, doc.GetChartData());
    EXPECT_EQ(painter.calls, (Strings{"font 120 黑体", "centre 0,0,1000,700 没有数据"}));
}

TEST_F(DocumentTest, FitChosenByTheTwoBoxes) {
    const std::string path = app_fakes::WriteFile("choice.csv", kTenRows);
    Import(path, 20.0f);
    struct Case {
        bool lasso, ridge;
        const char* elapsed;
        const char* name;
        FitMethod method;
    };
    const Case cases[] = {
        {false, false, "计算结束，用时:3毫秒。", "item:2次曲线#0", FitMethod::Plain},
        {true, false, "Lasso回归计算结束，用时:3毫秒。", "item:2次曲线(Lasso)#1", FitMethod::Lasso},
        {false, true, "岭回归(Ridge)计算结束，用时:3毫秒。", "item:2次曲线(Ridge)#2", FitMethod::Ridge},
        {true, true, "弹性网络回归计算结束，用时:3毫秒。", "item:2次曲线(弹性网络)#3", FitMethod::ElasticNet},
    };
    const pct::Vector& x = doc.TrainX();
    const pct::Vector& y = doc.TrainY();
    const std::vector<double> expected[] = {
        pct::Ko::Trendfit::Fit(x, y, 2).ToFeatureDatas(),
        pct::Ko::Trendfit::Lasso(x, y, 0.25, 2).ToFeatureDatas(),
        pct::Ko::Trendfit::Ridge(x, y, 0.5, 2).ToFeatureDatas(),
        pct::Ko::Trendfit::ElasticNet(x, y, 0.25, 0.5, 2).ToFeatureDatas(),
    };
    for (int i = 0; i < 4; ++i) {
        ClearRecords();
        platform.ticks = {10, 13};
        platform.ticksRead = 0;
        Compute(2, cases[i].lasso, cases[i].ridge, 0.25, 0.5);
        EXPECT_EQ(panes.output, (Strings{"开始计算2次曲线...", cases[i].elapsed, ""})) << i;
        EXPECT_EQ(panes.tree, (Strings{cases[i].name})) << i;
        ASSERT_EQ(panes.shownCurves.size(), 1u);
        EXPECT_EQ(panes.shownCurves[0].coefficients, expected[i]) << i;
        EXPECT_EQ("item:" + panes.shownCurves[0].name + "#" + std::to_string(i), cases[i].name);
        EXPECT_TRUE(panes.shownCurves[0].method == cases[i].method) << i;
    }
    EXPECT_EQ(doc.Curves().size(), 4u);
}

TEST_F(DocumentTest, ElapsedTimeWrapsAt32Bits) {
    Simulate();
    ClearRecords();
    platform.ticks = {0, (1ULL << 32) + 0xFFFFFFFFULL};
    Compute(1, false, false);
    EXPECT_EQ(panes.output[1], "计算结束，用时:-1毫秒。");
}

TEST_F(DocumentTest, ImportSplitsByPosition) {
    const std::string path = app_fakes::WriteFile("data.csv", kTenRows);
    Import(path, 20.0f);
    EXPECT_EQ(Values(doc.TrainX()), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Values(doc.TrainY()), (std::vector<double>{3, 5, 7, 9, 11, 13, 15, 17}));
    EXPECT_EQ(Values(doc.TestX()), (std::vector<double>{9, 10}));
    EXPECT_EQ(Values(doc.TestY()), (std::vector<double>{19, 21}));
    EXPECT_EQ(panes.tree, (Strings{"root:文件数据"}));
    EXPECT_EQ(panes.output, (Strings{"导入文件:" + path, "训练数据数量:8,测试数据数量:2"}));
    EXPECT_EQ(panes.properties, (Strings{"文件名=" + path, "文件=是", "count:8,2", "curve:cleared"}));
    EXPECT_EQ(platform.titles, (Strings{"data.csv-Trendfit"}));
    EXPECT_EQ(doc.MinX(), 1.0);
    EXPECT_EQ(doc.MaxX(), 10.0);
    EXPECT_EQ(doc.MinY(), 3.0);
    EXPECT_EQ(doc.MaxY(), 21.0);

    // A fit on the training rows scores both sets.
    ClearRecords();
    Compute(1, false, false);
    ASSERT_EQ(panes.shownCurves.size(), 1u);
    EXPECT_NEAR(panes.shownCurves[0].coefficients[0], 1.0, 1e-9);
    EXPECT_NEAR(panes.shownCurves[0].coefficients[1], 2.0, 1e-9);
    EXPECT_LT(panes.shownCurves[0].testError, 1e-15);

    // A later simulated load shows its own source again.
    ClearRecords();
    Simulate();
    EXPECT_EQ(panes.properties, (Strings{"文件名=", "文件=否", "count:800,200", "curve:cleared"}));
}

TEST_F(DocumentTest, ImportShareIsTakenInSinglePrecision) {
    // 33.3 as a float is just below 33.3, but 1000 * 33.3f rounds to 33300 in float: 333
    // test rows, as the user typed.
    std::string content = "x,y\n";
    for (int i = 0; i < 1000; ++i) content += std::to_string(i) + "," + std::to_string(2 * i) + "\n";
    Import(app_fakes::WriteFile("thousand.csv", content), 33.3f);
    EXPECT_EQ(panes.output.back(), "训练数据数量:667,测试数据数量:333");
    EXPECT_EQ(doc.TestPoints().front().x, 667.0);
    EXPECT_EQ(doc.TrainPoints().back().y, 1332.0);
}

TEST_F(DocumentTest, ImportAtZeroPercentHasNoTestError) {
    Import(app_fakes::WriteFile("zero.csv", kTenRows), 0.0f);
    EXPECT_EQ(panes.output.back(), "训练数据数量:10,测试数据数量:0");
    EXPECT_EQ(doc.TestX().Size(), 0u);
    EXPECT_FALSE(doc.TestX().IsEmpty());  // storage of no elements, as built
    ClearRecords();
    Compute(1, false, false);
    ASSERT_EQ(panes.shownCurves.size(), 1u);
    EXPECT_TRUE(std::isnan(panes.shownCurves[0].testError));
    EXPECT_FALSE(std::isnan(panes.shownCurves[0].trainError));
}

TEST_F(DocumentTest, FailedFitReportsAndKeepsTheDocument) {
    Import(app_fakes::WriteFile("all-test.csv", kTenRows), 100.0f);
    EXPECT_EQ(panes.output.back(), "训练数据数量:0,测试数据数量:10");
    ClearRecords();
    Compute(2, false, false);
    EXPECT_EQ(platform.messageBoxes, (Strings{"此矩阵为空矩阵"}));
    EXPECT_EQ(panes.output, (Strings{"开始计算2次曲线..."}));
    EXPECT_TRUE(panes.tree.empty());
    EXPECT_TRUE(panes.shownCurves.empty());
    EXPECT_EQ(platform.updates, 0);
    EXPECT_TRUE(doc.Curves().empty());

    // The lasso fails the same way: the empty y is found first.
    ClearRecords();
    Compute(2, true, false);
    EXPECT_EQ(platform.messageBoxes, (Strings{"此矩阵为空矩阵"}));
    EXPECT_TRUE(doc.Curves().empty());
}

TEST_F(DocumentTest, SingularFitLeavesEarlierCurves) {
    // Two rows at 50 %: one training point, which no line can be fitted through uniquely.
    Import(app_fakes::WriteFile("single.csv", "x,y\n1,2\n3,4\n"), 50.0f);
    EXPECT_EQ(panes.output.back(), "训练数据数量:1,测试数据数量:1");
    ClearRecords();
    Compute(1, false, true, 0.0, 1.0);  // ridge with a weight is solvable
    ASSERT_EQ(doc.Curves().size(), 1u);
    ClearRecords();
    Compute(1, false, false);
    EXPECT_EQ(platform.messageBoxes, (Strings{"矩阵不可逆"}));
    EXPECT_EQ(panes.output, (Strings{"开始计算1次曲线..."}));
    EXPECT_EQ(doc.Curves().size(), 1u);
    EXPECT_EQ(doc.CurrentCurve(), 0u);
    EXPECT_FALSE(doc.GetChartData().coefficients.empty());
}

TEST_F(DocumentTest, FailedImportKeepsTheDocument) {
    Simulate();
    Compute(2, false, false);
    const std::vector<double> trainX = Values(doc.TrainX());
    const ChartData before = doc.GetChartData();
    ClearRecords();

    // A one-column file is refused by the dialog, but the user confirms anyway.
    const std::string path = app_fakes::WriteFile("one.csv", "x\n1\n2\n3\n");
    platform.file = [path](CFileDataDlg& dlg) {
        EXPECT_EQ(dlg.OnChooseFile(path).choice, CFileDataDlg::FileChoice::NotTwoColumns);
        return true;
    };
    doc.OnFileOpen();
    EXPECT_EQ(platform.messageBoxes, (Strings{"矩阵索引越界"}));
    ExpectNothingShown();
    EXPECT_EQ(Values(doc.TrainX()), trainX);
    EXPECT_EQ(doc.Curves().size(), 1u);
    const ChartData after = doc.GetChartData();
    EXPECT_EQ(after.coefficients, before.coefficients);
    EXPECT_EQ(after.trainPoints.size(), before.trainPoints.size());
    EXPECT_EQ(after.minX, before.minX);
    EXPECT_TRUE(doc.OnUpdateCompute());
}

TEST_F(DocumentTest, ImportWithoutAFileOrWithExtraColumns) {
    // OK without a chosen file is refused and the dialog stays open; leaving it then
    // changes nothing. It would have loaded an empty data set over the curves.
    Simulate();
    Compute(1, false, false);
    const std::vector<double> trainX = Values(doc.TrainX());
    ClearRecords();
    std::vector<trendfit::ExchangeResult> refusals;
    platform.file = [&refusals](CFileDataDlg& dlg) {
        dlg.m_fTestPercent = 50.0f;
        refusals.push_back(dlg.FromControls(dlg.ToControls()));
        return refusals.back().ok;  // a refused OK leaves the dialog to its cancel button
    };
    doc.OnFileOpen();
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_FALSE(refusals[0].ok);
    EXPECT_EQ(refusals[0].failedControl, CFileDataDlg::IDC_CHOOSE_FILE);
    EXPECT_EQ(refusals[0].message, "请先选择数据文件。");
    ExpectNothingShown();
    EXPECT_EQ(Values(doc.TrainX()), trainX);
    EXPECT_EQ(doc.Curves().size(), 1u);

    // A three-column file confirmed after the warning: columns 0 and 1 are taken.
    Import(app_fakes::WriteFile("wide.csv", "a,b,c\n1,2,3\n4,5,6\n7,8,9\n"), 34.0f);
    EXPECT_EQ(Values(doc.TrainX()), (std::vector<double>{1, 4}));
    EXPECT_EQ(Values(doc.TrainY()), (std::vector<double>{2, 5}));
    EXPECT_EQ(Values(doc.TestX()), (std::vector<double>{7}));
    EXPECT_EQ(Values(doc.TestY()), (std::vector<double>{8}));
}

TEST_F(DocumentTest, CurveIndicesStayDistinctAcrossReloads) {
    Simulate();
    Compute(1, false, false);
    Compute(2, false, false);
    doc.SelectCurve(1);
    ClearRecords();

    Simulate();
    EXPECT_TRUE(doc.Curves().empty());
    EXPECT_EQ(doc.CurrentCurve(), 0u);
    EXPECT_TRUE(doc.GetChartData().coefficients.empty());
    EXPECT_TRUE(doc.Curves().empty());  // the snapshot did not insert a record

    // Picking an index without a curve shows an empty record and stores nothing.
    doc.SelectCurve(5);
    ASSERT_EQ(panes.shownCurves.size(), 1u);
    EXPECT_TRUE(panes.shownCurves[0].coefficients.empty());
    EXPECT_EQ(panes.shownCurves[0].trainError, 0.0);
    EXPECT_EQ(panes.shownCurves[0].lambdaL1, 0.0);
    EXPECT_TRUE(doc.Curves().empty());
    EXPECT_TRUE(doc.GetChartData().coefficients.empty());

    ClearRecords();
    Compute(3, false, false);
    Compute(4, false, false);
    EXPECT_EQ(panes.tree, (Strings{"item:3次曲线#0", "item:4次曲线#1"}));
    ASSERT_EQ(doc.Curves().size(), 2u);
    EXPECT_EQ(doc.Curves().at(0).coefficients.size(), 4u);
    EXPECT_EQ(doc.Curves().at(1).coefficients.size(), 5u);
    doc.SelectCurve(0);
    EXPECT_EQ(doc.GetChartData().coefficients.size(), 4u);
    doc.SelectCurve(-1);  // sign-extended: no such curve
    EXPECT_TRUE(doc.GetChartData().coefficients.empty());
    EXPECT_EQ(doc.Curves().size(), 2u);
}

TEST_F(DocumentTest, MissingPanesAreSkipped) {
    FakePanes::Unregister();
    Simulate();
    Compute(2, true, false, 0.1);
    doc.SelectCurve(0);
    EXPECT_EQ(platform.titles, (Strings{"模拟数据-Trendfit"}));
    EXPECT_EQ(doc.Curves().size(), 1u);
    EXPECT_TRUE(panes.output.empty());
    EXPECT_TRUE(panes.shownCurves.empty());
}

TEST(DocumentWithoutPlatform, CommandsDoNothing) {
    CTrendfitDoc doc;
    doc.OnSimulationData();
    doc.OnFileOpen();
    doc.OnCompute();
    EXPECT_FALSE(doc.HasData());
    // The command work itself runs without a platform too (batch use).
    CSimulationDataDlg dlg;
    dlg.m_nCount = 10;
    EXPECT_TRUE(doc.ApplySimulationData(dlg));
    EXPECT_EQ(doc.TrainX().Size(), 8u);
    CStartComputeDlg compute;
    EXPECT_TRUE(doc.ApplyCompute(compute));
    EXPECT_EQ(doc.Curves().size(), 1u);
}

TEST_F(DocumentTest, FailedFitLeavesPointsAndBoundsAlone) {
    Import(app_fakes::WriteFile("all-test-2.csv", kTenRows), 100.0f);
    Compute(1, false, true, 0.0, 0.5);  // fails as well: no training points
    ClearRecords();
    const ChartData before = doc.GetChartData();
    Compute(1, true, true, 0.5, 0.5);
    EXPECT_EQ(platform.messageBoxes, (Strings{"此矩阵为空矩阵"}));
    EXPECT_EQ(panes.output, (Strings{"开始计算1次曲线..."}));
    EXPECT_TRUE(doc.HasData());
    EXPECT_TRUE(doc.Curves().empty());
    EXPECT_EQ(doc.CurrentCurve(), 0u);
    EXPECT_EQ(Values(doc.TestX()), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(doc.TrainX().Size(), 0u);
    const ChartData after = doc.GetChartData();
    EXPECT_EQ(after.testPoints.size(), before.testPoints.size());
    EXPECT_TRUE(after.trainPoints.empty());
    EXPECT_EQ(after.minX, 1.0);
    EXPECT_EQ(after.maxY, 21.0);
    EXPECT_TRUE(after.coefficients.empty());
}

TEST_F(DocumentTest, FailedLoadsLeaveAFreshDocumentEmpty) {
    // A one-column file confirmed in a fresh program: compute stays disabled.
    const std::string path = app_fakes::WriteFile("one-fresh.csv", "x\n1\n2\n");
    platform.file = [path](CFileDataDlg& dlg) {
        dlg.OnChooseFile(path);
        return true;
    };
    doc.OnFileOpen();
    EXPECT_EQ(platform.messageBoxes, (Strings{"矩阵索引越界"}));
    EXPECT_FALSE(doc.OnUpdateCompute());
    EXPECT_EQ(doc.MinX(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(doc.MaxY(), -std::numeric_limits<double>::infinity());

    // A simulation whose test share cannot be formed fails in the library the same way.
    Simulate();
    Compute(1, false, false);
    const std::vector<double> trainX = Values(doc.TrainX());
    ClearRecords();
    CSimulationDataDlg dlg;
    dlg.m_dTestPercent = 150.0;
    EXPECT_FALSE(doc.ApplySimulationData(dlg));
    EXPECT_EQ(platform.messageBoxes, (Strings{"std::bad_alloc"}));
    ExpectNothingShown();
    EXPECT_EQ(Values(doc.TrainX()), trainX);
    EXPECT_EQ(doc.Curves().size(), 1u);
    EXPECT_EQ(doc.TrainPoints().size(), 800u);
}

TEST_F(DocumentTest, RefusedSecondChoiceImportsTheFileItNames) {
    const std::string good = app_fakes::WriteFile("first.csv", kTenRows);
    const std::string three = app_fakes::WriteFile("wide-second.csv", "a,b,c\n1,2,3\n4,5,6\n");
    platform.file = [&](CFileDataDlg& dlg) {
        dlg.OnChooseFile(good);
        const trendfit::DialogControls shown = dlg.ToControls();
        EXPECT_EQ(dlg.OnChooseFile(three).choice, CFileDataDlg::FileChoice::NotTwoColumns);
        // The user confirms; the boxes still show the first file.
        return dlg.FromControls(shown).ok;
    };
    doc.OnFileOpen();
    EXPECT_EQ(panes.output, (Strings{"导入文件:" + three, "训练数据数量:2,测试数据数量:0"}));
    EXPECT_EQ(panes.properties, (Strings{"文件名=" + three, "文件=是", "count:2,0", "curve:cleared"}));
    EXPECT_EQ(platform.titles, (Strings{"wide-second.csv-Trendfit"}));
    EXPECT_EQ(Values(doc.TrainX()), (std::vector<double>{1, 4}));
    EXPECT_EQ(Values(doc.TrainY()), (std::vector<double>{2, 5}));

    // A second file that cannot be opened leaves nothing of the first one to import.
    ClearRecords();
    const std::string missing = testing::TempDir() + "gone.csv";
    platform.file = [&](CFileDataDlg& dlg) {
        dlg.OnChooseFile(good);
        const trendfit::DialogControls shown = dlg.ToControls();
        dlg.OnChooseFile(missing);
        return dlg.FromControls(shown).ok;
    };
    doc.OnFileOpen();
    EXPECT_EQ(panes.output, (Strings{"导入文件:" + missing, "训练数据数量:0,测试数据数量:0"}));
    EXPECT_EQ(platform.titles, (Strings{"gone.csv-Trendfit"}));
    EXPECT_TRUE(doc.TrainPoints().empty());
}

TEST_F(DocumentTest, EachPaneIsSkippedOnItsOwn) {
    // Only one pane registered at a time: it gets its full reports, the others are skipped.
    for (int only = 0; only < 3; ++only) {
        FakePanes::Unregister();
        if (only == 0) g_pOutputMessage = &panes;
        if (only == 1) g_pDataTreeView = &panes;
        if (only == 2) g_pPropetyChange = &panes;
        ClearRecords();
        Simulate();
        Compute(1, false, false);
        doc.SelectCurve(0);
        EXPECT_EQ(panes.output.size(), only == 0 ? 5u : 0u) << only;
        EXPECT_EQ(panes.tree, only == 1 ? (Strings{"root:模拟数据", "item:1次曲线#0"}) : Strings{}) << only;
        EXPECT_EQ(panes.properties.size(), only == 2 ? 4u : 0u) << only;
        EXPECT_EQ(panes.shownCurves.size(), only == 2 ? 2u : 0u) << only;
        EXPECT_EQ(platform.titles, (Strings{"模拟数据-Trendfit"})) << only;
    }
}

TEST_F(DocumentTest, BothCommandsEndInOneLoadStep) {
    Simulate();
    Compute(2, false, false);
    ClearRecords();
    DataSet data;
    data.trainX = pct::Vector(std::vector<double>{1.0, -2.0});
    data.trainY = pct::Vector(std::vector<double>{4.0, 0.5});
    data.testX = pct::Vector(std::vector<double>{3.0});
    data.testY = pct::Vector(std::vector<double>{-1.0});
    data.source = DataSource{"根", "来源说明", "/某处/数据.csv", true, "标题"};
    EXPECT_TRUE(doc.LoadDataSet(std::move(data)));
    EXPECT_EQ(panes.tree, (Strings{"root:根"}));
    EXPECT_EQ(panes.output, (Strings{"来源说明", "训练数据数量:2,测试数据数量:1"}));
    // The grid loses the old curve's values with the curve.
    EXPECT_EQ(panes.properties, (Strings{"文件名=/某处/数据.csv", "文件=是", "count:2,1", "curve:cleared"}));
    EXPECT_EQ(platform.titles, (Strings{"标题"}));
    EXPECT_EQ(platform.updates, 2);
    EXPECT_TRUE(doc.Curves().empty());
    EXPECT_EQ(doc.FindCurrentCurve(), nullptr);
    EXPECT_EQ(doc.TrainPoints().size(), 2u);
    EXPECT_EQ(doc.MinX(), -2.0);
    EXPECT_EQ(doc.MaxX(), 3.0);
    EXPECT_EQ(doc.MinY(), -1.0);
    EXPECT_EQ(doc.MaxY(), 4.0);

    // The import dialog hands over the same value: the rows split by position, the source
    // described for the file.
    const std::string path = app_fakes::WriteFile("set.csv", kTenRows);
    CFileDataDlg dlg;
    ASSERT_EQ(dlg.OnChooseFile(path).choice, CFileDataDlg::FileChoice::Read);
    dlg.m_fTestPercent = 30.0f;
    const DataSet set = dlg.GetDataSet();
    EXPECT_EQ(set.testX.Size(), 3u);
    EXPECT_EQ(set.source.treeRoot, "文件数据");
    EXPECT_EQ(set.source.description, "导入文件:" + path);
    EXPECT_EQ(set.source.filePath, path);
    EXPECT_TRUE(set.source.fromFile);
    EXPECT_EQ(set.source.title, "set.csv-Trendfit");
}

TEST_F(DocumentTest, QualityAndBandOfEachCurve) {
    Import(app_fakes::WriteFile("noisy.csv", kNoisyRows), 20.0f);
    // numpy: R² and RMSE on the training and the test rows, and the band's half-width
    // t * sqrt(s² phi^T C phi) at x = 0, 3.5 and 9 (t, the 0.975 quantile for 6 degrees of
    // freedom, by mpmath), of the plain line and of the ridge line with weight 0.5.
    struct Case {
        bool lasso, ridge;
        double trainR2, trainRmse, testR2, testRmse;
        double half[3];
    };
    const Case cases[] = {
        // The L2 weight typed with its box clear does not make the plain line's band.
        {false, false, 0.9986381367864645, 0.16761634196950528, 0.8596926177878544, 0.28093220266521934,
         {0.3057021057631577, 0.1674399392033115, 0.43540517091981773}},
        {false, true, 0.9984025039728892, 0.18153881964829285, 0.8623726319713184, 0.2782362207120658,
         {0.2721428772763703, 0.17253803439176696, 0.44369928675463793}},
    };
    for (const Case& c : cases) {
        Compute(1, c.lasso, c.ridge, 0.25, 0.5);
        const CurveResult& curve = doc.Curves().at(doc.CurrentCurve());
        EXPECT_NEAR(curve.trainQuality.rSquared, c.trainR2, 1e-13);
        EXPECT_NEAR(curve.trainQuality.rmse, c.trainRmse, 1e-13);
        EXPECT_NEAR(curve.testQuality.rSquared, c.testR2, 1e-13);
        EXPECT_NEAR(curve.testQuality.rmse, c.testRmse, 1e-13);
        const CurveBand& band = doc.CurrentBand();
        ASSERT_NE(band.band, nullptr);
        EXPECT_EQ(band.note, "");
        const double xs[] = {0.0, 3.5, 9.0};
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(band.band->HalfWidth(xs[i]), c.half[i], 1e-12) << xs[i];
    }
    // Made once per curve: choosing another curve and back finds the same band.
    const CurveBand* ridge = &doc.CurrentBand();
    doc.SelectCurve(0);
    EXPECT_NE(doc.CurrentBand().band, ridge->band);
    doc.SelectCurve(1);
    EXPECT_EQ(&doc.CurrentBand(), ridge);

    const char* const penalty =
        "Lasso与弹性网络曲线不绘制置信带：置信带由最小二乘的协方差算出，只适用于普通与岭回归曲线。";
    for (bool ridgeToo : {false, true}) {
        Compute(1, true, ridgeToo, 0.25, 0.5);
        EXPECT_EQ(doc.CurrentBand().band, nullptr);
        EXPECT_EQ(doc.CurrentBand().note, penalty);
    }
    // Eight points do not leave a residual for eight coefficients.
    Compute(7, false, true, 0.0, 1e-6);
    ASSERT_EQ(doc.CurrentCurve(), 4u);
    EXPECT_EQ(doc.CurrentBand().band, nullptr);
    EXPECT_EQ(doc.CurrentBand().note, "无法计算置信带：样本点数必须多于阶数加1，才能计算置信带");

    // The view's snapshot: the options add the band and every curve, and nothing else.
    doc.SelectCurve(1);
    const ChartData plain = doc.GetChartData(ChartOptions{});
    EXPECT_TRUE(plain.curves.empty() && plain.band == nullptr);
    const ChartData full = doc.GetChartData(ChartOptions{true, true});
    EXPECT_EQ(full.band, ridge->band);
    ASSERT_EQ(full.curves.size(), 5u);
    EXPECT_TRUE(full.curves[1].current && !full.curves[0].current);

    // New data drops the bands with the curves: curve 0 of the new data gets its own.
    Import(app_fakes::WriteFile("noisy.csv", kNoisyRows), 0.0f);
    EXPECT_EQ(doc.CurrentBand().band, nullptr);
    EXPECT_EQ(doc.CurrentBand().note, "");
    Compute(1, false, false);
    ASSERT_NE(doc.CurrentBand().band, nullptr);
    EXPECT_NE(doc.CurrentBand().band->HalfWidth(0.0), cases[0].half[0]);
    EXPECT_TRUE(std::isnan(doc.Curves().at(0).testQuality.rSquared));
}

TEST_F(DocumentTest, BandOptionMakesBandsInCancellableRunsAndPaintingNever) {
    Import(app_fakes::WriteFile("noisy.csv", kNoisyRows), 20.0f);
    Compute(1, false, false);
    ASSERT_EQ(platform.taskLabels, (Strings{"正在计算1次曲线..."}));
    // Painting and the status bar read only what is made.
    EXPECT_EQ(doc.GetChartData(ChartOptions{true, false}).band, nullptr);
    EXPECT_EQ(doc.CachedBand().band, nullptr);
    EXPECT_EQ(doc.CachedBand().note, "");
    EXPECT_EQ(platform.taskLabels.size(), 1u);

    ClearRecords();
    doc.SetConfidenceBand(true);
    EXPECT_EQ(platform.taskLabels.back(), "正在计算1次曲线的置信带...");
    EXPECT_EQ(platform.updates, 1);
    EXPECT_TRUE(panes.output.empty());
    const ChartData shown = doc.GetChartData(ChartOptions{true, false});
    ASSERT_NE(shown.band, nullptr);
    EXPECT_EQ(shown.band, doc.CachedBand().band);
    // numpy and mpmath, as in QualityAndBandOfEachCurve.
    const double xs[] = {0.0, 3.5, 9.0};
    const double half[] = {0.3057021057631577, 0.1674399392033115, 0.43540517091981773};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(shown.band->HalfWidth(xs[i]), half[i], 1e-12) << xs[i];

    // With the option on a stored curve gets its band in a run of its own.
    Compute(1, true, false, 0.25);
    EXPECT_EQ(Strings(platform.taskLabels.end() - 2, platform.taskLabels.end()),
              (Strings{"正在计算1次曲线(Lasso)...", "正在计算1次曲线(Lasso)的置信带..."}));
    EXPECT_EQ(doc.CachedBand().note,
              "Lasso与弹性网络曲线不绘制置信带：置信带由最小二乘的协方差算出，只适用于普通与岭回归曲线。");
    // Bands already made are not made again.
    doc.SelectCurve(0);
    doc.SetConfidenceBand(false);
    doc.SetConfidenceBand(true);
    doc.SelectCurve(1);
    EXPECT_EQ(platform.taskLabels.size(), 4u);
    // Off, neither storing nor selecting makes one; switched on, the current curve's is made.
    doc.SetConfidenceBand(false);
    Compute(2, false, false);
    doc.SelectCurve(0);
    doc.SelectCurve(2);
    EXPECT_EQ(platform.taskLabels.size(), 5u);
    EXPECT_EQ(doc.CachedBand().band, nullptr);
    doc.SetConfidenceBand(true);
    EXPECT_EQ(platform.taskLabels.back(), "正在计算2次曲线的置信带...");
    EXPECT_NE(doc.CachedBand().band, nullptr);
}

TEST_F(DocumentTest, CancelledBandKeepsNothingAndIsAskedForAgain) {
    const auto band = [](const std::string& label) { return label.find("置信带") != std::string::npos; };
    const std::string noisy = app_fakes::WriteFile("noisy.csv", kNoisyRows);
    Import(noisy, 20.0f);
    Compute(1, false, false);
    ClearRecords();
    platform.cancelWhen = band;
    doc.SetConfidenceBand(true);
    EXPECT_EQ(platform.taskLabels.back(), "正在计算1次曲线的置信带...");
    EXPECT_TRUE(doc.IsConfidenceBand());
    EXPECT_EQ(doc.CachedBand().band, nullptr);
    EXPECT_EQ(doc.CachedBand().note, "置信带计算已取消。");
    EXPECT_EQ(doc.GetChartData(ChartOptions{true, false}).band, nullptr);
    EXPECT_EQ(platform.updates, 1);  // the status bar hears of it
    EXPECT_TRUE(panes.output.empty() && platform.messageBoxes.empty());

    // Selecting the curve again asks again.
    platform.cancelWhen = nullptr;
    doc.SelectCurve(0);
    EXPECT_NE(doc.CachedBand().band, nullptr);
    EXPECT_EQ(doc.CachedBand().note, "");

    // A curve whose band is cancelled is stored all the same; the cancel is its own.
    platform.cancelWhen = band;
    ClearRecords();
    Compute(2, false, false);
    EXPECT_EQ(panes.tree, (Strings{"item:2次曲线#1"}));
    EXPECT_EQ(std::count(panes.output.begin(), panes.output.end(), "计算已取消。"), 0);
    EXPECT_EQ(doc.CachedBand().note, "置信带计算已取消。");
    const std::size_t runs = platform.taskLabels.size();
    doc.SelectCurve(0);
    EXPECT_NE(doc.CachedBand().band, nullptr);
    EXPECT_EQ(platform.taskLabels.size(), runs);
    // Back on curve 1 it is asked for (and cancelled) again; switching the option off and
    // on asks once more.
    doc.SelectCurve(1);
    EXPECT_EQ(doc.CachedBand().note, "置信带计算已取消。");
    platform.cancelWhen = nullptr;
    doc.SetConfidenceBand(false);
    doc.SetConfidenceBand(true);
    EXPECT_NE(doc.CachedBand().band, nullptr);
    EXPECT_EQ(doc.CachedBand().note, "");
    EXPECT_EQ(platform.taskLabels.size(), runs + 2);

    // The window's tree selects a stored curve as well: a cancel there is not followed by a
    // second run.
    panes.selectAddedItems = true;
    platform.cancelWhen = band;
    Compute(1, false, true, 0.0, 0.5);
    EXPECT_EQ(std::count_if(platform.taskLabels.begin() + runs + 2, platform.taskLabels.end(), band), 1);
    EXPECT_EQ(doc.CachedBand().note, "置信带计算已取消。");
    platform.cancelWhen = nullptr;
    panes.selectAddedItems = false;

    // A cancelled fit stores nothing, so no band is asked for.
    platform.cancelTasks = true;
    Compute(3, false, false);
    EXPECT_EQ(platform.taskLabels.back(), "正在计算3次曲线...");
    platform.cancelTasks = false;

    // New data forgets a cancel with its curve: curve 0 of the next data is another curve.
    Import(noisy, 20.0f);
    platform.cancelWhen = band;
    Compute(1, false, false);
    EXPECT_EQ(doc.CachedBand().note, "置信带计算已取消。");
    doc.SetConfidenceBand(false);
    Import(noisy, 20.0f);
    Compute(1, false, false);
    EXPECT_EQ(doc.CachedBand().band, nullptr);
    EXPECT_EQ(doc.CachedBand().note, "");
}

namespace {

// y = (x - 1005)^2 = 1010025 - 2010 x + x^2 at x = 1000, 1000.5, ..., 1010, all exact. Far
// from zero, its design of degree 4 has a condition number near 3e11: the normal equations
// lose every digit of the coefficients (1010025, -2010, 1, 0, 0), a QR fit keeps most.
std::string FarFromZeroCsv() {
    std::string csv = "x,y\n";
    for (int k = 0; k <= 20; ++k) {
        const double x = 1000.0 + 0.5 * k;
        csv += trendfit::FormatGeneral(x, 17) + "," + trendfit::FormatGeneral((x - 1005.0) * (x - 1005.0), 17) + "\n";
    }
    return csv;
}

double RelativeDifference(double a, double b) { return std::fabs(a - b) / std::max(std::fabs(a), std::fabs(b)); }

// The largest difference of two coefficient vectors relative to the largest coefficient:
// coefficients near zero (the even ones of a sine) carry the rounding of the large ones.
double NormRelativeDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double difference = 0.0;
    double size = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference = std::max(difference, std::fabs(a[i] - b[i]));
        size = std::max(size, std::fabs(a[i]));
    }
    return difference / size;
}

}  // namespace

TEST_F(DocumentTest, ConditionWarningFollowsTheTimeLine) {
    Import(app_fakes::WriteFile("far.csv", FarFromZeroCsv()), 0.0f);
    const std::string advice = "警告：设计矩阵条件数为2.95e+11，结果可能不准确，可在 计算→稳定算法 中改用稳定算法。";
    struct Case {
        bool lasso, ridge;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {false, false, {"开始计算4次曲线...", "计算结束，用时:0毫秒。", advice, ""}},
        {false, true, {"开始计算4次曲线...", "岭回归(Ridge)计算结束，用时:0毫秒。", advice, ""}},
        // The stable algorithm does not compute lasso fits: no advice to use it.
        {true, false, {"开始计算4次曲线...", "Lasso回归计算结束，用时:0毫秒。", "警告：设计矩阵条件数为2.95e+11，结果可能不准确。", ""}},
        {true, true, {"开始计算4次曲线...", "弹性网络回归计算结束，用时:0毫秒。", "警告：设计矩阵条件数为2.95e+11，结果可能不准确。", ""}},
    };
    for (const Case& c : cases) {
        ClearRecords();
        Compute(4, c.lasso, c.ridge, 1e-3, 1e-3);
        EXPECT_EQ(panes.output, c.lines) << c.lasso << c.ridge;
    }
    EXPECT_EQ(doc.Curves().size(), 4u);

    // Degree 3 on the same points (condition near 4e8) and the sine demo at degree 10
    // (near 3e3) are not warned about.
    ClearRecords();
    Compute(3, false, false);
    EXPECT_EQ(panes.output, (Strings{"开始计算3次曲线...", "计算结束，用时:0毫秒。", ""}));
    Simulate();
    ClearRecords();
    Compute(10, false, false);
    EXPECT_EQ(panes.output, (Strings{"开始计算10次曲线...", "计算结束，用时:0毫秒。", ""}));
}

TEST_F(DocumentTest, StableOptionComputesPlainAndRidgeFitsByQR) {
    EXPECT_FALSE(doc.IsStableFit());
    Import(app_fakes::WriteFile("far-stable.csv", FarFromZeroCsv()), 0.0f);
    Compute(4, false, false);
    const std::vector<double> normal = doc.Curves().at(0).coefficients;
    doc.SetStableFit(true);
    ClearRecords();
    Compute(4, false, false);
    EXPECT_EQ(panes.output, (Strings{"开始计算4次曲线...", "稳定算法计算结束，用时:0毫秒。", ""}));
    EXPECT_EQ(panes.tree, (Strings{"item:4次曲线(稳定)#1"}));
    EXPECT_EQ(platform.taskLabels.back(), "正在计算4次曲线(稳定)...");
    const std::vector<double> stable = doc.Curves().at(1).coefficients;
    ASSERT_EQ(stable.size(), 5u);
    // The exact polynomial, to 9 digits; the normal equations miss its constant by 28 %.
    EXPECT_LT(RelativeDifference(stable[0], 1010025.0), 1e-9);
    EXPECT_LT(RelativeDifference(stable[1], -2010.0), 1e-9);
    EXPECT_LT(RelativeDifference(stable[2], 1.0), 1e-8);
    EXPECT_LT(std::fabs(stable[3]) * 1010.0 * 1010.0 * 1010.0, 1e-2);
    EXPECT_LT(std::fabs(stable[4]) * 1010.0 * 1010.0 * 1010.0 * 1010.0, 1e-2);
    EXPECT_GT(RelativeDifference(normal[0], 1010025.0), 0.2);

    // Ridge goes the same way, lasso and elastic net keep the normal equations.
    ClearRecords();
    Compute(2, false, true, 0.0, 0.5);
    Compute(2, true, false, 0.5, 0.0);
    Compute(2, true, true, 0.5, 0.5);
    EXPECT_EQ(panes.tree, (Strings{"item:2次曲线(Ridge,稳定)#2", "item:2次曲线(Lasso)#3", "item:2次曲线(弹性网络)#4"}));
    EXPECT_EQ(panes.output[1], "岭回归(Ridge)稳定算法计算结束，用时:0毫秒。");
    EXPECT_EQ(doc.Curves().at(3).coefficients,
              pct::Ko::Trendfit::Lasso(doc.TrainX(), doc.TrainY(), 0.5, 2).ToFeatureDatas());
    EXPECT_EQ(doc.Curves().at(4).coefficients,
              pct::Ko::Trendfit::ElasticNet(doc.TrainX(), doc.TrainY(), 0.5, 0.5, 2).ToFeatureDatas());

    // On well-conditioned data both algorithms agree to 12 digits, ridge weight included:
    // the stable fit's weight means what Ridge's does.
    Simulate();
    for (bool ridge : {false, true}) {
        doc.SetStableFit(false);
        Compute(3, false, ridge, 0.0, 0.5);
        doc.SetStableFit(true);
        Compute(3, false, ridge, 0.0, 0.5);
        const std::size_t last = doc.Curves().size() - 1;
        const std::vector<double>& a = doc.Curves().at(last - 1).coefficients;
        const std::vector<double>& b = doc.Curves().at(last).coefficients;
        ASSERT_EQ(a.size(), 4u);
        ASSERT_EQ(b.size(), 4u);
        EXPECT_LT(NormRelativeDifference(a, b), 1e-12) << ridge;
        EXPECT_NE(a, b);  // computed differently all the same
    }
}

TEST_F(DocumentTest, CancelledFitLeavesTheDocumentAsItWas) {
    Simulate();
    Compute(2, false, false);
    const ChartData before = doc.GetChartData();
    ClearRecords();
    platform.cancelTasks = true;
    Compute(3, false, true, 0.0, 0.5);
    EXPECT_EQ(platform.taskLabels.back(), "正在计算3次曲线(Ridge)...");
    EXPECT_EQ(panes.output, (Strings{"开始计算3次曲线...", "计算已取消。"}));
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_TRUE(panes.tree.empty());
    EXPECT_TRUE(panes.shownCurves.empty());
    EXPECT_EQ(platform.updates, 0);
    ASSERT_EQ(doc.Curves().size(), 1u);
    EXPECT_EQ(doc.CurrentCurve(), 0u);
    EXPECT_EQ(doc.GetChartData().coefficients, before.coefficients);
    EXPECT_EQ(doc.GetChartData().trainError, before.trainError);

    // The next computation is stored as if the cancelled one had never been.
    platform.cancelTasks = false;
    ClearRecords();
    Compute(1, false, false);
    EXPECT_EQ(panes.tree, (Strings{"item:1次曲线#1"}));
    EXPECT_EQ(doc.Curves().size(), 2u);
}

TEST_F(DocumentTest, DataThatIsNotFiniteIsRefused) {
    Simulate();
    Compute(1, false, false);
    const std::vector<double> trainX = Values(doc.TrainX());
    ClearRecords();
    auto expectRefused = [&](const char* what) {
        EXPECT_EQ(platform.messageBoxes, (Strings{"数据中含有非数值或无穷大的值"})) << what;
        ExpectNothingShown();
        EXPECT_EQ(Values(doc.TrainX()), trainX) << what;
        EXPECT_EQ(doc.Curves().size(), 1u) << what;
        ClearRecords();
    };

    // x drawn across the whole double range: the range's width overflows.
    Simulate([](CSimulationDataDlg& dlg) {
        dlg.m_dXMin = -1e308;
        dlg.m_dXMax = 1e308;
    });
    expectRefused("range");
    // A "nan" cell among the training rows, an "inf" cell among the test rows.
    Import(app_fakes::WriteFile("nan.csv", "x,y\n1,2\nnan,3\n3,4\n4,5\n"), 50.0f);
    expectRefused("nan");
    Import(app_fakes::WriteFile("inf.csv", "x,y\n1,2\n2,3\n3,4\n4,-inf\n"), 50.0f);
    expectRefused("inf");
    DataSet data;
    data.trainX = pct::Vector(std::vector<double>{1.0});
    data.trainY = pct::Vector(std::vector<double>{std::numeric_limits<double>::infinity()});
    EXPECT_FALSE(doc.LoadDataSet(std::move(data)));
    expectRefused("load");
}

TEST_F(DocumentTest, CoefficientsThatAreNotFiniteFailTheFit) {
    // A lasso weight near the largest double over x between 0.01 and 0.1, where the
    // inverse of X^T X is large: the coefficients overflow.
    Import(app_fakes::WriteFile("small-x.csv", "x,y\n0.01,1\n0.02,2\n0.03,3\n0.04,4\n0.05,5\n0.06,6\n0.07,7\n"
                                               "0.08,8\n0.09,9\n0.1,10\n"),
           0.0f);
    ClearRecords();
    Compute(1, true, false, 1e307);
    EXPECT_EQ(platform.messageBoxes, (Strings{"拟合系数中含有非数值或无穷大的值"}));
    EXPECT_EQ(panes.output, (Strings{"开始计算1次曲线..."}));
    EXPECT_TRUE(panes.tree.empty());
    EXPECT_TRUE(doc.Curves().empty());
    EXPECT_EQ(platform.updates, 0);
}

TEST_F(DocumentTest, ComputeDialogKnowsTheDegreeLimit) {
    Simulate();
    double maxAbsX = 0.0;
    for (double x : Values(doc.TrainX())) maxAbsX = std::max(maxAbsX, std::fabs(x));
    const int normalLimit = app_fakes::PowersLimit(maxAbsX, 800.0, false);
    const int stableLimit = app_fakes::PowersLimit(maxAbsX, 800.0, true);

    std::vector<trendfit::ExchangeResult> results;
    platform.compute = [&](CStartComputeDlg& dlg) {
        EXPECT_EQ(dlg.m_nTrainPoints, 800u);
        EXPECT_EQ(dlg.m_dMaxAbsX, maxAbsX);
        EXPECT_EQ(dlg.m_bStableFit, doc.IsStableFit());
        trendfit::DialogControls controls = dlg.ToControls();
        controls.texts[CStartComputeDlg::IDC_DEGREE] = "100000";
        results.push_back(dlg.FromControls(controls));
        return results.back().ok;
    };
    doc.OnCompute();
    doc.SetStableFit(true);
    doc.OnCompute();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].message, "阶数不能超过" + std::to_string(normalLimit) + "：更高次的幂超出双精度浮点数的范围。");
    EXPECT_EQ(results[1].message, "阶数不能超过" + std::to_string(stableLimit) + "：更高次的幂超出双精度浮点数的范围。");
    EXPECT_TRUE(doc.Curves().empty());
}

namespace {

// 1000 points of sin x on [-3, 3] with uniform noise of 0.1, the first 800 for training,
// drawn by a fixed MT19937 so every run sees the same draw. On a fresh draw the lowest
// test error of degrees 1 ... 15 lies between 3 and 9 about four times in five: beyond
// degree 5 the test errors differ by less than their own sampling noise.
DataSet FixedSineData() {
    std::mt19937 generator(20261207u);
    auto uniform = [&generator] { return generator() / 4294967296.0; };
    std::vector<double> xs;
    std::vector<double> ys;
    for (int i = 0; i < 1000; ++i) {
        const double x = -3.0 + 6.0 * uniform();
        xs.push_back(x);
        ys.push_back(std::sin(x) + 0.1 * (2.0 * uniform() - 1.0));
    }
    DataSet data;
    data.trainX = std::vector<double>(xs.begin(), xs.begin() + 800);
    data.trainY = std::vector<double>(ys.begin(), ys.begin() + 800);
    data.testX = std::vector<double>(xs.begin() + 800, xs.end());
    data.testY = std::vector<double>(ys.begin() + 800, ys.end());
    return data;
}

// "%.10g" by the C library, apart from the program's formatting.
std::string G10(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

}  // namespace

class SweepTest : public DocumentTest {
protected:
    // Answers the next sweep dialog with OK for degrees low ... high.
    void Sweep(int low, int high, bool lasso = false, bool ridge = false, double l1 = 0.0, double l2 = 0.0) {
        platform.sweep = [=](CDegreeSweepDlg& dlg) {
            dlg.m_nLowDegree = low;
            dlg.m_nHighDegree = high;
            dlg.m_bLasso = lasso ? 1 : 0;
            dlg.m_bRidge = ridge ? 1 : 0;
            dlg.m_dLambdaL1 = l1;
            dlg.m_dLambdaL2 = l2;
            return true;
        };
        doc.OnDegreeSweep();
    }
};

TEST_F(SweepTest, SineSweepFindsAMiddleDegreeAndWritesALinePerDegree) {
    for (bool stable : {false, true}) {
        ASSERT_TRUE(doc.LoadDataSet(FixedSineData()));
        doc.SetStableFit(stable);
        ClearRecords();
        // Read before and after the sweep and around each of its 15 fits.
        platform.ticks.assign(32, 505);
        platform.ticks.front() = 500;
        platform.ticks.back() = 512;
        platform.ticksRead = 0;
        platform.taskProgress.clear();
        Sweep(1, 15);
        const trendfit::DegreeSweep* sweep = doc.Sweep();
        ASSERT_NE(sweep, nullptr);
        ASSERT_EQ(sweep->points.size(), 15u);
        EXPECT_EQ(platform.taskLabels.back(), "正在进行阶数扫描(1次至15次)...");
        Strings expected{"开始阶数扫描:1次至15次..."};
        std::size_t best = 0;
        for (std::size_t i = 0; i < 15; ++i) {
            const CurveResult& c = sweep->points[i].outcome.curve;
            ASSERT_FALSE(sweep->points[i].outcome.failed);
            EXPECT_EQ(sweep->points[i].degree, static_cast<int>(i) + 1);
            EXPECT_EQ(platform.taskProgress[i], std::make_pair(static_cast<int>(i) + 1, 15));
            expected.push_back(std::to_string(i + 1) + "次: 训练误差 " + G10(c.trainError) + " 测试误差 " + G10(c.testError));
            if (c.testError < sweep->points[best].outcome.curve.testError) best = i;
            // More freedom never fits the training points worse.
            if (i > 0) {
                EXPECT_LE(c.trainError, sweep->points[i - 1].outcome.curve.trainError) << i + 1 << stable;
            }
        }
        const int bestDegree = static_cast<int>(best) + 1;
        EXPECT_GE(bestDegree, 3) << stable;
        EXPECT_LE(bestDegree, 9) << stable;
        expected.push_back("阶数扫描结束，用时:12毫秒。");
        expected.push_back("测试误差最小的阶数: " + std::to_string(bestDegree) + "次");
        expected.push_back("");
        EXPECT_EQ(panes.output, expected);
        // Nothing is stored until a degree is chosen.
        EXPECT_TRUE(doc.Curves().empty());
        EXPECT_TRUE(panes.tree.empty());
        const trendfit::SweepChartData chart = doc.GetSweepChartData();
        EXPECT_EQ(chart.bestDegree, bestDegree);
        EXPECT_EQ(chart.points.size(), 15u);
        EXPECT_EQ(chart.lowDegree, 1);
        EXPECT_EQ(chart.highDegree, 15);
    }
}

TEST_F(SweepTest, StoredSweepPointEqualsAPlainComputeBitForBit) {
    // Plain, ridge, lasso and elastic net, by the normal equations and the stable fit.
    struct Case {
        bool stable, lasso, ridge;
    };
    for (const Case& k : {Case{false, false, false}, Case{true, false, false}, Case{true, false, true},
                          Case{false, true, false}, Case{false, true, true}}) {
        Simulate();
        doc.SetStableFit(k.stable);
        Sweep(2, 7, k.lasso, k.ridge, 0.01, 0.3);
        ClearRecords();
        ASSERT_TRUE(doc.StoreSweepCurve(5));
        Compute(5, k.lasso, k.ridge, 0.01, 0.3);
        ASSERT_EQ(doc.Curves().size(), 2u);
        const CurveResult& swept = doc.Curves().at(0);
        const CurveResult& computed = doc.Curves().at(1);
        EXPECT_EQ(swept.coefficients, computed.coefficients);  // == on doubles: bit for bit here
        EXPECT_EQ(swept.trainError, computed.trainError);
        EXPECT_EQ(swept.testError, computed.testError);
        EXPECT_EQ(swept.trainQuality.rSquared, computed.trainQuality.rSquared);
        EXPECT_EQ(swept.testQuality.rmse, computed.testQuality.rmse);
        EXPECT_EQ(swept.name, computed.name);
        EXPECT_EQ(swept.method, computed.method);
        EXPECT_EQ(swept.lambdaL2, computed.lambdaL2);
        // Stored like any curve: tree item, current, grid, repaint.
        EXPECT_EQ(panes.tree[0], "item:" + computed.name + "#0");
        EXPECT_EQ(panes.output[0], "由阶数扫描存储" + computed.name + "。");
        EXPECT_EQ(panes.output[1], "");
        EXPECT_EQ(panes.shownCurves.size(), 2u);
        EXPECT_EQ(panes.shownCurves[0].coefficients, computed.coefficients);
        EXPECT_EQ(doc.CurrentCurve(), 1u);
    }
    // A degree outside the sweep changes nothing.
    ClearRecords();
    EXPECT_FALSE(doc.StoreSweepCurve(8));
    EXPECT_FALSE(doc.StoreSweepCurve(1));
    EXPECT_TRUE(panes.output.empty());
    EXPECT_EQ(doc.Curves().size(), 2u);
}

TEST_F(SweepTest, IllConditionedDegreesAreNamedOnce) {
    // Far from zero the design's condition number passes 1e10 within a few degrees.
    Import(app_fakes::WriteFile("sweep-far.csv", FarFromZeroCsv()), 20.0f);
    int first = 0;
    for (int d = 1; d <= 4 && first == 0; ++d) {
        if (pct::Ko::Trendfit::ConditionNumber(doc.TrainX(), d) > 1e10) first = d;
    }
    ASSERT_GT(first, 1);
    for (bool lasso : {false, true}) {
        ClearRecords();
        Sweep(1, 4, lasso, false, 1e-6);
        ASSERT_EQ(panes.output.size(), 9u);
        EXPECT_EQ(panes.output[7], "警告：从" + std::to_string(first) + "次起设计矩阵条件数超过1e10，误差可能不准确" +
                                       (lasso ? "。" : "，可在 计算→稳定算法 中改用稳定算法。"));
    }
    // The stable fit has no such warning.
    doc.SetStableFit(true);
    ClearRecords();
    Sweep(1, 4);
    EXPECT_EQ(panes.output.size(), 8u);
    EXPECT_EQ(panes.output.back(), "");
}

TEST_F(SweepTest, CancelledSweepKeepsNothing) {
    Simulate();
    Sweep(1, 3);
    const trendfit::DegreeSweep* before = doc.Sweep();
    ASSERT_NE(before, nullptr);
    const std::vector<double> first = before->points[0].outcome.curve.coefficients;
    ClearRecords();
    platform.cancelTasks = true;
    Sweep(4, 6);
    EXPECT_EQ(panes.output, (Strings{"开始阶数扫描:4次至6次...", "计算已取消。"}));
    EXPECT_TRUE(panes.tree.empty());
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_EQ(platform.updates, 0);
    EXPECT_TRUE(doc.Curves().empty());
    // The earlier sweep is still the document's; the cancelled one stopped after its first degree.
    ASSERT_EQ(doc.Sweep()->points.size(), 3u);
    EXPECT_EQ(doc.Sweep()->points[0].outcome.curve.coefficients, first);
    EXPECT_LE(platform.taskProgress.size(), 4u);
    // New data forgets the sweep.
    platform.cancelTasks = false;
    Simulate();
    EXPECT_EQ(doc.Sweep(), nullptr);
    EXPECT_EQ(doc.GetSweepChartData().highDegree, 0);
}

TEST_F(SweepTest, FailedDegreesAndDataWithoutTestPoints) {
    // Eight training points: the stable fit refuses degrees 8 and 9 (nine or ten
    // coefficients), the sweep goes on and the chart leaves them out.
    Import(app_fakes::WriteFile("sweep-noisy.csv", kNoisyRows), 20.0f);
    doc.SetStableFit(true);
    ClearRecords();
    Sweep(6, 9);
    ASSERT_NE(doc.Sweep(), nullptr);
    const auto& points = doc.Sweep()->points;
    ASSERT_EQ(points.size(), 4u);
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_EQ(panes.output[3], "8次: 计算失败：矩阵不可逆");
    EXPECT_EQ(panes.output[4], "9次: 计算失败：矩阵不可逆");
    const std::size_t best = points[0].outcome.curve.testError <= points[1].outcome.curve.testError ? 0 : 1;
    EXPECT_EQ(panes.output[6], "测试误差最小的阶数: " + std::to_string(6 + best) + "次");
    const trendfit::SweepChartData chart = doc.GetSweepChartData();
    ASSERT_EQ(chart.points.size(), 2u);
    EXPECT_EQ(chart.points[1].degree, 7);
    EXPECT_EQ(chart.highDegree, 9);
    EXPECT_FALSE(doc.StoreSweepCurve(8));

    // Without test points only the training error is written, and no degree is marked.
    Import(app_fakes::WriteFile("sweep-ten.csv", kTenRows), 0.0f);
    doc.SetStableFit(false);
    ClearRecords();
    Sweep(1, 2);
    const CurveResult& line = doc.Sweep()->points[0].outcome.curve;
    EXPECT_EQ(panes.output, (Strings{"开始阶数扫描:1次至2次...", "1次: 训练误差 " + G10(line.trainError),
                                     "2次: 训练误差 " + G10(doc.Sweep()->points[1].outcome.curve.trainError),
                                     "阶数扫描结束，用时:0毫秒。", "没有测试数据：只显示训练误差，不标记最小测试误差。", ""}));
    EXPECT_FALSE(doc.GetSweepChartData().bestDegree.has_value());
    EXPECT_FALSE(doc.GetSweepChartData().hasTestPoints);

    // Without training points no degree limit bounds the range and every fit fails alike:
    // the first failure is shown as a compute shows it, at once, and nothing is kept.
    Import(app_fakes::WriteFile("sweep-all-test.csv", kTenRows), 100.0f);
    ASSERT_EQ(doc.TrainX().Size(), 0u);
    ClearRecords();
    Compute(1, false, false);
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    ClearRecords();
    Sweep(1, INT_MAX);
    EXPECT_EQ(panes.output, (Strings{"开始阶数扫描:1次至2147483647次..."}));
    EXPECT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_EQ(doc.Sweep(), nullptr);
}
