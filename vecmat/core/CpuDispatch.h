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

#define VECMAT_ALWAYS_INLINE __attribute__((always_inline))
#define VECMAT_AVX2 __attribute__((target("avx2")))

namespace pct::cpu {

// True when the processor has AVX2 and the environment variable VECMAT_SIMD is not
// "generic". Decided once, at the first call; setting VECMAT_SIMD=generic lets the tests
// run the generic kernels on an AVX2 machine.
bool UseAvx2();

} // namespace pct::cpu
