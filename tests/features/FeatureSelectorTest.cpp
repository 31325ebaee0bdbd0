#include <vecmat/Vecmat.h>

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::Matrix;
using pct::Ko::FeatureSelector;
using pct::Ko::FitReturn;
using Columns = std::vector<size_t>;

namespace {

Matrix FromRows(std::initializer_list<std::initializer_list<double>> rows) {
    std::vector<double> values;
    size_t columns = 0;
    for (const auto& row : rows) {
        columns = row.size();
        values.insert(values.end(), row);
    }
    return Matrix(rows.size(), columns, values.data());
}

// A filter that records the first value of every feature it is asked about and removes
// those whose first value is listed. Its destruction is counted.
class Probe : public pct::IFeatureFilter {
public:
    Probe(int* destroyed, std::vector<double>* seen, std::set<double> remove = {})
        : destroyed_(destroyed), seen_(seen), remove_(std::move(remove)) {}
    ~Probe() override { ++*destroyed_; }
    bool IsFiltered(const pct::IMatrixFeature* feature) const override {
        return Judge(feature->GetValue(0));
    }
    bool IsFiltered(std::vector<double> values) const override { return Judge(values.at(0)); }

private:
    bool Judge(double first) const {
        seen_->push_back(first);
        return remove_.count(first) != 0;
    }
    int* destroyed_;
    std::vector<double>* seen_;
    std::set<double> remove_;
};

// Row 0 of these matrices holds each column's index, so a probe sees which column it got.
Matrix Indexed4() {
    return FromRows({{0, 1, 2, 3}, {5, 1, 4, 9}, {5, 2, 8, 1}, {5, 7, 1, 6}});
}

}  // namespace

TEST(FeatureSelector, ConstantColumnRemovedAndTargetNeverJudged) {
    // Column 0 and the target column 2 are both constant.
    const Matrix m = FromRows({{5, 1, 7}, {5, 2, 7}, {5, 4, 7}});
    const Matrix before = m;
    FeatureSelector selector;
    selector.Target(2).AddVariance(Columns{}, 0.0, pct::VT_Absolute);
    const FitReturn r = selector.FitFeature(m);
    EXPECT_EQ(r.removed, Columns{0});
    ASSERT_EQ(r.matrix.GetRowCount(), 3u);
    ASSERT_EQ(r.matrix.GetColumnCount(), 2u);
    EXPECT_TRUE(r.matrix == FromRows({{1, 7}, {2, 7}, {4, 7}}));
    EXPECT_TRUE(m == before);
    // A second run is independent of the first.
    const FitReturn again = selector.FitFeature(m);
    EXPECT_EQ(again.removed, r.removed);
    EXPECT_TRUE(again.matrix == r.matrix);
}

TEST(FeatureSelector, AddOperationsChainOnTheSameSelector) {
    FeatureSelector s;
    EXPECT_EQ(&s.Target(1), &s);
    EXPECT_EQ(&s.AddFilter({}), &s);
    EXPECT_EQ(&s.AddVariance(Columns{}, 0.0, pct::VT_Absolute), &s);
    EXPECT_EQ(&s.AddVariance(nullptr, Columns{}), &s);
    EXPECT_EQ(&s.AddCorrelation(Columns{}, 0.0, pct::CC_Pearson), &s);
    EXPECT_EQ(&s.AddCorrelation(Columns{}, 0.0, pct::Vector(3), pct::CC_Spearman), &s);
}

TEST(FeatureSelector, WithoutFiltersReturnsACopy) {
    const Matrix m = Indexed4();
    FeatureSelector s;
    const FitReturn r = s.FitFeature(m);
    EXPECT_TRUE(r.removed.empty());
    EXPECT_TRUE(r.matrix == m);
}

TEST(FeatureSelector, DirectFilterChecksEachEntryInOrder) {
    const Matrix m = Indexed4();
    EXPECT_THROW_MSG(FeatureSelector().AddFilter({4}).FitFeature(m), "直接过滤的索引超出矩阵范围");
    EXPECT_THROW_MSG(FeatureSelector().Target(2).AddFilter({2}).FitFeature(m), "直接过滤项包含结果属性");
    EXPECT_THROW_MSG(FeatureSelector().Target(2).AddFilter({1, 4, 2}).FitFeature(m), "直接过滤的索引超出矩阵范围");
    EXPECT_THROW_MSG(FeatureSelector().Target(2).AddFilter({1, 2, 4}).FitFeature(m), "直接过滤项包含结果属性");
    // The direct list runs before every filter, so its error comes first.
    FeatureSelector s;
    s.AddVariance(nullptr, Columns{}).AddCorrelation(Columns{}, 0.5, pct::CC_Pearson).AddFilter({7});
    EXPECT_THROW_MSG(s.FitFeature(m), "直接过滤的索引超出矩阵范围");
}

