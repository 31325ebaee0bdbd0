// Reading a generated two-column file of 1,000,000 data lines: DataModel::ReadCSV against
// a plain reader (std::getline per line, strtod per cell, values into a std::vector).
//
// Each timed benchmark runs three times. After the timings the program prints each
// reader's time as a ratio to the getline reader measured in the same run (the best
// repetition of each), and the peak memory of one read: the read runs in a child process
// and the growth of the child's resident high-water mark is reported.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
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

const bench::Entry kEntries[] = {
    {"BM_ReadCSV", "DataModel::ReadCSV", ReadWithDataModel, 3, 0, kLines},
    {"BM_GetlineStrtod", "getline + strtod reference", ReadWithGetline, 3, 0, kLines},
};

}  // namespace

int main(int argc, char** argv) {
    File();  // written by this process, before the memory probes
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_GetlineStrtod",
                                    std::to_string(kLines) + " data lines of two cells. Time per read "
                                        "(best of the run), ratio to the getline reference of this "
                                        "run, peak memory of one read:",
                                    "reader");
}
