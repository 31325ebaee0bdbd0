// Shapes of built trees: the split rules, the dimension order and the node table layout.

#include <gtest/gtest.h>

#include "tests/neighbors/KdTreeTestSupport.h"

using namespace kdtest;

namespace {

// The pre-order shapes of both trees of one table, checked to agree.
std::vector<NodeView> Shape(const KdTreeDataTable& table) {
    KdTree linked;
    linked.CtreatTree(table);
    KdTree2 flat;
    flat.CtreatTree(table);
    const auto a = PreOrder(linked);
    EXPECT_EQ(a, PreOrder(flat)) << "the two trees disagree";
    EXPECT_EQ(a.size(), table.rows.size());
    return a;
}

std::vector<long long> Rows(const std::vector<NodeView>& shape) {
    std::vector<long long> rows;
    for (const auto& n : shape) rows.push_back(n.row);
    return rows;
}

}  // namespace

TEST(KdTreeLayout, MedianSplitOfFiveValues) {
    // Values 5, 1, 4, 2, 3: the median (row 4, value 3) is the root; each side of two rows
    // keeps the larger value as the node and the other as its left child.
    KdTree tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    const KdTree::KdTreeNode* root = tree.GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->index, 4u);
    EXPECT_EQ(root->point, std::vector<double>{3});
    EXPECT_EQ(root->label, 104);
    EXPECT_EQ(root->parent, nullptr);
    ASSERT_NE(root->left, nullptr);
    ASSERT_NE(root->right, nullptr);
    EXPECT_EQ(root->left->index, 3u);
    EXPECT_EQ(root->right->index, 0u);
    EXPECT_EQ(root->left->parent, root);
    EXPECT_EQ(root->right->parent, root);
    ASSERT_NE(root->left->left, nullptr);
    EXPECT_EQ(root->left->left->index, 1u);
    EXPECT_EQ(root->left->left->parent, root->left);
    EXPECT_EQ(root->left->right, nullptr);
    ASSERT_NE(root->right->left, nullptr);
    EXPECT_EQ(root->right->left->index, 2u);
    EXPECT_EQ(root->right->right, nullptr);
    EXPECT_EQ(root->right->left->left, nullptr);
    EXPECT_EQ(root->right->left->right, nullptr);
}

TEST(KdTreeLayout, FlatTableIsNumberedInPreOrder) {
    KdTree2 tree;
    tree.CtreatTree(Column({5, 1, 4, 2, 3}));
    const auto& nodes = tree.GetNodes();
    ASSERT_EQ(nodes.size(), 25u);
    const std::size_t rows[] = {0, 4, 3, 1, 0, 2};
    const std::size_t parents[] = {0, 0, 1, 2, 1, 4};
    const std::size_t lefts[] = {0, 2, 3, 0, 5, 0};
    const std::size_t rights[] = {0, 4, 0, 0, 0, 0};
    for (std::size_t e = 1; e <= 5; ++e) {
        SCOPED_TRACE(e);
        EXPECT_EQ(nodes[e].id, e);
        EXPECT_EQ(nodes[e].index, rows[e]);
        EXPECT_EQ(nodes[e].parent, parents[e]);
        EXPECT_EQ(nodes[e].left, lefts[e]);
        EXPECT_EQ(nodes[e].right, rights[e]);
        EXPECT_EQ(nodes[e].dim, 0);
        EXPECT_EQ(nodes[e].label, static_cast<std::int32_t>(100 + rows[e]));
    }
}

TEST(KdTreeLayout, FlatTableHoldsRowsPlusTwentyEntries) {
    KdTree2 tree;
    tree.CtreatTree(Column({1, 2, 3}));
    const auto& nodes = tree.GetNodes();
    ASSERT_EQ(nodes.size(), 23u);
    for (std::size_t e : {std::size_t{0}, std::size_t{4}, std::size_t{12}, std::size_t{22}}) {
        SCOPED_TRACE(e);
        EXPECT_EQ(nodes[e].index, 0u);
        EXPECT_EQ(nodes[e].id, 0u);
        EXPECT_EQ(nodes[e].dim, -1);
        EXPECT_TRUE(nodes[e].point.empty());
        EXPECT_EQ(nodes[e].label, -1);
        EXPECT_EQ(nodes[e].left + nodes[e].right + nodes[e].parent, 0u);
    }
    EXPECT_EQ(nodes[1].index, 1u);  // the median of 1, 2, 3
}

TEST(KdTreeLayout, TieSearchKeepsEqualValuesOnOneSide) {
    // 1, 2, 2, 2, 3: the median's successor is equal, the next position up has a gap.
    const auto shape = Shape(Column({1, 2, 2, 2, 3}));
    EXPECT_EQ(shape[0].row, 3);
    EXPECT_EQ(shape[0].rightRow, 4);
    EXPECT_EQ(Rows(shape), (std::vector<long long>{3, 0, 1, 2, 4}));

    // Sorted 1, 1, 2, 2, 2, 2: positions 3, 4, 2 and 5 have no gap above them, position
    // 1 has one, so the second 1 (row 4) is the node.
    const auto below = Shape(Column({2, 1, 2, 2, 1, 2}, {0}));
    EXPECT_EQ(below[0].row, 4);
    EXPECT_EQ(below[0].leftRow, 1);
}