TEST(FeatureSelector, AddFilterReplacesTheListAndKeepsDuplicates) {
    const Matrix m = Indexed4();
    FeatureSelector s;
    s.AddFilter({0, 1}).AddFilter({3});
    FitReturn r = s.FitFeature(m);
    EXPECT_EQ(r.removed, Columns{3});
    EXPECT_TRUE(r.matrix == m.DeleteColumns({3}));
    // A repeated index stays repeated and costs a column each time: the result is filled
    // from the first columns not matched.
    s.AddFilter({0, 0});
    r = s.FitFeature(m);
    EXPECT_EQ(r.removed, (Columns{0, 0}));
    EXPECT_TRUE(r.matrix == FromRows({{1, 2}, {1, 4}, {2, 8}, {7, 1}}));
}

TEST(FeatureSelector, RemovingEveryColumnFails) {
    const Matrix m = FromRows({{1, 2}, {1, 2}});
    EXPECT_THROW_MSG(FeatureSelector().AddVariance(Columns{}, 0.0, pct::VT_Absolute).FitFeature(m),
                     "矩阵的行或列不能为0");
    EXPECT_THROW_MSG(FeatureSelector().AddFilter({1, 0}).FitFeature(m), "矩阵的行或列不能为0");
    // Repeats count too, also beyond the column count.
    EXPECT_THROW_MSG(FeatureSelector().AddFilter({0, 0, 0}).FitFeature(m), "矩阵的行或列不能为0");
}

TEST(FeatureSelector, VarianceEntryChecks) {
    const Matrix m = Indexed4();
    // The missing filter is reported before the entry's indexes are looked at.
    EXPECT_THROW_MSG(FeatureSelector().AddVariance(nullptr, Columns{9}).FitFeature(m), "低方差过滤器对象为空");
    EXPECT_THROW_MSG(FeatureSelector().AddVariance(Columns{1, 4}, 0.0, pct::VT_Absolute).FitFeature(m),
                     "低方差过滤器要过滤的特性索引超出矩阵范围");
    EXPECT_THROW_MSG(FeatureSelector().Target(1).AddVariance(Columns{0, 1}, 0.0, pct::VT_Absolute).FitFeature(m),
                     "低方差过滤器要过滤的特性索引包含结果属性");
    EXPECT_THROW_MSG(FeatureSelector().Target(1).AddVariance(Columns{4, 1}, 0.0, pct::VT_Absolute).FitFeature(m),
                     "低方差过滤器要过滤的特性索引超出矩阵范围");
}

