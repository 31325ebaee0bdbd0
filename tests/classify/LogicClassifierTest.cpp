#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/LogicClassifier.h"

using pct::LCDataRow;
using pct::LCDataTable;
using pct::Ko::LogicClassifier;

namespace {

LCDataTable Table(std::vector<std::string> names,
                  std::vector<std::pair<std::vector<double>, int>> rows) {
    LCDataTable table;
    table.featureNames = std::move(names);
    for (auto& [values, tag] : rows) {
        LCDataRow row;
        row.values = values;
        row.tag = tag;
        row.result = -7;  // never read; every judged row is overwritten
        table.rows.push_back(row);
    }
    return table;
}

std::vector<int> Results(const LCDataTable& table) {
    std::vector<int> results;
    for (const LCDataRow& row : table.rows) results.push_back(row.result);
    return results;
}

LCDataTable Separable() {
    return Table({"x", "y"}, {{{0, 0}, 0}, {{1, 0}, 0}, {{0, 1}, 0},
                              {{3, 3}, 1}, {{4, 3}, 1}, {{3, 4}, 1}});
}

// Four rows whose gradient at theta = 0 is exactly zero: theta never moves from 0, so
// every sample lies on the boundary.
LCDataTable Balanced() {
    return Table({"x"}, {{{0}, 0}, {{0}, 1}, {{1}, 0}, {{1}, 1}});
}

}  // namespace

