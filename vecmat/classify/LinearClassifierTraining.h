#ifndef VECMAT_CLASSIFY_LINEARCLASSIFIERTRAINING_H
#define VECMAT_CLASSIFY_LINEARCLASSIFIERTRAINING_H

/* Plain functions with C linkage that train the Fisher discriminant on a flat array of
 * doubles and hand out the result by integer handle. Usable from C and C++. No function
 * here lets an exception out; every function may be called from several threads. */

#include <stddef.h>

#ifndef __cplusplus
#include <stdbool.h>
#endif

#include "vecmat/Export.h"

VECMAT_EXTERN_C_BEGIN

/* Trains on rowCount rows of columnCount values each, row after row; the last value of a
 * row is its class tag. Always returns a new handle (the smallest free number from 10
 * up), also when training fails: the failure is recorded for IsSuccessed and
 * GetErrorString. A zero count fails first; then a null data array, and counts whose
 * product is too large for any array, fail without reading data. Returns 0 only when the
 * record itself cannot be stored. */
VECMAT_API unsigned int LinearClassifierTraining(const double* data, size_t columnCount,
                                                 size_t rowCount);

/* Whether the training succeeded; false for an unregistered handle. */
VECMAT_API bool IsSuccessed(unsigned int handle);

/* The recorded error code (0); -1 for an unregistered handle. */
VECMAT_API int GetErrorCode(unsigned int handle);

/* Copies the failure message (GBK bytes) with its terminating zero into buffer, which
 * holds bufferSize bytes: a smaller buffer receives a truncated, zero-terminated prefix;
 * a size of 0 or less, or a null buffer, receives nothing. Returns the full message
 * length without the terminator; -1 for an unregistered handle. */
VECMAT_API int GetErrorString(unsigned int handle, char* buffer, int bufferSize);

/* Number of weights; 0 for an unregistered handle. */
VECMAT_API int LCGetFeatureDataCount(unsigned int handle);

/* Copies the weights into buffer and returns their number; -2 (nothing copied) when
 * capacity is negative or smaller than the number, or buffer is null while there are
 * weights to copy; 0 for an unregistered handle. */
VECMAT_API int LCGetFeatureData(unsigned int handle, double* buffer, int capacity);

/* The decision threshold; 0.0 for an unregistered handle. */
VECMAT_API double LCGetThreshold(unsigned int handle);

/* The tag judged on the positive side (the smaller tag); 0 for an unregistered handle. */
VECMAT_API int LCGetTagP(unsigned int handle);

/* The other tag (the larger one); 0 for an unregistered handle. */
VECMAT_API int LCGetTagN(unsigned int handle);

/* Releases the record of handle; nothing happens for an unregistered handle. */
VECMAT_API void CloseHandle(unsigned int handle);

VECMAT_EXTERN_C_END

#endif
