// Queries and failures, run against both trees: they must answer exactly like a scan.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <set>

#include "tests/neighbors/KdTreeTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace kdtest;

template <class Tree>
class KdTreeQuery : public ::testing::Test {};
using TreeTypes = ::testing::Types<KdTree, KdTree2>;
TYPED_TEST_SUITE(KdTreeQuery, TreeTypes);

namespace {

// Checks a result against a scan of the table: the same distances (so the same rows,
// ties aside), each reported with its own row's values, label and distance, no row twice.
template <class Tree>
void ExpectExact(const Tree& tree, const KdTreeDataTable& table, const std::vector<double>& query,
                 std::size_t k) {
    SCOPED_TRACE(::testing::Message() << "k = " << k);
    const auto result = tree.FindNearbyPoints(query, k);
    const auto expected = BruteForce(table, query, k);
    ASSERT_EQ(result.size(), expected.size());
    std::set<std::size_t> rows;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const NearbyPoint& p = result[i];
        ASSERT_LT(p.index, table.rows.size());
        EXPECT_TRUE(rows.insert(p.index).second) << "row " << p.index << " twice";
        EXPECT_EQ(p.distance, expected[i]) << "position " << i;
        EXPECT_EQ(p.point, table.rows[p.index].values);
        EXPECT_EQ(p.label, table.rows[p.index].label);
        EXPECT_EQ(p.distance, Distance(p.point, query));
    }
}

// Random rows: `discrete` dimensions hold two values, the others uniform values or, for
// every third continuous dimension, small integers with many ties.
KdTreeDataTable RandomTable(std::mt19937& rng, std::size_t rows, std::size_t dims, std::size_t discrete,
                            bool declare) {
    std::uniform_real_distribution<double> uniform(-10.0, 10.0);
    std::uniform_int_distribution<int> coin(0, 1), small(0, 6);
    std::vector<std::vector<double>> values(rows, std::vector<double>(dims));
    for (auto& row : values)
        for (std::size_t d = 0; d < dims; ++d) {
            if (d < discrete)
                row[d] = coin(rng) ? 2.5 : -1.0;
            else if ((d - discrete) % 3 == 2)
                row[d] = small(rng);
            else
                row[d] = uniform(rng);
        }
    std::vector<std::int32_t> types;
    if (declare)
        for (std::size_t d = 0; d < dims; ++d) types.push_back(d < discrete ? 1 : 0);
    return Table(values, types);
}

}  // namespace

TYPED_TEST(KdTreeQuery, MatchesAScanOnRandomTables) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> around(-12.0, 12.0);
    for (std::size_t dims = 1; dims <= 6; ++dims) {
        const std::size_t discrete = dims >= 3 ? dims / 3 : 0;
        const std::size_t n = 2000 + 300 * dims;
        const KdTreeDataTable table = RandomTable(rng, n, dims, discrete, dims % 2 == 0);
        TypeParam tree;
        tree.CtreatTree(table);
        SCOPED_TRACE(::testing::Message() << dims << " dimensions, " << discrete << " discrete");
        for (int q = 0; q < 12; ++q) {
            std::vector<double> query(dims);
            for (double& v : query) v = around(rng);
            if (q % 4 == 3) query = table.rows[rng() % n].values;  // a stored point
            for (std::size_t k : {1, 2, 3, 8, 33})
                ExpectExact(tree, table, query, k);
        }
    }
}

TYPED_TEST(KdTreeQuery, EveryKUpToAllRows) {
    std::mt19937 rng(7);
    const KdTreeDataTable table = RandomTable(rng, 2000, 5, 2, false);
    TypeParam tree;
    tree.CtreatTree(table);
    const std::vector<double> query{0.5, 1.0, -2.0, 3.0, 4.0};
    for (std::size_t k = 1; k <= table.rows.size(); k += (k < 12 ? 1 : k / 2))
        ExpectExact(tree, table, query, k);
    ExpectExact(tree, table, query, table.rows.size());
}

TYPED_TEST(KdTreeQuery, KAboveTheRowCountReturnsEveryRow) {
    const KdTreeDataTable table = Table({{0, 0}, {3, 4}, {1, 1}, {6, 8}, {2, 0}});
    TypeParam tree;
    tree.CtreatTree(table);
    const auto all = tree.FindNearbyPoints({0, 0}, 50);
    ASSERT_EQ(all.size(), 5u);
    const std::size_t order[] = {0, 2, 4, 1, 3};
    const double distances[] = {0, std::sqrt(2.0), 2, 5, 10};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(all[i].index, order[i]);
        EXPECT_EQ(all[i].distance, distances[i]);
    }
    EXPECT_EQ(tree.FindNearbyPoints({0, 0}, std::numeric_limits<std::size_t>::max()).size(), 5u);
}