TEST(FeatureSelector, EarlierStagesDecideWhatLaterFiltersSee) {
    const Matrix m = Indexed4();
    int destroyed = 0;
    std::vector<double> seenFirst, seenSecond;
    {
        FeatureSelector s;
        s.Target(3)
            .AddFilter({2})
            .AddVariance(new Probe(&destroyed, &seenFirst, {1.0}), Columns{})
            .AddVariance(new Probe(&destroyed, &seenSecond), Columns{0, 1, 2, 0});
        const FitReturn r = s.FitFeature(m);
        // The first probe sees every column but the direct one and the target; the second
        // sees only what is left (a column listed twice and still kept is asked twice).
        EXPECT_EQ(seenFirst, (std::vector<double>{0, 1}));
        EXPECT_EQ(seenSecond, (std::vector<double>{0, 0}));
        EXPECT_EQ(r.removed, (Columns{2, 1}));
        EXPECT_TRUE(r.matrix == m.DeleteColumns({2, 1}));
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(FeatureSelector, FailingEntryRunsAfterEarlierEntriesAndChangesNothing) {
    const Matrix m = Indexed4();
    int destroyed = 0;
    std::vector<double> seen;
    FeatureSelector s;
    s.AddVariance(new Probe(&destroyed, &seen, {0.0}), Columns{0, 1}).AddVariance(Columns{5}, 0.0, pct::VT_Absolute);
    EXPECT_THROW_MSG(s.FitFeature(m), "低方差过滤器要过滤的特性索引超出矩阵范围");
    EXPECT_EQ(seen, (std::vector<double>{0, 1}));
    // Same again: nothing of the failed run is left behind.
    seen.clear();
    EXPECT_THROW_MSG(s.FitFeature(m), "低方差过滤器要过滤的特性索引超出矩阵范围");
    EXPECT_EQ(seen, (std::vector<double>{0, 1}));
}

TEST(FeatureSelector, CorrelationEntryChecksInOrder) {
    const Matrix m = Indexed4();
    const pct::CC_Mode unknown = static_cast<pct::CC_Mode>(2);
    // Index errors reuse the variance filter's messages and come first.
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{4}, 0.5, unknown).FitFeature(m),
                     "低方差过滤器要过滤的特性索引超出矩阵范围");
    EXPECT_THROW_MSG(FeatureSelector().Target(0).AddCorrelation(Columns{0}, 0.5, unknown).FitFeature(m),
                     "低方差过滤器要过滤的特性索引包含结果属性");
    // Then the mode, before the target is looked at.
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, unknown).FitFeature(m),
                     "不支持的相关系数过滤器类型");
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, pct::Vector(2), unknown).FitFeature(m),
                     "不支持的相关系数过滤器类型");
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, pct::CC_Pearson).FitFeature(m),
                     "相关系数过滤器没有目标数据");
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, pct::Vector(3), pct::CC_Pearson).FitFeature(m),
                     "相关系数过滤器外部目标数据的维数与矩阵不一致");
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, pct::Vector(5), pct::CC_Spearman).FitFeature(m),
                     "相关系数过滤器外部目标数据的维数与矩阵不一致");
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, pct::Vector(), pct::CC_Pearson).FitFeature(m),
                     "相关系数过滤器外部目标数据的维数与矩阵不一致");
    // The variance entries run before any correlation entry.
    EXPECT_THROW_MSG(FeatureSelector().AddCorrelation(Columns{}, 0.5, pct::CC_Pearson).AddVariance(nullptr, {}).FitFeature(m),
                     "低方差过滤器对象为空");
}

TEST(FeatureSelector, TargetColumnOutsideTheMatrix) {
    const Matrix m = Indexed4();
    // Variance filters just have no column to skip.
    EXPECT_TRUE(FeatureSelector().Target(9).AddVariance(Columns{}, 0.0, pct::VT_Absolute).FitFeature(m).removed.empty());
    // A correlation with it fails at the first read of the target column; the views are
    // given back (the sanitizer pass checks for leaks).
    EXPECT_THROW_MSG(FeatureSelector().Target(9).AddCorrelation(Columns{}, 0.5, pct::CC_Spearman).FitFeature(m),
                     "矩阵索引越界");
}

TEST(FeatureSelector, CorrelationKeepsColumnsAtOrAboveTheThreshold) {
    // Target column 3; column 0 follows it exactly, column 1 is uncorrelated with it,
    // column 2 is constant (coefficient not a number).
    const Matrix m = FromRows({{1, 1, 4, 2}, {2, 3, 4, 4}, {3, 1, 4, 6}});
    FeatureSelector s;
    s.Target(3).AddCorrelation(Columns{}, 0.5, pct::CC_Pearson);
    FitReturn r = s.FitFeature(m);
    EXPECT_EQ(r.removed, Columns{1});
    EXPECT_TRUE(r.matrix == m.DeleteColumns({1}));

    // A coefficient equal to the threshold keeps the column; just above it removes it.
    const Matrix n = FromRows({{1, 2}, {2, 1}, {4, 5}, {3, 3}});
    const pct::IMatrixFeature* c0 = n.GetColumnFeature(0);
    const pct::IMatrixFeature* c1 = n.GetColumnFeature(1);
    const double c = std::fabs(pct::CorrelationCoefficient::PCCs(c0, c1));
    c0->Release();
    c1->Release();
    ASSERT_TRUE(c > 0.0 && c < 1.0);
    EXPECT_TRUE(FeatureSelector().Target(1).AddCorrelation(Columns{}, c, pct::CC_Pearson).FitFeature(n).removed.empty());
    EXPECT_EQ(FeatureSelector().Target(1).AddCorrelation(Columns{}, std::nextafter(c, 2.0), pct::CC_Pearson)
                  .FitFeature(n).removed,
              Columns{0});
}

