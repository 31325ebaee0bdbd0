// The table-level discriminant classifier: training reports, matching columns by name,
// order of checks, retraining and copies.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/LinearClassifier.h"

namespace {

using pct::LCDataRow;
using pct::LCDataTable;
using pct::Ko::ClassifyReport;
using pct::Ko::LinearClassifier;
using pct::Ko::TestReport;
using pct::Ko::TrainingReport;

LCDataRow Row(std::vector<double> values, int tag) { return LCDataRow{values, tag, -99}; }

// Two well separated groups in the plane, tags 0 and 1.
LCDataTable Separable() {
    return LCDataTable{{"a", "b"},
                       {Row({0, 0}, 0), Row({1, 0}, 0), Row({0, 1}, 0), Row({5, 5}, 1),
                        Row({6, 5}, 1), Row({5, 6}, 1)}};
}

// One feature; w = -1/13 and t = -4.5/13, so x < 4.5 is judged 1: the sample 6 of tag 1
// and the sample 3 of tag 2 are judged wrong (error rates 1/4 and 1/2).
LCDataTable Overlapping() {
    return LCDataTable{{"x"},
                       {Row({0}, 1), Row({1}, 1), Row({2}, 1), Row({6}, 1), Row({3}, 2),
                        Row({5}, 2)}};
}

std::vector<int> Results(const LCDataTable& table) {
    std::vector<int> results;
    for (const LCDataRow& row : table.rows) results.push_back(row.result);
    return results;
}

TEST(LinearClassifierTrain, SeparableTableIsJudgedRight) {
    LinearClassifier classifier;
    LCDataTable table = Separable();
    const TrainingReport report = classifier.Train(table);
    EXPECT_TRUE(report.separable);
    EXPECT_EQ(report.rowCount, 6);
    EXPECT_EQ(report.tagP, 0);
    EXPECT_EQ(report.tagN, 1);
    EXPECT_EQ(report.countP, 3);
    EXPECT_EQ(report.countN, 3);
    EXPECT_EQ(report.errorP, 0);
    EXPECT_EQ(report.errorN, 0);
    EXPECT_EQ(report.errorRateGap, 0.0);
    EXPECT_EQ(report.errorRateRatio, 0.0);
    EXPECT_EQ(Results(table), (std::vector<int>{0, 0, 0, 1, 1, 1}));
    // Only the results change.
    EXPECT_EQ(table.rows[3].values, (std::vector<double>{5, 5}));
    EXPECT_EQ(table.rows[3].tag, 1);
    EXPECT_TRUE(classifier.GetLastTraining().separable);
}

TEST(LinearClassifierTrain, OverlappingTableCountsErrorsAndRates) {
    LinearClassifier classifier;
    LCDataTable table = Overlapping();
    const TrainingReport report = classifier.Train(table);
    EXPECT_FALSE(report.separable);
    EXPECT_EQ(report.rowCount, 6);
    EXPECT_EQ(report.tagP, 1);
    EXPECT_EQ(report.tagN, 2);
    EXPECT_EQ(report.countP, 4);
    EXPECT_EQ(report.countN, 2);
    EXPECT_EQ(report.errorP, 1);
    EXPECT_EQ(report.errorN, 1);
    EXPECT_EQ(report.errorRateRatio, 0.5);
    EXPECT_EQ(report.errorRateGap, 0.5);
    EXPECT_EQ(Results(table), (std::vector<int>{1, 1, 1, 2, 1, 2}));

    const TrainingReport& last = classifier.GetLastTraining();
    EXPECT_EQ(last.errorP, 1);
    EXPECT_EQ(last.errorRateRatio, 0.5);
}

TEST(LinearClassifierTrain, ChecksInOrder) {
    LinearClassifier classifier;
    // A short row is found before the duplicate name.
    LCDataTable shortRow{{"a", "a"}, {Row({1, 2}, 0), Row({1}, 1)}};
    EXPECT_THROW_MSG(classifier.Train(shortRow), "数据表中数据错误");
    // No rows: the matrix cannot be made, before the names are looked at.
    LCDataTable empty{{"a", "a"}, {}};
    EXPECT_THROW_MSG(classifier.Train(empty), "矩阵的行或列不能为0");
    LCDataTable repeated{{"a", "b", "a"}, {Row({1, 2, 3}, 0), Row({4, 5, 6}, 1)}};
    EXPECT_THROW_MSG(classifier.Train(repeated), "数据表中的特征值的表头有重复");
    LCDataTable threeTags{{"a"}, {Row({1}, 0), Row({2}, 1), Row({3}, 2)}};
    EXPECT_THROW_MSG(classifier.Train(threeTags), "类别标识不是2种，不能进行线性二分类");
    LCDataTable oneTag{{"a"}, {Row({1}, 4), Row({2}, 4)}};
    EXPECT_THROW_MSG(classifier.Train(oneTag), "类别标识不是2种，不能进行线性二分类");
    LCDataTable singular{{"a"}, {Row({1}, 4), Row({2}, 5)}};
    EXPECT_THROW_MSG(classifier.Train(singular), "逆矩阵不存在");

    // None of these trained the classifier.
    LCDataTable test = Separable();
    EXPECT_THROW_MSG(classifier.Test(test), "该分类器还未进行训练");
    EXPECT_EQ(classifier.GetLastTraining().rowCount, 0);
    EXPECT_EQ(classifier.GetLastTraining().tagP, -1);
}

TEST(LinearClassifierTrain, FailingTrainKeepsTheTrainedState) {
    LinearClassifier classifier;
    LCDataTable table = Separable();
    classifier.Train(table);
    LCDataTable otherNames{{"p", "q"}, {Row({1, 1}, 0), Row({2, 2}, 1), Row({3, 3}, 2)}};
    EXPECT_THROW_MSG(classifier.Train(otherNames), "类别标识不是2种，不能进行线性二分类");

    EXPECT_EQ(classifier.GetLastTraining().rowCount, 6);
    LCDataTable test = Separable();
    const TestReport report = classifier.Test(test);  // still the names a and b
    EXPECT_EQ(report.judgedP, 3);
    EXPECT_EQ(report.wrongP + report.wrongN, 0);
}

TEST(LinearClassifierTrain, RetrainingStartsFromScratch) {
    LinearClassifier classifier;
    LCDataTable first = Separable();
    classifier.Train(first);

    // Other names and other tags: works like a new classifier.
    LCDataTable second = Overlapping();
    for (LCDataRow& row : second.rows) row.tag += 6;  // tags 7 and 8
    const TrainingReport report = classifier.Train(second);

    LinearClassifier fresh;
    LCDataTable again = Overlapping();
    for (LCDataRow& row : again.rows) row.tag += 6;
    const TrainingReport expected = fresh.Train(again);
    EXPECT_EQ(report.tagP, 7);
    EXPECT_EQ(report.tagN, 8);
    EXPECT_EQ(report.errorP, expected.errorP);
    EXPECT_EQ(report.errorN, expected.errorN);
    EXPECT_EQ(report.errorRateRatio, expected.errorRateRatio);
    EXPECT_EQ(Results(second), Results(again));

    // The names of the first table are forgotten.
    LCDataTable oldLayout = Separable();
    EXPECT_THROW_MSG(classifier.Classify(oldLayout),
                     "测试数据表中的特征值名称与分类器不匹配");
}

TEST(LinearClassifierTest, CountsJudgementsAgainstTags) {
    LinearClassifier classifier;
    LCDataTable training = Overlapping();
    classifier.Train(training);

    // 4.4 and 4.6 lie on either side of 4.5; the tags below are deliberately mixed.
    LCDataTable table{{"x"}, {Row({4.4}, 1), Row({4.4}, 2), Row({4.6}, 2), Row({4.6}, 1),
                              Row({4.6}, 9), Row({-3}, 1)}};
    const TestReport report = classifier.Test(table);
    EXPECT_EQ(report.rowCount, 6);
    EXPECT_EQ(report.tagP, 1);
    EXPECT_EQ(report.tagN, 2);
    EXPECT_EQ(report.judgedP, 3);
    EXPECT_EQ(report.judgedN, 3);
    EXPECT_EQ(report.wrongP, 1);
    EXPECT_EQ(report.wrongN, 2);
    EXPECT_EQ(report.judgedOther, 0);
    EXPECT_EQ(Results(table), (std::vector<int>{1, 1, 2, 2, 2, 1}));
}

TEST(LinearClassifierTest, ColumnsAreMatchedByName) {
    LinearClassifier classifier;
    LCDataTable training{{"a", "b"},
                         {Row({0, 10}, 0), Row({1, 12}, 0), Row({0, 11}, 0), Row({5, 1}, 1),
                          Row({6, 0}, 1), Row({5, 2}, 1), Row({2, 6}, 1), Row({3, 5}, 0)}};
    classifier.Train(training);

    LCDataTable samples{{"a", "b"},
                        {Row({0, 10}, 0), Row({6, 0}, 1), Row({2.5, 5.5}, 0), Row({4, 4}, 1),
                         Row({1, 7}, 0)}};
    LCDataTable swapped{{"b", "a"}, {}};
    for (const LCDataRow& row : samples.rows) {
        swapped.rows.push_back(Row({row.values[1], row.values[0]}, row.tag));
    }
    // An extra, untrained column is ignored.
    LCDataTable extra{{"c", "b", "a"}, {}};
    for (const LCDataRow& row : samples.rows) {
        extra.rows.push_back(Row({1e9, row.values[1], row.values[0]}, row.tag));
    }

    const TestReport inOrder = classifier.Test(samples);
    const TestReport reversed = classifier.Test(swapped);
    const ClassifyReport withExtra = classifier.Classify(extra);
    EXPECT_EQ(Results(swapped), Results(samples));
    EXPECT_EQ(Results(extra), Results(samples));
    EXPECT_EQ(reversed.judgedP, inOrder.judgedP);
    EXPECT_EQ(reversed.wrongN, inOrder.wrongN);
    EXPECT_EQ(withExtra.judgedP, inOrder.judgedP);
    EXPECT_EQ(withExtra.judgedN, inOrder.judgedN);

    // Looking the extra name up added nothing: a table with only a and b still passes.
    LCDataTable plain = samples;
    EXPECT_NO_THROW(classifier.Classify(plain));
}

TEST(LinearClassifierTest, TableWithoutRowsGivesTheModelTags) {
    LinearClassifier classifier;
    LCDataTable training = Overlapping();
    classifier.Train(training);
    LCDataTable empty{{"x"}, {}};
    const TestReport test = classifier.Test(empty);
    EXPECT_EQ(test.rowCount, 0);
    EXPECT_EQ(test.tagP, 1);
    EXPECT_EQ(test.tagN, 2);
    EXPECT_EQ(test.judgedP + test.judgedN + test.wrongP + test.wrongN + test.judgedOther, 0);
    const ClassifyReport classify = classifier.Classify(empty);
    EXPECT_EQ(classify.rowCount, 0);
    EXPECT_EQ(classify.tagP, 1);
    EXPECT_EQ(classify.tagN, 2);
    EXPECT_EQ(classify.judgedP + classify.judgedN, 0);
}

TEST(LinearClassifierTest, ClassifyCountsJudgementsOnly) {
    LinearClassifier classifier;
    LCDataTable training = Overlapping();
    classifier.Train(training);
    LCDataTable table{{"x"}, {Row({0}, 555), Row({10}, 1), Row({20}, 1)}};
    const ClassifyReport report = classifier.Classify(table);
    EXPECT_EQ(report.rowCount, 3);
    EXPECT_EQ(report.judgedP, 1);
    EXPECT_EQ(report.judgedN, 2);
    EXPECT_EQ(Results(table), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(table.rows[0].tag, 555);
}

TEST(LinearClassifierTest, UntrainedClassifierFailsWhateverTheTable) {
    LinearClassifier classifier;
    LCDataTable broken{{"a"}, {Row({1, 2, 3}, 0)}};
    EXPECT_THROW_MSG(classifier.Test(broken), "该分类器还未进行训练");
    EXPECT_THROW_MSG(classifier.Classify(broken), "该分类器还未进行训练");
    LCDataTable empty;
    EXPECT_THROW_MSG(classifier.Classify(empty), "该分类器还未进行训练");
}

TEST(LinearClassifierTest, ChecksInOrder) {
    LinearClassifier classifier;
    LCDataTable training{{"a", "b", "c"},
                         {Row({0, 0, 0}, 0), Row({1, 0, 0}, 0), Row({0, 1, 0}, 0),
                          Row({0, 0, 1}, 0), Row({5, 5, 5}, 1), Row({6, 5, 5}, 1),
                          Row({5, 6, 5}, 1), Row({5, 5, 6}, 1)}};
    classifier.Train(training);

    // Row width first, even with too few and repeated names.
    LCDataTable badRow{{"a", "a"}, {Row({1, 2, 3}, 0)}};
    EXPECT_THROW_MSG(classifier.Test(badRow), "数据表中数据错误");
    // Too few names before repeated names.
    LCDataTable fewRepeated{{"a", "a"}, {Row({1, 2}, 0)}};
    EXPECT_THROW_MSG(classifier.Test(fewRepeated), "测试数据表中的特征值数量与分类模型不匹配");
    // Repeated names before unknown names.
    LCDataTable repeated{{"a", "a", "d"}, {Row({1, 2, 3}, 0)}};
    EXPECT_THROW_MSG(classifier.Classify(repeated), "数据表中的特征值的表头有重复");
    LCDataTable unknown{{"a", "b", "d"}, {Row({1, 2, 3}, 0)}};
    EXPECT_THROW_MSG(classifier.Test(unknown), "测试数据表中的特征值名称与分类器不匹配");
    LCDataTable unknownExtra{{"c", "a", "d", "e"}, {Row({1, 2, 3, 4}, 0)}};
    EXPECT_THROW_MSG(classifier.Classify(unknownExtra),
                     "测试数据表中的特征值名称与分类器不匹配");
    // Nothing was judged by the failing calls.
    EXPECT_EQ(unknown.rows[0].result, -99);
}

TEST(LinearClassifierCopy, CopyJudgesLikeTheOriginalAfterItIsGone) {
    auto original = std::make_unique<LinearClassifier>();
    LCDataTable training = Overlapping();
    original->Train(training);
    LinearClassifier copy(*original);
    LinearClassifier assigned;
    assigned = *original;
    original.reset();

    LCDataTable a{{"x"}, {Row({4.4}, 1), Row({4.6}, 2)}};
    LCDataTable b = a;
    const TestReport fromCopy = copy.Test(a);
    const TestReport fromAssigned = assigned.Test(b);
    EXPECT_EQ(Results(a), (std::vector<int>{1, 2}));
    EXPECT_EQ(Results(b), (std::vector<int>{1, 2}));
    EXPECT_EQ(fromCopy.wrongP + fromCopy.wrongN, 0);
    EXPECT_EQ(fromAssigned.judgedP, 1);
    EXPECT_EQ(copy.GetLastTraining().errorP, 1);
}

TEST(LinearClassifierCopy, CopiesTrainIndependently) {
    LinearClassifier original;
    LCDataTable training = Overlapping();
    original.Train(training);
    LinearClassifier copy(original);
    LCDataTable other = Separable();
    copy.Train(other);
    copy = copy;  // self-assignment keeps the state

    LCDataTable sample{{"x"}, {Row({0}, 1)}};
    EXPECT_EQ(original.Classify(sample).judgedP, 1);
    EXPECT_THROW_MSG(copy.Classify(sample), "测试数据表中的特征值数量与分类模型不匹配");

    LinearClassifier untrained;
    LinearClassifier untrainedCopy(untrained);
    EXPECT_THROW_MSG(untrainedCopy.Classify(sample), "该分类器还未进行训练");
    original = untrained;
    EXPECT_THROW_MSG(original.Classify(sample), "该分类器还未进行训练");
}

}  // namespace
