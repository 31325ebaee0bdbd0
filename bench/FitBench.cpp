// Polynomial fit of degree 5 on 1,000,000 points: the library's four fits against the same
// normal-equation fit written with Eigen, and against the textbook grouping
// ((X^T X)^-1 X^T) y spelled out with the library's own matrix operations.
//
// Each timed benchmark runs three times. After the timings the program prints each fit's
// time as a ratio to the Eigen reference measured in the same run (the best repetition of
// each), then the peak memory of one call of each fit: the call runs in a child process
// and the growth of the child's resident high-water mark is reported, so the inputs (two
// vectors of 8 MB, shared with the parent) are not counted.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Eigen/Dense>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "vecmat/Vecmat.h"

namespace {

constexpr size_t kPoints = 1000000;
constexpr size_t kDegree = 5;

// The sample: x uniform on [-3, 3], y = sin x plus normal noise; the same for every run.
template <class Store>
void Sample(Store&& store) {
    std::mt19937_64 gen(12345);
    std::uniform_real_distribution<double> ux(-3.0, 3.0);
    std::normal_distribution<double> noise(0.0, 0.1);
    for (size_t i = 0; i < kPoints; ++i) {
        const double x = ux(gen);
        store(i, x, std::sin(x) + noise(gen));
    }
}

struct VecmatInputs {
    pct::Vector x{kPoints};
    pct::Vector y{kPoints};
    VecmatInputs() {
        Sample([this](size_t i, double xi, double yi) {
            x[i] = xi;
            y[i] = yi;
        });
    }
};

const VecmatInputs& Inputs() {
    static const VecmatInputs inputs;
    return inputs;
}

struct EigenInputs {
    Eigen::VectorXd x{static_cast<Eigen::Index>(kPoints)};
    Eigen::VectorXd y{static_cast<Eigen::Index>(kPoints)};
    EigenInputs() {
        Sample([this](size_t i, double xi, double yi) {
            x[static_cast<Eigen::Index>(i)] = xi;
            y[static_cast<Eigen::Index>(i)] = yi;
        });
    }
};

const EigenInputs& InputsForEigen() {
    static const EigenInputs inputs;
    return inputs;
}

// One call of each fit, as the timed loops and the memory probe run it.

double VecmatFit() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::Fit(in.x, in.y, kDegree)[0];
}

double VecmatRidge() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::Ridge(in.x, in.y, 0.5, kDegree)[0];
}

double VecmatLasso() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::Lasso(in.x, in.y, 0.5, kDegree)[0];
}

double VecmatElasticNet() {
    const VecmatInputs& in = Inputs();
    return pct::Ko::Trendfit::ElasticNet(in.x, in.y, 0.5, 0.5, kDegree)[0];
}

// The products grouped as written, each an m-sized matrix of its own: X, X^T, W and Y.
double LiteralGrouping() {
    const VecmatInputs& in = Inputs();
    const pct::Matrix x = pct::Ko::Trendfit::Expend(in.x, kDegree);
    const pct::Matrix xt = x.Transpose();
    std::vector<double> ys = pct::Vector(in.y).ToFeatureDatas();
    const pct::Matrix y = pct::Matrix(1, kPoints, ys.data()).Transpose();
    const pct::Matrix r = ((xt * x).InverseMatrixEx() * xt) * y;
    return r.GetPointValue(0, 0);
}

// The reference: the same design matrix (powers by pow, as the library must), then the
// normal equations (X^T X) w = X^T y solved with Eigen.
double EigenNormalEquations() {
    const EigenInputs& in = InputsForEigen();
    const Eigen::Index m = static_cast<Eigen::Index>(kPoints);
    const Eigen::Index c = static_cast<Eigen::Index>(kDegree + 1);
    Eigen::MatrixXd x(m, c);
    for (Eigen::Index i = 0; i < m; ++i) {
        const double v = in.x[i];
        x(i, 0) = 1.0;
        x(i, 1) = v;
        for (Eigen::Index p = 2; p < c; ++p) x(i, p) = std::pow(v, static_cast<double>(p));
    }
    const Eigen::MatrixXd n = x.transpose() * x;
    const Eigen::VectorXd b = x.transpose() * in.y;
    const Eigen::VectorXd w = n.ldlt().solve(b);
    return w[0];
}

// The same with the powers formed by repeated multiplication, as Eigen code usually does
// it (other bits, so not a way open to the library): how much of the time pow takes.
double EigenByProducts() {
    const EigenInputs& in = InputsForEigen();
    const Eigen::Index m = static_cast<Eigen::Index>(kPoints);
    const Eigen::Index c = static_cast<Eigen::Index>(kDegree + 1);
    Eigen::MatrixXd x(m, c);
    x.col(0).setOnes();
    for (Eigen::Index p = 1; p < c; ++p) x.col(p) = x.col(p - 1).cwiseProduct(in.x);
    const Eigen::MatrixXd n = x.transpose() * x;
    const Eigen::VectorXd b = x.transpose() * in.y;
    const Eigen::VectorXd w = n.ldlt().solve(b);
    return w[0];
}

