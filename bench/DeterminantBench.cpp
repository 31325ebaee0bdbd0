// Determinant::getValue of orders 8, 9 and 10 (the permutation expansion: n! terms of n
// factors each) on one fixed, well-conditioned matrix per order, against two references
// measured in the same run: Gaussian elimination with partial pivoting written out here,
// and Eigen's determinant (LU with partial pivoting).
//
// Every benchmark first checks its value against the hand-written elimination, outside the
// timing, and reports the process's peak resident set size (getrusage ru_maxrss) after its
// runs, plus how much that peak rose while it ran. The expansion walks its orderings one at
// a time, so its peak stays flat from order 8 to 10; holding all 10! orderings would take
// several hundred MiB.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <Eigen/Dense>

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "vecmat/core/Determinant.h"

namespace {

// Row-major n x n elements: smooth off-diagonal values in [-1, 1] and a dominant diagonal,
// so the determinant is far from zero and every method agrees to many digits.
std::vector<double> FixedMatrix(std::size_t n) {
    std::vector<double> values(n * n);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const double x = std::sin(1.0 + 0.37 * static_cast<double>(r * n + c));
            values[r * n + c] = (r == c) ? 4.0 + x : x;
        }
    }
    return values;
}

// Determinant by Gaussian elimination with partial pivoting on a copy.
double EliminationDeterminant(std::vector<double> a, std::size_t n) {
    double det = 1.0;
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t pivot = k;
        for (std::size_t r = k + 1; r < n; ++r) {
            if (std::fabs(a[r * n + k]) > std::fabs(a[pivot * n + k])) pivot = r;
        }
        if (a[pivot * n + k] == 0.0) return 0.0;
        if (pivot != k) {
            for (std::size_t c = 0; c < n; ++c) std::swap(a[k * n + c], a[pivot * n + c]);
            det = -det;
        }
        const double p = a[k * n + k];
        det *= p;
        for (std::size_t r = k + 1; r < n; ++r) {
            const double f = a[r * n + k] / p;
            for (std::size_t c = k; c < n; ++c) a[r * n + c] -= f * a[k * n + c];
        }
    }
    return det;
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

// Fails the benchmark unless `value` agrees with the elimination to 1e-9 relative.
bool Agrees(benchmark::State& state, double value, const std::vector<double>& values, std::size_t n) {
    const double reference = EliminationDeterminant(values, n);
    if (!(std::fabs(value - reference) <= 1e-9 * std::fabs(reference))) {
        state.SkipWithError("value differs from the elimination reference");
        return false;
    }
    state.counters["value"] = value;
    return true;
}

void ReportMemory(benchmark::State& state, long peakBefore) {
    const long peakAfter = PeakRssKiB();
    state.counters["peak_rss_KiB"] = static_cast<double>(peakAfter);
    state.counters["peak_rise_KiB"] = static_cast<double>(peakAfter - peakBefore);
}

void BM_PermutationExpansion(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double> values = FixedMatrix(n);
    const long peakBefore = PeakRssKiB();
    const pct::Determinant determinant(n, values.data());
    if (!Agrees(state, determinant.getValue(), values, n)) return;
    for (auto _ : state) benchmark::DoNotOptimize(determinant.getValue());
    ReportMemory(state, peakBefore);
}

void BM_PartialPivotingElimination(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double> values = FixedMatrix(n);
    const long peakBefore = PeakRssKiB();
    if (!Agrees(state, EliminationDeterminant(values, n), values, n)) return;
    for (auto _ : state) benchmark::DoNotOptimize(EliminationDeterminant(values, n));
    ReportMemory(state, peakBefore);
}

void BM_EigenDeterminant(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double> values = FixedMatrix(n);
    const long peakBefore = PeakRssKiB();
    const auto size = static_cast<Eigen::Index>(n);
    const Eigen::MatrixXd m =
        Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(
            values.data(), size, size);
    if (!Agrees(state, m.determinant(), values, n)) return;
    for (auto _ : state) benchmark::DoNotOptimize(m.determinant());
    ReportMemory(state, peakBefore);
}

}  // namespace

BENCHMARK(BM_PermutationExpansion)->Arg(8)->Arg(9)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartialPivotingElimination)->Arg(8)->Arg(9)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EigenDeterminant)->Arg(8)->Arg(9)->Arg(10)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