TEST(KdTreeLayout, AllEqualValuesEndTheTieSearchAtOneOrZero) {
    // Even count: position 1 of the sorted list; odd count: position 0. Equal values keep
    // their listed order.
    const auto even = Shape(Column({7, 7, 7, 7}, {0}));
    EXPECT_EQ(Rows(even), (std::vector<long long>{1, 0, 2, 3}));
    EXPECT_EQ(even[0].leftRow, 0);
    EXPECT_EQ(even[0].rightRow, 2);
    const auto odd = Shape(Column({7, 7, 7, 7, 7}, {0}));
    EXPECT_EQ(odd[0].row, 0);
    EXPECT_EQ(odd[0].leftRow, -1);
    EXPECT_EQ(odd[0].rightRow, 2);
}

TEST(KdTreeLayout, TwoRowsKeepTheLargerAsNode) {
    EXPECT_EQ(Rows(Shape(Column({2, 1}, {0}))), (std::vector<long long>{0, 1}));
    EXPECT_EQ(Rows(Shape(Column({1, 2}, {0}))), (std::vector<long long>{1, 0}));
    const auto equal = Shape(Column({4, 4}, {0}));
    EXPECT_EQ(Rows(equal), (std::vector<long long>{0, 1}));
    EXPECT_EQ(equal[0].leftRow, 1);  // the other row always goes left
}

TEST(KdTreeLayout, DiscreteDimensionSplitsAtTheRootOnly) {
    // Dimension 0 holds two values, dimension 1 many.
    KdTreeDataTable table = Table({{0, 5}, {1, 3}, {0, 8}, {1, 1}, {1, 9}, {0, 2}, {1, 4}});
    KdTree tree;
    tree.CtreatTree(table);
    EXPECT_EQ(tree.GetDisDims(), std::vector<std::size_t>{0});
    EXPECT_EQ(tree.GetConDims(), std::vector<std::size_t>{1});
    EXPECT_EQ(tree.GetDimCount(), 2u);
    const auto shape = Shape(table);
    EXPECT_EQ(shape[0].dim, 0);
    for (std::size_t i = 1; i < shape.size(); ++i) EXPECT_EQ(shape[i].dim, 1) << i;
}

TEST(KdTreeLayout, DiscreteSplitPivotIsTheLastRowThatDifferedFromTheLargest) {
    // Dimension 0: 0, 1, 0, 1, 1, 0. Rows 1, 2 and 5 differ from the largest value seen
    // before them, so row 5 (value 0) is the node; the 0s go left, the 1s right.
    const auto shape = Shape(Table({{0, 1}, {1, 2}, {0, 3}, {1, 4}, {1, 5}, {0, 6}}));
    EXPECT_EQ(shape[0].row, 5);
    EXPECT_EQ(shape[0].dim, 0);
    // Left: rows 0 and 2 (continuous split of two rows: the larger value, row 2, first).
    EXPECT_EQ(shape[0].leftRow, 2);
    EXPECT_EQ(shape[1].row, 2);
    EXPECT_EQ(shape[2].row, 0);
    // Right: rows 1, 3, 4 split at their median, row 3.
    EXPECT_EQ(shape[0].rightRow, 3);
}

TEST(KdTreeLayout, ContinuousDimensionsCycleInDescendingOrder) {
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < 15; ++i) rows.push_back({double(i), double((i * 7) % 15), double((i * 4) % 15)});
    KdTree tree;
    tree.CtreatTree(Table(rows));
    EXPECT_TRUE(tree.GetDisDims().empty());
    EXPECT_EQ(tree.GetConDims(), (std::vector<std::size_t>{2, 1, 0}));
    // A balanced tree of 15 rows: depth 0 splits on 2, depth 1 on 1, depth 2 on 0, depth 3 on 2.
    const KdTree::KdTreeNode* n = tree.GetRoot();
    for (int expected : {2, 1, 0, 2}) {
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->dim, expected);
        n = n->left;
    }
}

TEST(KdTreeLayout, DeclaredKindsFollowDimTypes) {
    // 1 is discrete, any other value continuous; discrete dimensions come first, in order.
    KdTreeDataTable table = Table({{0, 0, 5, 1}, {1, 1, 6, 0}, {0, 1, 7, 1}, {1, 0, 8, 0}}, {1, 0, 7, 1});
    KdTree tree;
    tree.CtreatTree(table);
    EXPECT_EQ(tree.GetDisDims(), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(tree.GetConDims(), (std::vector<std::size_t>{2, 1}));
    const auto shape = Shape(table);
    EXPECT_EQ(shape[0].dim, 0);
    EXPECT_EQ(shape[1].dim, 3);
}

TEST(KdTreeLayout, DiscreteSplitOfOneValueTakesTheFirstRow) {
    // Dimension 1 repeats dimension 0, so below the root every list holds one value of
    // dimension 1: the first listed row becomes the node and the rest go right.
    KdTreeDataTable table = Table({{1, 1, 0.5}, {0, 0, 0.1}, {1, 1, 0.7}, {0, 0, 0.3}, {0, 0, 0.2}}, {1, 1, 0});
    const auto shape = Shape(table);
    ASSERT_EQ(shape.size(), 5u);
    EXPECT_EQ(shape[0].row, 4);  // the last row that differed from the largest value
    EXPECT_EQ(shape[1].row, 1);  // left list 1, 3: first listed
    EXPECT_EQ(shape[1].dim, 1);
    EXPECT_EQ(shape[1].leftRow, -1);
    EXPECT_EQ(shape[1].rightRow, 3);
    EXPECT_EQ(shape[2].row, 3);
    EXPECT_EQ(shape[2].dim, 2);
    EXPECT_EQ(shape[0].rightRow, 0);  // right list 0, 2: first listed
    EXPECT_EQ(shape[3].dim, 1);
}