TEST(LogicClassifierTrain, SeparableDataConvergesAndJudgesEveryRowRight) {
    LogicClassifier classifier;
    LCDataTable table = Separable();
    const pct::Ko::LgTrainingReport report = classifier.Train(table);

    EXPECT_TRUE(report.converged);
    EXPECT_EQ(report.rowCount, 6);
    EXPECT_EQ(report.tagP, 1);
    EXPECT_EQ(report.tagN, 0);
    EXPECT_EQ(report.judgedP, 3);
    EXPECT_EQ(report.judgedN, 3);
    EXPECT_EQ(report.wrongP, 0);
    EXPECT_EQ(report.wrongN, 0);
    EXPECT_EQ(report.errorRateGap, 0.0);
    EXPECT_EQ(report.errorRateRatio, 0.0);
    EXPECT_EQ(Results(table), (std::vector<int>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(table.rows[3].values, (std::vector<double>{3, 3}));
    EXPECT_EQ(table.rows[3].tag, 1);

    // Points far on either side.
    LCDataTable probe = Table({"x", "y"}, {{{-5, -5}, 0}, {{10, 10}, 0}});
    const pct::Ko::LgClassifyReport classified = classifier.Classify(probe);
    EXPECT_EQ(Results(probe), (std::vector<int>{0, 1}));
    EXPECT_EQ(classified.judgedP, 1);
    EXPECT_EQ(classified.judgedN, 1);
}

TEST(LogicClassifierTrain, OverlappingDataDoesNotConvergeAndCountsByJudgement) {
    LogicClassifier classifier;
    LCDataTable table = Table({"x"}, {{{0}, 0}, {{1}, 0}, {{2}, 1}, {{3}, 0},
                                      {{4}, 1}, {{5}, 1}, {{6}, 1}, {{7}, 1}});
    const pct::Ko::LgTrainingReport report = classifier.Train(table);

    EXPECT_FALSE(report.converged);
    EXPECT_EQ(report.rowCount, 8);
    EXPECT_EQ(Results(table), (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(report.judgedP, 5);
    EXPECT_EQ(report.wrongP, 1);  // x = 3, tag 0
    EXPECT_EQ(report.judgedN, 3);
    EXPECT_EQ(report.wrongN, 1);  // x = 2, tag 1
    // Rates 1/5 and 1/3.
    EXPECT_DOUBLE_EQ(report.errorRateRatio, 0.6);
    EXPECT_DOUBLE_EQ(report.errorRateGap, 0.4);
}

TEST(LogicClassifierTrain, BoundarySamplesAreJudgedOne) {
    LogicClassifier classifier;
    LCDataTable table = Balanced();
    const pct::Ko::LgTrainingReport report = classifier.Train(table);

    EXPECT_FALSE(report.converged);  // the loss stays at 4 ln 2
    EXPECT_EQ(Results(table), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(report.judgedP, 4);
    EXPECT_EQ(report.wrongP, 2);
    EXPECT_EQ(report.judgedN, 0);
    EXPECT_EQ(report.wrongN, 0);
    // The rate of the empty class is 0/0: the other rate is both min and max.
    EXPECT_EQ(report.errorRateRatio, 1.0);
    EXPECT_EQ(report.errorRateGap, 0.0);

    LCDataTable probe = Table({"x"}, {{{-1000}, 0}, {{1000}, 0}});
    classifier.Classify(probe);
    EXPECT_EQ(Results(probe), (std::vector<int>{1, 1}));
}

TEST(LogicClassifierTrain, FailuresInOrderLeaveThetaUnchanged) {
    LogicClassifier classifier;
    LCDataTable good = Separable();
    classifier.Train(good);

    // A width error is found before a bad tag in an earlier row.
    LCDataTable both = Table({"x", "y"}, {{{0, 0}, 2}, {{1}, 0}});
    EXPECT_THROW_MSG(classifier.Train(both), "训练数据错误");
    LCDataTable tagTwo = Table({"x", "y"}, {{{0, 0}, 0}, {{1, 1}, 2}});
    EXPECT_THROW_MSG(classifier.Train(tagTwo), "类型标签只能为0或1");
    LCDataTable tagMinus = Table({"x", "y"}, {{{0, 0}, -1}});
    EXPECT_THROW_MSG(classifier.Train(tagMinus), "类型标签只能为0或1");

    // No rows: nothing to size theta from.
    LCDataTable empty = Table({"x", "y"}, {});
    EXPECT_THROW_MSG(classifier.Train(empty), "训练数据错误");
    LCDataTable noNames;
    EXPECT_THROW_MSG(classifier.Train(noNames), "训练数据错误");

    // One sample: the Hessian has rank 1 and the inversion fails.
    LCDataTable single = Table({"x", "y"}, {{{1, 2}, 0}});
    EXPECT_THROW_MSG(classifier.Train(single), "矩阵不可逆");

    LCDataTable probe = Table({"x", "y"}, {{{-5, -5}, 0}, {{10, 10}, 0}});
    classifier.Classify(probe);
    EXPECT_EQ(Results(probe), (std::vector<int>{0, 1}));
}

TEST(LogicClassifierTrain, RetrainingStartsFromZero) {
    LogicClassifier first;
    LCDataTable balanced = Balanced();
    LCDataTable separable = Separable();
    first.Train(separable);
    first.Train(balanced);

    LogicClassifier fresh;
    LCDataTable balancedAgain = Balanced();
    fresh.Train(balancedAgain);
    EXPECT_EQ(Results(balanced), Results(balancedAgain));
}

TEST(LogicClassifierTest, CountsAgainstTags) {
    LogicClassifier classifier;
    LCDataTable training = Separable();
    classifier.Train(training);

    LCDataTable table = Table({"x", "y"}, {{{0, 0}, 0}, {{0, 0}, 1}, {{4, 4}, 1}, {{4, 4}, 0}, {{5, 5}, 1}});
    const pct::Ko::LgTestReport report = classifier.Test(table);
    EXPECT_EQ(report.rowCount, 5);
    EXPECT_EQ(report.judgedP, 3);
    EXPECT_EQ(report.wrongP, 1);
    EXPECT_EQ(report.judgedN, 2);
    EXPECT_EQ(report.wrongN, 1);
    EXPECT_EQ(report.judgedOther, 0);
    EXPECT_EQ(Results(table), (std::vector<int>{0, 0, 1, 1, 1}));
}

TEST(LogicClassifierTest, EmptyTablesGiveZeroReports) {
    LogicClassifier classifier;  // untrained: no row is judged, so nothing fails
    LCDataTable empty = Table({"x"}, {});

    const pct::Ko::LgTestReport test = classifier.Test(empty);
    EXPECT_EQ(test.rowCount, 0);
    EXPECT_EQ(test.judgedP, 0);
    EXPECT_EQ(test.judgedN, 0);
    EXPECT_EQ(test.wrongP, 0);
    EXPECT_EQ(test.wrongN, 0);
    EXPECT_EQ(test.judgedOther, 0);

    const pct::Ko::LgClassifyReport classify = classifier.Classify(empty);
    EXPECT_EQ(classify.rowCount, 0);
    EXPECT_EQ(classify.tagP, 1);
    EXPECT_EQ(classify.tagN, 0);
    EXPECT_EQ(classify.judgedP, 0);
    EXPECT_EQ(classify.judgedN, 0);
}

TEST(LogicClassifierTest, FailuresInOrder) {
    LogicClassifier untrained;
    LCDataTable one = Table({"x"}, {{{1}, 0}});
    EXPECT_THROW_MSG(untrained.Test(one), "点乘的两个向量纬度不相等");
    EXPECT_THROW_MSG(untrained.Classify(one), "点乘的两个向量纬度不相等");

    LogicClassifier classifier;
    LCDataTable training = Separable();
    classifier.Train(training);

    LCDataTable widthAndTag = Table({"x", "y"}, {{{0, 0}, 5}, {{0}, 0}});
    EXPECT_THROW_MSG(classifier.Test(widthAndTag), "训练数据错误");
    EXPECT_THROW_MSG(classifier.Classify(widthAndTag), "训练数据错误");

    LCDataTable badTag = Table({"x", "y"}, {{{0, 0}, 0}, {{5, 5}, 2}});
    EXPECT_THROW_MSG(classifier.Test(badTag), "类型标签只能为0或1");
    // Classify does not read tags.
    const pct::Ko::LgClassifyReport report = classifier.Classify(badTag);
    EXPECT_EQ(report.judgedN, 1);
    EXPECT_EQ(report.judgedP, 1);

    // Columns are not matched by name: only the count matters, and another count fails in
    // the product, after the rows before it were judged.
    LCDataTable three = Table({"a", "b", "c"}, {{{0, 0, 0}, 0}});
    EXPECT_THROW_MSG(classifier.Classify(three), "点乘的两个向量纬度不相等");
}

TEST(LogicClassifierCopy, CopiesAndMovesKeepTheFit) {
    LogicClassifier original;
    LCDataTable training = Separable();
    original.Train(training);

    LogicClassifier copy(original);
    LogicClassifier assigned;
    assigned = copy;
    LogicClassifier moved(std::move(original));

    for (LogicClassifier* c : {&copy, &assigned, &moved}) {
        LCDataTable probe = Table({"x", "y"}, {{{-5, -5}, 0}, {{10, 10}, 0}});
        c->Classify(probe);
        EXPECT_EQ(Results(probe), (std::vector<int>{0, 1}));
    }
    // The moved-from classifier is untrained again.
    LCDataTable probe = Table({"x", "y"}, {{{1, 1}, 0}});
    EXPECT_THROW_MSG(original.Classify(probe), "点乘的两个向量纬度不相等");
}
