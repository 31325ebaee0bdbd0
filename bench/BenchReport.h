#pragma once

// What the benchmark programs share: a console reporter that keeps the best time of every
// benchmark, a probe of the peak memory of one call, and the closing table that sets each
// entry against the reference measured in the same run.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Console output as usual (without colour codes), plus the best time per iteration of
// every benchmark (over repetitions, if asked for), in seconds of wall-clock and CPU time.
// A benchmark with arguments is named "function/arguments", as "BM_Build<T>/20000".
class BestTimeReporter : public benchmark::ConsoleReporter {
public:
    BestTimeReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const double n = static_cast<double>(run.iterations);
            const std::pair<double, double> t(run.real_accumulated_time / n,
                                              run.cpu_accumulated_time / n);
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            auto [it, inserted] = best.emplace(name, t);
            if (!inserted) {
                it->second.first = std::min(it->second.first, t.first);
                it->second.second = std::min(it->second.second, t.second);
            }
        }
    }

    // Best CPU seconds of the named benchmark, 0 when it did not run.
    double CpuSeconds(const std::string& name) const {
        const auto it = best.find(name);
        return it == best.end() ? 0.0 : it->second.second;
    }

    std::map<std::string, std::pair<double, double>> best;  // name -> (real, cpu) seconds
};

// Resident high-water mark of this process in KiB (VmHWM), or -1.
inline long HighWaterKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kib;
}

// Growth of the resident high-water mark over one call of `call`, in MiB, or -1. The call
// runs in a forked child, whose mark starts at what it shares with this process, so inputs
// built before are not counted.
inline double PeakMiB(double (*call)()) {
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
            benchmark::DoNotOptimize(call());
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

// One benchmark and row of the closing table: its name, its label and one call of what it
// times, in milliseconds.
struct Entry {
    const char* benchmark;
    const char* label;
    double (*call)();
    int repetitions = 3;
    int iterations = 0;      // calls per repetition; 0 lets Google Benchmark choose
    std::int64_t items = 0;  // items one call processes, shown as a rate when above 0
};

// Registers each entry as a benchmark timing its call, in the order given.
template <std::size_t N>
void Register(const Entry (&entries)[N]) {
    for (const Entry& e : entries) {
        const Entry entry = e;
        benchmark::internal::Benchmark* b =
            benchmark::RegisterBenchmark(entry.benchmark, [entry](benchmark::State& state) {
                for (auto _ : state) benchmark::DoNotOptimize(entry.call());
                if (entry.items > 0) state.SetItemsProcessed(state.iterations() * entry.items);
            });
        b->Unit(benchmark::kMillisecond)->Repetitions(entry.repetitions);
        if (entry.iterations > 0) b->Iterations(entry.iterations);
    }
}

// Registers the entries, probes the peak memory of one call of each (first, while no freed
// memory lies in this process's heap for a child to reuse unseen), runs the benchmarks,
// then prints `heading` and each entry's best time with its ratio to `reference` and its
// peak.
template <std::size_t N>
int RunWithRatioTable(int argc, char** argv, const Entry (&entries)[N], const char* reference,
                      const std::string& heading, const char* labelTitle) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Register(entries);
    std::map<std::string, double> peaks;
    for (const Entry& e : entries) peaks[e.benchmark] = PeakMiB(e.call);

    BestTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ref = reporter.best.find(reference);
    std::printf("\n%s\n", heading.c_str());
    std::printf("%-32s %10s %10s %8s %8s %10s\n", labelTitle, "real ms", "cpu ms", "real x", "cpu x",
                "peak MiB");
    for (const Entry& e : entries) {
        const auto it = reporter.best.find(e.benchmark);
        if (it == reporter.best.end()) continue;
        const auto [real, cpu] = it->second;
        std::printf("%-32s %10.1f %10.1f", e.label, real * 1e3, cpu * 1e3);
        if (ref != reporter.best.end())
            std::printf(" %8.2f %8.2f", real / ref->second.first, cpu / ref->second.second);
        else
            std::printf(" %8s %8s", "-", "-");
        std::printf(" %10.1f\n", peaks[e.benchmark]);
    }
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
