#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>

namespace pct::detail {

// The outputs of a 32-bit Mersenne Twister (std::mt19937) seeded with one value, for a
// generator that is drawn from only a few times and then dropped (one per noise value).
// A full generator seeds all 624 words and regenerates all of them before its first
// output, but output k < 227 depends only on the seeded words k, k + 1 and k + 397. So
// the words are seeded only as far as the outputs drawn so far need, and each such output
// is formed on its own. From output 227 on a std::mt19937 with the same seed takes over,
// advanced past the outputs already given: the sequence is the same throughout.
class Mt19937Prefix {
public:
    using result_type = std::uint32_t;

    explicit Mt19937Prefix(std::uint32_t seed) : seed(seed) {
        words[0] = seed;
        seeded = 1;
    }

    std::uint32_t operator()() {
        if (next < kDirect) {
            const size_t k = next++;
            SeedThrough(k + kShift);
            const std::uint32_t y = (words[k] & kUpper) | (words[k + 1] & kLower);
            return Temper(words[k + kShift] ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrixA : 0u));
        }
        if (!full) {
            full = std::make_unique<std::mt19937>(seed);
            full->discard(kDirect);
        }
        ++next;
        return static_cast<std::uint32_t>((*full)());
    }

private:
    static constexpr size_t kWords = 624;
    static constexpr size_t kShift = 397;
    static constexpr size_t kDirect = kWords - kShift;  // 227 outputs from seeded words alone
    static constexpr std::uint32_t kMatrixA = 0x9908b0dfu;
    static constexpr std::uint32_t kUpper = 0x80000000u;
    static constexpr std::uint32_t kLower = 0x7fffffffu;

    // The standard seeding, words[i] = 1812433253 * (words[i-1] ^ (words[i-1] >> 30)) + i,
    // carried on through word `last`.
    void SeedThrough(size_t last) {
        for (; seeded <= last; ++seeded) {
            const std::uint32_t prev = words[seeded - 1];
            words[seeded] = 1812433253u * (prev ^ (prev >> 30)) + static_cast<std::uint32_t>(seeded);
        }
    }

    static std::uint32_t Temper(std::uint32_t y) {
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= y >> 18;
        return y;
    }

    std::uint32_t seed;
    std::uint32_t words[kWords];
    size_t seeded = 0;
    size_t next = 0;
    std::unique_ptr<std::mt19937> full;
};

}  // namespace pct::detail
