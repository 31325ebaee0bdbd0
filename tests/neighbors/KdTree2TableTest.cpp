// The flat tree's node table: taking it out, installing it again, and refusing broken ones.

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "tests/neighbors/KdTreeTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace kdtest;
using Node = KdTree2::KdTreeNode;

namespace {

KdTreeDataTable RandomPoints(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<std::vector<double>> rows(n);
    for (auto& r : rows) r = {u(rng), u(rng), rng() % 2 ? 1.0 : 0.0};
    return Table(rows);
}

void ExpectSameAnswers(const KdTree2& a, const KdTree2& b, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-0.2, 1.2);
    for (int q = 0; q < 20; ++q) {
        const std::vector<double> query{u(rng), u(rng), u(rng)};
        const auto x = a.FindNearbyPoints(query, 6);
        const auto y = b.FindNearbyPoints(query, 6);
        ASSERT_EQ(x.size(), y.size());
        for (std::size_t i = 0; i < x.size(); ++i) {
            EXPECT_EQ(x[i].index, y[i].index);
            EXPECT_EQ(x[i].distance, y[i].distance);
            EXPECT_EQ(x[i].label, y[i].label);
            EXPECT_EQ(x[i].point, y[i].point);
        }
    }
}

}  // namespace

TEST(KdTree2Table, SavedTableAnswersLikeTheOriginal) {
    KdTree2 original;
    original.CtreatTree(RandomPoints(500, 3));
    const std::vector<Node> saved = original.GetNodes();

    KdTree2 restored;
    EXPECT_FALSE(restored.HasTree());
    restored.LoadData(saved);
    EXPECT_TRUE(restored.HasTree());
    EXPECT_EQ(restored.GetDimCount(), 3u);
    EXPECT_TRUE(restored.GetDisDims().empty());  // the lists belong to a build only
    EXPECT_EQ(restored.GetNodes().size(), saved.size());
    ExpectSameAnswers(original, restored, 11);
    EXPECT_THROW_MSG(restored.FindNearbyPoints({1, 2}, 1), "查询点的纬度与KdTree中的数据维度不一致");

    // A table without its spare entries is just as good.
    std::vector<Node> trimmed(saved.begin(), saved.begin() + 501);
    KdTree2 compact;
    compact.LoadData(trimmed);
    ExpectSameAnswers(original, compact, 12);

    // Building over a loaded tree starts from a fresh table of the new rows.
    restored.CtreatTree(Column({1, 2, 3}));
    EXPECT_EQ(restored.GetNodes().size(), 23u);
    EXPECT_EQ(restored.GetDimCount(), 1u);
    EXPECT_EQ(restored.GetNodes()[4].dim, -1);
}

TEST(KdTree2Table, RenumberedTableAnswersLikeTheOriginal) {
    // The nodes of a built table in reverse order after the root (entry e moves to 302 - e),
    // links renumbered with them: still one tree, though no longer in pre-order.
    KdTree2 original;
    original.CtreatTree(RandomPoints(300, 5));
    const std::vector<Node>& built = std::as_const(original).GetNodes();
    const auto moved = [](std::size_t e) { return e < 2 || e > 300 ? e : 302 - e; };
    std::vector<Node> renumbered(built.size());
    for (std::size_t e = 0; e < built.size(); ++e) {
        Node node = built[e];
        node.id = moved(node.id);
        node.left = moved(node.left);
        node.right = moved(node.right);
        node.parent = moved(node.parent);
        renumbered[moved(e)] = node;
    }
    KdTree2 restored;
    restored.LoadData(renumbered);
    ExpectSameAnswers(original, restored, 13);
}

TEST(KdTree2Table, RebuildStartsFromAFreshTable) {
    // Entries 4 and 5 held nodes of the first tree; a smaller table must not keep them.
    KdTree2 tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    tree.CtreatTree(Table({{1, 9}, {2, 8}, {3, 7}}));
    const auto& nodes = tree.GetNodes();
    ASSERT_EQ(nodes.size(), 23u);
    for (std::size_t e = 4; e < nodes.size(); ++e) {
        SCOPED_TRACE(e);
        EXPECT_EQ(nodes[e].dim, -1);
        EXPECT_TRUE(nodes[e].point.empty());
        EXPECT_EQ(nodes[e].label, -1);
        EXPECT_EQ(nodes[e].left + nodes[e].right + nodes[e].parent + nodes[e].index + nodes[e].id, 0u);
    }
    EXPECT_EQ(nodes[1].point.size(), 2u);
    EXPECT_EQ(tree.FindNearbyPoints({3, 7}, 9).size(), 3u);
}

