#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "tests/neighbors/KdTreeReference.h"
#include "tests/neighbors/KdTreeTestSupport.h"
#include "tests/support/BitIdentity.h"

using pct::Ko::KdTree;
using pct::Ko::KdTree2;
using pct::Ko::KdTreeDataTable;
using pct::Ko::NearbyPoint;

namespace {

// Rows full of ties: coordinates from a few values (a few hundred distinct points at
// most, so many rows repeat), one dimension two-valued when asked, now and then a NaN.
KdTreeDataTable TiedTable(std::mt19937& rng, std::size_t n, std::size_t dims, bool twoValued, bool nan) {
    std::uniform_int_distribution<int> grid(0, 5);
    KdTreeDataTable table;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> v(dims);
        for (std::size_t d = 0; d < dims; ++d) v[d] = 0.5 * grid(rng);
        if (twoValued && dims > 1) v[0] = grid(rng) % 2 == 0 ? -1.0 : 2.0;
        if (nan && i % 17 == 5) v[dims - 1] = std::numeric_limits<double>::quiet_NaN();
        table.rows.push_back({v, static_cast<std::int32_t>(i * 3)});
    }
    // Every dimension needs two values or more.
    for (std::size_t d = 0; d < dims; ++d) table.rows.front().values[d] = 7.0 + d;
    return table;
}

void ExpectSameNodes(const std::vector<KdTree2::KdTreeNode>& want, const std::vector<KdTree2::KdTreeNode>& got) {
    ASSERT_EQ(want.size(), got.size());
    for (std::size_t e = 0; e < want.size(); ++e) {
        const auto& a = want[e];
        const auto& b = got[e];
        EXPECT_TRUE(a.index == b.index && a.id == b.id && a.dim == b.dim && a.label == b.label &&
                    a.left == b.left && a.right == b.right && a.parent == b.parent &&
                    testing_support::SameBits(a.point, b.point))
            << "entry " << e;
    }
}

void ExpectSameAnswer(const std::vector<NearbyPoint>& want, const std::vector<NearbyPoint>& got) {
    ASSERT_EQ(want.size(), got.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(want[i].index, got[i].index) << "neighbour " << i;
        EXPECT_EQ(want[i].label, got[i].label) << "neighbour " << i;
        EXPECT_TRUE(testing_support::SameBits(want[i].point, got[i].point)) << "neighbour " << i;
        EXPECT_TRUE(testing_support::SameBits({want[i].distance}, {got[i].distance})) << "neighbour " << i;
    }
}

// The tree as the old build made it, with the dimension lists the tree itself derived.
std::vector<KdTree2::KdTreeNode> ReferenceNodes(const KdTreeDataTable& table, const KdTree2& tree) {
    return kdref::Build(table, kdref::Dims{tree.GetDisDims(), tree.GetConDims()});
}

}  // namespace

// Both trees are built node for node as before and answer every query with the same
// neighbours in the same order, ties included: tables of repeated rows and grid values,
// with and without a two-valued dimension and NaN, at awkward row counts.
TEST(KdTreeBitIdentity, BuildAndQueriesMatchTheOldWalks) {
    std::mt19937 rng(1312);
    std::uniform_int_distribution<int> grid(0, 5);
    for (std::size_t n : testing_support::AwkwardSizes()) {
        for (std::size_t dims : {1, 2, 3, 5}) {
            for (int variant = 0; variant < 3; ++variant) {
                if (n == 1) continue;  // a single row has no dimension with two values
                const KdTreeDataTable table = TiedTable(rng, n, dims, variant == 1, variant == 2);
                SCOPED_TRACE(testing::Message() << n << " rows, " << dims << " dimensions, variant " << variant);
                KdTree2 flat;
                flat.CtreatTree(table);
                KdTree linked;
                linked.CtreatTree(table);
                const std::vector<KdTree2::KdTreeNode> reference = ReferenceNodes(table, flat);
                ExpectSameNodes(reference, flat.GetNodes());
                KdTree2 fromReference;
                fromReference.LoadData(reference);
                EXPECT_EQ(kdtest::PreOrder(linked), kdtest::PreOrder(fromReference));

                for (int q = 0; q < 6; ++q) {
                    std::vector<double> query(dims);
                    for (double& v : query) v = 0.5 * grid(rng) + (q % 3 == 0 ? 0.25 : 0.0);
                    if (q == 5) query = table.rows[rng() % n].values;  // a stored point
                    for (std::size_t k : {std::size_t{1}, std::size_t{3}, std::size_t{8}, n, n + 5}) {
                        const std::vector<NearbyPoint> want = kdref::Query(reference, query, k);
                        ExpectSameAnswer(want, flat.FindNearbyPoints(query, k));
                        ExpectSameAnswer(want, linked.FindNearbyPoints(query, k));
                    }
                }
            }
        }
    }
}