TYPED_TEST(KdTreeQuery, SmallCases) {
    TypeParam tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    // A stored point comes first at distance 0; k = 0 asks for nothing.
    const auto hit = tree.FindNearbyPoints({2}, 2);
    ASSERT_EQ(hit.size(), 2u);
    EXPECT_EQ(hit[0].index, 3u);
    EXPECT_EQ(hit[0].distance, 0.0);
    EXPECT_EQ(hit[0].label, 103);
    EXPECT_EQ(hit[0].point, std::vector<double>{2});
    EXPECT_EQ(hit[1].distance, 1.0);
    EXPECT_TRUE(tree.FindNearbyPoints({2}, 0).empty());

    // A single row answers every query with itself, also when more rows are asked for.
    TypeParam single;
    single.CtreatTree(Table({{1, 2}}, {0, 0}));
    for (const auto& q : {std::vector<double>{1, 2}, std::vector<double>{-40, 7}}) {
        const auto one = single.FindNearbyPoints(q, 3);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one[0].index, 0u);
        EXPECT_EQ(one[0].label, 100);
        EXPECT_EQ(one[0].distance, Distance({1, 2}, q));
    }
}

TYPED_TEST(KdTreeQuery, EqualRowsAndOneValueDiscreteSplits) {
    // Many identical rows make a deep, one-sided tree; a discrete dimension that repeats
    // another leaves lists of one value below the root. Both must still answer exactly.
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < 600; ++i) rows.push_back({double(i % 2), double(i % 2), i < 480 ? 4.0 : double(i)});
    const KdTreeDataTable table = Table(rows, {1, 1, 0});
    TypeParam tree;
    tree.CtreatTree(table);
    for (const auto& q : {std::vector<double>{0, 0, 4}, std::vector<double>{1, 0, 520.5},
                          std::vector<double>{0.4, 0.6, 5}})
        for (std::size_t k : {1, 5, 250, 600})
            ExpectExact(tree, table, q, k);
}

TYPED_TEST(KdTreeQuery, NotANumberNeitherHangsNorCrashes) {
    TypeParam tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    const auto r = tree.FindNearbyPoints({std::numeric_limits<double>::quiet_NaN()}, 7);
    EXPECT_EQ(r.size(), 5u);
}

TYPED_TEST(KdTreeQuery, BuildFailuresInTheirOrder) {
    TypeParam tree;
    // dimTypes of the wrong length is found before the constant column.
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{1, 7}, {2, 7}, {3, 7}}, {0})), "维度数据类型数据与表中数据不匹配");
    // A constant column fails even after other dimensions were classified, and before the
    // check for a continuous dimension.
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{1, 7}, {2, 7}, {3, 7}})),
                     "表中的存在特征值为固定值得列，先删掉此列在进行创建");
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{0, 7}, {1, 7}, {0, 7}})),
                     "表中的存在特征值为固定值得列，先删掉此列在进行创建");
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{0, 1}, {1, 1}, {0, 0}})), "特征数据全部为二值项，无需建立KdTree");
    EXPECT_THROW_MSG(tree.CtreatTree(Column({1, 2, 3}, {1})), "特征数据全部为二值项，无需建立KdTree");
    // One row: every column is constant unless the kinds are given.
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{1, 2}})), "表中的存在特征值为固定值得列，先删掉此列在进行创建");
    // No rows, or rows without values, have no continuous dimension.
    EXPECT_THROW_MSG(tree.CtreatTree(KdTreeDataTable{}), "特征数据全部为二值项，无需建立KdTree");
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{}, {}})), "特征数据全部为二值项，无需建立KdTree");
    EXPECT_THROW_MSG(tree.CtreatTree(KdTreeDataTable{{0}, {}}), "维度数据类型数据与表中数据不匹配");
    // Rows of differing lengths are refused instead of read past.
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{1, 2}, {3}, {5, 6}})), "数据维度不一致");
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{1, 2}, {3, 4, 5}, {5, 6}}, {0, 0})), "数据维度不一致");
    EXPECT_TRUE(tree.FindNearbyPoints({1, 2, 3}, 3).empty());
}

