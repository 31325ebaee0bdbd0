// The discriminant model and trainer: judgement, class matrices and the LDA result.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/LinearClassificationModel.h"
#include "vecmat/classify/LinearClassifierTrainer.h"
#include "vecmat/core/Matrix.h"

namespace {

using pct::Matrix;
using pct::Vector;
using pct::Ko::LCMData;
using pct::Ko::LinearClassificationModel;
using pct::Ko::LinearClassifierTrainer;

Matrix Rows(size_t rows, size_t columns, std::vector<double> values) {
    return Matrix(rows, columns, values.data());
}

Vector Vec(std::vector<double> values) { return Vector(values); }

// ---- model ----

TEST(LinearClassificationModel, JudgesStrictlyAboveTheThresholdAsTagP) {
    LinearClassificationModel model(Vec({1.0, 1.0}), 2.0, 7, 9);
    EXPECT_EQ(model.Judge(Vec({1.0, 1.5})), 7);
    EXPECT_EQ(model.Judge(Vec({1.0, 1.0})), 9);  // exactly on the threshold
    EXPECT_EQ(model.Judge(Vec({0.0, 0.0})), 9);
    EXPECT_EQ(model.Judge(Vec({std::nan(""), 5.0})), 9);
    EXPECT_TRUE(model.IsClass(Vec({3.0, 0.0}), 7));
    EXPECT_FALSE(model.IsClass(Vec({3.0, 0.0}), 9));

    int tagP = 0;
    int tagN = 0;
    model.GetTag(&tagP, &tagN);
    EXPECT_EQ(tagP, 7);
    EXPECT_EQ(tagN, 9);
}

TEST(LinearClassificationModel, SampleOfAnotherLengthFails) {
    LinearClassificationModel model(Vec({1.0, 1.0}), 0.0, 1, 2);
    EXPECT_THROW_MSG(model.Judge(Vec({1.0})), "点乘的两个向量纬度不相等");
    EXPECT_THROW_MSG(model.IsClass(Vec({1.0, 2.0, 3.0}), 1), "点乘的两个向量纬度不相等");
}

// IsClass goes through the virtual Judge, so an override changes it too.
class AlwaysFive : public LinearClassificationModel {
public:
    AlwaysFive() : LinearClassificationModel(Vec({1.0}), 0.0, 1, 2) {}
    int Judge(const Vector&) override { return 5; }
};

TEST(LinearClassificationModel, IsClassFollowsAnOverriddenJudge) {
    AlwaysFive model;
    EXPECT_TRUE(model.IsClass(Vec({100.0}), 5));
    EXPECT_FALSE(model.IsClass(Vec({100.0}), 1));
}

TEST(LinearClassificationModel, CopiesAreIndependentAndMovesTakeTheWeights) {
    LinearClassificationModel original(Vec({2.0, -1.0}), 0.5, -1, 1);
    LinearClassificationModel copy(original);
    LinearClassificationModel moved(std::move(original));
    EXPECT_TRUE(original.GetWeights().IsEmpty());
    EXPECT_EQ(moved.GetWeights().Size(), 2u);
    EXPECT_EQ(moved.GetThreshold(), 0.5);
    EXPECT_EQ(copy.Judge(Vec({1.0, 0.0})), -1);

    LinearClassificationModel assigned(Vec({0.0}), 0.0, 3, 4);
    assigned = copy;
    EXPECT_EQ(assigned.Judge(Vec({0.0, 1.0})), 1);
    assigned = std::move(moved);
    EXPECT_TRUE(moved.GetWeights().IsEmpty());
    EXPECT_EQ(assigned.Judge(Vec({1.0, 0.0})), -1);
}

TEST(LinearClassificationModel, ReleaseFreesThroughTheInterface) {
    pct::ILinearClassificationModel* model =
        new LinearClassificationModel(Vec({1.0}), 0.0, 1, 2);
    EXPECT_EQ(model->Judge(Vec({1.0})), 1);
    model->Release();  // the leak checker reports it if nothing was freed
}

// ---- trainer: class matrices ----

TEST(LinearClassifierTrainer, InputAllMatrixSplitsRowsByTagInInputOrder) {
    LinearClassifierTrainer trainer;
    trainer.InputAllMatrix(Rows(4, 3, {10, 11, 2,  //
                                       20, 21, 1,  //
                                       30, 31, 2,  //
                                       40, 41, 1}));
    EXPECT_EQ(trainer.GetTags(), (std::vector<size_t>{1, 2}));
    EXPECT_EQ(trainer.GetMatrix(1), Rows(2, 2, {20, 21, 40, 41}));
    EXPECT_EQ(trainer.GetMatrix(2), Rows(2, 2, {10, 11, 30, 31}));
}

TEST(LinearClassifierTrainer, TagsAreTruncatedTowardZero) {
    LinearClassifierTrainer trainer;
    trainer.InputAllMatrix(Rows(4, 2, {0, 1.0, 1, 1.7, 2, -1.5, 3, -1.0}));
    const size_t minusOne = static_cast<size_t>(-1);
    EXPECT_EQ(trainer.GetTags(), (std::vector<size_t>{minusOne, 1}));
    EXPECT_EQ(trainer.GetMatrix(-1), Rows(2, 1, {2, 3}));
    EXPECT_EQ(trainer.GetMatrix(1), Rows(2, 1, {0, 1}));

    LinearClassifierTrainer truncated;
    truncated.InputAllMatrix(Rows(2, 2, {0, 2.9, 1, 3.0}));
    EXPECT_EQ(truncated.GetTags(), (std::vector<size_t>{2, 3}));
    EXPECT_EQ(truncated.GetMatrix(2), Rows(1, 1, {0}));
}

TEST(LinearClassifierTrainer, TagsWithoutAnIntValueBecomeTheLowestInt) {
    // NaN and values beyond the int range have no truncated value; they all map to INT_MIN.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    LinearClassifierTrainer trainer;
    trainer.InputAllMatrix(Rows(4, 2, {0, nan, 1, 5e9, 2, -1e12, 3, 4}));
    EXPECT_EQ(trainer.GetTags(),
              (std::vector<size_t>{static_cast<size_t>(INT_MIN), static_cast<size_t>(4)}));
    EXPECT_EQ(trainer.GetMatrix(INT_MIN), Rows(3, 1, {0, 1, 2}));
}

TEST(LinearClassifierTrainer, InputAllMatrixNeedsExactlyTwoTags) {
    LinearClassifierTrainer trainer;
    EXPECT_THROW_MSG(trainer.InputAllMatrix(Rows(3, 2, {0, 1, 1, 2, 2, 3})),
                     "类别标识不是2种，不能进行线性二分类");
    EXPECT_THROW_MSG(trainer.InputAllMatrix(Rows(2, 2, {0, 1.0, 1, 1.7})),
                     "类别标识不是2种，不能进行线性二分类");
    EXPECT_THROW_MSG(trainer.InputAllMatrix(Matrix()), "类别标识不是2种，不能进行线性二分类");
    EXPECT_TRUE(trainer.GetTags().empty());
}

TEST(LinearClassifierTrainer, InputAllMatrixReplacesItsTagsAndKeepsOthers) {
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(5, Rows(1, 1, {50}));
    trainer.InputAllMatrix(Rows(2, 2, {1, 1, 2, 2}));
    trainer.InputAllMatrix(Rows(3, 2, {7, 1, 8, 2, 9, 2}));
    EXPECT_EQ(trainer.GetTags(), (std::vector<size_t>{1, 2, 5}));
    EXPECT_EQ(trainer.GetMatrix(1), Rows(1, 1, {7}));
    EXPECT_EQ(trainer.GetMatrix(2), Rows(2, 1, {8, 9}));
    EXPECT_EQ(trainer.GetMatrix(5), Rows(1, 1, {50}));

    // A failing call stores nothing.
    EXPECT_THROW_MSG(trainer.InputAllMatrix(Rows(3, 2, {0, 1, 0, 3, 0, 4})),
                     "类别标识不是2种，不能进行线性二分类");
    EXPECT_EQ(trainer.GetMatrix(1), Rows(1, 1, {7}));
}

TEST(LinearClassifierTrainer, SetMatrixChecksWidthBeforeTheClassCount) {
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(3, Rows(2, 2, {1, 2, 3, 4}));
    EXPECT_THROW_MSG(trainer.SetMatrix(3, Rows(1, 3, {1, 2, 3})),
                     "设置的特征矩阵纬度与其他类别不同");
    trainer.SetMatrix(8, Rows(1, 2, {5, 6}));
    EXPECT_THROW_MSG(trainer.SetMatrix(9, Rows(1, 3, {1, 2, 3})),
                     "设置的特征矩阵纬度与其他类别不同");
    EXPECT_THROW_MSG(trainer.SetMatrix(9, Rows(1, 2, {1, 2})),
                     "特征矩阵已经有了两种类别，不能再设置其他类别了");
    trainer.SetMatrix(3, Rows(1, 2, {9, 9}));  // replacing a held class is allowed
    EXPECT_EQ(trainer.GetTags(), (std::vector<size_t>{3, 8}));
    EXPECT_EQ(trainer.GetMatrix(3), Rows(1, 2, {9, 9}));
    EXPECT_EQ(trainer.GetMatrix(8), Rows(1, 2, {5, 6}));
}

// A matrix handed over by move is taken only when it is accepted.
TEST(LinearClassifierTrainer, SetMatrixByMoveKeepsARejectedMatrix) {
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(3, Rows(2, 2, {1, 2, 3, 4}));
    Matrix wide = Rows(1, 3, {1, 2, 3});
    EXPECT_THROW_MSG(trainer.SetMatrix(5, std::move(wide)), "设置的特征矩阵纬度与其他类别不同");
    EXPECT_EQ(wide, Rows(1, 3, {1, 2, 3}));
    Matrix second = Rows(1, 2, {5, 6});
    trainer.SetMatrix(8, std::move(second));
    EXPECT_TRUE(second.IsEmpty());
    Matrix third = Rows(1, 2, {7, 8});
    EXPECT_THROW_MSG(trainer.SetMatrix(9, std::move(third)), "特征矩阵已经有了两种类别，不能再设置其他类别了");
    EXPECT_EQ(third, Rows(1, 2, {7, 8}));
    EXPECT_EQ(trainer.GetTags(), (std::vector<size_t>{3, 8}));
    EXPECT_EQ(trainer.GetMatrix(3), Rows(2, 2, {1, 2, 3, 4}));
    EXPECT_EQ(trainer.GetMatrix(8), Rows(1, 2, {5, 6}));
}

TEST(LinearClassifierTrainer, GetMatrixOfAnAbsentTagFails) {
    LinearClassifierTrainer trainer;
    EXPECT_THROW_MSG(trainer.GetMatrix(0), "特征矩阵集合不包含此特征标识的矩阵。");
    trainer.SetMatrix(0, Rows(1, 1, {1}));
    EXPECT_THROW_MSG(trainer.GetMatrix(1), "特征矩阵集合不包含此特征标识的矩阵。");
}

TEST(LinearClassifierTrainer, CopiesHoldTheirOwnMatrices) {
    LinearClassifierTrainer original;
    original.SetMatrix(1, Rows(1, 1, {1}));
    LinearClassifierTrainer copy(original);
    original.SetMatrix(1, Rows(1, 1, {2}));
    EXPECT_EQ(copy.GetMatrix(1), Rows(1, 1, {1}));
    copy = original;
    EXPECT_EQ(copy.GetMatrix(1), Rows(1, 1, {2}));
    LinearClassifierTrainer moved(std::move(original));
    EXPECT_EQ(moved.GetTags(), (std::vector<size_t>{1}));
}

// ---- trainer: LDA ----

TEST(LinearClassifierTrainerLDA, OneDimensionalExample) {
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(1, Rows(2, 1, {0, 1}));
    trainer.SetMatrix(2, Rows(2, 1, {3, 4}));
    const LCMData data = trainer.LDA();
    ASSERT_EQ(data.weights.Size(), 1u);
    EXPECT_EQ(data.weights.GetValue(0), -3.0);
    EXPECT_EQ(data.threshold, -6.0);
    EXPECT_EQ(data.tagP, 1);
    EXPECT_EQ(data.tagN, 2);

    LinearClassificationModel model(data.weights, data.threshold, data.tagP, data.tagN);
    EXPECT_EQ(model.Judge(Vec({0.0})), 1);
    EXPECT_EQ(model.Judge(Vec({4.0})), 2);
    EXPECT_EQ(model.Judge(Vec({2.0})), 2);  // -3 * 2 - (-6) = 0: on the threshold
    EXPECT_EQ(model.Judge(Vec({1.9})), 1);
}

TEST(LinearClassifierTrainerLDA, SameResultFromTheCombinedMatrix) {
    LinearClassifierTrainer trainer;
    trainer.InputAllMatrix(Rows(4, 2, {3, 2, 0, 1, 4, 2, 1, 1}));
    const LCMData data = trainer.LDA();
    EXPECT_EQ(data.weights.GetValue(0), -3.0);
    EXPECT_EQ(data.threshold, -6.0);
    // LDA leaves the trainer as it was.
    EXPECT_EQ(trainer.GetMatrix(2), Rows(2, 1, {3, 4}));
}

TEST(LinearClassifierTrainerLDA, NegativeTagIsTheSmallerTag) {
    LinearClassifierTrainer trainer;
    trainer.InputAllMatrix(Rows(4, 2, {0, 1, 1, 1, 3, -1, 4, -1}));
    const LCMData data = trainer.LDA();
    EXPECT_EQ(data.tagP, -1);
    EXPECT_EQ(data.tagN, 1);
    EXPECT_EQ(data.weights.GetValue(0), 3.0);
    EXPECT_EQ(data.threshold, 6.0);
}

TEST(LinearClassifierTrainerLDA, TwoDimensionalClassesSeparate) {
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(0, Rows(3, 2, {0, 0, 1, 0, 0, 1}));
    trainer.SetMatrix(1, Rows(3, 2, {5, 5, 6, 5, 5, 6}));
    const LCMData data = trainer.LDA();
    LinearClassificationModel model(data.weights, data.threshold, data.tagP, data.tagN);
    for (const auto& x : {Vec({0, 0}), Vec({1, 0}), Vec({0, 1})}) EXPECT_EQ(model.Judge(x), 0);
    for (const auto& x : {Vec({5, 5}), Vec({6, 5}), Vec({5, 6})}) EXPECT_EQ(model.Judge(x), 1);
}

TEST(LinearClassifierTrainerLDA, EqualMeansGiveZeroWeightsAndEverythingTagN) {
    // Means 1 and 1: w = 0, sP = sN, so t = 0.5 * (max(A) + min(B)) = 0.
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(1, Rows(2, 1, {0, 2}));
    trainer.SetMatrix(2, Rows(2, 1, {-1, 3}));
    const LCMData data = trainer.LDA();
    EXPECT_EQ(data.weights.GetValue(0), 0.0);
    EXPECT_EQ(data.threshold, 0.0);
    LinearClassificationModel model(data.weights, data.threshold, data.tagP, data.tagN);
    EXPECT_EQ(model.Judge(Vec({0.0})), 2);
    EXPECT_EQ(model.Judge(Vec({100.0})), 2);
}

TEST(LinearClassifierTrainerLDA, FurtherClassesAddToTheScatterOnly) {
    // Scatter 0.5 + 0.5 + 2 + 0 = 3, w = -3 / 3 = -1; only tags 1 and 2 are projected:
    // A = {0, -1}, B = {-3, -4}, t = 0.5 * (-1 + -3) = -2.
    LinearClassifierTrainer trainer;
    trainer.SetMatrix(1, Rows(2, 1, {0, 1}));
    trainer.SetMatrix(2, Rows(2, 1, {3, 4}));
    trainer.InputAllMatrix(Rows(4, 2, {10, 3, 12, 3, 20, 4, 20, 4}));
    const LCMData data = trainer.LDA();
    EXPECT_DOUBLE_EQ(data.weights.GetValue(0), -1.0);
    EXPECT_DOUBLE_EQ(data.threshold, -2.0);
    EXPECT_EQ(data.tagP, 1);
    EXPECT_EQ(data.tagN, 2);
}

TEST(LinearClassifierTrainerLDA, FewerThanTwoClassesFail) {
    LinearClassifierTrainer trainer;
    EXPECT_THROW_MSG(trainer.LDA(), "类别标识不是2种，不能进行线性二分类");
    trainer.SetMatrix(1, Rows(2, 1, {0, 1}));
    EXPECT_THROW_MSG(trainer.LDA(), "类别标识不是2种，不能进行线性二分类");
}

TEST(LinearClassifierTrainerLDA, FailuresOfTheComputation) {
    // Tags only, no features: the class matrices have no columns.
    LinearClassifierTrainer noFeatures;
    noFeatures.InputAllMatrix(Rows(2, 1, {1, 2}));
    EXPECT_THROW_MSG(noFeatures.LDA(), "矩阵的行或列不能为0");

    // One sample per class: the scatter is [0].
    LinearClassifierTrainer single;
    single.InputAllMatrix(Rows(2, 2, {0, 1, 1, 2}));
    EXPECT_THROW_MSG(single.LDA(), "逆矩阵不存在");

    // Samples on a line: the 2 x 2 scatter is singular.
    LinearClassifierTrainer line;
    line.SetMatrix(1, Rows(2, 2, {0, 0, 1, 1}));
    line.SetMatrix(2, Rows(2, 2, {3, 3, 4, 4}));
    EXPECT_THROW_MSG(line.LDA(), "矩阵不可逆");

    // A class narrower than the first one fails in the scatter sum.
    LinearClassifierTrainer mixed;
    mixed.SetMatrix(0, Rows(2, 1, {5, 6}));
    mixed.InputAllMatrix(Rows(2, 3, {1, 1, 1, 2, 2, 2}));
    EXPECT_THROW_MSG(mixed.LDA(), "相加的两个矩阵不是同型矩阵");
}

}  // namespace
