// The inverse of a 300 x 300 matrix: InverseMatrixEx against Eigen's LU inverse (built with
// the same flags) and against the one-step-at-a-time Gauss-Jordan elimination the library
// used before, all in one run. Run with VECMAT_SIMD=generic to time the generic kernels.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "tests/support/BitIdentity.h"
#include "tests/support/PlainKernels.h"
#include "vecmat/core/Matrix.h"

namespace {

constexpr size_t kSize = 300;

struct Inputs {
    std::vector<double> a = testing_support::AwkwardValues(kSize * kSize, 3);
    pct::Matrix ma{kSize, kSize, a.data()};
    Eigen::MatrixXd ea = Eigen::Map<const Eigen::Matrix<double, -1, -1, Eigen::RowMajor>>(a.data(), kSize, kSize);
};

const Inputs& In() {
    static const Inputs inputs;
    return inputs;
}

double Vecmat() { return In().ma.InverseMatrixEx().GetPointValue(0, 0); }

double EigenLu() {
    const Eigen::MatrixXd inverse = In().ea.partialPivLu().inverse();
    return inverse(0, 0);
}

double GaussJordan() { return testing_support::plain::PlainInverse(In().a, kSize)[0]; }

const bench::Entry kEntries[] = {
    {"BM_Vecmat", "Vecmat InverseMatrixEx", Vecmat},
    {"BM_EigenLu", "Eigen LU inverse", EigenLu},
    {"BM_GaussJordan", "plain Gauss-Jordan", GaussJordan},
};

}  // namespace

int main(int argc, char** argv) {
    In();
    return bench::RunWithRatioTable(argc, argv, kEntries, "BM_EigenLu",
                                    std::to_string(kSize) + " x " + std::to_string(kSize) +
                                        " inverse. Time (best of the run), ratio to Eigen, peak memory:",
                                    "inverse");
}
