// k-nearest-neighbour search on 200,000 uniform 3-D points: building both k-d trees, and
// 10,000 queries (k = 8) on each, against a brute-force scan of the same points.
//
// Every query benchmark checks its answers against the scan once, outside the timing. The
// run closes with the ratios: scan time over query time, and over build plus queries.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "vecmat/neighbors/KdTree.h"
#include "vecmat/neighbors/KdTree2.h"

namespace {

constexpr std::size_t kPoints = 200000;
constexpr std::size_t kQueries = 10000;
constexpr std::size_t kNeighbours = 8;

const pct::Ko::KdTreeDataTable& Points() {
    static const pct::Ko::KdTreeDataTable table = [] {
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        pct::Ko::KdTreeDataTable t;
        t.rows.reserve(kPoints);
        for (std::size_t i = 0; i < kPoints; ++i)
            t.rows.push_back({{u(rng), u(rng), u(rng)}, static_cast<std::int32_t>(i)});
        return t;
    }();
    return table;
}

const std::vector<std::vector<double>>& Queries() {
    static const std::vector<std::vector<double>> queries = [] {
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        std::vector<std::vector<double>> q(kQueries);
        for (auto& p : q) p = {u(rng), u(rng), u(rng)};
        return q;
    }();
    return queries;
}

// The scan: the distances of the k nearest points, ascending, kept in a small sorted buffer.
struct Scan {
    std::vector<double> coords;  // x, y, z of every point, packed
    Scan() {
        for (const auto& row : Points().rows) coords.insert(coords.end(), row.values.begin(), row.values.end());
    }
    std::vector<double> Nearest(const std::vector<double>& q) const {
        std::vector<double> best;
        best.reserve(kNeighbours + 1);
        for (std::size_t i = 0; i < coords.size(); i += 3) {
            const double dx = coords[i] - q[0], dy = coords[i + 1] - q[1], dz = coords[i + 2] - q[2];
            double sum = 0.0;
            sum += dx * dx;
            sum += dy * dy;
            sum += dz * dz;
            const double d = std::sqrt(sum);
            if (best.size() == kNeighbours && d >= best.back()) continue;
            best.insert(std::upper_bound(best.begin(), best.end(), d), d);
            if (best.size() > kNeighbours) best.pop_back();
        }
        return best;
    }
};

const Scan& TheScan() {
    static const Scan scan;
    return scan;
}

template <class Tree>
void BM_Build(benchmark::State& state) {
    const auto& table = Points();
    for (auto _ : state) {
        Tree tree;
        tree.CtreatTree(table);
        benchmark::DoNotOptimize(tree);
    }
    state.counters["points"] = static_cast<double>(kPoints);
}

template <class Tree>
void BM_Query(benchmark::State& state) {
    Tree tree;
    tree.CtreatTree(Points());
    const auto& queries = Queries();
    // Correctness first, untimed: a sample of queries must match the scan exactly.
    for (std::size_t i = 0; i < kQueries; i += 97) {
        const auto got = tree.FindNearbyPoints(queries[i], kNeighbours);
        const auto want = TheScan().Nearest(queries[i]);
        if (got.size() != want.size()) return state.SkipWithError("wrong number of neighbours");
        for (std::size_t j = 0; j < got.size(); ++j)
            if (got[j].distance != want[j]) return state.SkipWithError("answer differs from the scan");
    }
    for (auto _ : state)
        for (const auto& q : queries) benchmark::DoNotOptimize(tree.FindNearbyPoints(q, kNeighbours));
    state.counters["queries/s"] = benchmark::Counter(static_cast<double>(kQueries * state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void BM_BruteForce(benchmark::State& state) {
    const Scan& scan = TheScan();
    const auto& queries = Queries();
    for (auto _ : state)
        for (const auto& q : queries) benchmark::DoNotOptimize(scan.Nearest(q));
    state.counters["queries/s"] = benchmark::Counter(static_cast<double>(kQueries * state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Build, pct::Ko::KdTree)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Build, pct::Ko::KdTree2)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Query, pct::Ko::KdTree)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Query, pct::Ko::KdTree2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteForce)->Unit(benchmark::kMillisecond)->Iterations(1);

namespace {

void PrintRatios(const bench::BestTimeReporter& reporter) {
    const double scan = reporter.RealSeconds("BM_BruteForce");
    if (scan <= 0.0) return;
    std::printf("\nScan of %zu points, %zu queries (k = %zu): %.1f ms\n", kPoints, kQueries, kNeighbours,
                scan * 1e3);
    for (const char* tree : {"pct::Ko::KdTree", "pct::Ko::KdTree2"}) {
        const double build = reporter.RealSeconds(std::string("BM_Build<") + tree + ">");
        const double query = reporter.RealSeconds(std::string("BM_Query<") + tree + ">");
        if (build <= 0.0 || query <= 0.0) continue;
        std::printf("%-17s build %.1f ms, queries %.1f ms: queries %.1fx faster than the scan, "
                    "build + queries %.1fx\n",
                    tree, build * 1e3, query * 1e3, scan / query, scan / (build + query));
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::BestTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatios(reporter);
    return 0;
}
