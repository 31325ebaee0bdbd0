#include "vecmat/core/CpuDispatch.h"

#include <cstdlib>
#include <cstring>

namespace pct::cpu {

namespace {

bool DetectAvx2() {
    const char* choice = std::getenv("VECMAT_SIMD");
    if (choice != nullptr && std::strcmp(choice, "generic") == 0) {
        return false;
    }
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

} // namespace

bool UseAvx2() {
    static const bool avx2 = DetectAvx2();
    return avx2;
}

} // namespace pct::cpu
