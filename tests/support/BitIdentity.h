#pragma once

// Helpers of the bit-identity tests: awkward random inputs and a comparison to the last bit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "vecmat/core/Matrix.h"

namespace testing_support {

// The sizes the fast kernels must get right: one, odd ones around vector and tile widths,
// and ones past the cache blocks.
inline const std::vector<size_t>& AwkwardSizes() {
    static const std::vector<size_t> sizes{1, 7, 63, 257};
    return sizes;
}

// n values whose sums round differently in every order: signs, magnitudes over twelve
// binary orders of magnitude, and now and then an exact 0.0 or -0.0.
inline std::vector<double> AwkwardValues(size_t n, unsigned seed) {
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-6, 6);
    std::uniform_int_distribution<int> rare(0, 40);
    std::vector<double> v(n);
    for (double& x : v) {
        const int pick = rare(gen);
        x = pick == 0 ? 0.0 : pick == 1 ? -0.0 : std::ldexp(mantissa(gen), exponent(gen));
    }
    return v;
}

inline std::uint64_t Bits(double x) {
    std::uint64_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

// Equal when every pair of elements has the same bits; names the first that differs.
inline ::testing::AssertionResult SameBits(const std::vector<double>& expected,
                                           const std::vector<double>& actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size();
    for (size_t i = 0; i < expected.size(); ++i) {
        if (Bits(expected[i]) != Bits(actual[i]))
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << expected[i] << " and " << actual[i];
    }
    return ::testing::AssertionSuccess();
}

// The elements of m in row-major order.
inline std::vector<double> MatrixElements(const pct::Matrix& m) {
    std::vector<double> out;
    for (size_t r = 0; r < m.GetRowCount(); ++r)
        for (size_t c = 0; c < m.GetColumnCount(); ++c) out.push_back(m.GetPointValue(r, c));
    return out;
}

}  // namespace testing_support
