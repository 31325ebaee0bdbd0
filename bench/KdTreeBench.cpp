// k-nearest-neighbour search on uniform 3-D points (200,000, and 20,000): building both k-d
// trees, and 10,000 queries (k = 8) on each, against nanoflann (the same build and queries,
// in the same run) and a brute-force scan of the same points.
//
// Every query benchmark checks its answers against the scan once, outside the timing. The
// run closes with the ratios of each tree to nanoflann and to the scan.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <nanoflann.hpp>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "vecmat/neighbors/KdTree.h"
#include "vecmat/neighbors/KdTree2.h"

namespace {

constexpr std::size_t kLarge = 200000;
constexpr std::size_t kSmall = 20000;
constexpr std::size_t kQueries = 10000;
constexpr std::size_t kNeighbours = 8;

// The points as the trees take them and packed (x, y, z of every point) for the others.
struct Points {
    pct::Ko::KdTreeDataTable table;
    std::vector<double> coords;

    explicit Points(std::size_t n) {
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        table.rows.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            table.rows.push_back({{u(rng), u(rng), u(rng)}, static_cast<std::int32_t>(i)});
            coords.insert(coords.end(), table.rows.back().values.begin(), table.rows.back().values.end());
        }
    }

    // nanoflann's view of the points.
    std::size_t kdtree_get_point_count() const { return coords.size() / 3; }
    double kdtree_get_pt(std::size_t i, std::size_t dim) const { return coords[i * 3 + dim]; }
    template <class Box>
    bool kdtree_get_bbox(Box&) const { return false; }
};

const Points& PointsOf(std::size_t n) {
    static std::map<std::size_t, std::unique_ptr<Points>> cache;
    auto& points = cache[n];
    if (!points) points = std::make_unique<Points>(n);
    return *points;
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

using Nanoflann = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Points>, Points, 3>;

// The scan: the distances of the k nearest points, ascending, kept in a small sorted buffer.
std::vector<double> ScanNearest(const Points& points, const std::vector<double>& q) {
    const std::vector<double>& coords = points.coords;
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

std::size_t Size(const benchmark::State& state) { return static_cast<std::size_t>(state.range(0)); }

template <class Tree>
void BM_Build(benchmark::State& state) {
    const auto& table = PointsOf(Size(state)).table;
    for (auto _ : state) {
        Tree tree;
        tree.CtreatTree(table);
        benchmark::DoNotOptimize(tree);
    }
}

void BM_NanoflannBuild(benchmark::State& state) {
    const Points& points = PointsOf(Size(state));
    for (auto _ : state) {
        Nanoflann index(3, points);
        benchmark::DoNotOptimize(&index);
        benchmark::ClobberMemory();
    }
}

template <class Tree>
void BM_Query(benchmark::State& state) {
    const Points& points = PointsOf(Size(state));
    Tree tree;
    tree.CtreatTree(points.table);
    const auto& queries = Queries();
    // Correctness first, untimed: a sample of queries must match the scan exactly.
    for (std::size_t i = 0; i < kQueries; i += 97) {
        const auto got = tree.FindNearbyPoints(queries[i], kNeighbours);
        const auto want = ScanNearest(points, queries[i]);
        if (got.size() != want.size()) return state.SkipWithError("wrong number of neighbours");
        for (std::size_t j = 0; j < got.size(); ++j)
            if (got[j].distance != want[j]) return state.SkipWithError("answer differs from the scan");
    }
    for (auto _ : state)
        for (const auto& q : queries) benchmark::DoNotOptimize(tree.FindNearbyPoints(q, kNeighbours));
}

void BM_NanoflannQuery(benchmark::State& state) {
    const Points& points = PointsOf(Size(state));
    const Nanoflann index(3, points);
    const auto& queries = Queries();
    unsigned indices[kNeighbours];
    double squares[kNeighbours];
    for (std::size_t i = 0; i < kQueries; i += 97) {
        index.knnSearch(queries[i].data(), kNeighbours, indices, squares);
        const auto want = ScanNearest(points, queries[i]);
        for (std::size_t j = 0; j < kNeighbours; ++j)
            if (std::fabs(std::sqrt(squares[j]) - want[j]) > 1e-12)
                return state.SkipWithError("answer differs from the scan");
    }
    for (auto _ : state)
        for (const auto& q : queries)
            benchmark::DoNotOptimize(index.knnSearch(q.data(), kNeighbours, indices, squares));
}

void BM_BruteForce(benchmark::State& state) {
    const Points& points = PointsOf(Size(state));
    const auto& queries = Queries();
    for (auto _ : state)
        for (const auto& q : queries) benchmark::DoNotOptimize(ScanNearest(points, q));
}

}  // namespace

#define KD_SIZES ->Arg(kLarge)->Arg(kSmall)->Unit(benchmark::kMillisecond)
BENCHMARK_TEMPLATE(BM_Build, pct::Ko::KdTree) KD_SIZES;
BENCHMARK_TEMPLATE(BM_Build, pct::Ko::KdTree2) KD_SIZES;
BENCHMARK(BM_NanoflannBuild) KD_SIZES;
BENCHMARK_TEMPLATE(BM_Query, pct::Ko::KdTree) KD_SIZES;
BENCHMARK_TEMPLATE(BM_Query, pct::Ko::KdTree2) KD_SIZES;
BENCHMARK(BM_NanoflannQuery) KD_SIZES;
BENCHMARK(BM_BruteForce) KD_SIZES->Iterations(1);

namespace {

// Best CPU seconds of the named benchmark at size n, 0 when it did not run.
double Cpu(const bench::BestTimeReporter& reporter, const std::string& name, std::size_t n) {
    return reporter.CpuSeconds(name + "/" + std::to_string(n));
}

void PrintRatios(const bench::BestTimeReporter& reporter) {
    std::printf("\nCPU time ratios (best of the run), %zu queries with k = %zu:\n", kQueries, kNeighbours);
    for (std::size_t n : {kLarge, kSmall}) {
        const double build = Cpu(reporter, "BM_NanoflannBuild", n);
        const double query = Cpu(reporter, "BM_NanoflannQuery", n);
        const double scan = Cpu(reporter, "BM_BruteForce", n);
        for (const char* tree : {"pct::Ko::KdTree", "pct::Ko::KdTree2"}) {
            const double b = Cpu(reporter, std::string("BM_Build<") + tree + ">", n);
            const double q = Cpu(reporter, std::string("BM_Query<") + tree + ">", n);
            // Either half may have been left out by --benchmark_filter.
            if (b > 0.0 && build > 0.0)
                std::printf("%7zu points %-17s build   %6.1f ms = %5.2fx nanoflann\n", n, tree, b * 1e3, b / build);
            if (q <= 0.0 || query <= 0.0) continue;
            std::printf("%7zu points %-17s queries %6.1f ms = %5.2fx nanoflann", n, tree, q * 1e3, q / query);
            if (scan > 0.0) std::printf(", %.0fx faster than the scan", scan / q);
            std::printf("\n");
        }
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