TYPED_TEST(KdTreeQuery, QueryFailuresAndDistance) {
    TypeParam tree;
    // An empty tree answers nothing and does not look at the query.
    EXPECT_TRUE(tree.FindNearbyPoints({1, 2, 3}, 4).empty());
    tree.CtreatTree(Column({5, 1, 4}));
    EXPECT_THROW_MSG(tree.FindNearbyPoints({1, 2}, 1), "查询点的纬度与KdTree中的数据维度不一致");
    EXPECT_THROW_MSG(tree.FindNearbyPoints({}, 0), "查询点的纬度与KdTree中的数据维度不一致");

    EXPECT_EQ(TypeParam::ComputeDistance({0, 0}, {3, 4}), 5.0);
    EXPECT_EQ(TypeParam::ComputeDistance({}, {}), 0.0);
    EXPECT_EQ(TypeParam::ComputeDistance({1e-200}, {0}), 0.0);  // the square underflows
    EXPECT_THROW_MSG(TypeParam::ComputeDistance({1}, {1, 2}), "数据维度不一致");
}

TYPED_TEST(KdTreeQuery, FailedBuildLeavesTheTreeAsItWas) {
    TypeParam tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    EXPECT_THROW_MSG(tree.CtreatTree(Table({{0, 1}, {1, 0}})), "特征数据全部为二值项，无需建立KdTree");
    EXPECT_EQ(tree.GetDimCount(), 1u);
    EXPECT_EQ(tree.GetConDims(), std::vector<std::size_t>{0});
    const auto r = tree.FindNearbyPoints({4.2}, 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].index, 2u);
}

TYPED_TEST(KdTreeQuery, RebuildReplacesTheTree) {
    TypeParam tree;
    tree.CtreatTree(Table({{0, 1, 9}, {1, 2, 8}, {0, 3, 7}, {1, 4, 6}}));
    EXPECT_EQ(tree.GetDisDims(), std::vector<std::size_t>{0});
    tree.CtreatTree(Column({10, 20, 30}));
    EXPECT_TRUE(tree.GetDisDims().empty());
    EXPECT_EQ(tree.GetConDims(), std::vector<std::size_t>{0});
    EXPECT_EQ(tree.GetDimCount(), 1u);
    const auto r = tree.FindNearbyPoints({21}, 5);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].index, 1u);
    EXPECT_EQ(r[0].point, std::vector<double>{20});
}

TYPED_TEST(KdTreeQuery, CopiesAnswerAfterTheSourceIsGone) {
    std::mt19937 rng(99);
    const KdTreeDataTable table = RandomTable(rng, 400, 3, 1, false);
    const std::vector<double> query{2.5, 0.0, 1.0};
    auto source = std::make_unique<TypeParam>();
    source->CtreatTree(table);
    const auto expected = source->FindNearbyPoints(query, 10);
    TypeParam copy(*source);
    TypeParam assigned;
    assigned.CtreatTree(Column({1, 2, 3}));
    assigned = *source;
    TypeParam moved{TypeParam(*source)};
    EXPECT_EQ(PreOrder(copy), PreOrder(*source));
    source.reset();
    for (const TypeParam* t : {&copy, &assigned, &moved}) {
        const auto got = t->FindNearbyPoints(query, 10);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].index, expected[i].index);
            EXPECT_EQ(got[i].distance, expected[i].distance);
        }
    }
    // Self-assignment keeps the tree; a moved-from tree is empty.
    copy = *&copy;
    EXPECT_EQ(copy.FindNearbyPoints(query, 10).size(), 10u);
    TypeParam taken(std::move(copy));
    EXPECT_TRUE(copy.FindNearbyPoints(query, 10).empty());
    EXPECT_EQ(taken.FindNearbyPoints(query, 10).size(), 10u);
}

TEST(KdTreeFree, FreeTreeEmptiesTheTreeButKeepsTheLists) {
    KdTree tree;
    tree.CtreatTree(Table({{0, 1, 9}, {1, 2, 8}, {0, 3, 7}, {1, 4, 6}}));
    tree.FreeTree();
    EXPECT_EQ(tree.GetRoot(), nullptr);
    EXPECT_EQ(tree.GetDisDims(), std::vector<std::size_t>{0});
    EXPECT_EQ(tree.GetConDims(), (std::vector<std::size_t>{2, 1}));
    EXPECT_EQ(tree.GetDimCount(), 3u);
    EXPECT_TRUE(tree.FindNearbyPoints({1}, 3).empty());
    tree.FreeTree();  // twice is harmless

    tree.CtreatTree(Table({{1, 5}, {2, 6}, {3, 7}}));
    EXPECT_TRUE(tree.GetDisDims().empty());
    EXPECT_EQ(tree.GetConDims(), (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(tree.GetDimCount(), 2u);
    EXPECT_EQ(tree.FindNearbyPoints({3, 7}, 1)[0].index, 2u);
}