TEST(KdTree2Table, GetNodesIsTheTableItself) {
    KdTree2 tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    tree.GetNodes()[1].label = 77;
    EXPECT_EQ(tree.FindNearbyPoints({3}, 1)[0].label, 77);
    // A copy holds its own table.
    KdTree2 copy(tree);
    copy.GetNodes()[1].label = 5;
    EXPECT_EQ(tree.GetNodes()[1].label, 77);
    EXPECT_EQ(copy.FindNearbyPoints({3}, 1)[0].label, 5);
}

TEST(KdTree2Table, BrokenTablesAreRefusedAndChangeNothing) {
    KdTree2 source;
    source.CtreatTree(Column({5, 1, 4, 2, 3}));
    const std::vector<Node> good = source.GetNodes();

    const std::vector<std::pair<const char*, std::function<void(std::vector<Node>&)>>> breaks = {
        {"empty", [](std::vector<Node>& t) { t.clear(); }},
        {"one entry", [](std::vector<Node>& t) { t.resize(1); }},
        {"root without point", [](std::vector<Node>& t) { t[1].point.clear(); }},
        {"root with parent", [](std::vector<Node>& t) { t[1].parent = 3; }},
        {"left outside", [](std::vector<Node>& t) { t[2].left = t.size(); }},
        {"right outside", [](std::vector<Node>& t) { t[1].right = 1000; }},
        {"parent outside", [](std::vector<Node>& t) { t[3].parent = t.size() + 5; }},
        {"link in a spare entry outside", [](std::vector<Node>& t) { t[20].right = t.size(); }},
        {"point of another length", [](std::vector<Node>& t) { t[4].point = {1, 2}; }},
        {"stray point of another length", [](std::vector<Node>& t) { t[10].point = {1, 2}; }},
        {"node without point", [](std::vector<Node>& t) { t[5].point.clear(); }},
        {"dimension below zero", [](std::vector<Node>& t) { t[2].dim = -1; }},
        {"dimension outside the point", [](std::vector<Node>& t) { t[3].dim = 1; }},
        {"cycle to the root", [](std::vector<Node>& t) { t[3].left = 1; }},
        {"shared child", [](std::vector<Node>& t) { t[4].right = 3; }},
        {"wrong parent", [](std::vector<Node>& t) { t[5].parent = 1; }},
        {"link to a spare entry", [](std::vector<Node>& t) { t[3].right = 7; }},
    };
    for (const auto& [what, damage] : breaks) {
        SCOPED_TRACE(what);
        std::vector<Node> bad = good;
        damage(bad);
        KdTree2 empty;
        EXPECT_THROW_MSG(empty.LoadData(bad), "KdTree节点表数据错误");
        EXPECT_FALSE(empty.HasTree());
        EXPECT_TRUE(empty.GetNodes().empty());

        KdTree2 built;
        built.CtreatTree(Table({{0, 0}, {1, 1}, {2, 0}}));
        EXPECT_THROW_MSG(built.LoadData(bad), "KdTree节点表数据错误");
        EXPECT_EQ(built.GetDimCount(), 2u);
        EXPECT_EQ(built.GetNodes().size(), 23u);
        EXPECT_EQ(built.FindNearbyPoints({2, 0}, 1)[0].index, 2u);
    }
}

TEST(KdTree2Table, TableBrokenAfterLoadingFailsTheQuery) {
    // The table stays open to its owner through GetNodes; a query over a table broken that
    // way fails instead of reading outside it or walking in circles.
    const std::vector<std::pair<const char*, std::function<void(std::vector<Node>&)>>> breaks = {
        {"shrunk", [](std::vector<Node>& t) { t.resize(1); }},
        {"link outside", [](std::vector<Node>& t) { t[2].left = 99; }},
        {"cycle", [](std::vector<Node>& t) { t[3].left = 1; }},
        {"parent cycle", [](std::vector<Node>& t) { t[1].parent = 2; }},
        {"dimension outside", [](std::vector<Node>& t) { t[1].dim = 4; }},
        // The climb from entry 3 reaches entry 5 before any descent has measured it; its
        // dimension lies inside its own point but beyond the query.
        {"parent with a longer point",
         [](std::vector<Node>& t) {
             t[3].parent = 5;
             t[5].point = {4, 0, 0};
             t[5].dim = 2;
         }},
    };
    for (const auto& [what, damage] : breaks) {
        SCOPED_TRACE(what);
        KdTree2 tree;
        tree.CtreatTree(Column({5, 1, 4, 2, 3}));
        damage(tree.GetNodes());
        EXPECT_THROW_MSG(tree.FindNearbyPoints({1.2}, 5), "KdTree节点表数据错误");
    }
    KdTree2 tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    tree.GetNodes()[3].point = {1, 1};
    EXPECT_THROW_MSG(tree.FindNearbyPoints({1.2}, 5), "数据维度不一致");
}