TEST(FeatureSelector, CorrelationSkipsColumnsRemovedEarlier) {
    // Every column correlates below 2 with the target, so each column judged is removed;
    // the direct one (1) and the constant one (0, dropped by the variance entry) are not
    // judged again and appear once.
    const Matrix m = FromRows({{4, 1, 3, 2, 9}, {4, 5, 1, 4, 7}, {4, 2, 8, 6, 1}});
    FeatureSelector s;
    s.Target(4).AddFilter({1}).AddVariance(Columns{0, 1}, 0.0, pct::VT_Absolute);
    s.AddCorrelation(Columns{}, 2.0, pct::CC_Pearson).AddCorrelation(Columns{3, 0, 1}, 2.0, pct::CC_Spearman);
    const FitReturn r = s.FitFeature(m);
    EXPECT_EQ(r.removed, (Columns{1, 0, 2, 3}));
    EXPECT_TRUE(r.matrix == FromRows({{9}, {7}, {1}}));
}

TEST(FeatureSelector, SpearmanModeJudgesRanks) {
    // Column 0 rises with the target but not linearly: Spearman 1, Pearson below 0.9.
    const Matrix m = FromRows({{1, 1}, {2, 8}, {3, 27}, {4, 1000}});
    EXPECT_EQ(FeatureSelector().Target(1).AddCorrelation(Columns{}, 0.9, pct::CC_Pearson).FitFeature(m).removed,
              Columns{0});
    EXPECT_TRUE(FeatureSelector().Target(1).AddCorrelation(Columns{}, 0.9, pct::CC_Spearman).FitFeature(m).removed.empty());
}

TEST(FeatureSelector, ExternalTargetJudgesEveryColumn) {
    const Matrix m = FromRows({{1, 5, 3}, {2, 1, 3}, {3, 5, 3}});
    const pct::Vector target(std::vector<double>{10, 20, 30});
    FeatureSelector s;
    s.AddCorrelation(Columns{}, 0.5, target, pct::CC_Pearson);
    const FitReturn r = s.FitFeature(m);
    EXPECT_EQ(r.removed, Columns{1});
    EXPECT_TRUE(r.matrix == m.DeleteColumns({1}));
    // With a target column as well, that column is skipped but the external data is used.
    EXPECT_EQ(FeatureSelector().Target(0).AddCorrelation(Columns{}, 2.0, target, pct::CC_Spearman).FitFeature(m).removed,
              (Columns{1, 2}));
}

TEST(FeatureSelector, CopiesReleaseEachFilterOnce) {
    const Matrix m = Indexed4();
    int destroyed = 0;
    std::vector<double> seen;
    auto* copy = new FeatureSelector();
    {
        FeatureSelector source;
        source.AddVariance(new Probe(&destroyed, &seen, {1.0}), Columns{});
        *copy = source;
        FeatureSelector second(source);
        FeatureSelector moved(std::move(second));
        EXPECT_EQ(moved.FitFeature(m).removed, Columns{1});
    }
    // The source and its other copies are gone; this copy still uses the filter.
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(copy->FitFeature(m).removed, Columns{1});
    delete copy;
    EXPECT_EQ(destroyed, 1);
}

TEST(FeatureSelector, AssignmentReleasesTheFiltersItReplaces) {
    int oldDestroyed = 0, newDestroyed = 0;
    std::vector<double> seen;
    FeatureSelector target;
    target.AddVariance(new Probe(&oldDestroyed, &seen), Columns{});
    {
        FeatureSelector other;
        other.AddVariance(new Probe(&newDestroyed, &seen), Columns{});
        target = other;
        EXPECT_EQ(oldDestroyed, 1);
        target = target;
        target = std::move(other);
        EXPECT_EQ(newDestroyed, 0);
    }
    EXPECT_EQ(newDestroyed, 0);
    target = FeatureSelector();
    EXPECT_EQ(newDestroyed, 1);
}

TEST(FeatureSelector, SameFilterAddedTwiceIsReleasedOnce) {
    int destroyed = 0;
    std::vector<double> seen;
    {
        auto* probe = new Probe(&destroyed, &seen);
        FeatureSelector s;
        s.AddVariance(probe, Columns{0}).AddVariance(probe, Columns{1});
        s.FitFeature(Indexed4());
        EXPECT_EQ(seen, (std::vector<double>{0, 1}));
    }
    EXPECT_EQ(destroyed, 1);
}
