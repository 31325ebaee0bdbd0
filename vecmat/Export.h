#pragma once

// Marks the symbols the shared library exports; everything else stays hidden.
#if defined(VECMAT_BUILDING)
#define VECMAT_API __attribute__((visibility("default")))
#else
#define VECMAT_API
#endif

// C linkage for the plain functions, usable from C and C++ callers.
#ifdef __cplusplus
#define VECMAT_EXTERN_C_BEGIN extern "C" {
#define VECMAT_EXTERN_C_END }
#else
#define VECMAT_EXTERN_C_BEGIN
#define VECMAT_EXTERN_C_END
#endif
