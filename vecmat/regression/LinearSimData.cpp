#include "vecmat/regression/LinearSimData.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <random>

#include "vecmat/regression/Mt19937Prefix.h"

namespace pct {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;  // 2^-52
constexpr double kTwoPow21 = 2097152.0;
constexpr double kTwoPowMinus53 = 1.1102230246251565e-16;
constexpr double kTwoPow64 = 18446744073709551616.0;

// One fresh 32-bit seed from the nondeterministic source.
std::uint32_t NewSeed(std::random_device& source) {
    return static_cast<std::uint32_t>(source());
}

// Uniform double in [0, 1) from 53 random bits: the second output gives the high 32 bits,
// the top 21 bits of the first the low 21.
template <class Generator>
double Uniform(Generator& generator) {
    const std::uint32_t a = static_cast<std::uint32_t>(generator());
    const std::uint32_t b = static_cast<std::uint32_t>(generator());
    return (static_cast<double>(b) * kTwoPow21 + static_cast<double>(a >> 11)) * kTwoPowMinus53;
}

// One standard normal value by the Marsaglia polar method; the pair's second value is
// not used.
template <class Generator>
double StandardNormal(Generator& generator) {
    double p = 0.0;
    double q = 0.0;
    double s = 0.0;
    do {
        const double u1 = Uniform(generator);
        const double u2 = Uniform(generator);
        p = 2.0 * u1 - 1.0;
        q = 2.0 * u2 - 1.0;
        s = p * p + q * q;
    } while (!(s < 1.0) || p == 0.0 || q == 0.0);
    return p * std::sqrt(-2.0 * std::log(s) / s);
}

// The noise of one point. Each draw uses an MT19937 of its own, freshly seeded, so the
// noise never takes outputs of the x generator. Such a generator gives only a few outputs
// before it is dropped, so it is formed only as far as those need (same outputs).
double Noise(std::random_device& source, double magnitude, std::int32_t type) {
    if (magnitude <= kEpsilon) return 0.0;
    if (type == 0) {
        detail::Mt19937Prefix generator(NewSeed(source));
        return -magnitude + Uniform(generator) * (2.0 * magnitude);
    }
    if (type == 1) {
        detail::Mt19937Prefix generator(NewSeed(source));
        return magnitude * StandardNormal(generator);
    }
    return 0.0;
}

double Curve(std::int32_t type, double x) {
    switch (type) {
    case 0:
        return std::sin(x);
    case 1:
        return x * x;
    case 2:
        return 1.0 / x;
    default:
        return x;
    }
}

// nTest = trunc(count * rate). Counts that would wrap around (a product of -1 or less,
// one beyond the 64-bit range or not a number, or more test points than points) cannot
// be allocated: they end in the standard allocation failure, without converting such a
// double to an integer.
size_t TestCount(size_t count, double rate) {
    const double product = static_cast<double>(count) * rate;
    if (!(product > -1.0) || !(product < kTwoPow64)) throw std::bad_alloc();
    const size_t nTest = static_cast<size_t>(product);
    if (nTest > count) throw std::bad_alloc();
    return nTest;
}

// Fills xs and ys with points drawn on `generator`.
void Draw(Vector& xs, Vector& ys, std::mt19937& generator, std::random_device& source,
          const SimDataParam& param, double range, double magnitude) {
    const size_t n = xs.Size();
    for (size_t i = 0; i < n; ++i) {
        const double u = Uniform(generator);
        const double x = param.xMin + u * range;
        xs[i] = x;
        const double e = Noise(source, magnitude, param.noiseType);
        ys[i] = e + Curve(param.funcType, x);
    }
}

}  // namespace

LinearSimData& LinearSimData::operator=(const LinearSimData&) { return *this; }

LinearSimData& LinearSimData::operator=(LinearSimData&&) { return *this; }

SimDataReturn LinearSimData::CreateSimData(SimDataParam param) {
    const double range = param.xMax - param.xMin;
    if (std::isnan(range) || std::fabs(range) <= kEpsilon) return SimDataReturn();
    const double magnitude = std::fabs(param.noise);

    std::random_device source;
    std::mt19937 generator(NewSeed(source));

    const size_t nTest = TestCount(param.count, param.testRate);
    const size_t nTrain = param.count - nTest;

    SimDataReturn result;
    result.trainX = Vector(nTrain);
    result.trainY = Vector(nTrain);
    result.testX = Vector(nTest);
    result.testY = Vector(nTest);

    Draw(result.trainX, result.trainY, generator, source, param, range, magnitude);
    Draw(result.testX, result.testY, generator, source, param, range, magnitude);
    return result;
}

}  // namespace pct
