#pragma once

// Run-time choice between the generic and the AVX2 build of a hot kernel. Internal header.
//
// A kernel's body is written once as an always-inline function and compiled twice: once for
// the generic target and once for AVX2. Both builds perform the same multiplies and adds in
// the same order (the library is built with -ffp-contract=off and the AVX2 target does not
// enable FMA), so they return the same bits; the AVX2 one only uses wider registers.
//
//   VECMAT_ALWAYS_INLINE inline void AxpyBody(double* y, const double* x, double a, size_t n)
//   { for (size_t i = 0; i < n; ++i) y[i] = y[i] + a * x[i]; }
//   VECMAT_AVX2 void AxpyAvx2(double* y, const double* x, double a, size_t n)
//   { AxpyBody(y, x, a, n); }
//   void AxpyGeneric(double* y, const double* x, double a, size_t n) { AxpyBody(y, x, a, n); }
//   ... pct::cpu::UseAvx2() ? AxpyAvx2(...) : AxpyGeneric(...);

#include <cstddef>
#include <cstring>

// The vector helpers below are always inlined, so no vector crosses a call: GCC's note on
// the calling convention of 32-byte vectors outside AVX2 code does not concern them.
#pragma GCC diagnostic ignored "-Wpsabi"

#define VECMAT_ALWAYS_INLINE __attribute__((always_inline))
#define VECMAT_AVX2 __attribute__((target("avx2")))

namespace pct::cpu {

// Vectors of doubles (GCC vector extensions). A kernel body templated on the vector type
// runs on Double2 (SSE2, part of every x86-64) in its generic build and on Double4 in its
// AVX2 build; lane-wise + and * are the scalar operations, lane by lane.
typedef double Double2 __attribute__((vector_size(16)));
typedef double Double4 __attribute__((vector_size(32)));

template <class V>
inline constexpr size_t kLanes = sizeof(V) / sizeof(double);

// Unaligned load and store of kLanes<V> doubles.
template <class V>
VECMAT_ALWAYS_INLINE inline V Load(const double* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
VECMAT_ALWAYS_INLINE inline void Store(double* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}

// True when the processor has AVX2 and the environment variable VECMAT_SIMD is not
// "generic". Decided once, at the first call; setting VECMAT_SIMD=generic lets the tests
// run the generic kernels on an AVX2 machine.
bool UseAvx2();

} // namespace pct::cpu
