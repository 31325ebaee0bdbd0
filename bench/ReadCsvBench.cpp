// Reading a generated two-column file of 1,000,000 data lines: DataModel::ReadCSV against
// a plain reader (std::getline per line, strtod per cell, values into a std::vector).
//
// Each timed benchmark runs three times. After the timings the program prints each
// reader's time as a ratio to the getline reader measured in the same run (the best
// repetition of each), and the peak memory of one read: the read runs in a child process
// and the growth of the child's resident high-water mark is reported.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "vecmat/Vecmat.h"

namespace {

constexpr size_t kLines = 1000000;

// The file, written once per process: a title line, then "x,y" with every value written
// with 17 significant digits (what a program writes to keep every bit).
class DataFile {
public:
    DataFile() : path("/tmp/vecmat_readcsv_bench_" + std::to_string(getpid()) + ".csv") {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) throw std::runtime_error("cannot write " + path);
        std::mt19937_64 gen(4242);
        std::uniform_real_distribution<double> ux(-3.0, 3.0);
        std::normal_distribution<double> noise(0.0, 0.1);
        std::fputs("x,y\n", out);
        for (size_t i = 0; i < kLines; ++i) {
            const double x = ux(gen);
            std::fprintf(out, "%.17g,%.17g\n", x, x * x + noise(gen));
        }
        std::fclose(out);
    }
    ~DataFile() { std::remove(path.c_str()); }

    const std::string path;
};

const DataFile& File() {
    static const DataFile file;
    return file;
}

// One read by each reader; the result is the last value read.

double ReadWithDataModel() {
    pct::DataModel model;
    if (!model.ReadCSV(File().path.c_str())) throw std::runtime_error("ReadCSV returned false");
    return model.GetMatrix().GetPointValue(kLines - 1, 1);
}

// The reference reader: one std::string per line, cells converted in place by strtod.
double ReadWithGetline() {
    std::ifstream in(File().path, std::ios::binary);
    std::string line;
    std::getline(in, line);  // titles
    std::vector<double> values;
    while (std::getline(in, line)) {
        const char* p = line.c_str();
        for (;;) {
            char* end = nullptr;
            values.push_back(std::strtod(p, &end));
            if (*end != ',') break;
            p = end + 1;
        }
    }
    return values.back();
}

void Timed(benchmark::State& state, double (*reader)()) {
    for (auto _ : state) benchmark::DoNotOptimize(reader());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kLines));
}

void BM_ReadCSV(benchmark::State& state) { Timed(state, ReadWithDataModel); }
void BM_GetlineStrtod(benchmark::State& state) { Timed(state, ReadWithGetline); }

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

// Growth of the resident high-water mark over one call of `reader`, in MiB, or -1. The call
// runs in a forked child, whose mark starts at what it shares with this process.
double PeakMiB(double (*reader)()) {
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
            benchmark::DoNotOptimize(reader());
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
    double (*reader)();
};

const Entry kEntries[] = {
    {"BM_ReadCSV", "DataModel::ReadCSV", ReadWithDataModel},
    {"BM_GetlineStrtod", "getline + strtod reference", ReadWithGetline},
};

}  // namespace

BENCHMARK(BM_ReadCSV)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_GetlineStrtod)->Unit(benchmark::kMillisecond)->Repetitions(3);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // Memory first, while no freed memory lies in this process's heap for a child to
    // reuse unseen. The file is written before, by this process.
    File();
    std::map<std::string, double> peaks;
    for (const Entry& e : kEntries) peaks[e.benchmark] = PeakMiB(e.reader);

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto reference = reporter.best.find("BM_GetlineStrtod");
    std::printf("\n%d data lines of two cells. Time per read (best of the run), ratio to the "
                "getline reference of this run, peak memory of one read:\n",
                static_cast<int>(kLines));
    std::printf("%-28s %10s %10s %8s %8s %10s\n", "reader", "real ms", "cpu ms", "real x",
                "cpu x", "peak MiB");
    for (const Entry& e : kEntries) {
        const auto it = reporter.best.find(e.benchmark);
        if (it == reporter.best.end()) continue;
        const auto [real, cpu] = it->second;
        std::printf("%-28s %10.1f %10.1f", e.label, real * 1e3, cpu * 1e3);
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
