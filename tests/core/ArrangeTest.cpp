#include <set>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/core/Arrange.h"

using pct::Arrange;
using Orderings = std::vector<std::vector<size_t>>;

TEST(Arrange, CreateListsOrderingsByPositionInTheList) {
    Arrange sorted({0, 1, 2});
    EXPECT_EQ(sorted.Create(), (Orderings{{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}));

    // The order follows positions in the list, not the values.
    Arrange shuffled({3, 1, 2});
    const Orderings expected{{3, 1, 2}, {3, 2, 1}, {1, 3, 2}, {1, 2, 3}, {2, 3, 1}, {2, 1, 3}};
    EXPECT_EQ(shuffled.Create(), expected);
    EXPECT_EQ(shuffled.GetResult(), expected);
}

TEST(Arrange, FourEntriesGiveTwentyFourDistinctOrderings) {
    Arrange a({7, 0, 5, 2});
    const Orderings all = a.Create();
    ASSERT_EQ(all.size(), 24u);
    EXPECT_EQ(std::set<std::vector<size_t>>(all.begin(), all.end()).size(), 24u);
    EXPECT_EQ(all.front(), (std::vector<size_t>{7, 0, 5, 2}));
    EXPECT_EQ(all.back(), (std::vector<size_t>{2, 5, 0, 7}));
}

TEST(Arrange, ShortListsYieldNoOrdering) {
    Arrange one({4});
    EXPECT_TRUE(one.Create().empty());
    Arrange none({});
    EXPECT_TRUE(none.Create().empty());
    EXPECT_TRUE(none.GetResult().empty());
}

TEST(Arrange, ResultsStartEmptyAndAreReplacedByEachCreate) {
    Arrange a({1, 0});
    EXPECT_TRUE(a.GetResult().empty());
    a.Create();
    a.Create();
    EXPECT_EQ(a.GetResult(), (Orderings{{1, 0}, {0, 1}}));
}

TEST(Arrange, RepeatedEntriesFail) {
    Arrange pair({1, 1});
    EXPECT_THROW_MSG(pair.Create(), "数列中有重复项");
    EXPECT_TRUE(pair.GetResult().empty());

    // Repeats that are not neighbours are found too.
    Arrange apart({2, 0, 5, 2});
    EXPECT_THROW_MSG(apart.Create(), "数列中有重复项");
    EXPECT_TRUE(apart.GetResult().empty());
}

TEST(Arrange, CopiesCarryTheListAndTheResults) {
    Arrange a({0, 1});
    a.Create();
    Arrange copy(a);
    EXPECT_EQ(copy.GetResult(), a.GetResult());

    Arrange target({5, 6, 7});
    target = a;
    EXPECT_EQ(target.GetResult(), a.GetResult());
    EXPECT_EQ(target.Create(), (Orderings{{0, 1}, {1, 0}}));  // the copied list, not {5, 6, 7}
}

TEST(Arrange, InversionsCountsOutOfOrderPairsWithoutChangingTheVector) {
    std::vector<size_t> v{2, 0, 1};
    EXPECT_EQ(Arrange::Inversions(v), 2);
    EXPECT_EQ(v, (std::vector<size_t>{2, 0, 1}));

    std::vector<size_t> empty;
    EXPECT_EQ(Arrange::Inversions(empty), 0);
    std::vector<size_t> descending{4, 3, 2, 1, 0};
    EXPECT_EQ(Arrange::Inversions(descending), 10);
    std::vector<size_t> equal{1, 1};  // equal entries are not an inversion
    EXPECT_EQ(Arrange::Inversions(equal), 0);
}
