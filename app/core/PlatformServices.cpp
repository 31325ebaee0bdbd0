#include "app/core/PlatformServices.h"

#include <chrono>

namespace {

// The progress of a task run in place: nobody watches it and nobody can cancel it.
class UnwatchedProgress : public ITaskProgress {
public:
    void SetProgress(int, int) override {}
    bool IsCancelled() const override { return false; }
};

}  // namespace

bool IPlatformServices::RunCancellable(const std::function<void(ITaskProgress&)>& task, const std::string&) {
    trendfit::RunInPlace(task);
    return true;
}

namespace trendfit {

std::uint64_t MonotonicMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void RunInPlace(const std::function<void(ITaskProgress&)>& task) {
    UnwatchedProgress progress;
    task(progress);
}

}  // namespace trendfit
