// The stable polynomial fit of degree 5 on 1,000,000 points against Fit, measured in the
// same run: Householder QR of the scaled design and refinement in long double, against the
// normal equations. Also the ridge variant and the condition number alone.
//
// Each benchmark runs three times; the closing table gives each one's best time as a
// ratio to Fit's best and the peak memory of one call (in a child process, as FitBench).

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "bench/BenchReport.h"
#include "vecmat/Vecmat.h"

namespace {

constexpr size_t kPoints = 1000000;
constexpr size_t kDegree = 5;

// x uniform on [-3, 3], y = sin x plus normal noise; the same sample as FitBench.
struct Inputs {
    pct::Vector x{kPoints};
    pct::Vector y{kPoints};
    Inputs() {
        std::mt19937_64 gen(12345);
        std::uniform_real_distribution<double> ux(-3.0, 3.0);
        std::normal_distribution<double> noise(0.0, 0.1);
        for (size_t i = 0; i < kPoints; ++i) {
            x[i] = ux(gen);
            y[i] = std::sin(x[i]) + noise(gen);
        }
    }
};

const Inputs& Sample() {
    static const Inputs inputs;
    return inputs;
}

double Fit() { return pct::Ko::Trendfit::Fit(Sample().x, Sample().y, kDegree)[0]; }
double StableFit() { return pct::Ko::Trendfit::StableFit(Sample().x, Sample().y, kDegree)[0]; }
double StableRidge() { return pct::Ko::Trendfit::StableFit(Sample().x, Sample().y, kDegree, 0.5)[0]; }
double Condition() { return pct::Ko::Trendfit::ConditionNumber(Sample().x, kDegree); }

const bench::Entry kEntries[] = {
    {"BM_Fit", "Fit", Fit},
    {"BM_StableFit", "StableFit", StableFit},
    {"BM_StableRidge", "StableFit, lambda 0.5", StableRidge},
    {"BM_ConditionNumber", "ConditionNumber", Condition},
};

}  // namespace

int main(int argc, char** argv) {
    Sample();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_Fit",
                                    std::to_string(kPoints) + " points, degree " + std::to_string(kDegree) +
                                        ". Time per call (best of the run), ratio to Fit "
                                        "of this run, peak memory of one call:",
                                    "call");
}
