// Trendfit's computation at the highest degree its compute dialog accepts, for 1000, 10000
// and 100000 training points, by the normal equations and by the stable fit (ridge weight
// 1e-6): the fit, the condition number where it is computed, and both errors, as the
// program runs them (RunCurveFit). The limit is meant to keep each of them near the same
// couple of seconds; the closing table gives each one's best time as a ratio to the normal
// equations on 100000 points, and the absolute times.
//
// x uniform on [-1, 1] (no power overflows, so the time sets every limit), y = sin 3x.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "app/core/CurveFit.h"
#include "app/core/DegreeLimit.h"
#include "bench/BenchReport.h"

namespace {

class Unwatched : public ITaskProgress {
public:
    void SetProgress(int, int) override {}
    bool IsCancelled() const override { return false; }
};

trendfit::CurveFitRequest Request(std::size_t points, bool stable) {
    trendfit::CurveFitRequest r;
    r.trainX = pct::Vector(points);
    r.trainY = pct::Vector(points);
    std::mt19937_64 gen(12345);
    std::uniform_real_distribution<double> ux(-1.0, 1.0);
    for (std::size_t i = 0; i < points; ++i) {
        r.trainX[i] = ux(gen);
        r.trainY[i] = std::sin(3.0 * r.trainX[i]);
    }
    r.testX = r.trainX;
    r.testY = r.trainY;
    r.degree = static_cast<std::size_t>(trendfit::MaxFitDegree(points, 1.0, stable).degree);
    r.stable = stable;
    r.ridge = stable;
    r.lambdaL2 = stable ? 1e-6 : 0.0;
    return r;
}

template <std::size_t Points, bool Stable>
double AtLimit() {
    static const trendfit::CurveFitRequest request = Request(Points, Stable);
    const trendfit::CurveFitOutcome out =
        trendfit::RunCurveFit(request, [] { return std::uint64_t{0}; }, Unwatched());
    return out.curve.trainError;
}

template <std::size_t Points, bool Stable>
void BM_AtLimit(benchmark::State& state) {
    AtLimit<Points, Stable>();  // the data are built outside the timing
    for (auto _ : state) benchmark::DoNotOptimize(AtLimit<Points, Stable>());
    state.counters["degree"] = trendfit::MaxFitDegree(Points, 1.0, Stable).degree;
}

const bench::Entry kEntries[] = {
    {"BM_AtLimit<100000, false>", "normal equations, 100000 points", AtLimit<100000, false>},
    {"BM_AtLimit<10000, false>", "normal equations, 10000 points", AtLimit<10000, false>},
    {"BM_AtLimit<1000, false>", "normal equations, 1000 points", AtLimit<1000, false>},
    {"BM_AtLimit<100000, true>", "stable fit, 100000 points", AtLimit<100000, true>},
    {"BM_AtLimit<10000, true>", "stable fit, 10000 points", AtLimit<10000, true>},
    {"BM_AtLimit<1000, true>", "stable fit, 1000 points", AtLimit<1000, true>},
};

}  // namespace

BENCHMARK_TEMPLATE(BM_AtLimit, 100000, false)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK_TEMPLATE(BM_AtLimit, 10000, false)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK_TEMPLATE(BM_AtLimit, 1000, false)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK_TEMPLATE(BM_AtLimit, 100000, true)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK_TEMPLATE(BM_AtLimit, 10000, true)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK_TEMPLATE(BM_AtLimit, 1000, true)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

int main(int argc, char** argv) {
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_AtLimit<100000, false>",
                                    "The computation at the degree limit (degrees in the counters above). Time per "
                                    "call (best of three), ratio to the normal equations on 100000 points, peak "
                                    "memory of one call:",
                                    "computation");
}
