#include "vecmat/regression/Mt19937Prefix.h"

#include <cstdint>
#include <random>
#include <vector>

#include "tests/support/TestSupport.h"

using pct::detail::Mt19937Prefix;

// Every output equals that of a full std::mt19937 with the same seed: those formed from
// the seeded words alone (the first 227) and those after the hand-over.
TEST(Mt19937Prefix, SameOutputsAsTheFullGenerator) {
    std::mt19937_64 seeds(77);
    std::vector<std::uint32_t> list = {0u, 1u, 5489u, 0x80000000u, 0xFFFFFFFFu};
    for (int i = 0; i < 200; ++i) list.push_back(static_cast<std::uint32_t>(seeds()));
    for (const std::uint32_t seed : list) {
        SCOPED_TRACE(seed);
        Mt19937Prefix prefix(seed);
        std::mt19937 full(seed);
        for (int k = 0; k < 1300; ++k) ASSERT_EQ(prefix(), full()) << "output " << k;
    }
}

TEST(Mt19937Prefix, TenThousandthOutputOfTheDefaultSeed) {
    // The value the C++ standard requires of the 10000th output of a default-constructed
    // mt19937 (seed 5489).
    Mt19937Prefix generator(5489u);
    std::uint32_t value = 0;
    for (int k = 0; k < 10000; ++k) value = generator();
    EXPECT_EQ(value, 4123659995u);
}
