#include "app/core/PlatformServices.h"

#include <chrono>

namespace trendfit {

std::uint64_t MonotonicMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace trendfit