void Timed(benchmark::State& state, double (*fit)()) {
    for (auto _ : state) benchmark::DoNotOptimize(fit());
}

void BM_VecmatFit(benchmark::State& state) { Timed(state, VecmatFit); }
void BM_EigenNormalEquations(benchmark::State& state) { Timed(state, EigenNormalEquations); }
void BM_EigenByProducts(benchmark::State& state) { Timed(state, EigenByProducts); }
void BM_VecmatRidge(benchmark::State& state) { Timed(state, VecmatRidge); }
void BM_VecmatLasso(benchmark::State& state) { Timed(state, VecmatLasso); }
void BM_VecmatElasticNet(benchmark::State& state) { Timed(state, VecmatElasticNet); }
void BM_LiteralGrouping(benchmark::State& state) { Timed(state, LiteralGrouping); }

// Console output as usual, plus the best time per iteration of every benchmark (over
// repetitions, if asked for), in seconds of wall-clock and of CPU time.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const double n = static_cast<double>(run.iterations);
            const std::pair<double, double> t(run.real_accumulated_time / n,
                                              run.cpu_accumulated_time / n);
            auto [it, inserted] = best.emplace(run.run_name.function_name, t);
            if (!inserted) {
                it->second.first = std::min(it->second.first, t.first);
                it->second.second = std::min(it->second.second, t.second);
            }
        }
    }

    std::map<std::string, std::pair<double, double>> best;
};

// Resident high-water mark of this process in KiB (VmHWM), or -1.
long HighWaterKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kib;
}

// Growth of the resident high-water mark over one call of `fit`, in MiB, or -1. The call
// runs in a forked child, whose mark starts at what it shares with this process.
double PeakMiB(double (*fit)()) {
    int fds[2];
    if (pipe(fds) != 0) return -1.0;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1.0;
    }
    if (pid == 0) {
        close(fds[0]);
        // The child never returns into the caller, not even by an exception.
        const long before = HighWaterKiB();
        try {
            benchmark::DoNotOptimize(fit());
        } catch (...) {
            _exit(1);
        }
        const long after = HighWaterKiB();
        const double mib = before < 0 || after < 0 ? -1.0 : static_cast<double>(after - before) / 1024.0;
        const ssize_t written = write(fds[1], &mib, sizeof mib);
        _exit(written == static_cast<ssize_t>(sizeof mib) ? 0 : 1);
    }
    close(fds[1]);
    double mib = -1.0;
    if (read(fds[0], &mib, sizeof mib) != static_cast<ssize_t>(sizeof mib)) mib = -1.0;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return mib;
}

struct Entry {
    const char* benchmark;
    const char* label;
    double (*fit)();
};

const Entry kEntries[] = {
    {"BM_VecmatFit", "Fit", VecmatFit},
    {"BM_VecmatRidge", "Ridge", VecmatRidge},
    {"BM_VecmatLasso", "Lasso", VecmatLasso},
    {"BM_VecmatElasticNet", "ElasticNet", VecmatElasticNet},
    {"BM_LiteralGrouping", "((X^T X)^-1 X^T) y with Matrix", LiteralGrouping},
    {"BM_EigenNormalEquations", "Eigen reference (pow)", EigenNormalEquations},
    {"BM_EigenByProducts", "Eigen, powers by products", EigenByProducts},
};

}  // namespace

BENCHMARK(BM_VecmatFit)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_EigenNormalEquations)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_VecmatRidge)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_VecmatLasso)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_VecmatElasticNet)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_EigenByProducts)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_LiteralGrouping)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // Memory first, while no freed memory lies in this process's heap for a child to
    // reuse unseen.
    Inputs();
    InputsForEigen();
    std::map<std::string, double> peaks;
    for (const Entry& e : kEntries) peaks[e.benchmark] = PeakMiB(e.fit);

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto reference = reporter.best.find("BM_EigenNormalEquations");
    std::printf("\n%d points, degree %d. Time per fit (best of the run), ratio to the Eigen "
                "reference of this run, peak memory of one call:\n",
                static_cast<int>(kPoints), static_cast<int>(kDegree));
    std::printf("%-32s %10s %10s %8s %8s %10s\n", "fit", "real ms", "cpu ms", "real x", "cpu x",
                "peak MiB");
    for (const Entry& e : kEntries) {
        const auto it = reporter.best.find(e.benchmark);
        if (it == reporter.best.end()) continue;
        const auto [real, cpu] = it->second;
        std::printf("%-32s %10.1f %10.1f", e.label, real * 1e3, cpu * 1e3);
        if (reference != reporter.best.end())
            std::printf(" %8.2f %8.2f", real / reference->second.first,
                        cpu / reference->second.second);
        else
            std::printf(" %8s %8s", "-", "-");
        std::printf(" %10.1f\n", peaks[e.benchmark]);
    }
    benchmark::Shutdown();
    return 0;
}
