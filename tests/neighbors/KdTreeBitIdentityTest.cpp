#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
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

// Rows of uniform values, so that distances hardly ever tie, or of values on a grid of
// eighths, so that some do; every dimension declared continuous.
KdTreeDataTable ScatteredTable(std::mt19937& rng, std::size_t n, std::size_t dims, bool grid) {
    std::uniform_real_distribution<double> u(-4.0, 4.0);
    KdTreeDataTable table;
    table.dimTypes.assign(dims, 0);
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> v(dims);
        for (double& x : v) x = grid ? std::round(8.0 * u(rng)) / 8.0 : u(rng);
        table.rows.push_back({v, static_cast<std::int32_t>(i + 1000)});
    }
    return table;
}

// The build is the old one node for node (scattered rows take the splits by value alone,
// rows on a grid also the whole key), and both trees, and a KdTree2 whose table was handed
// out (so that it walks the table itself), answer every query with every k as the old walk
// over the old build does.
void ExpectWalksAnswers(const KdTreeDataTable& table, const std::vector<std::vector<double>>& queries,
                        const std::vector<std::size_t>& ks) {
    KdTree linked;
    linked.CtreatTree(table);
    KdTree2 flat;
    flat.CtreatTree(table);
    KdTree2 handedOut(flat);
    handedOut.GetNodes();
    const std::vector<KdTree2::KdTreeNode> reference = ReferenceNodes(table, flat);
    ExpectSameNodes(reference, std::as_const(flat).GetNodes());
    KdTree2 fromReference;
    fromReference.LoadData(reference);
    EXPECT_EQ(kdtest::PreOrder(linked), kdtest::PreOrder(fromReference));
    for (const std::vector<double>& query : queries) {
        for (std::size_t k : ks) {
            SCOPED_TRACE(testing::Message() << "k = " << k);
            const std::vector<NearbyPoint> want = kdref::Query(reference, query, k);
            ExpectSameAnswer(want, linked.FindNearbyPoints(query, k));
            ExpectSameAnswer(want, flat.FindNearbyPoints(query, k));
            ExpectSameAnswer(want, handedOut.FindNearbyPoints(query, k));
        }
    }
}

}  // namespace

// Scattered rows, where one search for the nearest rows answers, and rows on a grid, where
// ties hand many queries back to the walk: random queries inside and beyond the rows and
// stored points, k from 1 to every row.
TEST(KdTreeBitIdentity, QueriesOfScatteredRowsMatchTheOldWalk) {
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> around(-6.0, 6.0);
    for (std::size_t n : {std::size_t{2}, std::size_t{7}, std::size_t{63}, std::size_t{257}, std::size_t{3000}}) {
        for (std::size_t dims : {1, 2, 3, 5}) {
            for (bool grid : {false, true}) {
                SCOPED_TRACE(testing::Message() << n << " rows, " << dims << " dimensions, grid " << grid);
                const KdTreeDataTable table = ScatteredTable(rng, n, dims, grid);
                std::vector<std::vector<double>> queries;
                for (int q = 0; q < 8; ++q) {
                    std::vector<double> query(dims);
                    for (double& v : query) v = around(rng);
                    queries.push_back(query);
                }
                queries.push_back(table.rows[rng() % n].values);
                queries.push_back(table.rows[rng() % n].values);
                std::vector<std::size_t> ks{1, 2, 8, 33};
                if (n <= 257) ks.insert(ks.end(), {n - 1, n});
                ExpectWalksAnswers(table, queries, ks);
            }
        }
    }
}

// Where the walk does not report the nearest rows, the answer stays the walk's. A
// dimension declared two-valued that holds four values puts rows beyond the plane of the
// root (0.5), whose side the climb then skips; and a row within 2^-52 of the query that
// the descent meets first is reported before a row at the query itself.
TEST(KdTreeBitIdentity, AnswersStayTheWalksWhereItMissesTheNearest) {
    const KdTreeDataTable declared = kdtest::Table({{1, 0}, {3, 1}, {2, 2}, {0.5, 3}}, {1, 0});
    const std::vector<double> atRow2{2, 2};
    ExpectWalksAnswers(declared, {atRow2, {1.5, 0.5}}, {1, 2, 3});
    KdTree tree;
    tree.CtreatTree(declared);
    EXPECT_EQ(tree.FindNearbyPoints(atRow2, 1)[0].index, 1u);  // row 2 itself is at distance 0

    const double justAbove = 1.0 + std::ldexp(1.0, -52);
    const KdTreeDataTable close = kdtest::Column({-5, -4, 1, justAbove, 7, 8});
    ExpectWalksAnswers(close, {{1.0}, {justAbove}}, {1, 2, 3});
    tree.CtreatTree(close);
    EXPECT_EQ(tree.FindNearbyPoints({1.0}, 1)[0].index, 3u);  // the root, not row 2 at distance 0
}

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
                ExpectSameNodes(reference, std::as_const(flat).GetNodes());
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

// Tables whose values all differ in each dimension have their splits made ahead from sorted
// values; the rest do not. Either way the build is the old one node for node, at the
// borders of that choice: values that agree in their high 32 bits (crowded within 2^-20 of
// each other), negative values, a repeated value, -0 beside +0, an infinite value.
TEST(KdTreeBitIdentity, BuildOfDistinctAndNearlyDistinctValuesMatchesTheOldBuild) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> steps(-200, 200);
    const double inf = std::numeric_limits<double>::infinity();
    for (std::size_t n : {std::size_t{4}, std::size_t{63}, std::size_t{1000}}) {
        for (int variant = 0; variant < 5; ++variant) {
            SCOPED_TRACE(testing::Message() << n << " rows, variant " << variant);
            KdTreeDataTable table = ScatteredTable(rng, n, 3, false);
            // Dimension 1 crowded: distinct multiples of 2^-50 around -1.5, many sharing a
            // high half.
            for (std::size_t i = 0; i < n; ++i) table.rows[i].values[1] = -1.5 + std::ldexp(double(i) * 7 - 3 * double(n), -50);
            std::shuffle(table.rows.begin(), table.rows.end(), rng);
            std::vector<double>& last = table.rows.back().values;
            if (variant == 1) last[2] = table.rows.front().values[2];
            if (variant == 2) {
                table.rows.front().values[0] = 0.0;
                last[0] = -0.0;
            }
            if (variant == 3) last[2] = -inf;
            if (variant == 4) last[0] = std::ldexp(double(steps(rng)), -1074);  // a subnormal
            ExpectWalksAnswers(table, {{0.5, -1.5, 0.25}, last, {-9.0, 0.0, 9.0}}, {1, 3, n});
        }
    }
}
