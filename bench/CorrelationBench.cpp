// Correlation coefficients: Pearson of 10,000,000 pairs and Spearman of 20,000 pairs through
// CorrelationCoefficient, against a plain Pearson loop (the reference of the closing
// table) and a sort-based Spearman, all in one run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "vecmat/features/CorrelationCoefficient.h"

namespace {

constexpr size_t kPearson = 10000000;
constexpr size_t kSpearman = 20000;

struct Pairs {
    std::vector<double> x, y;
    explicit Pairs(size_t n) : x(n), y(n) {
        std::mt19937_64 gen(5);
        std::normal_distribution<double> z(0.0, 1.0);
        for (size_t i = 0; i < n; ++i) {
            x[i] = z(gen);
            y[i] = 0.5 * x[i] + z(gen);
        }
    }
};

const Pairs& Large() {
    static const Pairs pairs(kPearson);
    return pairs;
}

const Pairs& Small() {
    static const Pairs pairs(kSpearman);
    return pairs;
}

double Pearson() { return pct::CorrelationCoefficient::PCCs(Large().x, Large().y); }
double Spearman() { return pct::CorrelationCoefficient::SCCs(Small().x, Small().y); }

// The textbook loop: means, then the sums of products and squares of the deviations.
double PlainPearson() {
    const std::vector<double>& x = Large().x;
    const std::vector<double>& y = Large().y;
    const double n = static_cast<double>(x.size());
    double mx = 0.0, my = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= n;
    my /= n;
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

// Ranks by sorting (ties ignored: the data has none), then 1 - 6 sum d^2 / (n (n^2 - 1)).
double SortedSpearman() {
    const auto ranks = [](const std::vector<double>& v) {
        std::vector<size_t> order(v.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return v[a] < v[b]; });
        std::vector<double> rank(v.size());
        for (size_t i = 0; i < order.size(); ++i) rank[order[i]] = static_cast<double>(i);
        return rank;
    };
    const std::vector<double> rx = ranks(Small().x), ry = ranks(Small().y);
    const double n = static_cast<double>(rx.size());
    double d2 = 0.0;
    for (size_t i = 0; i < rx.size(); ++i) d2 += (rx[i] - ry[i]) * (rx[i] - ry[i]);
    return 1.0 - 6.0 * d2 / (n * (n * n - 1.0));
}

const bench::Entry kEntries[] = {
    {"BM_Pearson", "PCCs, 10^7 pairs", Pearson},
    {"BM_PlainPearson", "plain Pearson loop, 10^7", PlainPearson},
    {"BM_Spearman", "SCCs, 2*10^4 pairs", Spearman},
    {"BM_SortedSpearman", "sort-based Spearman, 2*10^4", SortedSpearman},
};

}  // namespace

int main(int argc, char** argv) {
    Large();
    Small();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_PlainPearson",
                                    "Correlation coefficients. Time (best of the run), ratio to the plain "
                                    "Pearson loop, peak memory:",
                                    "coefficient");
}
